// The daylight saving page on the window, against the recording fake adapter:
// the bytes Read and Write move for both families, what the lists show in the
// clock's two hour forms, lists without a selection, how failures are
// reported, what a part choice does to the page, and the lamp's link to the
// event page's time-stamp read.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/dst/DstPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/LedIndicator.h"

namespace {

// What a list shows; "(none)" without a selection.
std::string shown(const QComboBox* list)
{
    return list->currentIndex() < 0 ? "(none)" : list->currentText().toStdString();
}

struct Family {
    const char* part;
    uint8_t block;
};
const Family kFamilies[] = {{"VK350", 0x20}, {"VK352", 0x20}, {"VK370", 0x15}};

class DstPageTest : public PageFixture {
  protected:
    DstPage& page() { return pageOn<DstPage>("tsDST"); }

    // Forward: "Mar", week "2", "(0) Sun", "--", "02 MIL", week mode; reverse:
    // "Nov", week "1", "(0) Sun", "--", "02 MIL", week mode; DST enabled.
    void chooseUsRules()
    {
        DstPage& p = page();
        pick(p.cboDSTFMonth, "Mar");
        pick(p.cboWKForward, "2");
        pick(p.cboDSTFDWA, "(0) Sun");
        pick(p.cboDSTFDATE, "--");
        pick(p.cboDSTFHours, "02 MIL");
        p.chkDSTDOWFOR->setChecked(true);
        pick(p.cboDSTRMonth, "Nov");
        pick(p.cboWeekReverse, "1");
        pick(p.cboDSTRDWA, "(0) Sun");
        pick(p.cboDSTRDATE, "--");
        pick(p.cboDSTRHours, "02 MIL");
        p.chkDSTDOWREV->setChecked(true);
        p.chkDSTENABLE->setChecked(true);
    }

    std::vector<std::string> forwardShown()
    {
        DstPage& p = page();
        return {shown(p.cboDSTFMonth), shown(p.cboWKForward), shown(p.cboDSTFDWA),
                shown(p.cboDSTFDATE), shown(p.cboDSTFHours)};
    }
    std::vector<std::string> reverseShown()
    {
        DstPage& p = page();
        return {shown(p.cboDSTRMonth), shown(p.cboWeekReverse), shown(p.cboDSTRDWA),
                shown(p.cboDSTRDATE), shown(p.cboDSTRHours)};
    }

    static std::string hex(uint8_t v)
    {
        char text[4];
        std::snprintf(text, sizeof text, "%02X", v);
        return text;
    }
};

using Shown = std::vector<std::string>;

// ---- Write ----

TEST_F(DstPageTest, WriteReadsTheBlockThenSendsAllEightBytes)
{
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.part);
        TMainApp& w = openWith(f.part);
        RecordingAdapter::setRegisters(rtc(), f.block,
                                       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        chooseUsRules();
        page().BtnWriteDSTF->click();
        const std::string b = hex(f.block);
        EXPECT_EQ(transferTrace(), "R" + b + "/8; W" + b + " 83 50 00 02 11 48 00 02");
        expectAddressing();
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

TEST_F(DstPageTest, WriteSendsTheChipsOwnFieldsForListsWithoutASelection)
{
    openWith("VK350");
    // Week 7 (the last week), a date that is no BCD and hour 24 have no entry.
    RecordingAdapter::setRegisters(rtc(), 0x20, {0x92, 0x7B, 0x1A, 0xE4, 0x10, 0x78, 0x31, 0x02});
    RecordingAdapter::setRegisters(rtc(), 0x02, {0x80});
    page().BtnReadDSTF->click();
    EXPECT_EQ(forwardShown(), (Shown{"Dec", "(none)", "(3) Wed", "(none)", "(none)"}));
    EXPECT_EQ(reverseShown(), (Shown{"Oct", "(none)", "(0) Sun", "31", "02 MIL"}));
    RecordingAdapter::reset();

    // The chip changed since: the lists without a selection send what it
    // holds now; the others send their entries.
    RecordingAdapter::setRegisters(rtc(), 0x20, {0x91, 0x7C, 0x0B, 0xE5, 0x10, 0x70, 0x31, 0x02});
    pick(page().cboDSTRHours, "03 MIL");
    page().BtnWriteDSTF->click();
    EXPECT_EQ(transferTrace(), "R20/8; W20 92 7B 0B 25 10 70 31 03");
}

TEST_F(DstPageTest, TheLastHourDashesSendTheChipsHourByte)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x15, {0x00, 0x00, 0x00, 0xD2, 0x00, 0x00, 0x00, 0x05});
    page().cboDSTFHours->setCurrentIndex(49);
    page().cboDSTRHours->setCurrentIndex(0);
    page().BtnWriteDSTF->click();
    EXPECT_EQ(transferTrace(), "R15/8; W15 00 00 00 52 00 00 00 00");
}

