// The polling timer's work: once per PC second it shows the PC time, checks
// the board, lights the status lamps from the chip's flags, shows the chip's
// time and, every sixth second, the temperature, the deviation and one graph
// point per series; then the poll's duration and the pages' own steps (the
// Interrupt page's TSE refresh). The lamps and their bits come from the page
// table's rows.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <ctime>
#include <optional>

#include "app/polling/PollLogic.h"

class DisplayPanel;
class PollingContext;
class QDateTime;
class QWidget;

class PollingCycle : public QObject {
    Q_OBJECT
  public:
    PollingCycle(PollingContext& context, DisplayPanel& panel, QObject* parent = nullptr);

    // One tick of Timer1: the timer is off while the tick runs, and the work
    // is done only in the first tick of a new PC second.
    void tick();

    // LastSecond, the PC second of the last tick that did the work.
    const PollClock& clock() const { return clock_; }

  private:
    void work(const QDateTime& now);
    void showPcTime(const std::tm& pc);
    void pollChip(const std::tm& pc, uint32_t runSeconds);
    std::optional<double> readTemperature();
    // The PollStep of every built page.
    void runPageSteps();

    void setLamp(const char* name, bool on);
    // Status panel 3's advice about the chip's time fields: put there when it
    // changes, taken away when no longer due and still shown, so a page's own
    // text in panel 3 is not overwritten each second.
    void showAdvice(const QString& advice);
    QWidget* statusLabel(const char* name);

    PollingContext& context_;
    DisplayPanel& panel_;
    PollClock clock_;
    QString advice_; // the advice last put into panel 3
    // The status labels, found once: a search of the window each second is
    // most of a tick's cost.
    QHash<const char*, QPointer<QWidget>> labels_;
};
