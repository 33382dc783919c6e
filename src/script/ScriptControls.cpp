#include "script/ScriptControls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSet>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <functional>

#include "script/ScriptParser.h"

namespace ScriptControls {

namespace {

QString nameOf(const QObject* c)
{
    return QStringLiteral("\"%1\"").arg(c->objectName());
}

QString kindOf(const QObject* c)
{
    return QStringLiteral("a %1").arg(QString::fromLatin1(c->metaObject()->className()));
}

Failure wrongKind(const QObject* c, const QString& wanted)
{
    return {QStringLiteral("%1 named %2").arg(wanted, nameOf(c)), kindOf(c)};
}

// The tab set a widget is a page of, and its tab's index; {nullptr, -1} otherwise.
std::pair<const QTabWidget*, int> tabOf(const QWidget* w)
{
    auto* stack = qobject_cast<const QStackedWidget*>(w->parentWidget());
    if (!stack) return {nullptr, -1};
    auto* tabs = qobject_cast<const QTabWidget*>(stack->parentWidget());
    if (!tabs) return {nullptr, -1};
    const int index = tabs->indexOf(const_cast<QWidget*>(w));
    return index < 0 ? std::pair<const QTabWidget*, int>{nullptr, -1}
                     : std::pair<const QTabWidget*, int>{tabs, index};
}

bool enabled(const QObject* c)
{
    // A menu is what its entry in the menu bar shows.
    if (auto* m = qobject_cast<const QMenu*>(c)) return m->menuAction()->isEnabled();
    if (auto* w = qobject_cast<const QWidget*>(c)) return w->isEnabled();
    if (auto* a = qobject_cast<const QAction*>(c)) return a->isEnabled();
    return true;
}

// A user can only work a control that is shown and enabled.
Outcome reachable(const QObject* c, const QWidget* root)
{
    if (!shown(c, root))
        return Failure{QStringLiteral("%1 shown").arg(nameOf(c)), QStringLiteral("hidden")};
    if (!enabled(c))
        return Failure{QStringLiteral("%1 enabled").arg(nameOf(c)), QStringLiteral("disabled")};
    return std::nullopt;
}

// ---- lists, tab sets and radio groups as one kind: entries, one of them current ----

struct Entries {
    QStringList texts;
    int current = -1;
    std::function<Outcome(int)> pick; // the user picks entry i
};

// Radio buttons of a group box, leaving out those of a group nested in it.
QList<QAbstractButton*> radiosOf(const QGroupBox* group)
{
    QList<QAbstractButton*> radios;
    for (QRadioButton* r : group->findChildren<QRadioButton*>()) {
        const QWidget* p = r->parentWidget();
        while (p && p != group && !qobject_cast<const QGroupBox*>(p))
            p = p->parentWidget();
        if (p == group) radios.append(r);
    }
    return radios;
}

Entries buttonEntries(const QList<QAbstractButton*>& buttons, const QWidget* root)
{
    Entries e;
    for (int i = 0; i < buttons.size(); ++i) {
        e.texts.append(shownCaption(buttons[i]->text()));
        if (buttons[i]->isChecked()) e.current = i;
    }
    e.pick = [buttons, root](int i) -> Outcome {
        QAbstractButton* b = buttons[i];
        if (auto f = reachable(b, root)) return f;
        b->click();
        return std::nullopt;
    };
    return e;
}

// Tab sets list only the tabs that are shown, as the user sees them.
template <class Tabs> Entries tabEntries(Tabs* tabs, const QObject* c, const QWidget* root)
{
    Entries e;
    QList<int> real;
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i)) continue;
        if (i == tabs->currentIndex()) e.current = static_cast<int>(real.size());
        real.append(i);
        e.texts.append(shownCaption(tabs->tabText(i)));
    }
    e.pick = [tabs, real, c, root](int i) -> Outcome {
        if (auto f = reachable(c, root)) return f;
        if (!tabs->isTabEnabled(real[i]))
            return Failure{QStringLiteral("tab \"%1\" of %2 enabled")
                               .arg(shownCaption(tabs->tabText(real[i])), nameOf(c)),
                           QStringLiteral("disabled")};
        tabs->setCurrentIndex(real[i]);
        return std::nullopt;
    };
    return e;
}

