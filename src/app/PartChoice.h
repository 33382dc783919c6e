// The part choice on the window: applies the pages' settings tables
// (control name, property, value) to the controls of those names and runs
// DeviceSelChange's steps in order.
#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
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
    // failure.
    void apply(SettingList settings);

    // The built pages, beyond the Setup page and the tab set, whose base state
    // and family blocks the part choice applies, in page order.
    static std::vector<const PageSettingsTable*> pageTables();

  private:
    QWidget* control(const QString& name);
    bool applyToPage(int index, const ControlSetting& setting);
    bool applyToWidget(QWidget* widget, const ControlSetting& setting);
    void fail(const ControlSetting& setting, const QString& why);

    void fillFeatures(int row);
    void fillSectionList(int row);
    // The own part-choice step of every built page the part shows.
    void runPageSteps();

    TMainApp& window_;
    QHash<QString, QPointer<QWidget>> found_; // name lookups, re-done when a control is gone
};
