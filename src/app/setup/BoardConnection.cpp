#include "app/setup/BoardConnection.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QToolButton>
#include <QVariant>
#include <algorithm>
#include <array>

#include "app/PageTable.h"
#include "app/polling/PollLogic.h"
#include "app/setup/SetupPage.h"
#include "app/setup/UsbMonitor.h"
#include "bus/RtcBus.h"
#include "widgets/Controls.h"

namespace {

const QString kNoAdapter = QStringLiteral("RTC Eval not Detected");
const QString kNoBoard = QStringLiteral("None");
const QString kBoardLine = QStringLiteral("USB RTC");

constexpr int kBoardRole = Qt::UserRole;
constexpr uint32_t kInitParam = 400;
constexpr int kIdBufferSize = 256;
constexpr uint32_t kMaxBoards = 127;

// Pictures of the supply switch.
constexpr int kSupplyOff = 15;
constexpr int kSupplyOn = 16;

// Display texts emptied when the board is closed.
constexpr std::array<const char*, 3> kDisconnectTexts{"RTCtime", "RTCdate", "RTCtemp"};

} // namespace

BoardConnection::BoardConnection(ConnectionContext& context, QObject* parent)
    : QObject(parent), context_(context), beep_([] { QApplication::beep(); })
{
    setObjectName(QStringLiteral("Notify"));
    SetupPage* page = &context_.setup();
    connect(page->EvalBoardSel, &QComboBox::activated, this, &BoardConnection::EvalBoardSelChange);
    connect(page->BussSpeedSel, &QComboBox::activated, this,
            [this, page] { BussSpeedSelChange(page->BussSpeedSel); });
    page->BussSpeedSel->installEventFilter(this);
    // Program-set states run the handler as a click does.
    connect(page->VccChecked, &QAbstractButton::toggled, this, &BoardConnection::VccCheckedClick);
    connect(context_.supplySwitch(), &QToolButton::clicked, this, &BoardConnection::VccSwClick);

    if (!context_.scriptMode()) {
        monitor_ = new UsbMonitor(this);
        connect(monitor_, &UsbMonitor::arrived, this, &BoardConnection::NotifyUSBArrival);
        connect(monitor_, &UsbMonitor::removed, this, &BoardConnection::NotifyUSBRemove);
    }
}

BoardConnection::~BoardConnection() = default;

bool BoardConnection::notificationsActive() const
{
    return monitor_ && monitor_->isActive();
}

bool BoardConnection::ListBoards(QComboBox* list)
{
    const AdapterApi& api = context_.bus().api();
    uint32_t count = 0;
    const int32_t result = api.GetNumDevices(&count);
    list->clear();
    if (!Succeeded(result)) {
        list->addItem(kNoAdapter, 0);
        return false;
    }
    list->addItem(kNoBoard, 0);
    // A confused adapter may report any count; a bench never holds more boards
    // than this, and the window must not spin through billions of queries.
    count = std::min(count, kMaxBoards);
    for (uint32_t board = 1; board <= count; ++board) {
        uint8_t idBuffer[kIdBufferSize] = {};
        // A board that does not identify itself gets no line, and the lines
        // after it keep their own board numbers.
        if (!Succeeded(api.GetDeviceID(board, idBuffer))) continue;
        list->addItem(kBoardLine, static_cast<int>(board));
        // Every board's line reads the same; the adapter's own identity (the
        // bridge and its bus) tells them apart in the line's hint.
        idBuffer[kIdBufferSize - 1] = 0;
        list->setItemData(list->count() - 1,
                          QString::fromUtf8(reinterpret_cast<const char*>(idBuffer)),
                          Qt::ToolTipRole);
    }
    return true;
}

int BoardConnection::boardOfLine(const QComboBox* list, int line)
{
    if (line < 0 || line >= list->count()) return 0;
    return list->itemData(line, kBoardRole).toInt();
}

