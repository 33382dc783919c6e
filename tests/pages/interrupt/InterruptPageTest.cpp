// The Interrupt page on the real window over the recording fake adapter: the
// bytes each button sends, what a read shows, how failures and refused boxes
// are reported, and what the part choice makes of the page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/interrupt/InterruptPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/LedIndicator.h"

namespace {

class InterruptPageTest : public PageFixture {
  protected:
    InterruptPage& page() { return pageOn<InterruptPage>("tsInterrupt"); }
};

// ---- frequency out: Write ----

struct WriteCase {
    const char* part;
    uint8_t reg;
    uint8_t before;
    int index;
    bool fobatb;
    bool a1e;
    uint8_t written;
};

const WriteCase kWrites[] = {
    {"VK310", 0x08, 0xC0, 15, true, false, 0xDF},  // 1/32 Hz, FOBATB
    {"VK331", 0x08, 0xFF, 0, false, false, 0xE0},  // "0Hz"
    {"VK350", 0x08, 0x00, 10, false, false, 0x0A}, // 1 Hz
    {"VK370", 0x0D, 0xE0, 4, true, false, 0xF4},   // 50/60 Hz, FOBATB
    {"VK390", 0x08, 0xEC, 2, false, false, 0xEE},  // 512 Hz, IRQ enables kept
    {"VK380", 0x0E, 0x1C, 1, true, false, 0x0C},   // 4096 Hz, no FOBATB bit
    {"VK381", 0x08, 0x18, 4, false, true, 0x1D},   // alarm 1 with A1E
    {"VK381", 0x08, 0x1D, 0, false, true, 0x00},   // then 1 Hz
    {"VK360", 0x11, 0xE7, 2, false, false, 0xF7},  // 4096 Hz, two-byte address
};

TEST_F(InterruptPageTest, WriteSendsTheFamilysByteToItsRegister)
{
    openWith("VK310");
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(std::string(c.part) + " entry " + std::to_string(c.index));
        choose(c.part);
        const bool typeE = std::string(c.part) == "VK360";
        const uint8_t subLen = typeE ? 2 : 1;
        RecordingAdapter::setRegisters(rtc(), c.reg, {c.before});
        pick(page().FreqOutSel, c.index);
        page().cbFOBATB->setChecked(c.fobatb);
        page().ChkBA1E->setChecked(c.a1e);
        page().BtnWrInt->click();

        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        ASSERT_EQ(t.size(), typeE ? 5u : 2u);
        expectTransfer(t.front(), AdapterOp::Read, c.reg, 1, subLen);
        expectTransfer(t.back(), AdapterOp::Write, c.reg, 1, subLen);
        EXPECT_EQ(t.back().data, std::vector<uint8_t>{c.written});
        if (typeE) {
            // The write-enable sequence goes first, or the part drops the byte.
            expectTransfer(t[2], AdapterOp::Write, 0x3F, 1, 2);
            expectTransfer(t[3], AdapterOp::Write, 0x3F, 1, 2);
            EXPECT_EQ(t[2].data, std::vector<uint8_t>{0x02});
            EXPECT_EQ(t[3].data, std::vector<uint8_t>{0x06});
        }
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(InterruptPageTest, WriteFailuresAreReportedAndAFailedReadWritesNothing)
{
    openWith("VK310");
    RecordingAdapter::setRegisters(rtc(), 0x08, {0xC0});

    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnWrInt->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
    EXPECT_EQ(RecordingAdapter::registerAt(rtc(), 0x08), 0xC0);

    // The write's own failure is reported too: the chip did not take the choice.
    RecordingAdapter::reset();
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnWrInt->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 2u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    // TypeE: the last write fails after the write-enable sequence.
    choose("VK360");
    RecordingAdapter::failCall(5, KVRX_ERR_DATA_NACK);
    page().BtnWrInt->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 5u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

// ---- frequency out: Read ----

struct ReadCase {
    const char* part;
    uint8_t reg;
    uint8_t value;
    int index;
    bool fobatb; // cbFOBATB after the read (unchanged where the family has no FOBATB)
    bool a1eChecked;
    bool a1eEnabled;
};

const ReadCase kReads[] = {
    {"VK310", 0x08, 0xDF, 15, true, false, false}, {"VK390", 0x08, 0x13, 3, true, false, false},
    {"VK370", 0x0D, 0x05, 5, false, false, false}, {"VK380", 0x0E, 0x10, 2, false, false, false},
    {"VK381", 0x08, 0x1D, 4, false, true, true},  // IRQE: the alarm entry, A1E usable
    {"VK381", 0x08, 0x19, 3, false, true, false}, // no IRQE: A1E checked but not usable
};

TEST_F(InterruptPageTest, ReadShowsTheChipsChoice)
{
    openWith("VK310");
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(std::string(c.part) + " " + std::to_string(c.value));
        choose(c.part);
        RecordingAdapter::setRegisters(rtc(), c.reg, {c.value});
        page().cbFOBATB->setChecked(false);
        page().ChkBA1E->setChecked(!c.a1eChecked);
        page().ChkBA1E->setEnabled(!c.a1eEnabled);
        page().BtnRdInt->click();

        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        ASSERT_EQ(t.size(), 1u);
        expectTransfer(t[0], AdapterOp::Read, c.reg, 1);
        EXPECT_EQ(page().FreqOutSel->currentIndex(), c.index);
        EXPECT_EQ(page().cbFOBATB->isChecked(), c.fobatb);
        if (std::string(c.part) == "VK381") {
            EXPECT_EQ(page().ChkBA1E->isChecked(), c.a1eChecked);
            EXPECT_EQ(page().ChkBA1E->isEnabled(), c.a1eEnabled);
        }
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(InterruptPageTest, ReadOfATypeEPartKeepsOnlyTheFrequencyBitsInTheImage)
{
    openWith("VK360");
    RecordingAdapter::setRegisters(rtc(), 0x11, {0xFF});
    page().BtnRdInt->click();
    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 1u);
    expectTransfer(t[0], AdapterOp::Read, 0x11, 1, 2);
    EXPECT_EQ(page().FreqOutSel->currentIndex(), 3);
    EXPECT_EQ(page().FreqOutSel->currentText(), QStringLiteral("1 Hz"));
    EXPECT_EQ(window().bus().data.Regs[0x11], 0x18);
}

TEST_F(InterruptPageTest, AFailedReadLeavesThePageAsItWas)
{
    openWith("VK390");
    RecordingAdapter::setRegisters(rtc(), 0x08, {0x13});
    RecordingAdapter::failSlave(rtc(), KVRX_ERR_ADDR_NACK);
    page().BtnRdInt->click();
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
    EXPECT_EQ(page().FreqOutSel->currentIndex(), 0);
    EXPECT_FALSE(page().cbFOBATB->isChecked());
}

TEST_F(InterruptPageTest, TheAlarmEntryAloneMakesA1eUsable)
{
    openWith("VK381");
    EXPECT_FALSE(page().ChkBA1E->isEnabled());
    pick(page().FreqOutSel, 4);
    EXPECT_TRUE(page().ChkBA1E->isEnabled());
    pick(page().FreqOutSel, 1);
    EXPECT_FALSE(page().ChkBA1E->isEnabled());
    // Entry 4 of any family's list does it, though only TypeH shows the box.
    choose("VK310");
    pick(page().FreqOutSel, 4);
    EXPECT_TRUE(page().ChkBA1E->isEnabled());
    EXPECT_TRUE(page().ChkBA1E->isHidden());
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

// ---- part choice ----

struct ChoiceCase {
    const char* part;
    const char* group;
    const char* label;
    int items;
    const char* first;
    const char* last;
    int selected;
    int fobatb; // cbFOBATB shown (1) or hidden (0); -1 where the page is hidden and
                // the family leaves the box as it was
    bool a1e;   // ChkBA1E and Label99
    bool timer;
};

constexpr const char* kBaseGroup = "Frequency Out (FO) or Alarm on IRQ pin";
constexpr const char* kBaseLabel = "Frequency (FO) or Alarm1 Select";

const ChoiceCase kChoices[] = {
    {"VK310", kBaseGroup, kBaseLabel, 16, "0Hz (EN IRQ#)", "1/32 Hz", 0, 1, false, false},
    {"VK331", "Frequency Out on Interrupt Pin", "Frequency Out (FO)", 16, "0Hz", "1/32 Hz", 0, 1,
     false, false},
    {"VK330", kBaseGroup, kBaseLabel, 16, "0Hz (EN IRQ#)", "1/32 Hz", 0, 1, false, false},
    {"VK352", kBaseGroup, kBaseLabel, 16, "0Hz (EN IRQ#)", "1/32 Hz", 0, 1, false, false},
    {"VK364", "Frequency out (FO) or Alarm IRQ# Select", "Frequency (FO) or Alarm Select", 4,
     "0 Hz (EN IRQ#)", "1 Hz", 0, 0, false, false},
    {"VK370", kBaseGroup, kBaseLabel, 8, "32768 Hz", "High", 0, 1, false, false},
    {"VK380", kBaseGroup, kBaseLabel, 4, "1 Hz", "32768 Hz", 3, 0, false, false},
    {"VK381", kBaseGroup, kBaseLabel, 5, "1 Hz", "Alarm1 (Set IRQE)", 3, 0, true, false},
    {"VK390", kBaseGroup, kBaseLabel, 4, "32768 Hz", "1 Hz", 0, 1, false, true},
    {"VK340", kBaseGroup, kBaseLabel, 0, nullptr, nullptr, -1, -1, false, false},
    {"VK382", kBaseGroup, kBaseLabel, 0, nullptr, nullptr, -1, 0, false, false},
};

void expectChoice(InterruptPage& p, const ChoiceCase& c)
{
    SCOPED_TRACE(c.part);
    EXPECT_EQ(p.GroupBox10->title(), QLatin1String(c.group));
    EXPECT_EQ(p.Label25->text(), QLatin1String(c.label));
    ASSERT_EQ(p.FreqOutSel->count(), c.items);
    if (c.items > 0) {
        EXPECT_EQ(p.FreqOutSel->itemText(0), QLatin1String(c.first));
        EXPECT_EQ(p.FreqOutSel->itemText(c.items - 1), QLatin1String(c.last));
    }
    EXPECT_EQ(p.FreqOutSel->currentIndex(), c.selected);
    if (c.fobatb >= 0) {
        EXPECT_EQ(!p.cbFOBATB->isHidden(), c.fobatb == 1);
    }
    EXPECT_EQ(!p.ChkBA1E->isHidden(), c.a1e);
    EXPECT_EQ(!p.Label99->isHidden(), c.a1e);
    EXPECT_EQ(p.ChkBA1E->text(), QLatin1String(c.a1e ? "Enable Alarm1 INTR Output (Set A1E)"
                                                     : "A1E Alarm / IRQ Enable"));
    EXPECT_EQ(!p.GrpBoxTimer->isHidden(), c.timer);
    // The timer lists are loaded for every part, without a selection.
    EXPECT_EQ(p.cboTimerFreq->count(), 4);
    EXPECT_EQ(p.cboTimerFreq->itemText(0), QStringLiteral("100Hz/4kHz"));
    EXPECT_EQ(p.cboTmrMode->itemText(3), QStringLiteral("Power Fail - Count Up"));
    EXPECT_EQ(p.cboTimerFreq->currentIndex(), -1);
    EXPECT_EQ(p.cboTmrMode->currentIndex(), -1);
}

TEST_F(InterruptPageTest, EachPartChoiceShapesThePageAndLeavesNothingBehind)
{
    openWith("VK310");
    // Forward, then backward: nothing one part sets may linger into the next.
    for (const ChoiceCase& c : kChoices) {
        choose(c.part);
        expectChoice(page(), c);
    }
    for (auto it = std::rbegin(kChoices); it != std::rend(kChoices); ++it) {
        choose(it->part);
        expectChoice(page(), *it);
    }
    EXPECT_EQ(window().controlFailures(), QStringList());
}

TEST_F(InterruptPageTest, ButtonsNeedAnOpenBoard)
{
    store.write(QStringLiteral("Device=VK390\n"));
    RecordingAdapter::reset();
    RecordingAdapter::setDeviceCount(0);
    WindowFixture::open(WindowOptions().adapter(&RecordingAdapter::api()).stopTimer());
    for (QPushButton* b : {page().BtnRdInt, page().BtnWrInt, page().BtnReadTimer,
                           page().BtnWriteTimer, page().bntClearTimer})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    openWith("VK390");
    for (QPushButton* b : {page().BtnRdInt, page().BtnWrInt, page().BtnReadTimer,
                           page().BtnWriteTimer, page().bntClearTimer})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
}

// ---- VK390 timer: Read ----

TEST_F(InterruptPageTest, TimerReadShowsTheSetUpAndTheThreeRegisters)
{
    openWith("VK390");
    EXPECT_EQ(page().Label90->text(), QStringLiteral("Undefined, click to change"));
    EXPECT_EQ(page().Label91->text(), QStringLiteral("UnDefined, click to change"));
    EXPECT_EQ(page().chkbTimerTIM->text(), QStringLiteral("Single Event, click to change"));

    // INT: IRQ1E; TMRC 0xD1: periodic, enabled, secondary alarm, 1Sec/100Hz.
    RecordingAdapter::setRegisters(rtc(), 0x08, {0x04, 0xD1, 0x00});
    RecordingAdapter::setRegisters(rtc(), 0x12, {0x3C, 0x2A, 0x05});
    page().BtnReadTimer->click();

    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 4u);
    expectTransfer(t[0], AdapterOp::Read, 0x08, 3);
    expectTransfer(t[1], AdapterOp::Read, 0x12, 1);
    expectTransfer(t[2], AdapterOp::Read, 0x13, 1);
    expectTransfer(t[3], AdapterOp::Read, 0x14, 1);
    EXPECT_TRUE(page().cbTimerEnable->isChecked());
    EXPECT_TRUE(page().chkbTimerTIM->isChecked());
    EXPECT_EQ(page().chkbTimerTIM->text(), QStringLiteral("Periodic Event, click to switch"));
    EXPECT_TRUE(page().chkIRQ1E->isChecked());
    EXPECT_EQ(page().Label90->text(), QStringLiteral("Alarm IRQ, click to switch"));
    // Unchanged, yet its text follows the read too.
    EXPECT_FALSE(page().chkIRQ2E->isChecked());
    EXPECT_EQ(page().Label91->text(), QStringLiteral("Alarm IRQ, click to switch"));
    EXPECT_EQ(page().cboTimerFreq->currentText(), QStringLiteral("1Sec/100Hz"));
    EXPECT_EQ(page().cboTmrMode->currentText(), QStringLiteral("Secondary Alarm"));
    EXPECT_EQ(page().tedTimerInitial->text(), QStringLiteral("3C"));
    EXPECT_EQ(page().tedCntReg->text(), QStringLiteral("2A"));
    EXPECT_EQ(page().tedTmrSub->text(), QStringLiteral("05"));
    EXPECT_EQ(page().Label92->text(), QString());
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    // Watchdog on the 100Hz/4kHz clock, single events.
    RecordingAdapter::setRegisters(rtc(), 0x08, {0x08, 0x20, 0x00});
    page().BtnReadTimer->click();
    EXPECT_FALSE(page().chkbTimerTIM->isChecked());
    EXPECT_EQ(page().chkbTimerTIM->text(), QStringLiteral("Single Event, click to switch"));
    EXPECT_EQ(page().Label90->text(), QStringLiteral("FOUT, click to switch"));
    EXPECT_EQ(page().Label91->text(), QStringLiteral("Timer IRQ, click to switch"));
    EXPECT_EQ(page().Label92->text(), QStringLiteral("WatchDog TCLK = 00 Error"));
}

// Each of Timer Read's transfers failing in turn: the failure is reported,
// and what the failed read would have set stays as it was. The message line
// speaks of the lists, but it keeps its text with the boxes when the initial
// value cannot be read.
struct TimerReadFailure {
    size_t failing; // call number of the failing transfer
    int32_t code;
    bool modesRead; // the mode controls show the chip's set-up
    const char* initial;
    const char* counter;
    const char* sub;
    const char* message;
};

constexpr const char* kWatchdogMessage = "Watchdog TCLK = 00 Error";

const TimerReadFailure kTimerReadFailures[] = {
    {1, KVRX_ERR_ADDR_NACK, false, "01", "01", "01", kWatchdogMessage},
    {2, KVRX_ERR_DATA_NACK, true, "01", "01", "01", kWatchdogMessage}, // 0x12
    {3, KVRX_ERR_DATA_NACK, true, "3C", "01", "01", ""},               // 0x13
    {4, KVRX_ERR_ADDR_NACK, true, "3C", "2A", "01", ""},               // 0x14
};

TEST_F(InterruptPageTest, TimerReadFailuresStopAndLeaveWhatWasNotRead)
{
    openWith("VK390");
    for (const TimerReadFailure& c : kTimerReadFailures) {
        SCOPED_TRACE(c.failing);
        choose("VK390");
        // The page as a user left it: watchdog on the 100Hz/4kHz clock, which
        // the message line warns about, and the boxes at their first value.
        page().cbTimerEnable->setChecked(false);
        pick(page().cboTimerFreq, 0);
        pick(page().cboTmrMode, 2);
        ASSERT_EQ(page().Label92->text(), QLatin1String(kWatchdogMessage));
        for (QLineEdit* b : {page().tedTimerInitial, page().tedCntReg, page().tedTmrSub})
            b->setText(QStringLiteral("01"));
        // The chip: enabled, periodic, secondary alarm on 1Sec/100Hz, which
        // would empty the message line.
        RecordingAdapter::reset();
        RecordingAdapter::setRegisters(rtc(), 0x08, {0x04, 0xD1, 0x00});
        RecordingAdapter::setRegisters(rtc(), 0x12, {0x3C, 0x2A, 0x05});
        RecordingAdapter::failCall(c.failing, c.code);
        page().BtnReadTimer->click();

        EXPECT_EQ(RecordingAdapter::transfers().size(), c.failing);
        EXPECT_EQ(box(), failureBox(c.code));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        EXPECT_EQ(page().cbTimerEnable->isChecked(), c.modesRead);
        EXPECT_EQ(page().cboTmrMode->currentIndex(), c.modesRead ? 1 : 2);
        EXPECT_EQ(page().cboTimerFreq->currentIndex(), c.modesRead ? 1 : 0);
        EXPECT_EQ(page().tedTimerInitial->text(), QLatin1String(c.initial));
        EXPECT_EQ(page().tedCntReg->text(), QLatin1String(c.counter));
        EXPECT_EQ(page().tedTmrSub->text(), QLatin1String(c.sub));
        EXPECT_EQ(page().Label92->text(), QLatin1String(c.message));
    }
}

// ---- VK390 timer: Write ----

void setUpTimer(InterruptPage& p, const char* initial, const char* sub)
{
    p.chkIRQ1E->setChecked(false);
    p.chkIRQ2E->setChecked(true);
    p.cbTimerEnable->setChecked(true);
    p.chkbTimerTIM->setChecked(true);
    p.cboTimerFreq->setCurrentIndex(3);
    p.cboTmrMode->setCurrentIndex(3);
    p.tedTimerInitial->setText(QLatin1String(initial));
    p.tedTmrSub->setText(QLatin1String(sub));
}

TEST_F(InterruptPageTest, TimerWriteSendsControlThenInitialValueThenSubCount)
{
    openWith("VK390");
    RecordingAdapter::setRegisters(rtc(), 0x08, {0x03, 0x0C});
    setUpTimer(page(), "3c", "7");
    page().BtnWriteTimer->click();

    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 4u);
    expectTransfer(t[0], AdapterOp::Read, 0x08, 2);
    expectTransfer(t[1], AdapterOp::Write, 0x08, 2);
    EXPECT_EQ(t[1].data, (std::vector<uint8_t>{0x0B, 0xFF}));
    expectTransfer(t[2], AdapterOp::Write, 0x12, 1);
    EXPECT_EQ(t[2].data, std::vector<uint8_t>{0x3C});
    expectTransfer(t[3], AdapterOp::Write, 0x14, 1);
    EXPECT_EQ(t[3].data, std::vector<uint8_t>{0x07});
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(InterruptPageTest, TimerWriteRefusesABadBoxOrListBeforeAnyTransfer)
{
    openWith("VK390");
    const struct {
        const char* initial;
        const char* sub;
        const char* status;
    } cases[] = {
        {"3g", "01",
         " Initial Reg. Counter \"3g\" is not one or two hexadecimal digits (00 to FF); "
         "nothing "
         "was written"},
        {"", "01", nullptr},
        {"01", "100",
         " Sub Count Reg. \"100\" is not one or two hexadecimal digits (00 to FF); nothing was "
         "written"},
        {"01", " 1", nullptr},
        {"3c", "0x", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.initial) + " / " + c.sub);
        RecordingAdapter::reset();
        window().setStatusPanelText(3, QString());
        setUpTimer(page(), c.initial, c.sub);
        page().BtnWriteTimer->click();
        EXPECT_TRUE(RecordingAdapter::transfers().empty());
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        if (c.status) {
            EXPECT_EQ(window().statusPanelText(3), QLatin1String(c.status));
        } else {
            EXPECT_TRUE(
                window().statusPanelText(3).contains(QStringLiteral("nothing was written")));
        }
    }

    // Lists without a selection, as the part choice leaves them.
    RecordingAdapter::reset();
    choose("VK390");
    page().tedTimerInitial->setText(QStringLiteral("10"));
    page().tedTmrSub->setText(QStringLiteral("10"));
    page().BtnWriteTimer->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
    EXPECT_EQ(window().statusPanelText(3),
              QStringLiteral(" Choose the timer clock and mode first; nothing was written"));
}

TEST_F(InterruptPageTest, TimerWriteFailuresStopTheWriteAndAreReported)
{
    openWith("VK390");
    const struct {
        size_t failing; // call number of the failing transfer
        int32_t code;
    } cases[] = {{1, KVRX_ERR_ADDR_NACK},
                 {2, KVRX_ERR_DATA_NACK},
                 {3, KVRX_ERR_DATA_NACK},
                 {4, KVRX_ERR_DATA_NACK}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        RecordingAdapter::reset();
        RecordingAdapter::setRegisters(rtc(), 0x08, {0x03, 0x0C});
        setUpTimer(page(), "3c", "7");
        RecordingAdapter::failCall(c.failing, c.code);
        page().BtnWriteTimer->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), c.failing);
        EXPECT_EQ(box(), failureBox(c.code));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

// ---- VK390 timer: Clear TMR ----

TEST_F(InterruptPageTest, ClearTmrClearsTheTimerFlagAloneAndReportsFailures)
{
    openWith("VK390");
    RecordingAdapter::setRegisters(rtc(), 0x07, {0x9F});
    page().CBSLed11->setLit(true);
    page().bntClearTimer->click();
    std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    expectTransfer(t[0], AdapterOp::Read, 0x07, 1);
    expectTransfer(t[1], AdapterOp::Write, 0x07, 1);
    EXPECT_EQ(t[1].data, std::vector<uint8_t>{0x97});
    EXPECT_FALSE(page().CBSLed11->isLit());
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    for (const size_t failing : {1u, 2u}) {
        SCOPED_TRACE(failing);
        RecordingAdapter::reset();
        page().CBSLed11->setLit(true);
        RecordingAdapter::failCall(failing, KVRX_ERR_ADDR_NACK);
        page().bntClearTimer->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), failing);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
        EXPECT_TRUE(page().CBSLed11->isLit());
    }
}