TEST_F(DstPageTest, WriteFailuresAreReportedAndAFailedReadWritesNothing)
{
    struct Case {
        size_t failing; // the transfer that fails, counted from 1
        const char* trace;
    };
    const Case cases[] = {
        {1, "R20/8!"},
        {2, "R20/8; W20 83 50 00 02 11 48 00 02!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        TMainApp& w = openWith("VK354");
        chooseUsRules();
        RecordingAdapter::failCall(c.failing, KVRX_ERR_DATA_NACK);
        page().BtnWriteDSTF->click();
        EXPECT_EQ(transferTrace(), c.trace);
        ASSERT_EQ(recordedBoxCount(w), 1u);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    }
}

// ---- Read ----

TEST_F(DstPageTest, ReadShowsTheBlockWithTheHoursInTheClocksForm)
{
    struct Case {
        const char* part;
        uint8_t block;
        uint8_t clockHour;
        Shown forward, reverse;
    };
    const Case cases[] = {
        {"VK350", 0x20, 0x82, Shown{"Mar", "2", "(0) Sun", "--", "02 MIL"},
         Shown{"Nov", "1", "(0) Sun", "--", "12 MIL"}},
        {"VK350", 0x20, 0x02, Shown{"Mar", "2", "(0) Sun", "--", "02 AM"},
         Shown{"Nov", "1", "(0) Sun", "--", "12 AM"}},
        {"VK370", 0x15, 0x93, Shown{"Mar", "2", "(0) Sun", "--", "02 MIL"},
         Shown{"Nov", "1", "(0) Sun", "--", "12 MIL"}},
        {"VK370", 0x15, 0x11, Shown{"Mar", "2", "(0) Sun", "--", "02 AM"},
         Shown{"Nov", "1", "(0) Sun", "--", "12 AM"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + " clock hour " + hex(c.clockHour));
        TMainApp& w = openWith(c.part);
        RecordingAdapter::setRegisters(rtc(), c.block,
                                       {0x83, 0x50, 0x00, 0x02, 0x11, 0x48, 0x00, 0x12});
        RecordingAdapter::setRegisters(rtc(), 0x02, {c.clockHour});
        page().BtnReadDSTF->click();
        EXPECT_EQ(transferTrace(), "R" + hex(c.block) + "/8; R02/1");
        EXPECT_EQ(forwardShown(), c.forward);
        EXPECT_EQ(reverseShown(), c.reverse);
        EXPECT_TRUE(page().chkDSTENABLE->isChecked());
        EXPECT_TRUE(page().chkDSTDOWFOR->isChecked());
        EXPECT_TRUE(page().chkDSTDOWREV->isChecked());
        EXPECT_EQ(recordedBoxCount(w), 0u);
        // The image holds the block as read.
        EXPECT_EQ(w.bus().data.Regs[c.block], 0x83);
        EXPECT_EQ(w.bus().data.Regs[c.block + 7], 0x12);
    }
}

TEST_F(DstPageTest, HalfPastTwelveIsNoonInTwelveHourFormAndNoHourInTwentyFour)
{
    openWith("VK350");
    RecordingAdapter::setRegisters(rtc(), 0x20, {0x03, 0x10, 0x14, 0x32, 0x11, 0x08, 0x03, 0x32});
    RecordingAdapter::setRegisters(rtc(), 0x02, {0x12});
    page().BtnReadDSTF->click();
    EXPECT_EQ(forwardShown(), (Shown{"Mar", "2", "(0) Sun", "14", "12 PM"}));
    EXPECT_EQ(reverseShown(), (Shown{"Nov", "1", "(0) Sun", "03", "12 PM"}));
    EXPECT_FALSE(page().chkDSTENABLE->isChecked());
    EXPECT_FALSE(page().chkDSTDOWFOR->isChecked());
    EXPECT_FALSE(page().chkDSTDOWREV->isChecked());

    RecordingAdapter::setRegisters(rtc(), 0x02, {0x92});
    page().BtnReadDSTF->click();
    EXPECT_EQ(shown(page().cboDSTFHours), "(none)");
    EXPECT_EQ(shown(page().cboDSTRHours), "(none)");
}

TEST_F(DstPageTest, AFailedReadShowsDashesAsForwardHourAndReportsIt)
{
    TMainApp& w = openWith("VK350");
    chooseUsRules();
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnReadDSTF->click();
    EXPECT_EQ(transferTrace(), "R20/8!");
    EXPECT_EQ(page().cboDSTFHours->currentIndex(), 0);
    EXPECT_EQ(forwardShown(), (Shown{"Mar", "2", "(0) Sun", "--", "----"}));
    EXPECT_EQ(reverseShown(), (Shown{"Nov", "1", "(0) Sun", "--", "02 MIL"}));
    EXPECT_TRUE(page().chkDSTENABLE->isChecked());
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
}

TEST_F(DstPageTest, WithoutTheClocksHourFormTheHoursReadIn24HourFormAndTheFailureIsReported)
{
    TMainApp& w = openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x15, {0x83, 0x50, 0x00, 0x02, 0x11, 0x48, 0x00, 0x21});
    RecordingAdapter::setRegisters(rtc(), 0x02, {0x02}); // 12-hour form, not learned
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnReadDSTF->click();
    EXPECT_EQ(transferTrace(), "R15/8; R02/1!");
    EXPECT_EQ(shown(page().cboDSTFHours), "02 MIL");
    EXPECT_EQ(shown(page().cboDSTRHours), "21 MIL");
    EXPECT_EQ(shown(page().cboDSTFMonth), "Mar");
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
}

TEST_F(DstPageTest, WhatReadShowsWritesBackUnchanged)
{
    openWith("VK352");
    const std::vector<uint8_t> block = {0x84, 0x48, 0x00, 0x21, 0x10, 0x01, 0x27, 0x11};
    RecordingAdapter::setRegisters(rtc(), 0x20, block);
    RecordingAdapter::setRegisters(rtc(), 0x02, {0x05});
    page().BtnReadDSTF->click();
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x20, block);
    page().BtnWriteDSTF->click();
    EXPECT_EQ(transferTrace(), "R20/8; W20 84 48 00 21 10 01 27 11");
}

