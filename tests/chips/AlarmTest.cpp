// Alarms of every family, programmed with the bytes the Alarm page writes for
// its first and its second alarm.
#include "ChipBench.h"

namespace chiptest {
namespace {

struct AlarmCase {
    const char* name;
    const char* part;
    uint8_t ctrlReg; // the alarm's enable bit (mask 0: none)
    uint8_t ctrlMask;
    uint8_t blockReg;
    std::vector<uint8_t> block; // as the page writes it
    uint8_t flagReg;
    uint8_t flagMask;
    Time match;         // the first second the alarm matches
    bool hour24 = true; // the clock's own hour form
};

// 14:05:30 on Thursday 7 March 2024 with the other fields at "Ignore", unless said otherwise.
const Time kThu140530{2024, 3, 7, 14, 5, 30, 4};
const Time kThu140500{2024, 3, 7, 14, 5, 0, 4};
const Time kThuMidnight{2024, 3, 7, 0, 0, 0, 4};
const Time kFriMidnight{2024, 3, 8, 0, 0, 0, 5};

const AlarmCase kAlarmCases[] = {
    // ---- first alarms: seconds, minutes, "14 MIL" ----
    {"A", "VK310", 0x08, 0x40, 0x0C, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x07, 0x04, kThu140530},
    {"B", "VK331", 0x08, 0x40, 0x0C, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x07, 0x04, kThu140530},
    {"C", "VK340", 0x08, 0x40, 0x0C, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x0B, 0x04, kThu140530},
    {"D", "VK350", 0, 0, 0x10, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x07, 0x10, kThu140530},
    {"E_Alarm1",
     "VK360",
     0x11,
     0x40,
     0x08,
     {0xB0, 0x85, 0x94, 0, 0, 0, 0, 0},
     0x3F,
     0x40,
     kThu140530},
    {"F_Alarm1", "VK370", 0x0C, 0x02, 0x23, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x08, 0x20, kThu140530},
    {"G_Alarm1", "VK380", 0, 0, 0x07, {0x30, 0x05, 0x14, 0x80}, 0x0F, 0x01, kThu140530},
    {"H_Alarm1", "VK381", 0x08, 0x40, 0x0C, {0xB0, 0x85, 0xD4, 0, 0, 0}, 0x07, 0x04, kThu140530},
    {"K", "VK390", 0x08, 0x40, 0x0C, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x07, 0x04, kThu140530},
    // ---- second alarms: the same fields; TypeG and TypeH have no seconds ----
    {"E_Alarm0",
     "VK365",
     0x11,
     0x20,
     0x00,
     {0xB0, 0x85, 0x94, 0, 0, 0, 0, 0},
     0x3F,
     0x20,
     kThu140530},
    {"F_Alarm0", "VK370", 0x0C, 0x01, 0x1D, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x08, 0x10, kThu140530},
    {"G_Alarm2", "VK380", 0, 0, 0x0B, {0x05, 0x14, 0x80}, 0x0F, 0x02, kThu140500},
    {"H_Alarm2", "VK381", 0x08, 0x20, 0x12, {0x85, 0xD4, 0x00}, 0x07, 0x02, kThu140500},
    // ---- date, month and day of week ----
    {"A_DateAndMonth",
     "VK311",
     0x08,
     0x40,
     0x0C,
     {0x80, 0x80, 0x80, 0x88, 0x83, 0},
     0x07,
     0x04,
     kFriMidnight},
    {"A_Weekday4Thu",
     "VK310",
     0x08,
     0x40,
     0x0C,
     {0x80, 0x80, 0x80, 0, 0, 0x84},
     0x07,
     0x04,
     kThuMidnight},
    {"C_Weekday5Thu",
     "VK340",
     0x08,
     0x40,
     0x0C,
     {0x80, 0x80, 0x80, 0, 0, 0x85},
     0x0B,
     0x04,
     kThuMidnight},
    {"D_DateAndMonth",
     "VK352",
     0,
     0,
     0x10,
     {0x80, 0x80, 0x80, 0x88, 0x83, 0},
     0x07,
     0x10,
     kFriMidnight},
    {"E_Alarm1_Weekday5Fri",
     "VK362",
     0x11,
     0x40,
     0x08,
     {0x80, 0x80, 0x80, 0, 0, 0, 0x85, 0},
     0x3F,
     0x40,
     kFriMidnight},
    {"E_Alarm0_DateAndMonth",
     "VK364",
     0x11,
     0x20,
     0x00,
     {0x80, 0x80, 0x80, 0x88, 0x83, 0, 0, 0},
     0x3F,
     0x20,
     kFriMidnight},
    {"F_Alarm0_Weekday5Fri",
     "VK370",
     0x0C,
     0x01,
     0x1D,
     {0x80, 0x80, 0x80, 0, 0, 0x85},
     0x08,
     0x10,
     kFriMidnight},
    {"G_Alarm1_Weekday6Fri",
     "VK380",
     0,
     0,
     0x07,
     {0x00, 0x00, 0x00, 0x46},
     0x0F,
     0x01,
     kFriMidnight},
    {"G_Alarm2_Date", "VK380", 0, 0, 0x0B, {0x00, 0x00, 0x08}, 0x0F, 0x02, kFriMidnight},
    {"G_Alarm2_Weekday6Fri", "VK380", 0, 0, 0x0B, {0x00, 0x00, 0x46}, 0x0F, 0x02, kFriMidnight},
    {"H_Alarm1_Weekday5Fri",
     "VK381",
     0x08,
     0x40,
     0x0C,
     {0x80, 0x80, 0xC0, 0, 0, 0x85},
     0x07,
     0x04,
     kFriMidnight},
    {"H_Alarm2_Weekday5Fri",
     "VK381",
     0x08,
     0x20,
     0x12,
     {0x80, 0xC0, 0xC5},
     0x07,
     0x02,
     kFriMidnight},
    {"H_Alarm2_Date", "VK381", 0x08, 0x20, 0x12, {0x80, 0xC0, 0x88}, 0x07, 0x02, kFriMidnight},
    // ---- hours from the 12-hour entries ("02 PM") ----
    {"A_TwelveHourClock",
     "VK320",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0xA2, 0, 0, 0},
     0x07,
     0x04,
     kThu140530,
     false},
    {"E_Alarm0_TwelveHourClock",
     "VK360",
     0x11,
     0x20,
     0x00,
     {0xB0, 0x85, 0xA2, 0, 0, 0, 0, 0},
     0x3F,
     0x20,
     kThu140530,
     false},
    {"F_Alarm1_TwelveHourClock",
     "VK370",
     0x0C,
     0x02,
     0x23,
     {0xB0, 0x85, 0xA2, 0, 0, 0},
     0x08,
     0x20,
     kThu140530,
     false},
    {"K_TwelveHourClock",
     "VK390",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0xA2, 0, 0, 0},
     0x07,
     0x04,
     kThu140530,
     false},
    // TypeG and TypeH carry the alarm's own hour form, whatever the clock's.
    {"G_Alarm1_TwelveHourCode",
     "VK380",
     0,
     0,
     0x07,
     {0x30, 0x05, 0x62, 0x80},
     0x0F,
     0x01,
     kThu140530},
    {"G_Alarm2_TwelveHourCode",
     "VK380",
     0,
     0,
     0x0B,
     {0x05, 0x62, 0x80},
     0x0F,
     0x02,
     kThu140500,
     false},
    {"H_Alarm1_TwelveHourCode",
     "VK381",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0xA2, 0, 0, 0},
     0x07,
     0x04,
     kThu140530},
    {"H_Alarm2_TwelveHourCode",
     "VK381",
     0x08,
     0x20,
     0x12,
     {0x85, 0xA2, 0x00},
     0x07,
     0x02,
     kThu140500,
     false},
    // "12 AM" is midnight.
    {"H_Alarm2_TwelveAm", "VK381", 0x08, 0x20, 0x12, {0x80, 0x92, 0x00}, 0x07, 0x02, kThuMidnight},
    // The VK340 clock counts 24 hours only: its alarm hour is a 24-hour value,
    // so the "01 PM" code 0xA1 stands for 21 o'clock.
    {"C_TwelveHourCodeIsA24HourValue",
     "VK340",
     0x08,
     0x40,
     0x0C,
     {0x80, 0x80, 0xA1, 0, 0, 0},
     0x0B,
     0x04,
     {2024, 3, 7, 21, 0, 0, 4}},
};