std::optional<Entries> entriesOf(QObject* c, const QWidget* root)
{
    if (auto* combo = qobject_cast<QComboBox*>(c)) {
        Entries e;
        for (int i = 0; i < combo->count(); ++i)
            e.texts.append(combo->itemText(i));
        e.current = combo->currentIndex();
        e.pick = [combo, root](int i) -> Outcome {
            if (auto f = reachable(combo, root)) return f;
            // Change handlers listen to activated, which only a user's pick sends.
            combo->setCurrentIndex(i);
            emit combo->activated(i);
            emit combo->textActivated(combo->itemText(i));
            return std::nullopt;
        };
        return e;
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(c)) return tabEntries(tabs, c, root);
    if (auto* bar = qobject_cast<QTabBar*>(c)) return tabEntries(bar, c, root);
    if (auto* list = qobject_cast<QListWidget*>(c)) {
        Entries e;
        for (int i = 0; i < list->count(); ++i)
            e.texts.append(list->item(i)->text());
        e.current = list->currentRow();
        e.pick = [list, root](int i) -> Outcome {
            if (auto f = reachable(list, root)) return f;
            list->setCurrentRow(i);
            emit list->itemClicked(list->item(i));
            return std::nullopt;
        };
        return e;
    }
    if (auto* group = qobject_cast<QButtonGroup*>(c)) return buttonEntries(group->buttons(), root);
    if (auto* box = qobject_cast<QGroupBox*>(c)) {
        const auto radios = radiosOf(box);
        if (!radios.isEmpty()) return buttonEntries(radios, root);
    }
    return std::nullopt;
}

const QString kListKinds = QStringLiteral("a list, radio group or tab set");

// ---- keyboard ----

constexpr struct {
    const char* name;
    Qt::Key key;
} kKeys[] = {
    {"Backspace", Qt::Key_Backspace},
    {"Delete", Qt::Key_Delete},
    {"Enter", Qt::Key_Return},
    {"Return", Qt::Key_Return},
    {"Up", Qt::Key_Up},
    {"Down", Qt::Key_Down},
    {"Left", Qt::Key_Left},
    {"Right", Qt::Key_Right},
    {"Home", Qt::Key_Home},
    {"End", Qt::Key_End},
    {"Tab", Qt::Key_Tab},
    {"Escape", Qt::Key_Escape},
    {"Space", Qt::Key_Space},
};

// The widget that takes the keys a user types at this control, or null.
QWidget* keyboardTarget(QObject* c)
{
    auto* w = qobject_cast<QWidget*>(c);
    if (!w || qobject_cast<QAbstractButton*>(w)) return nullptr;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
        qobject_cast<QComboBox*>(w) || qobject_cast<QTextEdit*>(w) ||
        qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractItemView*>(w))
        return w;
    return w->focusPolicy() != Qt::NoFocus ? w : nullptr;
}

