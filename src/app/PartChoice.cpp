#include "app/PartChoice.h"

#include "BitHints.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QtGlobal>
#include <algorithm>

#include "app/PageTable.h"
#include "bus/RtcBus.h"
#include "pages/PageContext.h"

namespace {

QString text(const char* stored)
{
    return stored != nullptr ? QString::fromLatin1(stored) : QString();
}

// A caption as a plain label shows it: "&&" is one ampersand and a single
// ampersand only marks a shortcut key. Buttons, group boxes and tabs read the
// stored form themselves.
QString shownCaption(const QString& stored)
{
    QString shown;
    shown.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i] == u'&') {
            if (i + 1 < stored.size() && stored[i + 1] == u'&') {
                shown += u'&';
                ++i;
            }
            continue;
        }
        shown += stored[i];
    }
    return shown;
}

const char* propName(Prop property)
{
    switch (property) {
    case Prop::Caption:
        return "Caption";
    case Prop::Visible:
        return "Visible";
    case Prop::Enabled:
        return "Enabled";
    case Prop::Lit:
        return "Lit";
    case Prop::Top:
        return "Top";
    case Prop::Items:
        return "Items";
    case Prop::ItemIndex:
        return "ItemIndex";
    case Prop::Hint:
        return "Hint";
    }
    return "?";
}

bool hasProperty(const QWidget* widget, const char* name)
{
    const int index = widget->metaObject()->indexOfProperty(name);
    return index >= 0 && widget->metaObject()->property(index).isWritable();
}

QMetaProperty metaProperty(const QWidget* widget, const char* name)
{
    return widget->metaObject()->property(widget->metaObject()->indexOfProperty(name));
}

} // namespace

PartChoice::PartChoice(PartChoiceContext& context) : context_(context) {}

std::vector<const PageSettingsTable*> PartChoice::pageTables(std::span<const PageRow> rows)
{
    std::vector<const PageSettingsTable*> tables;
    for (const PageRow& row : rows) {
        if (row.Make != nullptr && row.PartSettings != nullptr) tables.push_back(row.PartSettings);
    }
    return tables;
}

void PartChoice::DeviceSelChange()
{
    RtcBus& bus = context_.bus();
    bus.setPartRow(context_.chosenPartRow());
    const int row = bus.partRow();
    const size_t block = static_cast<size_t>(TypeBlockFor(row));

    // First, so that a step that talks to the chip meets the chosen part.
    syncSimulatedSocket();

    // Selections and lamps whose change runs a handler report their change
    // once, at the end, for the final state.
    holding_ = true;

    // The tabs the part's row decides.
    showPages(row);

    // 1. Base state of every built page (the Setup page's first).
    const std::vector<const PageSettingsTable*> tables = pageTables(context_.pages());
    for (const PageSettingsTable* table : tables)
        apply(table->Base);
    // A part alone does not make the supply switchable: with no board open
    // the supply controls stay disabled, as every other board control does.
    context_.setSupplySwitchable(row != 0 && bus.BoardNo != 0);

    // 7. Title.
    context_.showTitle(QString::fromStdString(WindowTitle(row)));

    // 8. The pages' own steps: the Setup page's product label, ID group and
    // Features grid, the register page's section list, and the rest.
    runPageSteps();

    // 9. Family blocks of every built page, which may also show its tab.
    for (const PageSettingsTable* table : tables)
        apply(table->Blocks[block]);

    holding_ = false;
    reportHeld();

    // 10. Every lamp names the register and bit it shows for this part.
    showLampHints(bus.part());
}

void PartChoice::showLampHints(const PartInfo& part)
{
    for (const PageRow& page : context_.pages()) {
        if (page.Make == nullptr) continue;
        for (const StatusLamp& lamp : page.Lamps) {
            QWidget* widget = context_.controlRoot()->findChild<QWidget*>(QLatin1String(lamp.Name));
            if (widget == nullptr) continue; // the page's own tables report names
            // A lamp's designed hint stays in front of what the part adds.
            static constexpr const char* kDesigned = "designedHint";
            if (!widget->property(kDesigned).isValid())
                widget->setProperty(kDesigned, widget->statusTip());
            const QString designed = widget->property(kDesigned).toString();
            const QString bit = QString::fromStdString(LampHint(part, lamp));
            QString hint = designed;
            if (!bit.isEmpty()) hint = designed.isEmpty() ? bit : designed + QStringLiteral(" - ") + bit;
            widget->setToolTip(hint);
            widget->setStatusTip(hint);
        }
    }
}

int PartChoice::pageIndex(const QString& name) const
{
    QTabWidget* tabs = context_.tabs();
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->objectName() == name) return i;
    }
    return -1;
}

void PartChoice::showPages(int row)
{
    QTabWidget* tabs = context_.tabs();
    const std::span<const PageRow> rows = context_.pages();
    // In this order, so that the tab in front moves as it always has when a
    // part choice hides it.
    for (const PageRow& page : rows) {
        if (page.Tab != TabRule::ByFamilyBlock) continue;
        const int index = pageIndex(QLatin1String(page.Name));
        if (index >= 0) tabs->setTabVisible(index, false);
    }
    const PartInfo& part = PartTable[static_cast<size_t>(row)];
    for (const PageRow& page : rows) {
        if (page.Tab != TabRule::ByPart) continue;
        const int index = pageIndex(QLatin1String(page.Name));
        if (index >= 0) tabs->setTabVisible(index, page.ShownFor != nullptr && page.ShownFor(part));
    }
}