Time secondsBefore(const Time& t, int n)
{
    return addSeconds(t, -n);
}

class AlarmMatch : public ::testing::TestWithParam<AlarmCase> {};

TEST_P(AlarmMatch, FlagSetOnTheSecondOfTheMatchAndNotBefore)
{
    const AlarmCase& c = GetParam();
    ChipBench bench(c.part);
    if (c.ctrlMask) bench.changeReg(c.ctrlReg, c.ctrlMask, c.ctrlMask);
    bench.setRegs(c.blockReg, c.block);
    ASSERT_EQ(KVRX_OK, bench.writeTime(secondsBefore(c.match, 10), c.hour24));
    bench.setReg(c.flagReg, static_cast<uint8_t>(bench.reg(c.flagReg) & ~c.flagMask));

    bench.runSeconds(9);
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask) << "one second early";
    bench.runSeconds(1);
    EXPECT_EQ(c.flagMask, bench.reg(c.flagReg) & c.flagMask);
    Time now = bench.readTime();
    EXPECT_EQ(c.match, now);
}

TEST_P(AlarmMatch, NoFlagWithTheAlarmDisabledOrElsewhere)
{
    const AlarmCase& c = GetParam();
    ChipBench bench(c.part);
    std::vector<uint8_t> block = c.block;
    if (c.ctrlMask) {
        bench.changeReg(c.ctrlReg, c.ctrlMask, 0x00); // enable bit clear
    } else {
        // Another minute: the minutes field is the first of TypeG's alarm 2.
        const bool minutesFirst = c.block.size() == 3;
        block[minutesFirst ? 0 : 1] ^= 0x01;
    }
    bench.setRegs(c.blockReg, block);
    ASSERT_EQ(KVRX_OK, bench.writeTime(secondsBefore(c.match, 10), c.hour24));
    bench.setReg(c.flagReg, static_cast<uint8_t>(bench.reg(c.flagReg) & ~c.flagMask));
    bench.runSeconds(65); // past the match, short of the next minute's
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask);
}