// A key press and release as the keyboard delivers them to the focused control.
void sendKey(QWidget* w, int key, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// Printable characters use the key code of their upper-case form.
void sendText(QWidget* w, const QString& text)
{
    for (QChar c : text)
        sendKey(w, c.toUpper().unicode(), QString(c));
}

// Press and release of the left button at the middle of the control, delivered
// to whatever child lies there (an ignored press goes on to its parents).
void sendClick(QWidget* w)
{
    const QPoint centre = w->rect().center();
    QWidget* target = w->childAt(centre);
    if (!target) target = w;
    const QPointF local = target->mapFrom(w, centre);
    const QPointF global = w->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

const QString kKeyKinds = QStringLiteral("an edit box, list or other control that takes keys");

Outcome sendKeys(QObject* c, const QWidget* root, const std::function<void(QWidget*)>& send)
{
    QWidget* w = keyboardTarget(c);
    if (!w) return wrongKind(c, kKeyKinds);
    if (auto f = reachable(c, root)) return f;
    w->setFocus(Qt::MouseFocusReason); // the user clicks into it first
    send(w);
    return std::nullopt;
}

// ---- properties ----

enum class Kind { Text, Bool, Integer, Colour };

QString boolText(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

QString colourText(const QColor& c)
{
    return c.name(QColor::HexRgb).toUpper();
}

// An integer colour is in the 0x00BBGGRR form the window's colour constants use.
QColor fromBgr(qint64 v)
{
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

std::optional<QString> variantText(const QVariant& v)
{
    if (!v.isValid()) return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return boolText(v.toBool());
    case QMetaType::QColor:
        return colourText(v.value<QColor>());
    case QMetaType::QStringList:
        return v.toStringList().join(u'|');
    default:
        return v.toString();
    }
}

using Reader = std::function<std::optional<QString>(QObject*, const QWidget*)>;

std::optional<QString> readText(QObject* c, const QWidget*)
{
    if (auto* w = qobject_cast<QWidget*>(c)) {
        if (auto [tabs, index] = tabOf(w); tabs) return shownCaption(tabs->tabText(index));
    }
    if (auto* e = qobject_cast<QLineEdit*>(c)) return e->text();
    if (auto* combo = qobject_cast<QComboBox*>(c)) return combo->currentText();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(c)) return spin->text();
    if (auto* t = qobject_cast<QTextEdit*>(c)) return t->toPlainText();
    if (auto* t = qobject_cast<QPlainTextEdit*>(c)) return t->toPlainText();
    if (auto* label = qobject_cast<QLabel*>(c))
        return label->buddy() ? shownCaption(label->text()) : label->text();
    if (auto* b = qobject_cast<QAbstractButton*>(c)) return shownCaption(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(c)) return shownCaption(g->title());
    if (auto* a = qobject_cast<QAction*>(c)) return shownCaption(a->text());
    if (auto* m = qobject_cast<QMenu*>(c)) return shownCaption(m->title());
    if (auto* tabs = qobject_cast<QTabWidget*>(c))
        return tabs->currentIndex() < 0 ? QString()
                                        : shownCaption(tabs->tabText(tabs->currentIndex()));
    if (auto* list = qobject_cast<QListWidget*>(c))
        return list->currentItem() ? list->currentItem()->text() : QString();
    if (auto* bar = qobject_cast<QProgressBar*>(c)) return bar->text();
    if (auto* calendar = qobject_cast<QCalendarWidget*>(c))
        return calendar->selectedDate().toString(QStringLiteral("yyyy-MM-dd"));
    return std::nullopt;
}

std::optional<QString> readVisible(QObject* c, const QWidget* root)
{
    if (!qobject_cast<QWidget*>(c) && !qobject_cast<QAction*>(c)) return std::nullopt;
    return boolText(shown(c, root));
}

std::optional<QString> readEnabled(QObject* c, const QWidget*)
{
    if (!qobject_cast<QWidget*>(c) && !qobject_cast<QAction*>(c)) return std::nullopt;
    return boolText(enabled(c));
}

std::optional<QString> readChecked(QObject* c, const QWidget*)
{
    if (auto* b = qobject_cast<QAbstractButton*>(c)) return boolText(b->isChecked());
    if (auto* a = qobject_cast<QAction*>(c)) return boolText(a->isChecked());
    if (auto* g = qobject_cast<QGroupBox*>(c); g && g->isCheckable())
        return boolText(g->isChecked());
    return std::nullopt;
}

std::optional<QString> readIndex(QObject* c, const QWidget* root)
{
    if (auto e = entriesOf(c, root)) return QString::number(e->current);
    return std::nullopt;
}

std::optional<QString> readCount(QObject* c, const QWidget* root)
{
    if (auto e = entriesOf(c, root)) return QString::number(e->texts.size());
    return std::nullopt;
}

std::optional<QString> readItems(QObject* c, const QWidget* root)
{
    if (auto e = entriesOf(c, root)) return e->texts.join(u'|');
    return std::nullopt;
}

std::optional<QString> readColour(QObject* c, const QWidget*)
{
    const QVariant v = c->property("colour");
    if (v.typeId() == QMetaType::QColor) return colourText(v.value<QColor>());
    if (v.isValid()) {
        bool ok = false;
        const qint64 bgr = v.toLongLong(&ok);
        if (ok) return colourText(fromBgr(bgr));
    }
    if (auto* w = qobject_cast<QWidget*>(c))
        return colourText(w->palette().color(QPalette::Window));
    return std::nullopt;
}

struct Property {
    const char* name;
    Kind kind;
    Reader read;         // nullopt: not a control this property belongs to
    const char* belongs; // the kinds of control that have it, for the failure text
};

// Every property falls back to a Qt property of the same name, so a custom
// widget takes part by declaring one.
const Property kProperties[] = {
    {"text", Kind::Text, readText, "a control with a text"},
    {"visible", Kind::Bool, readVisible, "a control or menu action"},
    {"enabled", Kind::Bool, readEnabled, "a control or menu action"},
    {"checked", Kind::Bool, readChecked, "a check box, radio button or action"},
    {"lit", Kind::Bool, nullptr, "an LED"},
    {"index", Kind::Integer, readIndex, "a list, radio group or tab set"},
    {"count", Kind::Integer, readCount, "a list, radio group or tab set"},
    {"items", Kind::Text, readItems, "a list, radio group or tab set"},
    {"colour", Kind::Colour, readColour, "a panel or control with a colour"},
    // A chart's series, "|" between them: how many points, the last point
    // "X,Y", how many points drawn; its axes' ranges.
    {"points", Kind::Text, nullptr, "a chart"},
    {"last", Kind::Text, nullptr, "a chart"},
    {"shown", Kind::Text, nullptr, "a chart"},
    {"ranges", Kind::Text, nullptr, "a chart"},
    // The drift meter's offset series, on its own: "count|last|shown".
    {"offsets", Kind::Text, nullptr, "a chart"},
};

const Property* propertyNamed(const QString& name)
{
    for (const Property& p : kProperties) {
        if (name == QLatin1String(p.name)) return &p;
    }
    return nullptr;
}

} // namespace

Lookup find(QWidget* root, const QString& name)
{
    QList<QObject*> hits;
    if (!name.isEmpty()) {
        if (root->objectName() == name) hits.append(root);
        hits += root->findChildren<QObject*>(name);
        if (hits.isEmpty()) {
            // Other windows, such as the About box.
            QSet<QObject*> seen;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top == root) continue;
                QList<QObject*> found = top->findChildren<QObject*>(name);
                if (top->objectName() == name) found.prepend(top);
                for (QObject* o : found) {
                    if (!seen.contains(o)) {
                        seen.insert(o);
                        hits.append(o);
                    }
                }
            }
        }
    }
    if (hits.isEmpty())
        return {nullptr, Failure{QStringLiteral("a control named \"%1\"").arg(name),
                                 QStringLiteral("none")}};
    if (hits.size() > 1) {
        QStringList kinds;
        for (QObject* o : hits)
            kinds.append(QString::fromLatin1(o->metaObject()->className()));
        return {
            nullptr,
            Failure{
                QStringLiteral("one control named \"%1\"").arg(name),
                QStringLiteral("%1 (%2)").arg(hits.size()).arg(kinds.join(QStringLiteral(", ")))}};
    }
    return {hits.front(), std::nullopt};
}

