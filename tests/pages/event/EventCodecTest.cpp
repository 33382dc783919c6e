// The Event page's encodings: the configuration byte both ways per family,
// the status byte of the clear, the stamp decoding (hour forms, month 0) and
// the panel texts in both time forms, checked against worked examples and
// against the C library's own "%T" and "%r" in the C locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "pages/event/EventCodec.h"

namespace {

using namespace EventCodec;

// ---- configuration register ----

TEST(EventCodec, ConfigRegisterPerFamily)
{
    EXPECT_EQ(ConfigRegister(TypeA), 0x09);
    EXPECT_EQ(ConfigRegister(TypeB), 0x09);
    EXPECT_EQ(ConfigRegister(TypeF), 0x0E);
    for (PartType type : {TypeNone, TypeC, TypeD, TypeE, TypeG, TypeH, TypeJ, TypeK})
        EXPECT_FALSE(ConfigRegister(type).has_value()) << type;
}

struct EncodeCase {
    const char* what;
    PartType type;
    EventConfig config;
    uint8_t byte;
};

const EncodeCase kEncodes[] = {
    {"TypeF, every box clear, both lists at 0", TypeF, {}, 0x00},
    {"TypeA, every box clear", TypeA, {}, 0x00},
    {"TypeA, everything set", TypeA, {3, 3, true, true, true, true, true}, 0xFF},
    {"TypeB, everything set", TypeB, {3, 3, true, true, true, true, true}, 0xFF},
    // Bit 7 is 0 on TypeF, and RTCHLT and EVIENB are no boxes of its.
    {"TypeF, everything set", TypeF, {3, 3, true, true, true, true, true}, 0x7F},
    {"TypeB, EVIENB alone", TypeB, {.CurrentOff = true}, 0x80},
    {"TypeA, RTCHLT alone", TypeA, {.Halt = true}, 0x20},
    {"TypeA has no EVIM", TypeA, {.PulseMode = true}, 0x00},
    {"TypeF, EVIM alone", TypeF, {.PulseMode = true}, 0x20},
    {"TypeF, EVBATB alone", TypeF, {.BatteryDisable = true}, 0x40},
    {"1 Hz, 3.9 ms, enabled", TypeB, {2, 1, true}, 0x16},
    {"1/4 Hz, 15.625 ms", TypeF, {3, 2}, 0x0B},
    {"lists without a selection count as their first item", TypeA, {-1, -1, true}, 0x10},
};

TEST(EventCodec, WriteBuildsTheByteFromThePage)
{
    for (const EncodeCase& c : kEncodes)
        EXPECT_EQ(EncodeConfig(c.type, c.config), c.byte) << c.what;
}

TEST(EventCodec, ReadShowsTheBoxesOfTheFamilysLayout)
{
    ShownConfig ab;
    ab.SampleRate = 2;
    ab.Hysteresis = 1;
    ab.Enable = true;
    ab.Halt = false;
    ab.CurrentOff = true;
    EXPECT_EQ(DecodeConfig(TypeB, 0x96), ab);

    ShownConfig f;
    f.SampleRate = 1;
    f.Hysteresis = 3;
    f.BatteryDisable = true;
    f.PulseMode = true;
    EXPECT_EQ(DecodeConfig(TypeF, 0xED), f) << "bit 7 is no bit of EVIC";

    const ShownConfig all = DecodeConfig(TypeA, 0xFF);
    EXPECT_EQ(all.SampleRate, 3);
    EXPECT_EQ(all.Hysteresis, 3);
    EXPECT_TRUE(all.Enable && all.BatteryDisable && *all.Halt && *all.CurrentOff);
    EXPECT_FALSE(all.PulseMode.has_value());
}

// A byte read and written back unchanged is the byte the chip holds (TypeF:
// its seven bits).
TEST(EventCodec, ReadThenWriteGivesTheByteBack)
{
    for (PartType type : {TypeA, TypeB, TypeF}) {
        for (int v = 0; v < 256; ++v) {
            const ShownConfig s = DecodeConfig(type, static_cast<uint8_t>(v));
            const EventConfig c{s.SampleRate,
                                s.Hysteresis,
                                s.Enable,
                                s.BatteryDisable,
                                s.Halt.value_or(false),
                                s.CurrentOff.value_or(false),
                                s.PulseMode.value_or(false)};
            const int expected = type == TypeF ? v & 0x7F : v;
            ASSERT_EQ(EncodeConfig(type, c), expected) << type << " " << v;
        }
    }
}

TEST(EventCodec, ClearWritesTheOtherFlagsAsOneAndEvtAsZero)
{
    const uint8_t cases[][2] = {{0x08, 0x07}, {0x00, 0x07}, {0xFF, 0xF7}, {0x9C, 0x97}};
    for (const auto& c : cases)
        EXPECT_EQ(ClearedStatus(c[0]), c[1]) << int(c[0]);
}

// ---- stamp decoding ----

struct HourCase {
    uint8_t byte;
    int hour;
};

const HourCase kHours[] = {
    {0x12, 0},                                      // 12 AM
    {0x32, 12},                                     // 12 PM
    {0x21, 13},                                     // 1 PM
    {0x01, 1},  {0x11, 11}, {0x31, 23}, {0x95, 15}, // MIL: bits 5..0 in BCD
    {0x80, 0},  {0x92, 12}, {0xA3, 23},
};

TEST(EventCodec, StampHoursInBothForms)
{
    for (const HourCase& c : kHours) {
        const uint8_t stamp[6] = {0x00, 0x00, c.byte, 0x01, 0x01, 0x24};
        EXPECT_EQ(DecodeStamp(stamp).tm_hour, c.hour) << std::hex << int(c.byte);
    }
}

TEST(EventCodec, StampFieldsAndMonthZero)
{
    const uint8_t stamp[6] = {0x59, 0x07, 0x95, 0x31, 0x12, 0x24};
    const std::tm t = DecodeStamp(stamp);
    EXPECT_EQ(t.tm_sec, 59);
    EXPECT_EQ(t.tm_min, 7);
    EXPECT_EQ(t.tm_hour, 15);
    EXPECT_EQ(t.tm_mday, 31);
    EXPECT_EQ(t.tm_mon, 11);
    EXPECT_EQ(t.tm_year, 124);
    EXPECT_EQ(t.tm_wday, 0);
    EXPECT_EQ(t.tm_yday, 0);
    EXPECT_EQ(t.tm_isdst, 0);

    for (const uint8_t month : {0x00, 0x01}) {
        const uint8_t early[6] = {0x00, 0x00, 0x80, 0x05, month, 0x00};
        EXPECT_EQ(DecodeStamp(early).tm_mon, 0) << "January from " << int(month);
        EXPECT_EQ(DecodeStamp(early).tm_year, 100);
    }
}

// ---- texts ----

struct TextCase {
    PartType type;
    int index;
    bool is24;
    const char* text; // of 12-31 15:04:05
};

const TextCase kTexts[] = {
    {TypeB, 0, true, "12/31 - 15:04:05"},  {TypeB, 0, false, "12/31 - 03:04:05 PM"},
    {TypeF, 0, true, "12/31 - 15:04:05"},  {TypeF, 0, false, "12/31  - 03:04:05 PM"},
    {TypeF, 1, true, "12/31 - 15:04:05"},  {TypeF, 1, false, "12/31  - 03:04:05 PM"},
    {TypeF, 2, true, "12/31  - 15:04:05"}, {TypeF, 2, false, "12/31  - 03:04:05 PM"},
    {TypeF, 3, true, "12/31  - 15:04:05"}, {TypeF, 3, false, "12/31  - 03:04:05 PM"},
};

TEST(EventCodec, PanelTextsPerPanelAndForm)
{
    const uint8_t stamp[6] = {0x05, 0x04, 0x23, 0x31, 0x12, 0x24};
    for (const TextCase& c : kTexts) {
        EXPECT_EQ(StampText(DecodeStamp(stamp), c.type, c.index, c.is24), c.text)
            << c.type << " " << c.index << " " << c.is24;
    }
}

// The texts are the C library's "%m/%d - %T" and "%m/%d - %r" (or with two
// spaces) in the C locale, for every hour and for stamps out of range.
TEST(EventCodec, TextsMatchTheCLibrarysConversions)
{
    const std::string saved = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");
    auto strftimeText = [](const char* format, const std::tm& t) {
        char text[80];
        std::strftime(text, sizeof text, format, &t);
        return std::string(text);
    };
    const uint8_t hourBytes[] = {0x80, 0x81, 0x89, 0x92, 0x99, 0xA3,
                                 0x12, 0x01, 0x11, 0x32, 0x21, 0x31};
    const uint8_t oddStamps[][6] = {{0x00, 0x00, 0x80, 0x00, 0x00, 0x00},
                                    {0x59, 0x59, 0xA3, 0x31, 0x12, 0x99}};
    std::vector<std::tm> times;
    for (uint8_t h : hourBytes) {
        const uint8_t stamp[6] = {0x30, 0x45, h, 0x07, 0x08, 0x24};
        times.push_back(DecodeStamp(stamp));
    }
    for (const auto& s : oddStamps)
        times.push_back(DecodeStamp(s));
    for (const std::tm& t : times) {
        EXPECT_EQ(StampText(t, TypeB, 0, true), strftimeText("%m/%d - %T", t));
        EXPECT_EQ(StampText(t, TypeB, 0, false), strftimeText("%m/%d - %r", t));
        EXPECT_EQ(StampText(t, TypeF, 1, true), strftimeText("%m/%d - %T", t));
        EXPECT_EQ(StampText(t, TypeF, 3, true), strftimeText("%m/%d  - %T", t));
        EXPECT_EQ(StampText(t, TypeF, 0, false), strftimeText("%m/%d  - %r", t));
    }
    std::setlocale(LC_TIME, saved.c_str());
}

} // namespace