// ---- the part choice ----

TEST_F(DstPageTest, TheFamiliesNameTheFieldsAfterTheirRegistersAndShowTheWeekLists)
{
    openWith("VK310");
    EXPECT_FALSE(window().isPageVisible(QStringLiteral("tsDST")));
    EXPECT_EQ(page().Label63->text(), "Month (MOA)");
    EXPECT_EQ(page().chkDSTDOWFOR->text(), "Day of Week Enable");
    EXPECT_TRUE(page().cboWKForward->isHidden());
    EXPECT_TRUE(page().Label81->isHidden());

    for (const char* part : {"VK350", "VK354", "VK370"}) {
        SCOPED_TRACE(part);
        choose(part);
        DstPage& p = page();
        EXPECT_TRUE(window().isPageVisible(QStringLiteral("tsDST")));
        const std::vector<std::pair<QWidget*, const char*>> captions = {
            {p.Label63, "Month (DMF)"},
            {p.Label69, "Month (DMR)"},
            {p.Label64, "Day of Week (DDWF)"},
            {p.Label70, "Day of Week (DDWR)"},
            {p.Label62, "Date (DDTF)"},
            {p.Label68, "Date (DDTR)"},
            {p.Label61, "Hours (DHF)"},
            {p.Label67, "Hours (DHR)"},
            {p.chkDSTDOWFOR, "Select Week/Day of Week vs. Date"},
            {p.chkDSTDOWREV, "Select Week/Day of Week vs. Date"},
            {p.Label80, "Week "},
            {p.Label81, "Week"},
        };
        for (const auto& [control, caption] : captions) {
            EXPECT_EQ(control->property("text").toString().toStdString(), caption)
                << control->objectName().toStdString();
            EXPECT_FALSE(control->isHidden()) << control->objectName().toStdString();
        }
        for (QComboBox* week : {p.cboWKForward, p.cboWeekReverse}) {
            EXPECT_FALSE(week->isHidden());
            ASSERT_EQ(week->count(), 6);
            EXPECT_EQ(week->itemText(0), "0");
            EXPECT_EQ(week->itemText(5), "5");
            EXPECT_EQ(week->currentIndex(), 0);
        }
    }
    EXPECT_TRUE(window().controlFailures().empty());
}