bool shown(const QObject* control, const QWidget* root)
{
    if (auto* a = qobject_cast<const QAction*>(control)) return a->isVisible();
    if (auto* m = qobject_cast<const QMenu*>(control)) return m->menuAction()->isVisible();
    if (auto* group = qobject_cast<const QButtonGroup*>(control)) {
        for (const QAbstractButton* b : group->buttons()) {
            if (shown(b, root)) return true;
        }
        return false;
    }
    const QWidget* w = qobject_cast<const QWidget*>(control);
    if (!w) return false;
    while (w && w != root) {
        // A tab page's own hidden state only says which tab is in front.
        if (auto [tabs, index] = tabOf(w); tabs) {
            if (!tabs->isTabVisible(index)) return false;
            w = tabs;
            continue;
        }
        if (w->isHidden()) return false;
        if (w->isWindow()) break;
        w = w->parentWidget();
    }
    return true;
}

QString shownCaption(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i; // "&&" shows one '&'; "&x" shows x underlined
        }
        out.append(caption[i]);
    }
    return out;
}

Outcome select(QObject* control, const QString& entry, const QWidget* root)
{
    auto e = entriesOf(control, root);
    if (!e) return wrongKind(control, kListKinds);
    const int index = static_cast<int>(e->texts.indexOf(entry));
    if (index < 0)
        return Failure{
            QStringLiteral("an entry %1 in %2").arg(ScriptParser::quoted(entry), nameOf(control)),
            QStringLiteral("entries %1").arg(ScriptParser::quoted(e->texts.join(u'|')))};
    return e->pick(index);
}

