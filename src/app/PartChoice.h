// The part choice on the window: shows and hides the tabs as the page
// table's rows say, applies the pages' settings tables (control name,
// property, value) to the controls of those names and runs the pages' own
// steps, in DeviceSelChange's order.
#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <span>
#include <vector>

#include "PartSelection.h"

class QTabWidget;
class QWidget;
class RtcBus;
struct PageRow;
struct PartInfo;

// What the part choice gets from the window. TMainApp implements it.
class PartChoiceContext {
  public:
    virtual ~PartChoiceContext() = default;

    virtual RtcBus& bus() = 0;
    // The row of the part list (DeviceSel) the choice is for.
    virtual int chosenPartRow() const = 0;
    // The page table and the tab set that holds its pages.
    virtual std::span<const PageRow> pages() const = 0;
    virtual QTabWidget* tabs() = 0;
    // The widget whose children the settings name (the window).
    virtual QWidget* controlRoot() = 0;
    virtual void recordControlFailure(const QString& failure) = 0;
    virtual void showTitle(const QString& title) = 0;
    // The supply switch and its check box work only with a part and a board.
    virtual void setSupplySwitchable(bool switchable) = 0;
};

class PartChoice {
  public:
    explicit PartChoice(PartChoiceContext& context);

    // The part choice for the part list's current row.
    void DeviceSelChange();

    // Puts the chosen part into the simulated board's socket of the open board
    // ("" for "Not Selected"). Nothing happens without an open board or when
    // KVRX_SIM_PART pins the socket; real adapters refuse the call, which is
    // no error here.
    void syncSimulatedSocket();

    // Applies the settings in order. A setting that names no control, or a
    // property the control cannot take, is recorded as the window's control
    // failure. Within DeviceSelChange a control whose change runs a handler
    // (a radio group's selection, a lamp) is set quietly; see reportHeld().
    void apply(SettingList settings);

    // The built pages whose base state and family blocks the part choice
    // applies, in page order.
    static std::vector<const PageSettingsTable*> pageTables(std::span<const PageRow> rows);

  private:
    QWidget* control(const QString& name);
    bool applyToPage(int index, const ControlSetting& setting);
    bool applyToWidget(QWidget* widget, const ControlSetting& setting);
    void fail(const ControlSetting& setting, const QString& why);

    // Sets a property whose change runs a handler. Outside a part choice the
    // handler runs at once; within one the change is held and the state the
    // control had before the choice kept for reportHeld().
    void setHandled(QWidget* widget, const char* property, const QVariant& value);
    // Ends a part choice: each held control whose state now differs from the
    // one before the choice reports that change once. An intermediate state
    // (the base state's "12-Hour" before a 24-hour-only part's "24-Hour")
    // never reaches a handler, nor through it the chip.
    void reportHeld();

    int pageIndex(const QString& name) const;
    // The tabs the page table's rows decide: the family pages hidden first,
    // then each page the part's row shows or hides.
    void showPages(int row);
    // The own part-choice step of every built page, shown or hidden.
    void runPageSteps();
    // The built pages' lamps' hints: the register and bit each shows for the
    // part (BitHints.h), after any designed hint of the lamp.
    void showLampHints(const PartInfo& part);

    struct Held {
        QPointer<QWidget> widget;
        const char* property;
        QVariant before;
    };

    PartChoiceContext& context_;
    bool holding_ = false; // within DeviceSelChange
    std::vector<Held> held_;
    QHash<QString, QPointer<QWidget>> found_; // name lookups, re-done when a control is gone
};
