// What a page gets from the window: the bus with the register image, the
// status bar, the PC clock and the typed services other pages offer
// (PageLinks.h). Pages never see the main window itself; it lives here,
// beside the pages, so that a page's folder needs nothing from the shell's.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "pages/PageLinks.h"

class PcClock;
class PcSchedule;
class QTimer;
class QWidget;
class RtcBus;

class PageContext {
  public:
    virtual ~PageContext() = default;

    virtual RtcBus& bus() = 0;
    // The PC clock the window reads (pinned by scripts and tests).
    virtual PcClock& pcClock() = 0;
    // Steps run at a moment of that clock, between the polling cycle's ticks
    // (a pinned clock's steps run as a script advances it).
    virtual PcSchedule& schedule() = 0;
    // The services pages offer each other: a page registers what it offers
    // as it is built, and asks for what it uses when it needs it.
    virtual PageLinks& links() = 0;
    // Status bar panels 0 to 3 (hints, connection, running time, messages).
    virtual QString statusPanelText(int panel) const = 0;
    virtual void setStatusPanelText(int panel, const QString& text) = 0;
    // A control of the window frame (or the Setup page's hidden time format)
    // by its name; a name that matches nothing is recorded as a failure and
    // gives null. Another page's services come through links(), not this.
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

// A page with a step of its own in the part choice: run for every built page,
// shown or hidden, in row order, after the base states and before the family
// blocks.
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