Outcome selectIndex(QObject* control, int index, const QWidget* root)
{
    auto e = entriesOf(control, root);
    if (!e) return wrongKind(control, kListKinds);
    if (index < 0 || index >= e->texts.size())
        return Failure{QStringLiteral("an entry #%1 in %2").arg(index).arg(nameOf(control)),
                       QStringLiteral("%1 entries").arg(e->texts.size())};
    return e->pick(index);
}

Outcome check(QObject* control, bool on, const QWidget* root)
{
    const QString want = QStringLiteral("%1 %2").arg(nameOf(control), on ? "on" : "off");
    const QString still = QStringLiteral("still %1 after a click").arg(on ? "off" : "on");
    if (auto* b = qobject_cast<QAbstractButton*>(control); b && b->isCheckable()) {
        if (auto f = reachable(b, root)) return f;
        if (b->isChecked() != on) b->click();
        if (b->isChecked() != on) return Failure{want, still};
        return std::nullopt;
    }
    if (auto* a = qobject_cast<QAction*>(control); a && a->isCheckable()) {
        if (auto f = reachable(a, root)) return f;
        if (a->isChecked() != on) a->trigger();
        if (a->isChecked() != on) return Failure{want, still};
        return std::nullopt;
    }
    if (auto* g = qobject_cast<QGroupBox*>(control); g && g->isCheckable()) {
        if (auto f = reachable(g, root)) return f;
        if (g->isChecked() != on) {
            g->setChecked(on);
            emit g->clicked(on);
        }
        return std::nullopt;
    }
    return wrongKind(control, QStringLiteral("a check box or radio button"));
}

Outcome click(QObject* control, const QWidget* root)
{
    const QString kinds = QStringLiteral("a button, panel, LED or menu action");
    if (auto* b = qobject_cast<QAbstractButton*>(control)) {
        if (auto f = reachable(b, root)) return f;
        b->click();
        return std::nullopt;
    }
    if (auto* a = qobject_cast<QAction*>(control)) {
        if (auto f = reachable(a, root)) return f;
        a->trigger();
        return std::nullopt;
    }
    auto* w = qobject_cast<QWidget*>(control);
    // Lists, edits, tab sets and menus have their own verbs or entries; a click
    // on them says nothing.
    if (!w || qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) ||
        qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractScrollArea*>(w) ||
        qobject_cast<QTabWidget*>(w) || qobject_cast<QTabBar*>(w) || qobject_cast<QGroupBox*>(w) ||
        qobject_cast<QMenu*>(w))
        return wrongKind(control, kinds);
    // A widget holding buttons (a spin button's arrows, a page) is no panel:
    // which button its middle hits says nothing about what the script meant.
    if (const auto buttons = w->findChildren<QAbstractButton*>(); !buttons.isEmpty()) {
        QStringList names;
        for (const QAbstractButton* b : buttons)
            names.append(nameOf(b));
        return Failure{QStringLiteral("%1 named %2").arg(kinds, nameOf(control)),
                       QStringLiteral("%1 holding the buttons %2")
                           .arg(kindOf(control), names.join(QStringLiteral(", ")))};
    }
    if (auto f = reachable(w, root)) return f;
    // Panels and LEDs react to the mouse itself.
    sendClick(w);
    return std::nullopt;
}

namespace {

// The user selects the whole text (with the mouse, so no key filter sees it);
// the first typed key then replaces it. Lists without an edit line have no
// text to select.
void selectAllText(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
        spin->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->selectAll();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(w))
        t->selectAll();
}

} // namespace

Outcome type(QObject* control, const QString& text, const QWidget* root)
{
    return sendKeys(control, root, [&text](QWidget* w) {
        selectAllText(w);
        sendText(w, text);
    });
}

Outcome key(QObject* control, const QString& keyName, const QWidget* root)
{
    for (const auto& k : kKeys) {
        if (keyName == QLatin1String(k.name))
            return sendKeys(control, root, [&k](QWidget* w) { sendKey(w, k.key); });
    }
    return Failure{QStringLiteral("one of the keys %1").arg(keyNames().join(u' ')),
                   QStringLiteral("\"%1\"").arg(keyName)};
}

