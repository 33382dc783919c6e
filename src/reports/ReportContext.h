// What the register dump file and the printed report get from the window:
// the bus with the register image, the PC clock and its display format, the
// status bar, the dialogs' parent and folder, the graph's samples and chart
// and the register rows (PageLinks), and the two steps a loaded file takes:
// stopping the polling cycle and choosing the file's part. TMainApp
// implements it.
#pragma once

#include <QString>

class PcClock;
class QWidget;
class RtcBus;
struct PageLinks;

class ReportContext {
  public:
    virtual ~ReportContext() = default;

    virtual RtcBus& bus() = 0;
    virtual PcClock& pcClock() = 0;
    // The PC display's time format: the Setup page's hidden choice.
    virtual bool pcTime24() const = 0;
    virtual void setStatusPanelText(int panel, const QString& text) = 0;
    // True when a script drives the window: no dialog may wait for a click.
    virtual bool scriptMode() const = 0;
    virtual QWidget* dialogParent() = 0;
    // Initial folder of the open and save dialogs ("FileDir" at start-up).
    virtual QString fileDialogFolder() const = 0;
    virtual PageLinks& links() = 0;

    // Reading a file: the polling cycle stops (PollingEnable off), and the
    // file's part is chosen as if the user had picked that row of the list.
    virtual void stopPolling() = 0;
    virtual void choosePart(int partRow) = 0;
};