// ---- VK390 timer: texts and the clock-source check ----

TEST_F(InterruptPageTest, TextsFollowClicksAndTheClockCheckFollowsTheLists)
{
    openWith("VK390");
    page().chkIRQ1E->click();
    EXPECT_EQ(page().Label90->text(), QStringLiteral("Alarm IRQ, click to switch"));
    page().chkIRQ1E->click();
    EXPECT_EQ(page().Label90->text(), QStringLiteral("FOUT, click to switch"));
    page().chkIRQ2E->click();
    EXPECT_EQ(page().Label91->text(), QStringLiteral("Timer IRQ, click to switch"));
    page().chkbTimerTIM->click();
    EXPECT_EQ(page().chkbTimerTIM->text(), QStringLiteral("Periodic Event, click to switch"));
    page().chkbTimerTIM->click();
    EXPECT_EQ(page().chkbTimerTIM->text(), QStringLiteral("Single Event, click to switch)"));

    pick(page().cboTimerFreq, 0);
    EXPECT_EQ(page().Label92->text(), QString());
    pick(page().cboTmrMode, 2);
    EXPECT_EQ(page().Label92->text(), QStringLiteral("Watchdog TCLK = 00 Error"));
    pick(page().cboTimerFreq, 0);
    EXPECT_EQ(page().Label92->text(), QStringLiteral("WatchDog TCLK = 00 Error"));
    pick(page().cboTmrMode, 3);
    EXPECT_EQ(page().Label92->text(), QStringLiteral("Power Fail TCLK = 00 Error"));
    pick(page().cboTimerFreq, 1);
    EXPECT_EQ(page().Label92->text(), QString());
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

TEST_F(InterruptPageTest, TimerButtonsActForTheTimerPartOnly)
{
    openWith("VK310");
    setUpTimer(page(), "10", "10");
    for (QPushButton* b : {page().BtnReadTimer, page().BtnWriteTimer, page().bntClearTimer})
        b->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

} // namespace