Outcome spin(QObject* control, bool up, const QWidget* root)
{
    const QString kinds = QStringLiteral("a spin button or spin box");
    if (auto* box = qobject_cast<QAbstractSpinBox*>(control)) {
        if (auto f = reachable(box, root)) return f;
        if (up)
            box->stepUp();
        else
            box->stepDown();
        return std::nullopt;
    }
    auto* w = qobject_cast<QWidget*>(control);
    if (!w) return wrongKind(control, kinds);
    const Qt::ArrowType wanted = up ? Qt::UpArrow : Qt::DownArrow;
    QList<QToolButton*> arrows;
    for (QToolButton* b : w->findChildren<QToolButton*>()) {
        if (b->arrowType() == wanted) arrows.append(b);
    }
    if (arrows.size() != 1) return wrongKind(control, kinds);
    if (auto f = reachable(w, root)) return f;
    if (auto f = reachable(arrows.front(), root)) return f;
    arrows.front()->click();
    return std::nullopt;
}

Outcome focus(QObject* control, const QWidget* root)
{
    QWidget* w = keyboardTarget(control);
    if (!w) return wrongKind(control, kKeyKinds);
    if (auto f = reachable(control, root)) return f;
    // Focus events reach a control only in the active window.
    if (!w->isActiveWindow()) {
        w->activateWindow();
        QApplication::setActiveWindow(w->window());
    }
    w->setFocus(Qt::MouseFocusReason);
    if (!w->hasFocus())
        return Failure{QStringLiteral("%1 focused").arg(nameOf(control)),
                       QStringLiteral("it does not take the focus")};
    return std::nullopt;
}

Outcome leave(QObject* control, const QWidget* root)
{
    QWidget* w = keyboardTarget(control);
    if (!w) return wrongKind(control, kKeyKinds);
    if (auto f = reachable(control, root)) return f;
    if (!w->hasFocus())
        return Failure{QStringLiteral("%1 focused, to leave it").arg(nameOf(control)),
                       QStringLiteral("not focused")};
    w->clearFocus();
    return std::nullopt;
}

Outcome pickDate(QObject* control, const QDate& date, const QWidget* root)
{
    auto* calendar = qobject_cast<QCalendarWidget*>(control);
    if (!calendar) return wrongKind(control, QStringLiteral("a month calendar"));
    if (auto f = reachable(calendar, root)) return f;
    if (date < calendar->minimumDate() || date > calendar->maximumDate())
        return Failure{QStringLiteral("a day from %1 to %2")
                           .arg(calendar->minimumDate().toString(Qt::ISODate),
                                calendar->maximumDate().toString(Qt::ISODate)),
                       date.toString(Qt::ISODate)};
    calendar->setSelectedDate(date);
    emit calendar->clicked(date);
    return std::nullopt;
}

bool isKeyName(const QString& name)
{
    return keyNames().contains(name);
}

QStringList keyNames()
{
    QStringList names;
    for (const auto& k : kKeys)
        names.append(QString::fromLatin1(k.name));
    return names;
}

bool isProperty(const QString& name)
{
    return propertyNamed(name) != nullptr;
}

QStringList propertyNames()
{
    QStringList names;
    for (const Property& p : kProperties)
        names.append(QString::fromLatin1(p.name));
    return names;
}

Reading read(QObject* control, const QString& property, const QWidget* root)
{
    const Property* p = propertyNamed(property);
    if (!p)
        return {QString(),
                Failure{QStringLiteral("one of the properties %1").arg(propertyNames().join(u' ')),
                        QStringLiteral("\"%1\"").arg(property)}};
    if (p->read) {
        if (auto v = p->read(control, root)) return {*v, std::nullopt};
    }
    if (auto v = variantText(control->property(p->name))) return {*v, std::nullopt};
    return {QString(), wrongKind(control, QString::fromLatin1(p->belongs))};
}