INSTANTIATE_TEST_SUITE_P(Families, AlarmMatch, ::testing::ValuesIn(kAlarmCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Hour bytes that are no hour in the form the alarm compares in: the clock's
// form, or on TypeG and TypeH the alarm byte's own form bit. Such a byte never
// matches (the Alarm page reads it back as no hour), while a valid hour of
// the same form matches within the day, so the alarm is known to be armed.
struct AlarmSlot {
    uint8_t ctrlReg; // the alarm's enable bit (mask 0: none)
    uint8_t ctrlMask;
    uint8_t blockReg;
    std::vector<uint8_t> ignored; // the block with every field at "Ignore"
    size_t hourAt;                // the hour byte's offset in the block
    uint8_t flagReg;
    uint8_t flagMask;
};

const AlarmSlot kAlarmAt0C{0x08, 0x40, 0x0C, {0, 0, 0, 0, 0, 0}, 2, 0x07, 0x04}; // A, B, K
const AlarmSlot kVk340Alarm{0x08, 0x40, 0x0C, {0, 0, 0, 0, 0, 0}, 2, 0x0B, 0x04};
const AlarmSlot kTypeDAlarm{0, 0, 0x10, {0, 0, 0, 0, 0, 0}, 2, 0x07, 0x10};
const AlarmSlot kTypeEAlarm1{0x11, 0x40, 0x08, {0, 0, 0, 0, 0, 0, 0, 0}, 2, 0x3F, 0x40};
const AlarmSlot kTypeEAlarm0{0x11, 0x20, 0x00, {0, 0, 0, 0, 0, 0, 0, 0}, 2, 0x3F, 0x20};
const AlarmSlot kTypeFAlarm1{0x0C, 0x02, 0x23, {0, 0, 0, 0, 0, 0}, 2, 0x08, 0x20};
const AlarmSlot kTypeFAlarm0{0x0C, 0x01, 0x1D, {0, 0, 0, 0, 0, 0}, 2, 0x08, 0x10};
const AlarmSlot kTypeGAlarm1{0, 0, 0x07, {0x80, 0x80, 0x80, 0x80}, 2, 0x0F, 0x01};
const AlarmSlot kTypeGAlarm2{0, 0, 0x0B, {0x80, 0x80, 0x80}, 1, 0x0F, 0x02};
const AlarmSlot kTypeHAlarm1{0x08, 0x40, 0x0C, {0, 0, 0x40, 0, 0, 0}, 2, 0x07, 0x04};
const AlarmSlot kTypeHAlarm2{0x08, 0x20, 0x12, {0, 0x40, 0}, 1, 0x07, 0x02};

struct NoHourCase {
    const char* name;
    const char* part;
    const AlarmSlot* alarm;
    std::vector<uint8_t> noHours;
    uint8_t validHour;
    bool hour24; // the clock's own hour form
};

const NoHourCase kNoHourCases[] = {
    // ---- a 12-hour clock: "13 MIL" (0x93), hour 00 (0x80, PM 0xA0), a digit above 9 ----
    {"A_TwelveHourClock", "VK310", &kAlarmAt0C, {0x93, 0x80, 0x8A}, 0xA1, false},
    {"B_TwelveHourClock", "VK321", &kAlarmAt0C, {0x93, 0xA0}, 0xB2, false},
    {"D_TwelveHourClock", "VK354", &kTypeDAlarm, {0x93, 0x95}, 0x81, false},
    {"E_Alarm1_TwelveHourClock", "VK360", &kTypeEAlarm1, {0x93}, 0xA1, false},
    {"E_Alarm0_TwelveHourClock", "VK361", &kTypeEAlarm0, {0x80, 0x8A}, 0x92, false},
    {"F_Alarm1_TwelveHourClock", "VK370", &kTypeFAlarm1, {0x93}, 0xA1, false},
    {"F_Alarm0_TwelveHourClock", "VK370", &kTypeFAlarm0, {0x95, 0xA0}, 0xA3, false},
    {"K_TwelveHourClock", "VK390", &kAlarmAt0C, {0x93}, 0xA1, false},
    // TypeG: bit 6 set is the 12-hour form ("01 PM" is 0x61), whatever the clock's form.
    {"G_Alarm1_TwelveHourCode", "VK380", &kTypeGAlarm1, {0x53, 0x40, 0x4A}, 0x61, false},
    {"G_Alarm2_TwelveHourCode", "VK380", &kTypeGAlarm2, {0x53}, 0x61, true},
    // TypeH: bit 6 clear is the 12-hour form.
    {"H_Alarm1_TwelveHourCode", "VK381", &kTypeHAlarm1, {0x93}, 0xA1, true},
    {"H_Alarm2_TwelveHourCode", "VK381", &kTypeHAlarm2, {0x80, 0x93}, 0x92, false},
    // ---- the 24-hour form: "12 PM" (0xB2), "05 PM" (0xA5) and the like, a digit above 9 ----
    {"A_TwentyFourHourClock", "VK311", &kAlarmAt0C, {0xB2, 0xA5, 0x9A}, 0x93, true},
    // The VK340 clock counts 24 hours only.
    {"C_TwentyFourHourClock", "VK340", &kVk340Alarm, {0xB2, 0xA4, 0x8F}, 0x92, true},
    {"D_TwentyFourHourClock", "VK350", &kTypeDAlarm, {0xB1, 0x9B}, 0x80, true},
    {"E_Alarm1_TwentyFourHourClock", "VK363", &kTypeEAlarm1, {0xB1, 0x9C}, 0xA3, true},
    {"F_Alarm0_TwentyFourHourClock", "VK370", &kTypeFAlarm0, {0xB2, 0x8B}, 0x80, true},
    {"K_TwentyFourHourClock", "VK390", &kAlarmAt0C, {0xA6, 0x8D}, 0x91, true},
    // TypeG and TypeH in their 24-hour form under a 12-hour clock.
    {"G_Alarm1_TwentyFourHourCode", "VK380", &kTypeGAlarm1, {0x32, 0x24, 0x1B}, 0x23, false},
    {"G_Alarm2_TwentyFourHourCode", "VK380", &kTypeGAlarm2, {0x0E}, 0x00, false},
    {"H_Alarm1_TwentyFourHourCode", "VK381", &kTypeHAlarm1, {0xF2, 0xDA}, 0xD3, false},
    {"H_Alarm2_TwentyFourHourCode", "VK381", &kTypeHAlarm2, {0xE5, 0xCF}, 0xC0, false},
};

std::string hexByte(uint8_t value)
{
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[value >> 4] + kDigits[value & 0x0F];
}

class NoHour : public ::testing::TestWithParam<NoHourCase> {};

TEST_P(NoHour, NeverMatchesInAWholeDayWhileAValidHourOfItsFormDoes)
{
    const NoHourCase& c = GetParam();
    const AlarmSlot& a = *c.alarm;
    ChipBench bench(c.part);
    if (a.ctrlMask) bench.changeReg(a.ctrlReg, a.ctrlMask, a.ctrlMask);
    ASSERT_EQ(KVRX_OK, bench.writeTime(kThuMidnight, c.hour24));
    auto armWith = [&](uint8_t hour) {
        std::vector<uint8_t> block = a.ignored;
        block[a.hourAt] = hour;
        bench.setRegs(a.blockReg, block);
        bench.setReg(a.flagReg, static_cast<uint8_t>(bench.reg(a.flagReg) & ~a.flagMask));
    };
    for (const uint8_t hour : c.noHours) {
        SCOPED_TRACE("hour byte " + hexByte(hour));
        armWith(hour);
        bench.run(86400); // every hour of a day, each second of it
        EXPECT_EQ(0, bench.reg(a.flagReg) & a.flagMask);
    }
    armWith(c.validHour);
    bench.run(86400);
    EXPECT_EQ(a.flagMask, bench.reg(a.flagReg) & a.flagMask)
        << "hour byte " << hexByte(c.validHour);
}

INSTANTIATE_TEST_SUITE_P(Families, NoHour, ::testing::ValuesIn(kNoHourCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Second alarms without a seconds field, every field at "Ignore": once a
// minute, at its second 0.
struct MinuteCase {
    const char* part;
    uint8_t ctrlReg, ctrlMask;
    uint8_t blockReg;
    std::vector<uint8_t> block;
    uint8_t flagReg, flagMask;
};

class EveryMinute : public ::testing::TestWithParam<MinuteCase> {};

TEST_P(EveryMinute, AllFieldsIgnoredMatchAtEachMinutesSecondZero)
{
    const MinuteCase& c = GetParam();
    ChipBench bench(c.part);
    if (c.ctrlMask) bench.changeReg(c.ctrlReg, c.ctrlMask, c.ctrlMask);
    bench.setRegs(c.blockReg, c.block);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 58, 4}));
    auto clearFlag = [&] {
        bench.setReg(c.flagReg, static_cast<uint8_t>(bench.reg(c.flagReg) & ~c.flagMask));
    };
    clearFlag();
    bench.runSeconds(1);
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask) << "14:05:59";
    bench.runSeconds(1);
    EXPECT_EQ(c.flagMask, bench.reg(c.flagReg) & c.flagMask) << "14:06:00";
    clearFlag();
    bench.runSeconds(59);
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask) << "14:06:59";
    bench.runSeconds(1);
    EXPECT_EQ(c.flagMask, bench.reg(c.flagReg) & c.flagMask) << "14:07:00";
}