TEST_F(DstPageTest, TheButtonsWorkOnlyWithAnOpenBoard)
{
    TMainApp& w = openWith("VK350");
    EXPECT_TRUE(page().BtnReadDSTF->isEnabled());
    EXPECT_TRUE(page().BtnWriteDSTF->isEnabled());
    // The board list's "None" closes the board.
    QComboBox* boards = w.setupPage()->EvalBoardSel;
    const int none = boards->findText(QStringLiteral("None"), Qt::MatchExactly);
    ASSERT_GE(none, 0);
    boards->setCurrentIndex(none);
    emit boards->activated(none);
    EXPECT_FALSE(page().BtnReadDSTF->isEnabled());
    EXPECT_FALSE(page().BtnWriteDSTF->isEnabled());
}

// ---- the lamp ----

// Stands in for the event page's time stamps: counts the reads.
class EventStampsStandIn : public EventStamps {
  public:
    int reads = 0;
    const void* sender = &reads;
    void readStamps(const void* from) override
    {
        ++reads;
        sender = from;
    }
};

TEST_F(DstPageTest, TheLampLightingReadsTheEventPagesTimeStamps)
{
    TMainApp& w = openWith("VK370");
    // The event page offers its stamps; a stand-in takes its place.
    EventStamps* own = w.links().eventStamps;
    ASSERT_NE(own, nullptr);
    EventStampsStandIn events;
    w.links().eventStamps = &events;

    page().CBSLedDSTCHNG->setLit(true);
    EXPECT_EQ(events.reads, 1);
    // Not the user's click: a failure of the read lands in the status bar.
    EXPECT_EQ(events.sender, nullptr);
    page().CBSLedDSTCHNG->setLit(true);
    page().CBSLedDSTCHNG->setLit(false);
    EXPECT_EQ(events.reads, 1);
    page().CBSLedDSTCHNG->setLit(true);
    EXPECT_EQ(events.reads, 2);

    // Without an event page nothing is read.
    w.links().eventStamps = nullptr;
    page().CBSLedDSTCHNG->setLit(false);
    page().CBSLedDSTCHNG->setLit(true);
    EXPECT_EQ(events.reads, 2);
    w.links().eventStamps = own;
}

} // namespace
