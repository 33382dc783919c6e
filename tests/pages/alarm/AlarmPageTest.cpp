// The Alarm page on the window, against the recording fake adapter: the bytes
// Write, Read, Clear and the IRQ usage buttons move for each family, what the
// lists and boxes show after a read, how failures are reported, the IM mirror,
// the date / day-of-week rule, and what a part choice does to the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/alarm/AlarmPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/LedIndicator.h"

namespace {

// Hour list indices.
constexpr int kMil(int hour)
{
    return hour + 1;
}
constexpr int kPm(int hour)
{
    return hour == 12 ? 37 : 37 + hour;
}
constexpr int kAm(int hour)
{
    return hour == 12 ? 25 : 25 + hour;
}

class AlarmPageTest : public PageFixture {
  protected:
    AlarmPage& page() { return pageOn<AlarmPage>("tsAlarm"); }

    void setFields(const std::array<QComboBox*, 6>& lists, const std::array<int, 6>& indices)
    {
        for (size_t i = 0; i < lists.size(); ++i)
            lists[i]->setCurrentIndex(indices[i]);
    }
    std::array<QComboBox*, 6> first()
    {
        AlarmPage& p = page();
        return {p.aSeconds, p.aMinutes, p.aHours, p.aDay, p.aMonth, p.aWeek};
    }
    std::array<QComboBox*, 6> second()
    {
        AlarmPage& p = page();
        return {p.aSeconds0, p.aMinutes0, p.aHours0, p.aDay0, p.aMonth0, p.aWeek0};
    }
    static std::array<int, 6> shown(const std::array<QComboBox*, 6>& lists)
    {
        std::array<int, 6> indices{};
        for (size_t i = 0; i < lists.size(); ++i)
            indices[i] = lists[i]->currentIndex();
        return indices;
    }
};

using Fields = std::array<int, 6>;

// ---- Write ----

struct WriteCase {
    const char* part;
    uint8_t control; // the control register as the chip holds it
    const char* bytes;
};

// "30", "45", "01 PM", "15", "Dec", "(0) Sun" / "(1) Sun", both mode boxes checked.
const WriteCase kWrites[] = {
    {"VK310", 0x3F, "R08/1; W08 FF; W0C B0 C5 A1 95 92 80"},
    {"VK320", 0x00, "R08/1; W08 C0; W0C B0 C5 A1 95 92 80"},
    {"VK390", 0x1F, "R08/1; W08 DF; W0C B0 C5 A1 95 92 80"},
    // No IM bit; the week counted from Sunday = 1; 1 PM as the 24-hour clock
    // compares it; the block in two transfers.
    {"VK340", 0x3F, "R08/1; W08 7F; W0C B0 C5 93 95; W10 92 81"},
    // IM at bit 5, no enable bit.
    {"VK350", 0x1F, "R08/1; W08 3F; W10 B0 C5 A1 95 92 80"},
    {"VK370", 0x00, "R0C/1; W0C 22; W23 B0 C5 A1 95 92 80"},
    // ALM1E only; the 12-hour entry with the hour byte's bit 6 clear.
    {"VK381", 0x00, "R08/1; W08 40; W0C B0 C5 A1 95 92 80"},
    // The control register is read and left; bit 7 masks; the date wins.
    {"VK380", 0x18, "R0E/1; W07 30 45 61 15"},
};

TEST_F(AlarmPageTest, WriteSendsTheModeBitsThenTheBlock)
{
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.part);
        openWith(c.part);
        const uint8_t control = c.part == std::string("VK370")   ? 0x0C
                                : c.part == std::string("VK380") ? 0x0E
                                                                 : 0x08;
        RecordingAdapter::setRegisters(rtc(), control, {c.control});
        setFields(first(), {31, 46, kPm(1), 15, 12, 1});
        page().cbIM->setChecked(true);
        page().cbALME->setChecked(true);
        page().BtnWrAlarm->click();
        EXPECT_EQ(transferTrace(), c.bytes);
        expectAddressing(1);
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        EXPECT_EQ(window().statusPanelText(3), " Alarm 1 written");
    }
    // On VK380 the written date put the day of week to "Ignore".
    EXPECT_EQ(page().aWeek->currentIndex(), 0);
    EXPECT_EQ(page().aDay->currentIndex(), 15);
}