INSTANTIATE_TEST_SUITE_P(
    Families, EveryMinute,
    ::testing::Values(MinuteCase{"VK380", 0, 0, 0x0B, {0x80, 0x80, 0x80}, 0x0F, 0x02},
                      MinuteCase{"VK381", 0x08, 0x20, 0x12, {0x00, 0x40, 0x00}, 0x07, 0x02}),
    [](const auto& info) { return std::string(info.param.part); });

TEST(Alarm, EveryFieldIgnoredMatchesEverySecondWhereAnEnableBitArmsIt)
{
    ChipBench a("VK320");
    a.changeReg(0x08, 0x40, 0x40);
    a.setRegs(0x0C, {0, 0, 0, 0, 0, 0});
    a.run(1);
    EXPECT_EQ(0x04, a.reg(0x07) & 0x04);

    // TypeD has no enable bit: with no field compared its alarm is off.
    ChipBench d("VK350");
    d.run(120);
    EXPECT_EQ(0, d.reg(0x07) & 0x10);
}

TEST(Alarm, AnAlarmDaysAheadIsFoundByALongRun)
{
    ChipBench bench("VK370");
    bench.changeReg(0x0C, 0x02, 0x02);
    bench.setRegs(0x23, {0x80, 0x80, 0x92, 0x94, 0x83, 0}); // 14 March, 12:00:00 AM code
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}, false));
    bench.run(6 * 86400);
    EXPECT_EQ(0, bench.reg(0x08) & 0x20);
    bench.run(86400);
    EXPECT_EQ(0x20, bench.reg(0x08) & 0x20);
}

