// What a page gets from the window: the bus with the register image and the
// shared page state, the status bar, the PC clock and the other pages. Pages
// never see the main window itself.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class GraphData;
class PcClock;
class QTimer;
class QWidget;
class RtcBus;

class PageContext {
  public:
    virtual ~PageContext() = default;

    virtual RtcBus& bus() = 0;
    // The PC clock the window reads (pinned by scripts and tests).
    virtual PcClock& pcClock() = 0;
    // The graph's points, which the polling cycle appends to.
    virtual GraphData* graphData() const = 0;
    // Status bar panels 0 to 3 (hints, connection, running time, messages).
    virtual QString statusPanelText(int panel) const = 0;
    virtual void setStatusPanelText(int panel, const QString& text) = 0;
    // A tab page by objectName (tsSetup, tsSetTime, tsReg, ...); null when
    // there is none.
    virtual QWidget* page(const QString& name) const = 0;
    // A control of another page or of the window frame by its name; a name
    // that matches nothing is recorded as a failure and gives null.
    virtual QWidget* control(const QString& name) = 0;
    // The polling timer (Timer1), for handlers that must not be split by a tick.
    virtual QTimer* pollTimer() = 0;
    // Parent of the page's dialogs.
    virtual QWidget* dialogParent() = 0;
    // True when a script drives the window: no dialog may wait for a click.
    virtual bool scriptMode() const = 0;
    // The write-enable step before a write of a part that needs one; sender
    // as ReportResult takes it; returns the step's result, which a write must
    // not go past when it failed. The register page does it with its own
    // unlock button and tries label once it has handed in its unlocker.
    virtual int32_t unlockPart(const void* sender) = 0;
    virtual void setUnlocker(std::function<int32_t(const void* sender)> unlocker) = 0;
    // unlockPart as a WriteSequence runs it.
    std::function<int32_t(const void* sender)> unlocker()
    {
        return [this](const void* sender) { return unlockPart(sender); };
    }
};

// A page with a step of its own in the part choice: run for each built page
// the chosen part shows, after the section list is filled and before the
// family blocks.
class PartChoiceStep {
  public:
    virtual ~PartChoiceStep() = default;
    virtual void partChosen() = 0;
};

// A page with a step of its own in the polling cycle: run once a PC second,
// after the cycle's own work and the poll's duration are shown, whether or
// not the board answered.
class PollStep {
  public:
    virtual ~PollStep() = default;
    virtual void polled() = 0;
};