TEST_F(AlarmPageTest, TypeEWritesEachRegisterAfterTheWriteEnableAndKeepsTheReservedBytes)
{
    for (int alarm : {1, 2}) {
        SCOPED_TRACE(alarm);
        TMainApp& w = openWith("VK360");
        RecordingAdapter::setRegisters(rtc(), 0x11, {0x00});
        // The image holds the reserved and Y2K bytes as last read.
        uint8_t* regs = w.bus().data.Regs;
        regs[0x05] = regs[0x0D] = 0x5A;
        regs[0x07] = regs[0x0F] = 0x20;
        setFields(alarm == 1 ? first() : second(), {1, 2, kPm(12), 31, 12, 7});
        page().cbIM->setChecked(true);
        (alarm == 1 ? page().cbALME : page().cbALME0)->setChecked(true);
        (alarm == 1 ? page().BtnWrAlarm : page().BtnWriteAlarm0)->click();
        const std::string unlock = "R3F/1; W3F 02; W3F 06; ";
        if (alarm == 1)
            EXPECT_EQ(transferTrace(),
                      "R11/1; " + unlock + "W11 C0; " + unlock + "W08 80 81 B2 B1 92 5A 86 20");
        else
            EXPECT_EQ(transferTrace(),
                      "R11/1; " + unlock + "W11 A0; " + unlock + "W00 80 81 B2 B1 92 5A 86 20");
        expectAddressing(2);
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

TEST_F(AlarmPageTest, SecondAlarmWritesItsOwnBitsAndBlock)
{
    struct Case {
        const char* part;
        uint8_t control;
        Fields fields;
        const char* bytes;
    };
    const Case cases[] = {
        // IM is shared with the first alarm; ALE0 is bit 0.
        {"VK370", 0x02, {0, 0, 0, 0, 0, 0}, "R0C/1; W0C 23; W1D 00 00 00 00 00 00"},
        {"VK370", 0xFF, {1, 60, kMil(23), 1, 1, 7}, "R0C/1; W0C FF; W1D 80 D9 A3 81 81 86"},
        // All "Ignore": TypeH's hour byte carries its 24-hour flag, TypeG masks.
        {"VK381", 0x04, {0, 0, 0, 0, 0, 0}, "R08/1; W08 24; W12 00 40 00"},
        {"VK381", 0x00, {0, 0, 0, 0, 0, 1}, "R08/1; W08 20; W12 00 40 C0"},
        {"VK380", 0x1C, {0, 0, 0, 0, 0, 0}, "R0E/1; W0B 80 80 80"},
        {"VK380", 0x1C, {0, 1, kMil(23), 0, 0, 0}, "R0E/1; W0B 00 23 80"},
        {"VK380", 0x1C, {0, 0, kPm(11), 0, 0, 3}, "R0E/1; W0B 80 71 43"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        openWith(c.part);
        const uint8_t control = c.part == std::string("VK370")   ? 0x0C
                                : c.part == std::string("VK380") ? 0x0E
                                                                 : 0x08;
        RecordingAdapter::setRegisters(rtc(), control, {c.control});
        setFields(second(), c.fields);
        page().cbIM0->setChecked(true);
        page().cbALME0->setChecked(true);
        page().BtnWriteAlarm0->click();
        EXPECT_EQ(transferTrace(), c.bytes);
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(AlarmPageTest, WriteReportsItsFirstFailure)
{
    struct Case {
        const char* part;
        bool second;
        size_t failing; // call number
        const char* bytes;
    };
    const Case cases[] = {
        // A failed control read skips the control write; the block is still written.
        {"VK310", false, 1, "R08/1!; W0C 00 00 00 00 00 00"},
        // Failed writes are reported too.
        {"VK310", false, 2, "R08/1; W08 00!; W0C 00 00 00 00 00 00"},
        {"VK310", false, 3, "R08/1; W08 00; W0C 00 00 00 00 00 00!"},
        {"VK340", false, 3, "R08/1; W08 00; W0C 00 00 00 00!; W10 00 00"},
        {"VK340", false, 4, "R08/1; W08 00; W0C 00 00 00 00; W10 00 00!"},
        {"VK370", true, 1, "R0C/1!; W1D 00 00 00 00 00 00"},
        // Where the control byte must be read first, nothing is written without it.
        {"VK380", false, 1, "R0E/1!"},
        {"VK380", true, 1, "R0E/1!"},
        {"VK381", true, 1, "R08/1!"},
        {"VK381", true, 3, "R08/1; W08 00; W12 00 40 00!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TMainApp& w = openWith(c.part);
        setFields(c.second ? second() : first(), {0, 0, 0, 0, 0, 0});
        RecordingAdapter::failCall(c.failing, KVRX_ERR_DATA_NACK);
        (c.second ? page().BtnWriteAlarm0 : page().BtnWrAlarm)->click();
        EXPECT_EQ(transferTrace(), c.bytes);
        ASSERT_EQ(recordedBoxCount(w), 1u);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    }
}

TEST_F(AlarmPageTest, TypeEReportsAFailedBlockWrite)
{
    TMainApp& w = openWith("VK361");
    // The control read, the write enable (3), the control write, the write enable (3), the block.
    RecordingAdapter::failCall(9, KVRX_ERR_ADDR_NACK);
    page().BtnWrAlarm->click();
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
}

// ---- Read ----

TEST_F(AlarmPageTest, ReadShowsTheModeBitsAndTheFieldsInTheClocksHourForm)
{
    TMainApp& w = openWith("VK310");
    RecordingAdapter::setRegisters(rtc(), 0x08, {0xC0});
    RecordingAdapter::setRegisters(rtc(), 0x0C, {0xB0, 0x00, 0x95, 0x95, 0x00, 0x80});
    // 24-hour clock: 0x15 is "15 MIL".
    RecordingAdapter::setRegisters(rtc(), 0x02, {0x80 | 0x09});
    page().BtnRdAlarm->click();
    EXPECT_EQ(transferTrace(), "R08/1; R0C/6; R02/1");
    EXPECT_EQ(shown(first()), (Fields{31, 0, kMil(15), 15, 0, 1}));
    EXPECT_TRUE(page().cbIM->isChecked());
    EXPECT_TRUE(page().cbALME->isChecked());
    EXPECT_EQ(w.statusPanelText(3), "Cleared ");
    EXPECT_EQ(recordedBoxCount(w), 0u);

    // 12-hour clock: 0x15 is no hour of it, 0x92 is "12 AM".
    RecordingAdapter::setRegisters(rtc(), 0x02, {0x09});
    page().BtnRdAlarm->click();
    EXPECT_EQ(page().aHours->currentIndex(), -1);
    RecordingAdapter::setRegisters(rtc(), 0x0E, {0x92});
    RecordingAdapter::setRegisters(rtc(), 0x08, {0x00});
    page().BtnRdAlarm->click();
    EXPECT_EQ(page().aHours->currentText(), "12 AM");
    EXPECT_FALSE(page().cbIM->isChecked());
    EXPECT_FALSE(page().cbALME->isChecked());
    // The clock's hour went to a byte of its own, not to the image.
    EXPECT_EQ(w.bus().data.Regs[0x02], 0x00);
}

TEST_F(AlarmPageTest, ReadPerFamily)
{
    struct Case {
        const char* part;
        bool second;
        std::vector<std::pair<uint8_t, std::vector<uint8_t>>> registers;
        const char* bytes;
        Fields fields;
    };
    const Case cases[] = {
        // The week from Sunday = 1 and the clock's 24 hours; no clock hour read.
        {"VK340",
         false,
         {{0x08, {0x40}}, {0x0C, {0x80, 0x81, 0x93, 0x00, 0x81, 0x81}}},
         "R08/1; R0C/4; R10/2",
         {1, 2, kMil(13), 0, 1, 1}},
        {"VK350",
         false,
         {{0x08, {0x20}}, {0x10, {0, 0, 0xB2, 0, 0, 0x86}}, {0x02, {0x12}}},
         "R08/1; R10/6; R02/1",
         {0, 0, kPm(12), 0, 0, 7}},
        {"VK370",
         true,
         {{0x0C, {0x21}}, {0x1D, {0, 0, 0x81, 0, 0x92, 0}}, {0x02, {0x01}}},
         "R0C/1; R1D/6; R02/1",
         {0, 0, kAm(1), 0, 12, 0}},
        // The hour byte's own form; the second alarm has no seconds.
        {"VK381",
         false,
         {{0x08, {0x40}}, {0x0C, {0, 0, 0xC5, 0, 0, 0}}},
         "R08/1; R0C/6",
         {0, 0, kMil(5), 0, 0, 0}},
        {"VK381",
         true,
         {{0x08, {0x20}}, {0x12, {0x00, 0x40, 0xC3}}},
         "R08/1; R12/3",
         {0, 0, 0, 0, 0, 4}},
        // Day of week over date; the month keeps its selection.
        {"VK380",
         false,
         {{0x0E, {0x1D}}, {0x07, {0x30, 0x80, 0x80, 0x43}}},
         "R0E/1; R07/4",
         {31, 0, 0, 0, 1, 3}},
        {"VK380",
         true,
         {{0x0E, {0x1D}}, {0x0B, {0x00, 0x71, 0x15}}},
         "R0E/1; R0B/3",
         {0, 1, kPm(11), 15, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        openWith(c.part);
        for (const auto& [reg, bytes] : c.registers)
            RecordingAdapter::setRegisters(rtc(), reg, bytes);
        (c.second ? page().BtnRdAlarm0 : page().BtnRdAlarm)->click();
        EXPECT_EQ(transferTrace(), c.bytes);
        EXPECT_EQ(shown(c.second ? second() : first()), c.fields);
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
    // The mode boxes of the last families.
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x0C, {0x21});
    page().BtnRdAlarm0->click();
    EXPECT_TRUE(page().cbIM0->isChecked());
    EXPECT_TRUE(page().cbIM->isChecked()); // one IM bit for both
    EXPECT_TRUE(page().cbALME0->isChecked());
    page().BtnRdAlarm->click();
    EXPECT_FALSE(page().cbALME->isChecked());
}

TEST_F(AlarmPageTest, TypeEReadsWithTwoByteAddressesAndKeepsTheChipsReservedBytes)
{
    TMainApp& w = openWith("VK362");
    RecordingAdapter::setRegisters(rtc(), 0x11, {0x80});
    RecordingAdapter::setRegisters(rtc(), 0x08,
                                   {0x80, 0x81, 0xB2, 0x81, 0x81, 0x33, 0x86, 0x20, 0x00});
    RecordingAdapter::setRegisters(rtc(), 0x32, {0x12});
    page().BtnRdAlarm->click();
    EXPECT_EQ(transferTrace(), "R11/1; R08/9; R32/1");
    expectAddressing(2);
    EXPECT_EQ(shown(first()), (Fields{1, 2, kPm(12), 1, 1, 7}));
    EXPECT_TRUE(page().cbIM->isChecked());
    EXPECT_FALSE(page().cbALME->isChecked());
    EXPECT_EQ(w.bus().data.Regs[0x0D], 0x33);
    EXPECT_EQ(w.bus().data.Regs[0x0F], 0x20);

    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x11, {0x20});
    RecordingAdapter::setRegisters(rtc(), 0x00, {0x80, 0x80, 0x95, 0, 0, 0x44, 0x80, 0x19});
    RecordingAdapter::setRegisters(rtc(), 0x32, {0x95});
    page().BtnRdAlarm0->click();
    EXPECT_EQ(transferTrace(), "R11/1; R00/8; R32/1");
    expectAddressing(2);
    EXPECT_EQ(shown(second()), (Fields{1, 1, kMil(15), 0, 0, 1}));
    EXPECT_TRUE(page().cbALME0->isChecked());
    EXPECT_EQ(w.bus().data.Regs[0x05], 0x44);
    EXPECT_EQ(w.bus().data.Regs[0x07], 0x19);
}

TEST_F(AlarmPageTest, FailedReadsLeaveTheListsAndAreReported)
{
    TMainApp& w = openWith("VK310");
    const Fields before{5, 6, kMil(7), 8, 9, 3};
    RecordingAdapter::setRegisters(rtc(), 0x08, {0xC0});
    RecordingAdapter::setRegisters(rtc(), 0x0C, {0x80, 0x80, 0x80, 0x81, 0x81, 0x80});
    RecordingAdapter::setRegisters(rtc(), 0x02, {0x80});

    // The control read: nothing changes.
    setFields(first(), before);
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnRdAlarm->click();
    EXPECT_EQ(transferTrace(), "R08/1!");
    EXPECT_EQ(shown(first()), before);
    EXPECT_FALSE(page().cbALME->isChecked());
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));

    // The block: the mode bits show, the lists keep what they showed.
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x08, {0xC0});
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnRdAlarm->click();
    EXPECT_EQ(transferTrace(), "R08/1; R0C/6!");
    EXPECT_EQ(shown(first()), before);
    EXPECT_TRUE(page().cbALME->isChecked());
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));

    // The clock's hour: the fields show, the hour list keeps its selection.
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x0C, {0x80, 0x80, 0x80, 0x81, 0x81, 0x80});
    RecordingAdapter::failCall(3, KVRX_ERR_DATA_NACK);
    page().BtnRdAlarm->click();
    EXPECT_EQ(transferTrace(), "R08/1; R0C/6; R02/1!");
    EXPECT_EQ(shown(first()), (Fields{1, 1, kMil(7), 1, 1, 1}));
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));

    // The second part of VK340's block.
    openWith("VK340");
    setFields(first(), before);
    RecordingAdapter::failCall(3, KVRX_ERR_DATA_NACK);
    page().BtnRdAlarm->click();
    EXPECT_EQ(transferTrace(), "R08/1; R0C/4; R10/2!");
    EXPECT_EQ(shown(first()), before);
    EXPECT_EQ(recordedBoxCount(window()), 1u);
}

