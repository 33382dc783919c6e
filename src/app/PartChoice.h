// The part choice on the window: applies the pages' settings tables
// (control name, property, value) to the controls of those names and runs
// DeviceSelChange's steps in order.
#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "PartSelection.h"

class QWidget;
class TMainApp;

class PartChoice {
  public:
    explicit PartChoice(TMainApp& window);

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

    // The built pages, beyond the Setup page and the tab set, whose base state
    // and family blocks the part choice applies, in page order.
    static std::vector<const PageSettingsTable*> pageTables();

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

    void fillFeatures(int row);
    void fillSectionList(int row);
    // The own part-choice step of every built page the part shows.
    void runPageSteps();

    struct Held {
        QPointer<QWidget> widget;
        const char* property;
        QVariant before;
    };

    TMainApp& window_;
    bool holding_ = false; // within DeviceSelChange
    std::vector<Held> held_;
    QHash<QString, QPointer<QWidget>> found_; // name lookups, re-done when a control is gone
};
