// Board listing and connection, plug and unplug, bus speed and the supply
// switch, against the recording fake adapter.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/BoardConnection.h"
#include "app/setup/SetupPage.h"
#include "app/setup/UsbMonitor.h"
#include "kvrx_usb.h"
#include "support/AppTestSupport.h"
#include "support/RecordingAdapter.h"
#include "support/WindowFixture.h"
#include "widgets/LedIndicator.h"

namespace {

// The calls of the board connection, without the simulated socket's.
std::vector<AdapterCall> boardCalls()
{
    std::vector<AdapterCall> out;
    for (const AdapterCall& call : RecordingAdapter::calls()) {
        switch (call.op) {
        case AdapterOp::GetNumDevices:
        case AdapterOp::GetDeviceID:
        case AdapterOp::Init:
        case AdapterOp::ClockRate:
        case AdapterOp::VccOn:
        case AdapterOp::VccOff:
            out.push_back(call);
            break;
        default:
            break;
        }
    }
    return out;
}

struct Expected {
    AdapterOp op;
    uint32_t board;
    uint32_t value = 0;
};

void expectCalls(const std::vector<Expected>& expected)
{
    const std::vector<AdapterCall> calls = boardCalls();
    ASSERT_EQ(calls.size(), expected.size());
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].op, expected[i].op) << "call " << i;
        EXPECT_EQ(calls[i].board, expected[i].board) << "call " << i;
        EXPECT_EQ(calls[i].value, expected[i].value) << "call " << i;
    }
}

QStringList items(const QComboBox* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

void pick(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// A window built on the fake adapter, so start-up's listing is seen too.
class BoardConnectionTest : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        RecordingAdapter::reset();
    }

    TMainApp& open(bool wide = false)
    {
        return WindowFixture::open(WindowOptions().wide(wide).adapter(&RecordingAdapter::api()));
    }
    SetupPage& page() { return *window().setupPage(); }
    BoardConnection& connection() { return *window().boardConnection(); }
};

// ---- listing ----

struct ListingCase {
    const char* name;
    uint32_t boards;
    size_t failingCall; // 1-based over the listing's calls; 0 = none
    int32_t failure;
    QStringList lines;
    int selected;
    uint32_t boardNo;
};

const ListingCase kListings[] = {
    {"adapter unreachable", 1, 1, KVRX_ERR_NO_ADAPTER, {"RTC Eval not Detected"}, 0, 0},
    {"no boards", 0, 0, 0, {"None"}, 0, 0},
    {"one board", 1, 0, 0, {"None", "USB RTC"}, 1, 1},
    {"two boards", 2, 0, 0, {"None", "USB RTC", "USB RTC"}, 1, 1},
    // The identity query of board 1 fails: the lines keep boards 2 and 3.
    {"first identity fails", 3, 2, KVRX_ERR_NOT_ATTACHED, {"None", "USB RTC", "USB RTC"}, 1, 2},
};

void arrange(const ListingCase& c)
{
    RecordingAdapter::reset();
    RecordingAdapter::setDeviceCount(c.boards);
    if (c.failingCall) RecordingAdapter::failCall(c.failingCall, c.failure);
}

void expectListing(TMainApp& w, const ListingCase& c)
{
    SCOPED_TRACE(c.name);
    const QComboBox* list = w.setupPage()->EvalBoardSel;
    EXPECT_EQ(items(list), c.lines);
    EXPECT_EQ(list->currentIndex(), c.selected);
    EXPECT_EQ(w.bus().BoardNo, c.boardNo);
    const bool open = c.boardNo != 0;
    EXPECT_EQ(w.statusPanelText(1), open ? " USB: Connect" : " USB: Disconnect");
    EXPECT_EQ(w.setupPage()->VccChecked->isEnabled(), open);
    EXPECT_EQ(w.VccSw->isEnabled(), open);
    // Never an adapter call for a board that is not there.
    for (const AdapterCall& call : boardCalls()) {
        if (call.op == AdapterOp::Init) {
            EXPECT_TRUE(open);
            EXPECT_EQ(call.board, c.boardNo);
            EXPECT_EQ(call.value, 400u);
        }
        if (call.op == AdapterOp::VccOn || call.op == AdapterOp::VccOff ||
            call.op == AdapterOp::ClockRate) {
            EXPECT_EQ(call.board, c.boardNo);
        }
    }
}