// ---- Clear ----

TEST_F(AlarmPageTest, ClearWritesTheStatusWithTheFlagClearedAndPutsTheLampOut)
{
    struct Case {
        const char* part;
        bool second;
        uint8_t reg;
        uint8_t status;
        uint8_t written;
    };
    const Case cases[] = {
        {"VK310", false, 0x07, 0x14, 0x1B}, {"VK340", false, 0x0B, 0xE4, 0xEB},
        {"VK350", false, 0x07, 0x10, 0xEF}, {"VK370", false, 0x08, 0x30, 0xDF},
        {"VK370", true, 0x08, 0x30, 0x2F},  {"VK380", false, 0x0F, 0x03, 0x82},
        {"VK380", true, 0x0F, 0x03, 0xFD},  {"VK381", false, 0x07, 0x06, 0x0B},
        {"VK381", true, 0x07, 0x06, 0x0D},  {"VK390", false, 0x07, 0x0C, 0x0B},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + (c.second ? " alarm 2" : " alarm 1"));
        TMainApp& w = openWith(c.part);
        RecordingAdapter::setRegisters(rtc(), c.reg, {c.status});
        LedIndicator* lamp = c.second ? page().LedAlarm0 : page().LedAlarm;
        lamp->setLit(true);
        (c.second ? page().BtnClrAlarm0 : page().BtnClrAlarm)->click();
        char expected[32];
        std::snprintf(expected, sizeof expected, "R%02X/1; W%02X %02X", c.reg, c.reg, c.written);
        EXPECT_EQ(transferTrace(), expected);
        EXPECT_FALSE(lamp->isLit());
        EXPECT_EQ(recordedBoxCount(w), 0u);
        // The status byte went through a byte of its own.
        EXPECT_EQ(w.bus().data.Regs[c.reg], 0x00);
    }
}

