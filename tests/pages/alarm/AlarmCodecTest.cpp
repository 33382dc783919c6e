// The alarm codes against the chips' datasheet figures: the hour byte and its
// two decodings, every family's field bytes both ways (edge cases included),
// the mode, flag-clearing and IRQ usage bytes, and the lists' items.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pages/alarm/AlarmCodec.h"

using namespace AlarmCodec;

namespace {

// List indices of the hour entries, as the lists number them.
constexpr int kMil(int hour)
{
    return hour + 1;
}
constexpr int kAm(int hour) // 12 AM, 1 AM .. 11 AM
{
    return hour == 12 ? 25 : 25 + hour;
}
constexpr int kPm(int hour) // 12 PM, 1 PM .. 11 PM
{
    return hour == 12 ? 37 : 37 + hour;
}

const AlarmLayout& layout(PartType type, int number = 1)
{
    const AlarmLayout* found = FindAlarmLayout(type, number);
    EXPECT_NE(found, nullptr) << int(type) << " alarm " << number;
    static const AlarmLayout none{};
    return found ? *found : none;
}

std::vector<uint8_t> encode(const AlarmLayout& l, const AlarmFields& f, uint8_t fill = 0xEE)
{
    std::vector<uint8_t> block(9, fill);
    EncodeBlock(l, f, block.data());
    block.resize(l.WriteCount);
    return block;
}

// ---- the hour byte ----

TEST(AlarmHourCode, ListIndexGivesTheHourByte)
{
    struct Case {
        int n;
        uint8_t code;
    };
    const Case cases[] = {
        {0, 0x00},        {kMil(0), 0x80},    {kMil(9), 0x89}, {kMil(15), 0x95},
        {kMil(23), 0xA3}, {kAm(12), 0x92},    {kAm(1), 0x81},  {kAm(9), 0x89},
        {kAm(10), 0x90},  {kAm(11), 0x91},    {kPm(12), 0xB2}, {kPm(1), 0xA1},
        {kPm(11), 0xB1},  {kHourEmpty, 0x00}, {-1, 0x00},      {50, 0x00},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HourAlarmCode(c.n), c.code) << "n = " << c.n;
}

TEST(AlarmHourCode, DecodingsGiveTheListIndexOrNone)
{
    struct Case {
        uint8_t v;
        int as24;
        int as12;
    };
    const Case cases[] = {
        {0x80, kMil(0), -1},         // 00 is no 12-hour hour
        {0x80 | 0x15, kMil(15), -1}, // 15 neither
        {0x23, kMil(23), kPm(3)},    // bits 7 and 6 do not count
        {0xC0 | 0x23, kMil(23), kPm(3)},
        {0x92, kMil(12), kAm(12)},
        {0x89, kMil(9), kAm(9)},
        {0x90, kMil(10), kAm(10)},
        {0x91, kMil(11), kAm(11)},
        {0xB2, -1, kPm(12)},
        {0xA1, kMil(21), kPm(1)},
        {0xA9, -1, kPm(9)},
        {0xB1, -1, kPm(11)},
        {0x24, -1, kPm(4)},
        {0x1A, -1, -1}, // not BCD
        {0x13, kMil(13), -1},
        {0x33, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HourIndex24(c.v), c.as24) << std::hex << int(c.v);
        EXPECT_EQ(HourIndex12(c.v), c.as12) << std::hex << int(c.v);
    }
}

TEST(AlarmHourCode, EveryEntryReadsBackInItsOwnForm)
{
    for (int n = 1; n < kHourFirst12; ++n)
        EXPECT_EQ(HourIndex24(HourAlarmCode(n)), n) << n;
    for (int n = kHourFirst12; n < kHourEmpty; ++n)
        EXPECT_EQ(HourIndex12(HourAlarmCode(n)), n) << n;
}

TEST(AlarmHourCode, TwelveHourEntriesNameTheirHourOfTheDay)
{
    EXPECT_EQ(HourOfTwelveHourItem(kAm(12)), 0);
    EXPECT_EQ(HourOfTwelveHourItem(kAm(1)), 1);
    EXPECT_EQ(HourOfTwelveHourItem(kAm(11)), 11);
    EXPECT_EQ(HourOfTwelveHourItem(kPm(12)), 12);
    EXPECT_EQ(HourOfTwelveHourItem(kPm(1)), 13);
    EXPECT_EQ(HourOfTwelveHourItem(kPm(11)), 23);
    for (int n : {0, kMil(0), kMil(23), kHourEmpty, -1})
        EXPECT_EQ(HourOfTwelveHourItem(n), -1) << n;
}

// ---- lists ----

TEST(AlarmLists, ItemsAsTheListsShowThem)
{
    const std::vector<std::string> seconds = SecondItems();
    ASSERT_EQ(seconds.size(), size_t(kMinuteItems));
    EXPECT_EQ(seconds[0], "Ignore");
    EXPECT_EQ(seconds[1], "00");
    EXPECT_EQ(seconds[60], "59");

    const std::vector<std::string> hours = HourItems();
    ASSERT_EQ(hours.size(), size_t(kHourItems));
    EXPECT_EQ(hours[0], "Ignore");
    EXPECT_EQ(hours[kMil(0)], "00 MIL");
    EXPECT_EQ(hours[kMil(23)], "23 MIL");
    EXPECT_EQ(hours[kAm(12)], "12 AM");
    EXPECT_EQ(hours[kAm(1)], "01 AM");
    EXPECT_EQ(hours[kAm(11)], "11 AM");
    EXPECT_EQ(hours[kPm(12)], "12 PM");
    EXPECT_EQ(hours[kPm(11)], "11 PM");
    EXPECT_EQ(hours[kHourEmpty], "");

    const std::vector<std::string> dates = DateItems();
    ASSERT_EQ(dates.size(), size_t(kDateItems));
    EXPECT_EQ(dates[1], "01");
    EXPECT_EQ(dates[31], "31");

    const std::vector<std::string> months = MonthItems();
    ASSERT_EQ(months.size(), size_t(kMonthItems));
    EXPECT_EQ(months[1], "Jan");
    EXPECT_EQ(months[7], "Jly");
    EXPECT_EQ(months[12], "Dec");

    EXPECT_EQ(std::string(kWeekFromZero[1]), "(0) Sun");
    EXPECT_EQ(std::string(kWeekFromZero[7]), "(6) Sat");
    EXPECT_EQ(std::string(kWeekFromOne[1]), "(1) Sun");
    EXPECT_EQ(std::string(kWeekFromOne[7]), "(7) Sat");
}

// ---- layouts ----

TEST(AlarmLayouts, AlarmsPerFamily)
{
    struct Case {
        PartType type;
        bool first, second;
    };
    const Case cases[] = {
        {TypeNone, false, false}, {TypeA, true, false},  {TypeB, true, false}, {TypeC, true, false},
        {TypeD, true, false},     {TypeE, true, true},   {TypeF, true, true},  {TypeG, true, true},
        {TypeH, true, true},      {TypeJ, false, false}, {TypeK, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindAlarmLayout(c.type, 1) != nullptr, c.first) << int(c.type);
        EXPECT_EQ(FindAlarmLayout(c.type, 2) != nullptr, c.second) << int(c.type);
    }
    // TypeE's flags are not cleared from the page.
    EXPECT_FALSE(layout(TypeE, 1).HasFlag);
    EXPECT_FALSE(layout(TypeE, 2).HasFlag);
}

// ---- writing ----

struct EncodeCase {
    const char* what;
    PartType type;
    int number;
    AlarmFields fields;
    std::vector<uint8_t> bytes;
};

const AlarmFields kAllIgnore{};

const EncodeCase kEncodes[] = {
    // Every field "Ignore", per family.
    {"TypeA all Ignore", TypeA, 1, kAllIgnore, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {"TypeC all Ignore", TypeC, 1, kAllIgnore, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {"TypeD all Ignore", TypeD, 1, kAllIgnore, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {"TypeF alarm 0 all Ignore", TypeF, 2, kAllIgnore, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {"TypeG all Ignore", TypeG, 1, kAllIgnore, {0x80, 0x80, 0x80, 0x80}},
    {"TypeG alarm 2 all Ignore", TypeG, 2, kAllIgnore, {0x80, 0x80, 0x80}},
    {"TypeH all Ignore", TypeH, 1, kAllIgnore, {0x00, 0x00, 0x40, 0x00, 0x00, 0x00}},
    {"TypeH alarm 2 all Ignore", TypeH, 2, kAllIgnore, {0x00, 0x40, 0x00}},
    // A list without a selection is written as "Ignore".
    {"TypeA no selection", TypeA, 1, {-1, -1, -1, -1, -1, -1}, {0, 0, 0, 0, 0, 0}},
    {"TypeG no selection", TypeG, 1, {-1, -1, -1, -1, -1, -1}, {0x80, 0x80, 0x80, 0x80}},
    {"TypeH no selection", TypeH, 1, {-1, -1, -1, -1, -1, -1}, {0, 0, 0x40, 0, 0, 0}},
    // Values.
    {"TypeA first items", TypeA, 1, {1, 1, kMil(0), 1, 1, 1}, {0x80, 0x80, 0x80, 0x81, 0x81, 0x80}},
    {"TypeA last items",
     TypeA,
     1,
     {60, 60, kPm(11), 31, 12, 7},
     {0xD9, 0xD9, 0xB1, 0xB1, 0x92, 0x86}},
    {"TypeA 12 AM", TypeA, 1, {0, 0, kAm(12), 0, 0, 0}, {0, 0, 0x92, 0, 0, 0}},
    {"TypeA 12 PM", TypeA, 1, {0, 0, kPm(12), 0, 0, 0}, {0, 0, 0xB2, 0, 0, 0}},
    {"TypeA empty hour item", TypeA, 1, {0, 0, kHourEmpty, 0, 0, 0}, {0, 0, 0x00, 0, 0, 0}},
    {"TypeA (0) Sun", TypeA, 1, {0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0x80}},
    {"TypeK date and weekday both", TypeK, 1, {0, 0, 0, 9, 0, 3}, {0, 0, 0, 0x89, 0, 0x82}},
    {"TypeC (1) Sun", TypeC, 1, {0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0x81}},
    {"TypeC (7) Sat", TypeC, 1, {0, 0, 0, 0, 0, 7}, {0, 0, 0, 0, 0, 0x87}},
    // The VK340 clock counts 24 hours only: a 12-hour entry goes as its hour of the day.
    {"TypeC 01 PM", TypeC, 1, {0, 0, kPm(1), 0, 0, 0}, {0, 0, 0x93, 0, 0, 0}},
    {"TypeC 12 AM", TypeC, 1, {0, 0, kAm(12), 0, 0, 0}, {0, 0, 0x80, 0, 0, 0}},
    {"TypeC 12 PM", TypeC, 1, {0, 0, kPm(12), 0, 0, 0}, {0, 0, 0x92, 0, 0, 0}},
    {"TypeC 23 MIL", TypeC, 1, {0, 0, kMil(23), 0, 0, 0}, {0, 0, 0xA3, 0, 0, 0}},
    {"TypeF alarm 1", TypeF, 1, {31, 46, kPm(1), 15, 12, 1}, {0xB0, 0xC5, 0xA1, 0x95, 0x92, 0x80}},
    // TypeG: bit 7 masks, bit 6 of the hour is the 12-hour flag, one byte for date or day.
    {"TypeG values", TypeG, 1, {31, 46, kMil(23), 15, 0, 0}, {0x30, 0x45, 0x23, 0x15}},
    {"TypeG 11 PM", TypeG, 1, {0, 0, kPm(11), 0, 0, 0}, {0x80, 0x80, 0x71, 0x80}},
    {"TypeG 12 AM", TypeG, 1, {0, 0, kAm(12), 0, 0, 0}, {0x80, 0x80, 0x52, 0x80}},
    {"TypeG empty hour item", TypeG, 1, {0, 0, kHourEmpty, 0, 0, 0}, {0x80, 0x80, 0x80, 0x80}},
    {"TypeG date over weekday", TypeG, 1, {0, 0, 0, 15, 0, 3}, {0x80, 0x80, 0x80, 0x15}},
    {"TypeG (3) Tue", TypeG, 1, {0, 0, 0, 0, 0, 3}, {0x80, 0x80, 0x80, 0x43}},
    {"TypeG month is no field", TypeG, 1, {0, 0, 0, 0, 12, 0}, {0x80, 0x80, 0x80, 0x80}},
    {"TypeG alarm 2 values", TypeG, 2, {0, 1, kPm(12), 0, 0, 7}, {0x00, 0x72, 0x47}},
    {"TypeG alarm 2 23 MIL", TypeG, 2, {0, 0, kMil(23), 0, 0, 0}, {0x80, 0x23, 0x80}},
    // TypeH: bit 6 of the hour is the 24-hour flag.
    {"TypeH 23 MIL", TypeH, 1, {0, 0, kMil(23), 0, 0, 0}, {0, 0, 0xE3, 0, 0, 0}},
    {"TypeH 11 PM", TypeH, 1, {0, 0, kPm(11), 0, 0, 0}, {0, 0, 0xB1, 0, 0, 0}},
    {"TypeH empty hour item", TypeH, 1, {0, 0, kHourEmpty, 0, 0, 0}, {0, 0, 0x00, 0, 0, 0}},
    {"TypeH alarm 2 (0) Sun", TypeH, 2, {0, 0, 0, 0, 0, 1}, {0x00, 0x40, 0xC0}},
    {"TypeH alarm 2 date over weekday", TypeH, 2, {0, 60, kAm(7), 31, 0, 4}, {0xD9, 0x87, 0xB1}},
};

TEST(AlarmEncode, FieldBytesPerFamily)
{
    for (const EncodeCase& c : kEncodes)
        EXPECT_EQ(encode(layout(c.type, c.number), c.fields), c.bytes) << c.what;
}

TEST(AlarmEncode, TypeELeavesTheReservedAndY2kBytes)
{
    for (int number : {1, 2}) {
        const std::vector<uint8_t> block =
            encode(layout(TypeE, number), {1, 2, kPm(12), 31, 12, 7}, 0x5A);
        EXPECT_EQ(block, (std::vector<uint8_t>{0x80, 0x81, 0xB2, 0xB1, 0x92, 0x5A, 0x86, 0x5A}))
            << number;
    }
}

TEST(AlarmEncode, OnlyTheSharedDayOrDateByteDropsTheWeekday)
{
    const AlarmFields both{0, 0, 0, 5, 0, 3};
    EXPECT_EQ(OneOfDayOrDate(layout(TypeG, 1), both).Weekday, 0);
    EXPECT_EQ(OneOfDayOrDate(layout(TypeG, 2), both).Weekday, 0);
    EXPECT_EQ(OneOfDayOrDate(layout(TypeH, 2), both).Weekday, 0);
    EXPECT_EQ(OneOfDayOrDate(layout(TypeH, 1), both), both);
    EXPECT_EQ(OneOfDayOrDate(layout(TypeA, 1), both), both);
    const AlarmFields weekdayOnly{0, 0, 0, 0, 0, 3};
    EXPECT_EQ(OneOfDayOrDate(layout(TypeG, 1), weekdayOnly), weekdayOnly);
}

// ---- reading ----

struct DecodeCase {
    const char* what;
    PartType type;
    int number;
    std::vector<uint8_t> block;
    std::optional<uint8_t> clockHour;
    ShownFields shown;
};

const std::optional<int> kKeep;

const DecodeCase kDecodes[] = {
    {"TypeA clock in 24-hour form",
     TypeA,
     1,
     {0xB0, 0x00, 0x80 | 0x15, 0x95, 0x00, 0x80},
     0x80 | 0x09,
     {31, 0, kMil(15), 15, 0, 1}},
    // 0x15 is no 12-hour hour.
    {"TypeA clock in 12-hour form",
     TypeA,
     1,
     {0x00, 0x00, 0x80 | 0x15, 0x00, 0x00, 0x00},
     0x09,
     {0, 0, -1, 0, 0, 0}},
    {"TypeA 12 AM", TypeA, 1, {0, 0, 0x92, 0, 0, 0}, 0x12, {0, 0, kAm(12), 0, 0, 0}},
    {"TypeA (0) Sun", TypeA, 1, {0, 0, 0, 0, 0, 0x80}, 0x80, {0, 0, 0, 0, 0, 1}},
    {"TypeA no clock hour",
     TypeA,
     1,
     {0x80, 0, 0x92, 0, 0x81, 0},
     std::nullopt,
     {1, 0, kKeep, 0, 1, 0}},
    {"TypeA hour off needs no clock",
     TypeA,
     1,
     {0, 0, 0x12, 0, 0, 0},
     std::nullopt,
     {0, 0, 0, 0, 0, 0}},
    {"TypeA beyond the lists",
     TypeA,
     1,
     {0xFF, 0xE0, 0x80, 0xB2, 0x93, 0x87},
     0x80,
     {-1, -1, kMil(0), -1, -1, -1}},
    {"TypeC (1) Sun, hours in 24-hour form",
     TypeC,
     1,
     {0, 0, 0x93, 0, 0, 0x81},
     std::nullopt,
     {0, 0, kMil(13), 0, 0, 1}},
    {"TypeC (7) Sat", TypeC, 1, {0, 0, 0, 0, 0, 0x87}, std::nullopt, {0, 0, 0, 0, 0, 7}},
    {"TypeE, reserved bytes skipped",
     TypeE,
     1,
     {0x80, 0x81, 0xB2, 0x81, 0x81, 0xFF, 0x86, 0xFF, 0xFF},
     0x12,
     {1, 2, kPm(12), 1, 1, 7}},
    {"TypeG day of week",
     TypeG,
     1,
     {0x30, 0x80, 0x80, 0x43},
     std::nullopt,
     {31, 0, 0, 0, kKeep, 3}},
    {"TypeG date",
     TypeG,
     1,
     {0x80, 0x59, 0x71, 0x15},
     std::nullopt,
     {0, 60, kPm(11), 15, kKeep, 0}},
    {"TypeG 24-hour",
     TypeG,
     1,
     {0x80, 0x80, 0x23, 0x80},
     std::nullopt,
     {0, 0, kMil(23), 0, kKeep, 0}},
    {"TypeG alarm 2", TypeG, 2, {0x00, 0x52, 0xC3}, std::nullopt, {0, 1, kAm(12), 0, kKeep, 0}},
    {"TypeG alarm 2 weekday", TypeG, 2, {0x80, 0x80, 0x47}, std::nullopt, {0, 0, 0, 0, kKeep, 7}},
    {"TypeH hour byte's own form",
     TypeH,
     1,
     {0, 0, 0xC5, 0, 0, 0},
     std::nullopt,
     {0, 0, kMil(5), 0, 0, 0}},
    {"TypeH 12-hour", TypeH, 1, {0, 0, 0x85, 0, 0, 0}, std::nullopt, {0, 0, kAm(5), 0, 0, 0}},
    {"TypeH Ignore hour", TypeH, 1, {0, 0, 0x40, 0, 0, 0}, std::nullopt, {0, 0, 0, 0, 0, 0}},
    {"TypeH alarm 2 (3) Wed", TypeH, 2, {0x00, 0x40, 0xC3}, std::nullopt, {0, 0, 0, 0, kKeep, 4}},
    {"TypeH alarm 2 date",
     TypeH,
     2,
     {0x80, 0xE3, 0x89},
     std::nullopt,
     {0, 1, kMil(23), 9, kKeep, 0}},
    {"TypeH alarm 2 off", TypeH, 2, {0x59, 0x63, 0x43}, std::nullopt, {0, 0, 0, 0, kKeep, 0}},
};

TEST(AlarmDecode, ListsPerFamily)
{
    for (const DecodeCase& c : kDecodes) {
        const ShownFields shown =
            DecodeBlock(layout(c.type, c.number), c.block.data(), c.clockHour);
        EXPECT_EQ(shown.Seconds, c.shown.Seconds) << c.what;
        EXPECT_EQ(shown.Minutes, c.shown.Minutes) << c.what;
        EXPECT_EQ(shown.Hours, c.shown.Hours) << c.what;
        EXPECT_EQ(shown.Date, c.shown.Date) << c.what;
        EXPECT_EQ(shown.Month, c.shown.Month) << c.what;
        EXPECT_EQ(shown.Weekday, c.shown.Weekday) << c.what;
    }
}

// What a family writes it reads back as the same choice, for every hour entry.
TEST(AlarmDecode, EveryFamilyReadsBackWhatItWrote)
{
    const PartType types[] = {TypeA, TypeB, TypeC, TypeD, TypeE, TypeF, TypeG, TypeH, TypeK};
    for (PartType type : types) {
        for (int number : {1, 2}) {
            const AlarmLayout* l = FindAlarmLayout(type, number);
            if (l == nullptr) continue;
            for (int hour = 1; hour < kHourEmpty; ++hour) {
                const AlarmFields written{(hour % 60) + 1, 60 - hour, hour,
                                          hour % 32,       hour % 13, hour % 8};
                std::vector<uint8_t> block(9, 0);
                EncodeBlock(*l, written, block.data());
                // The clock's hour form as the entry was chosen for.
                const uint8_t clock = hour < kHourFirst12 ? 0x80 : 0x00;
                const ShownFields shown = DecodeBlock(*l, block.data(), clock);
                const AlarmFields kept = OneOfDayOrDate(*l, written);
                SCOPED_TRACE(testing::Message()
                             << "type " << int(type) << " alarm " << number << " hour " << hour);
                bool hasSeconds = false, hasMonth = false;
                for (int i = 0; i < l->WriteCount; ++i) {
                    hasSeconds = hasSeconds || l->Bytes[size_t(i)] == AlarmByte::Seconds;
                    hasMonth = hasMonth || l->Bytes[size_t(i)] == AlarmByte::Month;
                }
                EXPECT_EQ(shown.Seconds, hasSeconds ? kept.Seconds : 0);
                EXPECT_EQ(shown.Minutes, kept.Minutes);
                // The VK340 reads a 12-hour entry as the same hour in 24-hour form.
                const int hourShown =
                    type == TypeC && hour >= kHourFirst12 ? HourOfTwelveHourItem(hour) + 1 : hour;
                EXPECT_EQ(shown.Hours, hourShown);
                EXPECT_EQ(shown.Date, kept.Date);
                EXPECT_EQ(shown.Month, hasMonth ? std::optional<int>(kept.Month) : kKeep);
                EXPECT_EQ(shown.Weekday, kept.Weekday);
            }
        }
    }
}

// ---- control and status bytes ----

TEST(AlarmControl, ModeBitsOfEachAlarm)
{
    struct Case {
        PartType type;
        int number;
        uint8_t before;
        bool im, enable;
        uint8_t after;
    };
    const Case cases[] = {
        {TypeA, 1, 0x3F, true, true, 0xFF},   {TypeA, 1, 0xFF, false, false, 0x3F},
        {TypeK, 1, 0x15, false, true, 0x55},  {TypeC, 1, 0xBF, true, true, 0xFF},
        {TypeC, 1, 0xFF, true, false, 0xBF},  {TypeD, 1, 0xFF, false, true, 0xDF},
        {TypeD, 1, 0x40, true, false, 0x60},  {TypeE, 1, 0x00, true, true, 0xC0},
        {TypeE, 2, 0xFF, false, false, 0x5F}, {TypeE, 2, 0x40, true, true, 0xE0},
        {TypeF, 1, 0xFF, false, false, 0xDD}, {TypeF, 1, 0x01, true, true, 0x23},
        {TypeF, 2, 0xFF, false, false, 0xDE}, {TypeF, 2, 0x02, true, true, 0x23},
        {TypeH, 1, 0xFF, true, false, 0xBF},  {TypeH, 2, 0x40, true, true, 0x60},
    };
    for (const Case& c : cases) {
        const AlarmLayout& l = layout(c.type, c.number);
        EXPECT_EQ(WithModeBits(l, c.before, c.im, c.enable), c.after)
            << int(c.type) << " alarm " << c.number << " from " << std::hex << int(c.before);
    }
}

TEST(AlarmControl, BoxesAControlByteShows)
{
    ModeBits bits = ModeBitsOf(layout(TypeA), 0x80);
    EXPECT_EQ(bits.Im, true);
    EXPECT_EQ(bits.Enable, false);
    bits = ModeBitsOf(layout(TypeD), 0x20);
    EXPECT_EQ(bits.Im, true);
    EXPECT_FALSE(bits.Enable.has_value());
    bits = ModeBitsOf(layout(TypeH, 2), 0x20);
    EXPECT_FALSE(bits.Im.has_value());
    EXPECT_EQ(bits.Enable, true);
    bits = ModeBitsOf(layout(TypeF, 2), 0x21);
    EXPECT_EQ(bits.Im, true);
    EXPECT_EQ(bits.Enable, true);
    bits = ModeBitsOf(layout(TypeG), 0xFF);
    EXPECT_FALSE(bits.Im.has_value());
    EXPECT_FALSE(bits.Enable.has_value());
}

TEST(AlarmControl, ClearingTheFlagLeavesTheOthers)
{
    struct Case {
        PartType type;
        int number;
        uint8_t status;
        uint8_t register_;
        uint8_t written;
    };
    const Case cases[] = {
        {TypeA, 1, 0x04, 0x07, 0x0B}, {TypeA, 1, 0xD4, 0x07, 0xDB}, {TypeK, 1, 0x0C, 0x07, 0x0B},
        {TypeC, 1, 0xE4, 0x0B, 0xEB}, {TypeD, 1, 0x10, 0x07, 0xEF}, {TypeF, 1, 0x30, 0x08, 0xDF},
        {TypeF, 2, 0x30, 0x08, 0x2F}, {TypeG, 1, 0x03, 0x0F, 0x82}, {TypeG, 2, 0x03, 0x0F, 0xFD},
        {TypeH, 1, 0x06, 0x07, 0x0B}, {TypeH, 2, 0x06, 0x07, 0x0D}, {TypeH, 2, 0x90, 0x07, 0x9D},
    };
    for (const Case& c : cases) {
        const AlarmLayout& l = layout(c.type, c.number);
        EXPECT_TRUE(l.HasFlag);
        EXPECT_EQ(l.Status, c.register_) << int(c.type) << " alarm " << c.number;
        EXPECT_EQ(ClearedStatus(l, c.status), c.written)
            << int(c.type) << " alarm " << c.number << " from " << std::hex << int(c.status);
    }
}

TEST(AlarmControl, IrqUsageIsBitsTwoToZero)
{
    EXPECT_EQ(WithIrqUsage(0x18, 7), 0x1F);
    EXPECT_EQ(WithIrqUsage(0xFF, 0), 0xF8);
    EXPECT_EQ(WithIrqUsage(0x9C, 5), 0x9D);
    EXPECT_EQ(IrqUsageOf(0x1D), 5);
    EXPECT_EQ(IrqUsageOf(0xF8), 0);
}

} // namespace
