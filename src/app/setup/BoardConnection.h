// Finding and opening evaluation boards, following plug and unplug, the bus
// speed and the chip supply.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>

class QComboBox;
class QKeyEvent;
class QToolButton;
class QWidget;
class RtcBus;
class SetupPage;
class UsbMonitor;
struct PageRow;

// What the board connection gets from the window: the bus, the Setup page's
// lists and supply check box, the tool bar's supply switch and its picture,
// the status bar, the lamps and board controls of the page table. TMainApp
// implements it.
class ConnectionContext {
  public:
    virtual ~ConnectionContext() = default;

    virtual RtcBus& bus() = 0;
    virtual SetupPage& setup() = 0;
    // VccSw and its picture: 15 = supply off, 16 = supply on.
    virtual QToolButton* supplySwitch() = 0;
    virtual int vccPicture() const = 0;
    virtual void setVccPicture(int picture) = 0;
    // True when a script drives the window: it delivers its own plug
    // notifications.
    virtual bool scriptMode() const = 0;
    virtual void setStatusPanelText(int panel, const QString& text) = 0;
    // Puts the chosen part into the simulated board's socket.
    virtual void syncSimulatedSocket() = 0;
    // A control by name; a name that matches nothing is recorded, null.
    virtual QWidget* control(const QString& name) = 0;
    // The page table, whose lamps closing switches off.
    virtual std::span<const PageRow> pages() const = 0;
    virtual QObject* lamp(const char* name) = 0;
    // The controls that work only with an open board.
    virtual QList<QWidget*> boardControls() = 0;
    // A board was opened or closed, after its controls follow it.
    virtual void boardChanged() {}
};

class BoardConnection : public QObject {
    Q_OBJECT
  public:
    // Connects the Setup page's board list, bus-speed list and supply check
    // box and the tool bar's supply switch. Plug notifications come from udev
    // unless the window runs a script, which delivers its own.
    explicit BoardConnection(ConnectionContext& context, QObject* parent = nullptr);
    ~BoardConnection() override;

    // Fills list with the boards the adapter reports: "None" first, then one
    // "USB RTC" line per board that answers its identity query, each line
    // carrying its board number. When the adapter cannot be reached the list
    // holds only "RTC Eval not Detected" and the result is false.
    bool ListBoards(QComboBox* list);

    // The board number carried by a line of the board list; 0 for "None",
    // "RTC Eval not Detected" and no line at all.
    static int boardOfLine(const QComboBox* list, int line);

    // 0 closes (texts emptied, lamps off, board buttons disabled), any other
    // number opens that board.
    void ConnectBoard(int board);

    // Start-up's listing: list the boards, pick the first one when there is
    // one, else "None", and connect to it.
    void connectFirstBoard();

    // Drops keys other than digits and backspace; settable so tests can hear it.
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    bool notificationsActive() const;

  public slots:
    void NotifyUSBArrival();
    void NotifyUSBRemove();
    void EvalBoardSelChange();
    // sender null: run as a step (a failure lands in the status bar).
    void BussSpeedSelChange(QObject* sender);
    void VccSwClick();
    void VccCheckedClick();

    // Key filter of the bus-speed list: true when the key is dropped.
    bool BussSpeedSelKeyPress(const QKeyEvent* key);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void relist();
    void showSupplyResult(int32_t result);

    ConnectionContext& context_;
    UsbMonitor* monitor_ = nullptr;
    std::function<void()> beep_;
};