TEST_F(AlarmPageTest, FailedClearKeepsTheLampAndIsReported)
{
    TMainApp& w = openWith("VK370");
    page().LedAlarm->setLit(true);
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnClrAlarm->click();
    EXPECT_EQ(transferTrace(), "R08/1!");
    EXPECT_TRUE(page().LedAlarm->isLit());
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));

    RecordingAdapter::reset();
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnClrAlarm->click();
    EXPECT_EQ(transferTrace(), "R08/1; W08 DF!");
    EXPECT_TRUE(page().LedAlarm->isLit());
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
}

// ---- IRQ usage (TypeG) ----

TEST_F(AlarmPageTest, IrqUsageWritesAndReadsBitsTwoToZero)
{
    TMainApp& w = openWith("VK380");
    RecordingAdapter::setRegisters(rtc(), 0x0E, {0x18});
    page().RBAlarm[7]->setChecked(true);
    page().Btn_Write_IRQ_Mode->click();
    EXPECT_EQ(transferTrace(), "R0E/1; W0E 1F");

    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x0E, {0x1D});
    page().Btn_Read_IRQ_Mode->click();
    EXPECT_EQ(transferTrace(), "R0E/1");
    EXPECT_TRUE(page().RBAlarm[5]->isChecked());
    EXPECT_EQ(page().RBAlarm[5]->text(), "HIGH         A1F");
    EXPECT_EQ(w.bus().data.Regs[0x0E], 0x05);

    // The alarms' Read shows it too.
    RecordingAdapter::setRegisters(rtc(), 0x0E, {0x9A});
    page().BtnRdAlarm0->click();
    EXPECT_TRUE(page().RBAlarm[2]->isChecked());
    EXPECT_EQ(w.bus().data.Regs[0x0E], 0x02);
    EXPECT_EQ(recordedBoxCount(w), 0u);

    // A failed read writes nothing and shows nothing.
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x0E, {0x1F});
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().Btn_Write_IRQ_Mode->click();
    EXPECT_EQ(transferTrace(), "R0E/1!");
    RecordingAdapter::failCall(2, KVRX_ERR_ADDR_NACK);
    page().Btn_Read_IRQ_Mode->click();
    EXPECT_TRUE(page().RBAlarm[2]->isChecked());
    EXPECT_EQ(recordedBoxCount(w), 2u);

    // A failed write is reported.
    RecordingAdapter::reset();
    takeRecordedBox(w);
    takeRecordedBox(w);
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().Btn_Write_IRQ_Mode->click();
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));

    // Other families have no IRQ usage.
    openWith("VK381");
    page().Btn_Write_IRQ_Mode->click();
    page().Btn_Read_IRQ_Mode->click();
    EXPECT_EQ(transferTrace(), "");
}