void BoardConnection::ConnectBoard(int board)
{
    RtcBus& bus = context_.bus();
    const bool open = board > 0;
    bus.BoardNo = open ? static_cast<uint32_t>(board) : 0;
    if (open) {
        context_.setStatusPanelText(1, QLatin1String(kUsbConnectText));
        context_.setStatusPanelText(3, QStringLiteral("USB Connected"));
        bus.api().Init(bus.BoardNo, kInitParam); // result not looked at
        // A simulated board's socket holds the chosen part.
        context_.syncSimulatedSocket();
    } else {
        context_.setStatusPanelText(1, QLatin1String(kUsbDisconnectText));
        context_.setStatusPanelText(3, QString());
        context_.setStatusPanelText(2, QString());
        for (const char* name : kDisconnectTexts) {
            if (QWidget* text = context_.control(QLatin1String(name)))
                text->setProperty("text", QString());
        }
        for (const PageRow& row : context_.pages()) {
            for (const StatusLamp& held : row.Lamps) {
                if ((held.Off & OffWhenClosed) == 0) continue;
                if (QObject* lamp = context_.lamp(held.Name)) lamp->setProperty("lit", false);
            }
        }
    }

    for (QWidget* control : context_.boardControls())
        control->setEnabled(open);

    // The chosen speed reaches the new board; a failure goes to the status bar.
    BussSpeedSelChange(nullptr);
    context_.boardChanged();
}

void BoardConnection::connectFirstBoard()
{
    QComboBox* list = context_.setup().EvalBoardSel;
    const bool listed = ListBoards(list);
    // With no board listed there is nothing at line 1: stay on "None".
    list->setCurrentIndex(listed && list->count() > 1 ? 1 : 0);
    ConnectBoard(boardOfLine(list, list->currentIndex()));
}

void BoardConnection::relist()
{
    connectFirstBoard();
    VccCheckedClick();
}

void BoardConnection::NotifyUSBArrival()
{
    relist();
}

void BoardConnection::NotifyUSBRemove()
{
    relist();
}

void BoardConnection::EvalBoardSelChange()
{
    const QComboBox* list = context_.setup().EvalBoardSel;
    ConnectBoard(boardOfLine(list, list->currentIndex()));
    VccCheckedClick();
}

void BoardConnection::BussSpeedSelChange(QObject* sender)
{
    RtcBus& bus = context_.bus();
    const QComboBox* list = context_.setup().BussSpeedSel;
    const uint16_t khz = BusSpeedKhz(list->currentText().toStdString());
    const int32_t result = bus.api().ClockRate(bus.BoardNo, khz);
    bus.ReportResult(controlId(sender), controlId(list), result);
    // A note (a bridge whose driver fixes the clock) is no failure, but the
    // user should know the speed did not change.
    if (result != 0 && Succeeded(result)) {
        const char* text = bus.api().ResultStr(result);
        context_.setStatusPanelText(3, QStringLiteral(" ") +
                                           QString::fromUtf8(text != nullptr ? text : ""));
    }
}

bool BoardConnection::BussSpeedSelKeyPress(const QKeyEvent* key)
{
    const QString text = key->text();
    // Keys that type nothing (arrows, function keys) and focus moves are not typing.
    if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    if (key->key() == Qt::Key_Backspace) return false;
    if (text.size() == 1 && text[0] >= u'0' && text[0] <= u'9') return false;
    beep_();
    return true;
}

bool BoardConnection::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched == context_.setup().BussSpeedSel)
        return BussSpeedSelKeyPress(static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

void BoardConnection::VccCheckedClick()
{
    RtcBus& bus = context_.bus();
    if (context_.setup().VccChecked->isChecked()) {
        context_.setVccPicture(kSupplyOn);
        showSupplyResult(bus.api().VccOn(bus.BoardNo));
    } else {
        context_.setVccPicture(kSupplyOff);
        showSupplyResult(bus.api().VccOff(bus.BoardNo));
    }
}

// A bridge without a supply switch says so in the status bar, not in a box at
// every click; with no board open there is nothing to switch.
void BoardConnection::showSupplyResult(int32_t result)
{
    RtcBus& bus = context_.bus();
    if (bus.BoardNo == 0 || Succeeded(result)) return;
    const char* text = bus.api().ResultStr(result);
    context_.setStatusPanelText(3, QStringLiteral(" RTC Vcc Switch: ") +
                                       QString::fromUtf8(text != nullptr ? text : ""));
}

void BoardConnection::VccSwClick()
{
    RtcBus& bus = context_.bus();
    // Checking the box runs its own handler too, so the supply call is repeated.
    if (context_.vccPicture() == kSupplyOff) {
        context_.setVccPicture(kSupplyOn);
        context_.setup().VccChecked->setChecked(true);
        showSupplyResult(bus.api().VccOn(bus.BoardNo));
    } else {
        context_.setVccPicture(kSupplyOff);
        context_.setup().VccChecked->setChecked(false);
        showSupplyResult(bus.api().VccOff(bus.BoardNo));
    }
}
