// Alarms of every family, programmed with the bytes the Alarm page writes.
#include "ChipBench.h"

namespace chiptest {
namespace {

struct AlarmCase {
    const char* name;
    const char* part;
    uint8_t ctrlReg; // the alarm's enable bit (mask 0: none)
    uint8_t ctrlMask;
    uint8_t blockReg;
    std::vector<uint8_t> block;
    uint8_t flagReg;
    uint8_t flagMask;
    Time match; // the first second the alarm matches
};

// 14:05:30 with the other fields ignored, unless said otherwise.
const AlarmCase kAlarmCases[] = {
    {"A",
     "VK310",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0x94, 0, 0, 0},
     0x07,
     0x04,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"B",
     "VK331",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0x94, 0, 0, 0},
     0x07,
     0x04,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"C",
     "VK340",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0x94, 0, 0, 0},
     0x0B,
     0x04,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"D", "VK350", 0, 0, 0x10, {0xB0, 0x85, 0x94, 0, 0, 0}, 0x07, 0x10, {2024, 3, 7, 14, 5, 30, 4}},
    {"E_Alarm1",
     "VK360",
     0x11,
     0x40,
     0x08,
     {0xB0, 0x85, 0x94, 0, 0, 0, 0, 0},
     0x3F,
     0x40,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"E_Alarm0",
     "VK365",
     0x11,
     0x20,
     0x00,
     {0xB0, 0x85, 0x94, 0, 0, 0, 0, 0},
     0x3F,
     0x20,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"F_Alarm1",
     "VK370",
     0x0C,
     0x02,
     0x23,
     {0xB0, 0x85, 0x94, 0, 0, 0},
     0x08,
     0x20,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"F_Alarm0",
     "VK370",
     0x0C,
     0x01,
     0x1D,
     {0xB0, 0x85, 0x94, 0, 0, 0},
     0x08,
     0x10,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"G_Alarm1",
     "VK380",
     0,
     0,
     0x07,
     {0x30, 0x05, 0x14, 0x80},
     0x0F,
     0x01,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"G_Alarm2", "VK380", 0, 0, 0x0B, {0x05, 0x14, 0x80}, 0x0F, 0x02, {2024, 3, 7, 14, 5, 0, 4}},
    {"H_Alarm1",
     "VK381",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0xD4, 0, 0, 0},
     0x07,
     0x04,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"H_Alarm2",
     "VK381",
     0x08,
     0x20,
     0x12,
     {0x85, 0xD4, 0x00},
     0x07,
     0x02,
     {2024, 3, 7, 14, 5, 0, 4}},
    {"K",
     "VK390",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0x94, 0, 0, 0},
     0x07,
     0x04,
     {2024, 3, 7, 14, 5, 30, 4}},
    // Date, month and weekday fields.
    {"A_DateAndMonth",
     "VK311",
     0x08,
     0x40,
     0x0C,
     {0x80, 0x80, 0x80, 0x88, 0x83, 0},
     0x07,
     0x04,
     {2024, 3, 8, 0, 0, 0, 5}},
    {"E_Weekday",
     "VK362",
     0x11,
     0x40,
     0x08,
     {0x80, 0x80, 0x80, 0, 0, 0, 0x85, 0},
     0x3F,
     0x40,
     {2024, 3, 8, 0, 0, 0, 5}},
    {"G_Weekday",
     "VK380",
     0,
     0,
     0x07,
     {0x00, 0x00, 0x00, 0x46},
     0x0F,
     0x01,
     {2024, 3, 8, 0, 0, 0, 5}},
    {"G_Date", "VK380", 0, 0, 0x0B, {0x00, 0x00, 0x08}, 0x0F, 0x02, {2024, 3, 8, 0, 0, 0, 5}},
    {"H_Weekday",
     "VK381",
     0x08,
     0x20,
     0x12,
     {0x80, 0xC0, 0xC5},
     0x07,
     0x02,
     {2024, 3, 8, 0, 0, 0, 5}},
    // Hours in the 12-hour codes: "02 PM".
    {"H_TwelveHourCode",
     "VK381",
     0x08,
     0x40,
     0x0C,
     {0xB0, 0x85, 0xA2, 0, 0, 0},
     0x07,
     0x04,
     {2024, 3, 7, 14, 5, 30, 4}},
    {"G_TwelveHourCode",
     "VK380",
     0,
     0,
     0x07,
     {0x30, 0x05, 0x62, 0x80},
     0x0F,
     0x01,
     {2024, 3, 7, 14, 5, 30, 4}},
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
    ASSERT_EQ(KVRX_OK, bench.writeTime(secondsBefore(c.match, 10)));

    bench.runSeconds(9);
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask) << "one second early";
    bench.runSeconds(1);
    EXPECT_EQ(c.flagMask, bench.reg(c.flagReg) & c.flagMask);
    Time now = bench.readTime();
    EXPECT_EQ(c.match.second, now.second);
    EXPECT_EQ(c.match.day, now.day);
}

TEST_P(AlarmMatch, NoFlagWithTheAlarmDisabledOrElsewhere)
{
    const AlarmCase& c = GetParam();
    ChipBench bench(c.part);
    std::vector<uint8_t> block = c.block;
    if (c.ctrlMask) {
        bench.changeReg(c.ctrlReg, c.ctrlMask, 0x00); // enable bit clear
    } else {
        block[1] ^= 0x01; // another minute
    }
    bench.setRegs(c.blockReg, block);
    ASSERT_EQ(KVRX_OK, bench.writeTime(secondsBefore(c.match, 10)));
    bench.runSeconds(65); // past the match, short of the next minute's
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask);
}

INSTANTIATE_TEST_SUITE_P(Families, AlarmMatch, ::testing::ValuesIn(kAlarmCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Alarm, MatchesAClockInTwelveHourForm)
{
    ChipBench bench("VK310");
    bench.changeReg(0x08, 0x40, 0x40);
    bench.setRegs(0x0C, {0xB0, 0x85, 0xA2, 0, 0, 0}); // 02 PM, 05 min, 30 s
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 29, 4}, false));
    bench.run(1);
    EXPECT_EQ(0x04, bench.reg(0x07) & 0x04);
}

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

TEST(Alarm, TheInterruptOutputFollowsAnEnabledAlarmFlag)
{
    ChipBench a("VK310");
    a.changeReg(0x08, 0x40, 0x40);
    a.setRegs(0x0C, {0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(a.chip().irqLow());
    a.run(1);
    EXPECT_TRUE(a.chip().irqLow());
    a.setReg(0x07, 0x0B); // ALM cleared
    EXPECT_FALSE(a.chip().irqLow());

    // TypeG: the alarm flag reaches the pin with INTCN and the alarm's interrupt enable.
    ChipBench g("VK380");
    g.setRegs(0x07, {0x80, 0x80, 0x80, 0x80});
    g.run(1);
    EXPECT_FALSE(g.chip().irqLow());
    g.setReg(0x0E, 0x05);
    EXPECT_TRUE(g.chip().irqLow());
    g.setReg(0x0E, 0x01);
    EXPECT_FALSE(g.chip().irqLow());
}

TEST(Alarm, TypeJDrivesItsPinFromOut)
{
    ChipBench j("VK382");
    EXPECT_FALSE(j.chip().irqLow());
    j.setReg(0x07, 0x00);
    EXPECT_TRUE(j.chip().irqLow());
    j.setReg(0x07, 0x40); // frequency test on
    EXPECT_FALSE(j.chip().irqLow());
}

} // namespace
} // namespace chiptest
