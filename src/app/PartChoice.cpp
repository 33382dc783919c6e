#include "app/PartChoice.h"

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
#include <QTableWidget>
#include <QToolButton>
#include <QtGlobal>
#include <algorithm>

#include "app/PageTable.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"

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

PartChoice::PartChoice(TMainApp& window) : window_(window) {}

std::vector<const PageSettingsTable*> PartChoice::pageTables()
{
    std::vector<const PageSettingsTable*> tables;
    for (const PageRow& row : Pages()) {
        if (row.Make != nullptr && row.PartSettings != nullptr) tables.push_back(row.PartSettings);
    }
    return tables;
}

void PartChoice::DeviceSelChange()
{
    RtcBus& bus = window_.bus();
    bus.setPartRow(window_.setupPage()->DeviceSel->currentIndex());
    const int row = bus.partRow();
    const size_t block = static_cast<size_t>(TypeBlockFor(row));
    const PartChoiceState state = PartChoiceStateFor(row);

    // First, so that a step that talks to the chip meets the chosen part.
    syncSimulatedSocket();

    // Selections and lamps whose change runs a handler report their change
    // once, at the end, for the final state.
    holding_ = true;

    // The Setup page's and the tab set's lists already run in step order
    // (base state, supply controls, pages, product label, name rules, family
    // block), and no other step touches their controls.
    apply(SetupPageSettings(row));
    apply(TabPageSettings(row));
    // A part alone does not make the supply switchable: with no board open
    // the supply controls stay disabled, as every other board control does.
    if (bus.BoardNo == 0) {
        window_.VccSw->setEnabled(false);
        window_.setupPage()->VccChecked->setEnabled(false);
    }

    // 1. Base state of the other pages, and the shared state.
    const std::vector<const PageSettingsTable*> tables = pageTables();
    for (const PageSettingsTable* table : tables)
        apply(table->Base);
    bus.shared.MemGridRow = state.MemGridRow;
    bus.shared.MemGridCol = state.MemGridCol;
    bus.shared.TseRefreshPeriod = state.TseRefreshPeriod;
    bus.shared.TseRefreshCount = state.TseRefreshCount;

    // 6. The event page's own update belongs to that page.

    // 7. Title and Features grid.
    window_.setWindowTitle(QString::fromStdString(WindowTitle(row)));
    fillFeatures(row);

    // 8. Section list; "Not Selected" leaves it as it was. Then the own steps
    // of the pages the part shows, which may use the list.
    if (window_.isPageVisible(QStringLiteral("tsReg"))) fillSectionList(row);
    runPageSteps();

    // 9. Family blocks of the other pages, and the memory transfer state.
    for (const PageSettingsTable* table : tables)
        apply(table->Blocks[block]);
    bus.shared.MemAddrLen = state.MemAddrLen;
    if (state.MemLastLine) bus.shared.MemLastLine = *state.MemLastLine;

    holding_ = false;
    reportHeld();
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
    RtcBus& bus = window_.bus();
    if (!qEnvironmentVariableIsEmpty("KVRX_SIM_PART")) return; // the socket is pinned
    if (bus.BoardNo == 0 || bus.api().SimSetPart == nullptr) return;
    const char* name = bus.partRow() == 0 ? "" : bus.part().PartName;
    bus.api().SimSetPart(bus.BoardNo, name);
}

void PartChoice::apply(SettingList settings)
{
    for (const ControlSetting& setting : settings) {
        const QString name = text(setting.Control);
        const int page = window_.pageIndex(name);
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
    QWidget* widget = window_.findChild<QWidget*>(name);
    if (widget != nullptr) found_.insert(name, widget);
    return widget;
}

bool PartChoice::applyToPage(int index, const ControlSetting& setting)
{
    QTabWidget* tabs = window_.TabFunctions;
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
    window_.recordControlFailure(failure);
}

void PartChoice::fillFeatures(int row)
{
    const ControlSetting grid{"Features", Prop::Items};
    auto* features = qobject_cast<QTableWidget*>(control(QStringLiteral("Features")));
    if (features == nullptr) {
        fail(grid, QStringLiteral("no feature grid of that name"));
        return;
    }
    if (features->rowCount() < kFeatureRows || features->columnCount() < 2) {
        fail(grid, QStringLiteral("fewer than %1 rows or 2 columns").arg(kFeatureRows));
        return;
    }
    const auto rows = FeatureRows(row);
    for (int r = 0; r < kFeatureRows; ++r) {
        const FeatureRow& feature = rows[static_cast<size_t>(r)];
        const QString cells[2] = {QString::fromStdString(feature.Name),
                                  QString::fromStdString(feature.Value)};
        for (int c = 0; c < 2; ++c) {
            QTableWidgetItem* item = features->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                features->setItem(r, c, item);
            }
            item->setText(cells[c]);
        }
    }
}

void PartChoice::fillSectionList(int row)
{
    auto* list = qobject_cast<QComboBox*>(control(QStringLiteral("SectionSel")));
    if (list == nullptr) {
        fail({"SectionSel", Prop::Items}, QStringLiteral("no section list of that name"));
        return;
    }
    QStringList captions;
    for (const MapSection& section : MapSections(PartTable[static_cast<size_t>(row)].RegisterMap))
        captions << text(section.Header->Caption);
    list->clear();
    list->addItems(captions);
    list->setCurrentIndex(0);
}

void PartChoice::runPageSteps()
{
    for (const PageRow& page : Pages()) {
        if (page.Make == nullptr) continue;
        // A page's share of the choice applies whether or not its tab shows.
        const QString name = QLatin1String(page.Name);
        if (auto* step = dynamic_cast<PartChoiceStep*>(window_.page(name))) step->partChosen();
    }
}