TEST_F(BoardConnectionTest, StartUpAndRelistingFollowTheAdapter)
{
    for (const ListingCase& c : kListings) {
        arrange(c);
        TMainApp& w = open();
        expectListing(w, c);

        // A plug or unplug relists the same way, through the window's slots.
        for (const char* slot : {"NotifyUSBArrival", "NotifyUSBRemove"}) {
            arrange(c);
            w.bus().BoardNo = 7;
            ASSERT_TRUE(QMetaObject::invokeMethod(&w, slot, Qt::DirectConnection)) << slot;
            expectListing(w, c);
        }
        window_.reset();
    }
}

TEST_F(BoardConnectionTest, LinesCarryTheirBoardNumbers)
{
    arrange(kListings[4]);
    TMainApp& w = open();
    EXPECT_EQ(BoardConnection::boardOfLine(page().EvalBoardSel, 0), 0);
    EXPECT_EQ(BoardConnection::boardOfLine(page().EvalBoardSel, 1), 2);
    EXPECT_EQ(BoardConnection::boardOfLine(page().EvalBoardSel, 2), 3);
    EXPECT_EQ(BoardConnection::boardOfLine(page().EvalBoardSel, 3), 0);
    EXPECT_EQ(BoardConnection::boardOfLine(page().EvalBoardSel, -1), 0);

    RecordingAdapter::reset();
    pick(page().EvalBoardSel, 2);
    EXPECT_EQ(w.bus().BoardNo, 3u);
    expectCalls(
        {{AdapterOp::Init, 3, 400}, {AdapterOp::ClockRate, 3, 100}, {AdapterOp::VccOff, 3}});
}

TEST_F(BoardConnectionTest, AnAbsurdBoardCountIsListedInBoundedTime)
{
    // An adapter that reports every possible board must not hold the window.
    RecordingAdapter::reset();
    RecordingAdapter::setDeviceCount(UINT32_MAX);
    open();
    size_t queries = 0;
    for (const AdapterCall& call : boardCalls())
        if (call.op == AdapterOp::GetDeviceID) ++queries;
    EXPECT_EQ(queries, 127u);
    EXPECT_EQ(page().EvalBoardSel->count(), 128);
    EXPECT_EQ(BoardConnection::boardOfLine(page().EvalBoardSel, 127), 127);
}

// Every board's line reads "USB RTC"; its hint is the adapter's own identity,
// which tells two boards apart.
TEST_F(BoardConnectionTest, EachBoardLineHintsTheAdaptersIdentity)
{
    setenv("KVRX_SIM_BOARDS", "2", 1);
    KVRX_TestRestart();
    TMainApp& w = WindowFixture::open(WindowOptions());
    const QComboBox* list = w.setupPage()->EvalBoardSel;
    ASSERT_EQ(items(list), (QStringList{"None", "USB RTC", "USB RTC"}));
    EXPECT_TRUE(list->itemData(0, Qt::ToolTipRole).toString().isEmpty());
    for (int line : {1, 2}) {
        uint8_t id[256] = {};
        ASSERT_EQ(KVRX_GetDeviceID(static_cast<uint32_t>(line), id), KVRX_OK);
        const QString hint = list->itemData(line, Qt::ToolTipRole).toString();
        EXPECT_EQ(hint, QString::fromUtf8(reinterpret_cast<const char*>(id))) << line;
        EXPECT_TRUE(hint.contains(QStringLiteral("board %1").arg(line))) << hint.toStdString();
    }
    unsetenv("KVRX_SIM_BOARDS");
    KVRX_TestRestart();
}

// ---- connecting ----

