#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bus/RtcBus.h"
#include "clock/SetClockCodec.h"
#include "kvrx_usb.h"
#include "support/RecordingAdapter.h"
#include "support/RecordingBusTest.h"

namespace {

TEST(TimeBoxValue, WholeNumbersOrZero)
{
    struct Case {
        const char* text;
        int value;
    };
    for (const Case c :
         {Case{"07", 7}, Case{"0", 0}, Case{"75", 75}, Case{"-01", -1}, Case{"+5", 5}, Case{"", 0},
          Case{"1a", 0}, Case{"AM", 0}, Case{" 5", 0}, Case{"99999999999", 0}}) {
        EXPECT_EQ(TimeBoxValue(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(TwoDigits, PatternZeroZero)
{
    EXPECT_EQ(TwoDigits(0), "00");
    EXPECT_EQ(TwoDigits(7), "07");
    EXPECT_EQ(TwoDigits(59), "59");
    EXPECT_EQ(TwoDigits(123), "123");
    EXPECT_EQ(TwoDigits(-1), "-01");
    EXPECT_EQ(TwoDigits(-2147483647 - 1), "-2147483648");
}

// The boxes for a time and the time read back from them, in both forms.
TEST(TimeEdits, TwelveAndTwentyFourHourForms)
{
    struct Case {
        int hour;
        bool is24;
        const char* shownHour;
        const char* amPm;
    };
    const Case cases[] = {
        {0, false, "12", "AM"},  {1, false, "01", "AM"},  {11, false, "11", "AM"},
        {12, false, "12", "PM"}, {13, false, "01", "PM"}, {23, false, "11", "PM"},
        {0, true, "00", ""},     {12, true, "12", ""},    {23, true, "23", ""},
    };
    for (const Case& c : cases) {
        const TimeEditTexts boxes = TimeEditsFor(c.hour, 5, 9, c.is24);
        EXPECT_EQ(boxes.Hour, c.shownHour) << c.hour << (c.is24 ? " 24h" : " 12h");
        EXPECT_EQ(boxes.AmPm, c.amPm) << c.hour;
        EXPECT_EQ(boxes.Minute, "05");
        EXPECT_EQ(boxes.Second, "09");
        const TimeOfDay back = TimeFromEdits(boxes, c.is24);
        EXPECT_EQ(back.Hour, c.hour) << c.hour << (c.is24 ? " 24h" : " 12h");
        EXPECT_EQ(back.Minute, 5);
        EXPECT_EQ(back.Second, 9);
    }
}

TEST(TimeEdits, ReadingOddBoxes)
{
    struct Case {
        TimeEditTexts boxes;
        bool is24;
        int hour;
        int minute;
    };
    const Case cases[] = {
        {{"12", "00", "00", "AM"}, false, 0, 0},  // 12 AM is midnight
        {{"12", "00", "00", "PM"}, false, 12, 0}, // 12 PM is noon
        {{"11", "30", "00", "PM"}, false, 23, 30},
        {{"13", "00", "00", "PM"}, false, 0, 0}, // above 23 after adding 12
        {{"07", "xx", "00", ""}, false, 7, 0},   // no "PM" counts as AM; not a number is 0
        {{"07", "00", "00", "PM"}, true, 7, 0},  // 24-hour form ignores the AM/PM box
    };
    for (const Case& c : cases) {
        const TimeOfDay t = TimeFromEdits(c.boxes, c.is24);
        EXPECT_EQ(t.Hour, c.hour) << c.boxes.Hour << ' ' << c.boxes.AmPm;
        EXPECT_EQ(t.Minute, c.minute) << c.boxes.Minute;
    }
}

TEST(ConvertHourForFormat, BothWays)
{
    struct Case {
        const char* hour;
        const char* amPm;
        bool to24;
        const char* newHour;
        const char* newAmPm;
    };
    const Case cases[] = {
        {"07", "PM", true, "19", ""},  {"07", "AM", true, "07", ""},  {"12", "AM", true, "00", ""},
        {"12", "PM", true, "12", ""},  {"19", "", false, "07", "PM"}, {"00", "", false, "12", "AM"},
        {"12", "", false, "12", "PM"}, {"11", "", false, "11", "AM"},
    };
    for (const Case& c : cases) {
        const HourAndAmPm out = ConvertHourForFormat(c.hour, c.amPm, c.to24);
        EXPECT_EQ(out.Hour, c.newHour) << c.hour << ' ' << c.amPm;
        EXPECT_EQ(out.AmPm, c.newAmPm) << c.hour << ' ' << c.amPm;
    }
}

TEST(BoxRules, ClampEachBoxToItsRange)
{
    using Opt = std::optional<std::string>;
    EXPECT_EQ(ClampMinuteOrSecond("75"), Opt("59"));
    EXPECT_EQ(ClampMinuteOrSecond("60"), Opt("59"));
    EXPECT_EQ(ClampMinuteOrSecond("59"), std::nullopt);
    EXPECT_EQ(ClampMinuteOrSecond("-01"), Opt("00"));
    EXPECT_EQ(ClampMinuteOrSecond(""), std::nullopt);

    EXPECT_EQ(ClampHour("24", true), Opt("23"));
    EXPECT_EQ(ClampHour("23", true), std::nullopt);
    EXPECT_EQ(ClampHour("00", true), std::nullopt);
    EXPECT_EQ(ClampHour("-01", true), Opt("00"));
    EXPECT_EQ(ClampHour("13", false), Opt("12"));
    EXPECT_EQ(ClampHour("12", false), std::nullopt);
    EXPECT_EQ(ClampHour("01", false), std::nullopt);
    EXPECT_EQ(ClampHour("00", false), Opt("01"));
    EXPECT_EQ(ClampHour("", false), Opt("01"));
}

TEST(KeyRules, DigitsAndBackspaceInTimeBoxes)
{
    for (char16_t key : {u'0', u'5', u'9', u'\b'})
        EXPECT_TRUE(TimeBoxAcceptsKey(key)) << int(key);
    for (char16_t key : {u'a', u'-', u' ', u'\r', u':'})
        EXPECT_FALSE(TimeBoxAcceptsKey(key)) << int(key);
}

TEST(KeyRules, AmPmBoxTakesLettersNotKeys)
{
    struct Case {
        char16_t key;
        bool is24;
        std::optional<std::string> text;
        bool beep;
    };
    const Case cases[] = {
        {u'a', false, "AM", false},
        {u'A', false, "AM", false},
        {u'p', false, "PM", false},
        {u'P', false, "PM", false},
        {u'x', false, std::nullopt, true},
        {u'\b', false, std::nullopt, true},
        {u'a', true, "", true},
    };
    for (const Case& c : cases) {
        const AmPmKey r = AmPmKeyPress(c.key, c.is24);
        EXPECT_EQ(r.NewText, c.text) << char(c.key) << c.is24;
        EXPECT_EQ(r.Beep, c.beep) << char(c.key) << c.is24;
    }
}

TEST(SpinButton, StepsWithoutWrapping)
{
    EXPECT_EQ(SpinTimeBox("58", true), "59");
    EXPECT_EQ(SpinTimeBox("59", true), "60");   // the minute rule then makes it "59"
    EXPECT_EQ(SpinTimeBox("00", false), "-01"); // ... and this one "00"
    EXPECT_EQ(SpinTimeBox("", true), "01");
    // At the ends of what a box reads as a number, never round to the other end.
    EXPECT_EQ(SpinTimeBox("2147483647", true), "2147483647");
    EXPECT_EQ(SpinTimeBox("2147483647", false), "2147483646");
    EXPECT_EQ(SpinTimeBox("-2147483648", false), "-2147483648");
    EXPECT_EQ(SpinTimeBox("-2147483648", true), "-2147483647");
    EXPECT_EQ(SpinAmPm("AM"), "PM");
    EXPECT_EQ(SpinAmPm("PM"), "AM");
    EXPECT_EQ(SpinAmPm(""), "AM");
    EXPECT_EQ(SpinAmPm("xx"), "AM");
}

// ---- the write-enable pre-step ----

class PreStepTest : public RecordingBusTest {};

TEST_F(PreStepTest, ClearsThenSetsWrtcOfTheIntRegister)
{
    struct Case {
        const char* part;
        uint8_t address;
    };
    for (const Case c : {Case{"VK350", 0x08}, Case{"VK352", 0x08}, Case{"VK370", 0x0C}}) {
        RecordingAdapter::reset();
        select(c.part);
        const uint8_t slave = bus.part().RtcAddress;
        RecordingAdapter::setRegisters(slave, c.address, {0x45});
        const auto result = WriteEnablePreStep(bus);
        ASSERT_TRUE(result.has_value()) << c.part;
        EXPECT_EQ(*result, 0);
        const auto xfers = RecordingAdapter::transfers();
        ASSERT_EQ(xfers.size(), 3u) << c.part;
        EXPECT_EQ(xfers[0].op, AdapterOp::Read);
        EXPECT_EQ(xfers[0].sub, c.address);
        EXPECT_EQ(xfers[0].subLen, 1);
        EXPECT_EQ(xfers[1].op, AdapterOp::Write);
        EXPECT_EQ(xfers[1].sub, c.address);
        EXPECT_EQ(xfers[1].data, std::vector<uint8_t>{0x05}) << c.part;
        EXPECT_EQ(xfers[2].op, AdapterOp::Write);
        EXPECT_EQ(xfers[2].data, std::vector<uint8_t>{0x45}) << c.part;
    }
}

TEST_F(PreStepTest, OtherFamiliesSkipIt)
{
    for (const char* part : {"VK310", "VK340", "VK360", "VK380", "VK381", "VK382", "VK390"}) {
        RecordingAdapter::reset();
        select(part);
        EXPECT_FALSE(WriteEnablePreStep(bus).has_value()) << part;
        EXPECT_TRUE(RecordingAdapter::transfers().empty()) << part;
    }
}

TEST_F(PreStepTest, FailedReadWritesNothingAndIsReturned)
{
    select("VK370");
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    EXPECT_EQ(WriteEnablePreStep(bus), std::optional<int32_t>(KVRX_ERR_ADDR_NACK));
    EXPECT_EQ(RecordingAdapter::transfers().size(), 1u);
}

TEST_F(PreStepTest, FailedClearingWriteStopsTheStepAndIsReturned)
{
    for (const char* part : {"VK350", "VK370"}) {
        RecordingAdapter::reset();
        select(part);
        RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
        EXPECT_EQ(WriteEnablePreStep(bus), std::optional<int32_t>(KVRX_ERR_DATA_NACK)) << part;
        EXPECT_EQ(RecordingAdapter::transfers().size(), 2u) << part;
    }
}

TEST_F(PreStepTest, LastWriteResultIsReturned)
{
    select("VK350");
    RecordingAdapter::failCall(3, KVRX_ERR_DATA_NACK);
    EXPECT_EQ(WriteEnablePreStep(bus), std::optional<int32_t>(KVRX_ERR_DATA_NACK));
}

} // namespace
