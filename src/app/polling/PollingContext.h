// What the polling cycle gets from the window: the bus, the PC clock, the
// status bar, the page table's lamps and labels, the pages' own poll steps
// and the graph's samples. TMainApp implements it; tests may put another
// behind the cycle.
#pragma once

#include <QString>
#include <span>

class PcClock;
class QObject;
class QTimer;
class QWidget;
class RtcBus;
struct PageLinks;
struct PageRow;

class PollingContext {
  public:
    virtual ~PollingContext() = default;

    virtual RtcBus& bus() = 0;
    virtual PcClock& pcClock() = 0;
    // Timer1: off while a tick runs.
    virtual QTimer* pollTimer() = 0;
    virtual void setStatusPanelText(int panel, const QString& text) = 0;
    virtual QString statusPanelText(int panel) const = 0;
    // Whether the chip's supply is switched on (VccChecked).
    virtual bool supplyOn() const = 0;
    // The PC display's time format: the Setup page's hidden choice, which
    // follows the Set Clock page's.
    virtual bool pcTime24() const = 0;
    // The page table: the lamps to light and the labels to grey, and the
    // built pages whose PollStep runs once a second.
    virtual std::span<const PageRow> pages() const = 0;
    virtual QWidget* page(const QString& name) const = 0;
    // The lamp of that name on its page; null while its page is not built.
    virtual QObject* lamp(const char* name) = 0;
    // A control by name; a name that matches nothing is recorded, null.
    virtual QWidget* control(const QString& name) = 0;
    // The graph's samples, where a page offers them.
    virtual PageLinks& links() = 0;
};