// ---- the boxes and lists ----

TEST_F(AlarmPageTest, TheTwoImBoxesMirrorEachOther)
{
    openWith("VK370");
    page().cbIM->setChecked(true);
    EXPECT_TRUE(page().cbIM0->isChecked());
    page().cbIM0->click();
    EXPECT_FALSE(page().cbIM->isChecked());
    EXPECT_FALSE(page().cbIM0->isChecked());
    page().cbIM0->click();
    EXPECT_TRUE(page().cbIM->isChecked());
    // Both alarms write the one bit as the boxes show it.
    RecordingAdapter::setRegisters(rtc(), 0x0C, {0x00});
    page().BtnWrAlarm->click();
    EXPECT_EQ(RecordingAdapter::registerAt(rtc(), 0x0C), 0x20);
    page().cbIM->click();
    page().BtnWriteAlarm0->click();
    EXPECT_EQ(RecordingAdapter::registerAt(rtc(), 0x0C), 0x00);
}

TEST_F(AlarmPageTest, OnlyOneOfDateAndDayOfWeekWhereOneByteHoldsThem)
{
    struct Case {
        const char* part;
        bool first, second; // the rule holds for that alarm
    };
    const Case cases[] = {{"VK380", true, true}, {"VK381", false, true}, {"VK370", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        openWith(c.part);
        AlarmPage& p = page();
        for (int alarm : {1, 2}) {
            QComboBox* day = alarm == 1 ? p.aDay : p.aDay0;
            QComboBox* week = alarm == 1 ? p.aWeek : p.aWeek0;
            const bool rule = alarm == 1 ? c.first : c.second;
            day->setCurrentIndex(9);
            pick(week, 3);
            EXPECT_EQ(day->currentIndex(), rule ? 0 : 9) << alarm;
            pick(day, 12);
            EXPECT_EQ(week->currentIndex(), rule ? 0 : 3) << alarm;
            // "Ignore" in one leaves the other.
            pick(week, 0);
            EXPECT_EQ(day->currentIndex(), 12) << alarm;
        }
    }
}

// ---- part choice ----

TEST_F(AlarmPageTest, PartChoiceShapesThePage)
{
    openWith("VK310");
    AlarmPage& p = page();
    // One alarm, no IRQ usage, no notes.
    EXPECT_TRUE(p.GroupBox32->isHidden());
    EXPECT_TRUE(p.GroupBox33->isHidden());
    EXPECT_TRUE(p.BtnWriteAlarm0->isHidden());
    EXPECT_TRUE(p.GBox_AlarmModes->isHidden());
    EXPECT_TRUE(p.Label97->isHidden());
    EXPECT_FALSE(p.BtnClrAlarm->isHidden());
    EXPECT_EQ(p.aWeek->itemText(1), "(0) Sun");
    EXPECT_EQ(p.cbALME->text(), "Enable (ALME)");

    choose("VK380");
    EXPECT_FALSE(p.GBox_AlarmModes->isHidden());
    EXPECT_FALSE(p.GroupBox32->isHidden());
    EXPECT_FALSE(p.Label97->isHidden());
    EXPECT_FALSE(p.Label114->isHidden());
    EXPECT_TRUE(p.GroupBox11->isHidden());
    EXPECT_TRUE(p.aMonth->isHidden());
    EXPECT_TRUE(p.aSeconds0->isHidden());
    EXPECT_EQ(p.lblAlarm0->text(), "Alarm 2");
    EXPECT_EQ(p.Label29->text(), "Day (A1DW)");
    EXPECT_EQ(p.aWeek->itemText(1), "(1) Sun");
    EXPECT_EQ(p.aWeek0->itemText(7), "(7) Sat");
    EXPECT_EQ(shown(first()), (Fields{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(shown(second()), (Fields{1, 1, 1, 1, 1, 1}));

    choose("VK381");
    EXPECT_TRUE(p.GBox_AlarmModes->isHidden());
    EXPECT_TRUE(p.cbIM->isHidden());
    EXPECT_TRUE(p.cbIM0->isHidden());
    EXPECT_FALSE(p.aMonth->isHidden());
    EXPECT_TRUE(p.aMonth0->isHidden());
    EXPECT_TRUE(p.Label113->isHidden());
    EXPECT_EQ(p.aWeek->itemText(1), "(0) Sun");
    EXPECT_EQ(shown(first()), (Fields{0, 0, 0, 0, 0, 0}));

    choose("VK360");
    EXPECT_FALSE(p.cbIM0->isHidden());
    EXPECT_FALSE(p.aSeconds0->isHidden());
    EXPECT_TRUE(p.BtnClrAlarm->isHidden());
    EXPECT_TRUE(p.BtnClrAlarm0->isHidden());
    EXPECT_FALSE(p.BtnRdAlarm0->isHidden());
    EXPECT_EQ(p.lblAlarm0->text(), "Alarm 0");

    choose("VK340");
    EXPECT_TRUE(p.cbIM->isHidden());
    EXPECT_FALSE(p.cbALME->isHidden());
    EXPECT_TRUE(p.GroupBox31->isHidden());
    EXPECT_EQ(p.aWeek->itemText(1), "(1) Sun");

    choose("VK350");
    EXPECT_FALSE(p.cbIM->isHidden());
    EXPECT_TRUE(p.cbALME->isHidden());

    choose("VK370");
    EXPECT_EQ(p.Label31->text(), "Day of Week (A1DW)");
    EXPECT_EQ(p.Label49->text(), "Day of Week (A0DW)");
    EXPECT_FALSE(p.BtnClrAlarm0->isHidden());
    EXPECT_EQ(window().controlFailures(), QStringList());
}

// The window keeps its fixed size and the page shows every caption whole,
// whichever part is chosen while the page is in front.
TEST_F(AlarmPageTest, EveryFamilyFitsTheWindow)
{
    TMainApp& w = openWith("VK310");
    w.show();
    w.TabFunctions->setCurrentWidget(&page());
    QApplication::processEvents();
    auto text = [](const QSize& s) {
        return std::to_string(s.width()) + "x" + std::to_string(s.height());
    };
    const std::string size = text(w.size());
    for (const char* part : {"VK380", "VK370", "VK381", "VK340", "VK380", "VK360", "VK350", "VK390",
                             "VK380", "VK320"}) {
        SCOPED_TRACE(part);
        choose(part);
        w.TabFunctions->setCurrentWidget(&page());
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        EXPECT_EQ(text(w.size()), size);
        for (QWidget* control : page().findChildren<QWidget*>()) {
            if (!control->isVisibleTo(&page())) continue;
            if (!qobject_cast<QLabel*>(control) && !qobject_cast<QAbstractButton*>(control))
                continue;
            if (auto* label = qobject_cast<QLabel*>(control); label && label->wordWrap()) continue;
            EXPECT_GE(control->width(), control->sizeHint().width())
                << control->objectName().toStdString();
            const QRect onPage(control->mapTo(&page(), QPoint(0, 0)), control->size());
            EXPECT_TRUE(page().rect().contains(onPage)) << control->objectName().toStdString();
        }
    }
}

} // namespace