TEST_F(BoardConnectionTest, StartUpOpensTheFirstBoardAtTheSavedSpeedWithTheSupplyOff)
{
    struct Case {
        const char* saved;
        bool wide;
        uint32_t khz;
    };
    const Case cases[] = {{"100", false, 100},
                          {"400", false, 599},
                          {"1000", true, 1000},
                          {"10", true, 10},
                          {"400", true, 599}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        store.write(QStringLiteral("BussSpeed=%1\n").arg(QLatin1String(c.saved)));
        RecordingAdapter::reset();
        TMainApp& w = open(c.wide);
        expectCalls({{AdapterOp::GetNumDevices, 0},
                     {AdapterOp::GetDeviceID, 1},
                     {AdapterOp::Init, 1, 400},
                     {AdapterOp::ClockRate, 1, c.khz},
                     {AdapterOp::VccOff, 1}});
        EXPECT_EQ(w.statusPanelText(1), " USB: Connect");
        EXPECT_EQ(w.statusPanelText(3), "USB Connected");
        EXPECT_EQ(w.vccPicture(), 15);
        window_.reset();
    }
}

TEST_F(BoardConnectionTest, OpeningABoardPutsTheChosenPartIntoASimulatedSocket)
{
    store.write(QStringLiteral("Device=VK311\n"));
    TMainApp& w = open();
    ASSERT_EQ(w.bus().BoardNo, 1u);
    std::vector<AdapterOp> ops;
    for (const AdapterCall& call : RecordingAdapter::calls()) {
        if (call.op == AdapterOp::Init || call.op == AdapterOp::SimSetPart) {
            ops.push_back(call.op);
            EXPECT_EQ(call.board, 1u);
        }
    }
    EXPECT_EQ(ops, (std::vector<AdapterOp>{AdapterOp::Init, AdapterOp::SimSetPart}));
}

TEST_F(BoardConnectionTest, ChoosingNoneOrUnpluggingClosesTheBoard)
{
    // Lamps of the Setup page among those closing switches off; the mirrors
    // on other pages come with their pages.
    const char* const lamps[] = {"LedRTCF",   "LedBAT",     "LedALM",  "LedEVT",
                                 "LedAlarm2", "LedOSCfail", "CBSLed2", "CBSLed3"};
    const char* const texts[] = {"RTCtime", "RTCdate", "RTCtemp"};

    enum class Way { PickNone, Unplug };
    for (Way way : {Way::PickNone, Way::Unplug}) {
        SCOPED_TRACE(way == Way::PickNone ? "None" : "unplug");
        RecordingAdapter::reset();
        TMainApp& w = open();
        ASSERT_EQ(w.bus().BoardNo, 1u);
        // The controls that need a board, as the window declares them; every
        // name the page table gives must be a control of its page.
        const QList<QWidget*> board = w.boardControls();
        EXPECT_EQ(w.controlFailures(), QStringList());
        EXPECT_TRUE(board.contains(static_cast<QWidget*>(w.VccSw)));
        EXPECT_TRUE(board.contains(static_cast<QWidget*>(page().VccChecked)));
        for (QWidget* control : board)
            EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
        for (const char* name : lamps) {
            auto* lamp = w.findChild<LedIndicator*>(name);
            ASSERT_NE(lamp, nullptr) << name;
            lamp->setLit(true);
        }
        for (const char* name : texts) {
            auto* text = w.findChild<QLabel*>(name);
            ASSERT_NE(text, nullptr) << name;
            text->setText(QStringLiteral("12:00:00"));
        }
        w.setStatusPanelText(2, QStringLiteral(" Up 0 Day(s) 00:00:09"));

        RecordingAdapter::reset();
        if (way == Way::PickNone) {
            pick(page().EvalBoardSel, 0);
        } else {
            RecordingAdapter::failCall(1, KVRX_ERR_NO_ADAPTER);
            w.NotifyUSBRemove();
            EXPECT_EQ(items(page().EvalBoardSel), QStringList{"RTC Eval not Detected"});
        }

        EXPECT_EQ(w.bus().BoardNo, 0u);
        EXPECT_EQ(w.statusPanelText(1), " USB: Disconnect");
        EXPECT_EQ(w.statusPanelText(2), "");
        EXPECT_EQ(w.statusPanelText(3), "");
        for (const char* name : lamps)
            EXPECT_FALSE(w.findChild<LedIndicator*>(name)->isLit()) << name;
        for (const char* name : texts)
            EXPECT_EQ(w.findChild<QLabel*>(name)->text(), "") << name;
        for (QWidget* control : board)
            EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
        const std::vector<AdapterCall> calls = boardCalls();
        ASSERT_FALSE(calls.empty());
        for (const AdapterCall& call : calls)
            EXPECT_NE(call.op, AdapterOp::Init);
        EXPECT_EQ(calls.back().op, AdapterOp::VccOff);
        EXPECT_EQ(calls.back().board, 0u);

        // Plugging back in opens the first board again.
        RecordingAdapter::reset();
        w.NotifyUSBArrival();
        EXPECT_EQ(w.bus().BoardNo, 1u);
        for (QWidget* control : board)
            EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
        window_.reset();
    }
}