void PartChoice::setHandled(QWidget* widget, const char* property, const QVariant& value)
{
    if (!holding_) {
        widget->setProperty(property, value);
        return;
    }
    const auto known = std::find_if(held_.cbegin(), held_.cend(), [&](const Held& h) {
        return h.widget == widget && qstrcmp(h.property, property) == 0;
    });
    if (known == held_.cend()) held_.push_back({widget, property, widget->property(property)});
    const QSignalBlocker quiet(widget);
    widget->setProperty(property, value);
}

void PartChoice::reportHeld()
{
    const std::vector<Held> held = std::move(held_);
    held_.clear();
    for (const Held& h : held) {
        if (h.widget.isNull()) continue;
        const QMetaProperty property = metaProperty(h.widget, h.property);
        const QVariant now = property.read(h.widget);
        if (now == h.before) continue;
        // The property's own change signal: a radio group's clicked(), a
        // lamp's changed(lit).
        const QMetaMethod notify = property.notifySignal();
        if (notify.parameterCount() == 0)
            notify.invoke(h.widget, Qt::DirectConnection);
        else
            notify.invoke(h.widget, Qt::DirectConnection,
                          QGenericArgument(now.typeName(), now.constData()));
    }
}

void PartChoice::syncSimulatedSocket()
{
    RtcBus& bus = context_.bus();
    if (!qEnvironmentVariableIsEmpty("KVRX_SIM_PART")) return; // the socket is pinned
    if (bus.BoardNo == 0 || bus.api().SimSetPart == nullptr) return;
    const char* name = bus.partRow() == 0 ? "" : bus.part().PartName;
    bus.api().SimSetPart(bus.BoardNo, name);
}

void PartChoice::apply(SettingList settings)
{
    for (const ControlSetting& setting : settings) {
        const QString name = text(setting.Control);
        const int page = pageIndex(name);
        if (page >= 0) {
            if (!applyToPage(page, setting)) fail(setting, QStringLiteral("a tab page"));
            continue;
        }
        QWidget* widget = control(name);
        if (widget == nullptr) {
            fail(setting, QStringLiteral("no control of that name"));
            continue;
        }
        if (!applyToWidget(widget, setting))
            fail(setting, QString::fromLatin1(widget->metaObject()->className()));
    }
}

QWidget* PartChoice::control(const QString& name)
{
    const auto known = found_.constFind(name);
    if (known != found_.cend() && !known->isNull() && (*known)->objectName() == name)
        return known->data();
    QWidget* widget = context_.controlRoot()->findChild<QWidget*>(name);
    if (widget != nullptr) found_.insert(name, widget);
    return widget;
}

bool PartChoice::applyToPage(int index, const ControlSetting& setting)
{
    QTabWidget* tabs = context_.tabs();
    switch (setting.Property) {
    case Prop::Visible:
        tabs->setTabVisible(index, setting.Number != 0);
        return true;
    case Prop::Caption:
        tabs->setTabText(index, text(setting.Text));
        return true;
    case Prop::Enabled:
        tabs->setTabEnabled(index, setting.Number != 0);
        return true;
    case Prop::Hint:
        tabs->setTabToolTip(index, text(setting.Text));
        return true;
    default:
        return false;
    }
}

bool PartChoice::applyToWidget(QWidget* widget, const ControlSetting& setting)
{
    switch (setting.Property) {
    case Prop::Caption: {
        const QString caption = text(setting.Text);
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(shownCaption(caption));
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(caption);
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            group->setTitle(caption);
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->setText(caption);
        else if (hasProperty(widget, "caption"))
            widget->setProperty("caption", caption);
        else
            return false;
        return true;
    }
    case Prop::Visible:
        widget->setVisible(setting.Number != 0);
        return true;
    case Prop::Enabled:
        widget->setEnabled(setting.Number != 0);
        return true;
    case Prop::Lit:
        if (!hasProperty(widget, "lit")) return false;
        setHandled(widget, "lit", setting.Number != 0);
        return true;
    case Prop::Top:
        widget->move(widget->x(), setting.Number);
        return true;
    case Prop::Items: {
        auto* list = qobject_cast<QComboBox*>(widget);
        if (list == nullptr) return false;
        QStringList items;
        items.reserve(static_cast<qsizetype>(setting.Items.size()));
        for (const char* item : setting.Items)
            items << text(item);
        list->clear();
        list->addItems(items);
        list->setCurrentIndex(-1);
        return true;
    }
    case Prop::ItemIndex:
        // A list's change handler hangs on user choices (activated), so this
        // does not run it; a radio group runs its click handler as a click
        // would (held within a part choice).
        if (auto* list = qobject_cast<QComboBox*>(widget))
            list->setCurrentIndex(setting.Number);
        else if (hasProperty(widget, "itemIndex"))
            setHandled(widget, "itemIndex", setting.Number);
        else
            return false;
        return true;
    case Prop::Hint:
        widget->setToolTip(text(setting.Text));
        widget->setStatusTip(text(setting.Text));
        return true;
    }
    return false;
}

void PartChoice::fail(const ControlSetting& setting, const QString& why)
{
    const QString failure =
        QStringLiteral("%1 %2: %3")
            .arg(text(setting.Control), QLatin1String(propName(setting.Property)), why);
    context_.recordControlFailure(failure);
}

void PartChoice::runPageSteps()
{
    for (const PageRow& page : context_.pages()) {
        if (page.Make == nullptr) continue;
        // A page's share of the choice applies whether or not its tab shows.
        const int index = pageIndex(QLatin1String(page.Name));
        if (index < 0) continue;
        if (auto* step = dynamic_cast<PartChoiceStep*>(context_.tabs()->widget(index)))
            step->partChosen();
    }
}