Reading readCell(QObject* control, int row, int column)
{
    auto* view = qobject_cast<QAbstractItemView*>(control);
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model) return {QString(), wrongKind(control, QStringLiteral("a grid"))};
    if (row >= model->rowCount() || column >= model->columnCount())
        return {
            QString(),
            Failure{QStringLiteral("a cell %1 %2 in %3").arg(row).arg(column).arg(nameOf(control)),
                    QStringLiteral("%1 rows and %2 columns")
                        .arg(model->rowCount())
                        .arg(model->columnCount())}};
    return {model->index(row, column).data(Qt::DisplayRole).toString(), std::nullopt};
}

namespace {

struct GridCell {
    QAbstractItemView* view = nullptr;
    QModelIndex index;
    Outcome failure;
};

GridCell gridCell(QObject* control, int row, int column)
{
    auto* view = qobject_cast<QAbstractItemView*>(control);
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model) return {nullptr, {}, wrongKind(control, QStringLiteral("a grid"))};
    if (row >= model->rowCount() || column >= model->columnCount())
        return {
            nullptr,
            {},
            Failure{QStringLiteral("a cell %1 %2 in %3").arg(row).arg(column).arg(nameOf(control)),
                    QStringLiteral("%1 rows and %2 columns")
                        .arg(model->rowCount())
                        .arg(model->columnCount())}};
    return {view, model->index(row, column), std::nullopt};
}

void sendMouse(QWidget* target, QEvent::Type type, const QPoint& at)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

struct ArrowKey {
    const char* name;
    int key;
};
constexpr ArrowKey kArrows[] = {
    {"Up", Qt::Key_Up}, {"Down", Qt::Key_Down}, {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right}};

} // namespace

Outcome clickCell(QObject* control, int row, int column, bool twice, const QWidget* root)
{
    GridCell cell = gridCell(control, row, column);
    if (cell.failure) return cell.failure;
    if (auto f = reachable(control, root)) return f;
    cell.view->scrollTo(cell.index);
    const QRect rect = cell.view->visualRect(cell.index);
    // A hidden row or column has no place to click.
    if (!rect.isValid() || !cell.view->viewport()->rect().intersects(rect))
        return Failure{
            QStringLiteral("cell %1 %2 of %3 shown").arg(row).arg(column).arg(nameOf(control)),
            QStringLiteral("hidden")};
    QWidget* viewport = cell.view->viewport();
    const QPoint at = rect.center();
    cell.view->setFocus(Qt::MouseFocusReason);
    sendMouse(viewport, QEvent::MouseButtonPress, at);
    sendMouse(viewport, QEvent::MouseButtonRelease, at);
    if (twice) {
        sendMouse(viewport, QEvent::MouseButtonDblClick, at);
        sendMouse(viewport, QEvent::MouseButtonRelease, at);
    }
    return std::nullopt;
}

QStringList arrowNames()
{
    QStringList names;
    for (const ArrowKey& a : kArrows)
        names.append(QString::fromLatin1(a.name));
    return names;
}

Outcome arrow(QObject* control, const QString& direction, const QWidget* root)
{
    auto* view = qobject_cast<QAbstractItemView*>(control);
    if (!view) return wrongKind(control, QStringLiteral("a grid"));
    for (const ArrowKey& a : kArrows) {
        if (direction == QLatin1String(a.name))
            return sendKeys(control, root, [&a](QWidget* w) { sendKey(w, a.key); });
    }
    return Failure{QStringLiteral("one of %1").arg(arrowNames().join(u' ')),
                   QStringLiteral("\"%1\"").arg(direction)};
}

QString normalised(const QString& property, const QString& expected)
{
    const Property* p = propertyNamed(property);
    if (!p) return expected;
    switch (p->kind) {
    case Kind::Bool: {
        static const QStringList yes = {"true", "on", "yes", "1"};
        static const QStringList no = {"false", "off", "no", "0"};
        if (yes.contains(expected, Qt::CaseInsensitive)) return boolText(true);
        if (no.contains(expected, Qt::CaseInsensitive)) return boolText(false);
        return expected;
    }
    case Kind::Integer:
        if (auto n = ScriptParser::toInteger(expected)) return QString::number(*n);
        return expected;
    case Kind::Colour:
        if (expected.startsWith(u'#')) return expected.toUpper();
        if (auto n = ScriptParser::toInteger(expected)) return colourText(fromBgr(*n));
        return expected;
    case Kind::Text:
        break;
    }
    return expected;
}

} // namespace ScriptControls