// ---- bus speed ----

TEST_F(BoardConnectionTest, BusSpeedChoiceSendsTheEntrysSpeedWith599ForFastMode)
{
    struct Case {
        bool wide;
        const char* entry;
        uint32_t khz;
    };
    const Case cases[] = {{false, "100", 100},
                          {false, "400", 599},
                          {true, "1000", 1000},
                          {true, "400", 599},
                          {true, "30", 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        TMainApp& w = open(c.wide);
        RecordingAdapter::reset();
        pick(page().BussSpeedSel, page().BussSpeedSel->findText(QLatin1String(c.entry)));
        expectCalls({{AdapterOp::ClockRate, 1, c.khz}});
        EXPECT_EQ(recordedBoxCount(w), 0u);
        window_.reset();
    }
}

TEST_F(BoardConnectionTest, BusSpeedFailureShowsABoxForTheUserAndAStatusTextOnConnect)
{
    TMainApp& w = open();
    RecordingAdapter::reset();
    RecordingAdapter::failCall(1, KVRX_ERR_DATA_NACK);
    pick(page().BussSpeedSel, 1);
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(takeRecordedBox(w), "Communication error Occured\rFake result 5");

    // Connecting runs the same step without a sender: the status bar shows it.
    static AdapterApi clockFails = RecordingAdapter::api();
    clockFails.ClockRate = [](uint32_t, uint16_t) -> int32_t { return KVRX_ERR_DATA_NACK; };
    w.bus().setApi(clockFails);
    w.NotifyUSBArrival();
    EXPECT_EQ(w.bus().BoardNo, 1u);
    EXPECT_EQ(recordedBoxCount(w), 0u);
    EXPECT_EQ(w.statusPanelText(3), " Fake result 5");
}

TEST_F(BoardConnectionTest, BusSpeedListTakesOnlyDigitsAndBackspace)
{
    open();
    int beeps = 0;
    connection().setBeep([&beeps] { ++beeps; });
    struct Case {
        Qt::Key key;
        const char* text;
        bool dropped;
    };
    const Case cases[] = {
        {Qt::Key_4, "4", false},    {Qt::Key_0, "0", false},      {Qt::Key_Backspace, "\b", false},
        {Qt::Key_A, "a", true},     {Qt::Key_Period, ".", true},  {Qt::Key_Minus, "-", true},
        {Qt::Key_Space, " ", true}, {Qt::Key_Return, "\r", true}, {Qt::Key_Down, "", false},
        {Qt::Key_Tab, "\t", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        beeps = 0;
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, QLatin1String(c.text));
        EXPECT_EQ(connection().BussSpeedSelKeyPress(&press), c.dropped);
        EXPECT_EQ(beeps, c.dropped ? 1 : 0);
    }

    // Through the list itself: a dropped key changes nothing, a digit picks
    // the entry it starts.
    RecordingAdapter::reset();
    page().BussSpeedSel->setCurrentIndex(0);
    beeps = 0;
    QTest::keyClick(page().BussSpeedSel, Qt::Key_X);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(page().BussSpeedSel->currentText(), "100");
    EXPECT_TRUE(boardCalls().empty());
    QTest::keyClick(page().BussSpeedSel, Qt::Key_4);
    EXPECT_EQ(page().BussSpeedSel->currentText(), "400");
    expectCalls({{AdapterOp::ClockRate, 1, 599}});
}

// ---- supply ----

TEST_F(BoardConnectionTest, SupplyFollowsTheCheckBoxAndTheToolButton)
{
    TMainApp& w = open();
    ASSERT_TRUE(w.VccSw->isEnabled());

    RecordingAdapter::reset();
    page().VccChecked->click();
    EXPECT_EQ(w.vccPicture(), 16);
    expectCalls({{AdapterOp::VccOn, 1}});

    // The tool button also sets the box, whose own handler switches again.
    RecordingAdapter::reset();
    w.VccSw->click();
    EXPECT_EQ(w.vccPicture(), 15);
    EXPECT_FALSE(page().VccChecked->isChecked());
    EXPECT_FALSE(w.VccSw->isChecked());
    expectCalls({{AdapterOp::VccOff, 1}, {AdapterOp::VccOff, 1}});

    RecordingAdapter::reset();
    w.VccSw->click();
    EXPECT_EQ(w.vccPicture(), 16);
    EXPECT_TRUE(page().VccChecked->isChecked());
    EXPECT_TRUE(w.VccSw->isChecked());
    expectCalls({{AdapterOp::VccOn, 1}, {AdapterOp::VccOn, 1}});

    // A relisting keeps the supply as the box says.
    RecordingAdapter::reset();
    w.NotifyUSBArrival();
    EXPECT_EQ(boardCalls().back().op, AdapterOp::VccOn);
    EXPECT_EQ(w.vccPicture(), 16);
}

// A bridge without a supply switch whose driver fixes the clock (i2c-dev): the
// status bar says so, and no click opens a box.
TEST_F(BoardConnectionTest, ASupplyOrClockTheBridgeLacksIsShownInTheStatusBarOnly)
{
    TMainApp& w = open();
    static AdapterApi bridge = RecordingAdapter::api();
    bridge.VccOn = [](uint32_t) -> int32_t { return KVRX_ERR_NOT_SUPPORTED; };
    bridge.VccOff = [](uint32_t) -> int32_t { return KVRX_ERR_NOT_SUPPORTED; };
    bridge.ClockRate = [](uint32_t board, uint16_t) -> int32_t {
        return board != 0 ? KVRX_NOTE_CLOCK_FIXED : 0;
    };
    w.bus().setApi(bridge);
    const QString noSupply = " RTC Vcc Switch: Fake result 7";

    w.NotifyUSBArrival();
    ASSERT_EQ(w.bus().BoardNo, 1u);
    EXPECT_EQ(w.statusPanelText(3), noSupply);
    page().VccChecked->click();
    w.VccSw->click();
    w.VccSw->click();
    EXPECT_TRUE(page().VccChecked->isChecked());
    EXPECT_EQ(w.vccPicture(), 16);
    EXPECT_EQ(w.statusPanelText(3), noSupply);

    pick(page().BussSpeedSel, 1);
    EXPECT_EQ(w.statusPanelText(3), " Fake result 128");
    EXPECT_EQ(recordedBoxCount(w), 0u);

    // No board, nothing to switch: the status bar is left empty.
    pick(page().EvalBoardSel, 0);
    EXPECT_EQ(w.bus().BoardNo, 0u);
    EXPECT_EQ(w.statusPanelText(3), "");
    EXPECT_EQ(recordedBoxCount(w), 0u);
}

TEST_F(BoardConnectionTest, ScriptWindowsTakeNoNotificationsFromTheSystem)
{
    TMainApp& w = open();
    EXPECT_FALSE(connection().notificationsActive());
    EXPECT_EQ(w.findChild<UsbMonitor*>(), nullptr);
}

// A user's window listens to the system's plug notifications (udev where it is
// there; without it the monitor stays silent) and relists on each of them. It
// is not a script window, so the fixture's watchdog guards it.
TEST_F(BoardConnectionTest, SystemPlugNotificationsRelistTheBoards)
{
    TMainApp& w = WindowFixture::open(
        WindowOptions().adapter(&RecordingAdapter::api()).stopTimer().userWindow());
    UsbMonitor* monitor = w.findChild<UsbMonitor*>();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(connection().notificationsActive(), monitor->isActive());
    ASSERT_EQ(w.bus().BoardNo, 1u);

    // Unplugged: the adapter lists no board, so the window closes its board.
    arrange(kListings[1]);
    emit monitor->removed();
    expectListing(w, kListings[1]);

    // Plugged in again: the first board is opened.
    arrange(kListings[2]);
    emit monitor->arrived();
    expectListing(w, kListings[2]);
    EXPECT_EQ(boardCalls().front().op, AdapterOp::GetNumDevices);
    EXPECT_EQ(boardCalls().back().op, AdapterOp::VccOff);
}

} // namespace