TEST(Alarm, AFlagClearedAfterALongRunComesBackAtTheNextMatch)
{
    // While the flag is up the chip may pass whole days at once; a later
    // match must still be seen once the flag is cleared.
    ChipBench bench("VK310");
    bench.changeReg(0x08, 0x40, 0x40);
    bench.setRegs(0x0C, {0x80, 0x80, 0x80, 0, 0, 0}); // every midnight
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 23, 59, 50, 4}));
    bench.run(20);
    ASSERT_EQ(0x04, bench.reg(0x07) & 0x04);
    bench.run(3 * 86400);
    bench.setReg(0x07, static_cast<uint8_t>((bench.reg(0x07) | 0x0F) & ~0x04));
    ASSERT_EQ(0, bench.reg(0x07) & 0x04);
    bench.run(86400 - 10);
    EXPECT_EQ(0x04, bench.reg(0x07) & 0x04);
    EXPECT_EQ((Time{2024, 3, 12, 0, 0, 0, 2}), bench.readTime());
}

TEST(Alarm, ClearingTheFlagTheWayTheApplicationDoesKeepsTheOthers)
{
    ChipBench bench("VK310");
    bench.changeReg(0x08, 0x40, 0x40);
    bench.setRegs(0x0C, {0, 0, 0, 0, 0, 0});
    bench.run(1);
    ASSERT_EQ(0x05, bench.reg(0x07) & 0x0F) << "ALM and RTCF";
    uint8_t sr = bench.reg(0x07);
    sr = static_cast<uint8_t>((sr | 0x0F) & ~0x04);
    bench.setReg(0x07, sr);
    EXPECT_EQ(0x01, bench.reg(0x07) & 0x0F);
}

TEST(Alarm, AutoResetClearsTheAlarmAndBatteryFlagsOnAStatusRead)
{
    ChipBench bench("VK390");
    bench.changeReg(0x08, 0x40, 0x40);
    bench.setRegs(0x0C, {0, 0, 0, 0, 0, 0});
    bench.changeReg(0x07, 0x80, 0x80); // ARST
    bench.run(1);
    EXPECT_EQ(0x04, bench.reg(0x07) & 0x04);
    EXPECT_EQ(0x00, bench.reg(0x07) & 0x04);
}

} // namespace
} // namespace chiptest
