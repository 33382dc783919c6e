// Timekeeping of every family, seen through the application's time codec.
#include <cmath>

#include "ChipBench.h"
#include "clock/TimeCodec.h"

namespace chiptest {
namespace {

struct RunCase {
    const char* name;
    Time from;
    bool hour24;
    double run; // seconds of true time
    Time to;
    uint8_t hourReg; // expected HR register in the 12-hour cases (0: not checked)
};

const RunCase kRunCases[] = {
    {"ReadsBack", {2024, 3, 7, 14, 5, 9, 4}, true, 0, {2024, 3, 7, 14, 5, 9, 4}, 0},
    {"RunsAnHour", {2024, 3, 7, 14, 5, 9, 4}, true, 3600, {2024, 3, 7, 15, 5, 9, 4}, 0},
    {"Midnight", {2024, 6, 15, 23, 59, 59, 6}, true, 1, {2024, 6, 16, 0, 0, 0, 0}, 0},
    {"MonthOf30Days", {2024, 4, 30, 23, 59, 58, 2}, true, 2, {2024, 5, 1, 0, 0, 0, 3}, 0},
    {"LeapDay", {2024, 2, 28, 23, 59, 59, 3}, true, 1, {2024, 2, 29, 0, 0, 0, 4}, 0},
    {"AfterLeapDay", {2024, 2, 29, 23, 59, 59, 4}, true, 1, {2024, 3, 1, 0, 0, 0, 5}, 0},
    {"NoLeapDay", {2023, 2, 28, 23, 59, 59, 2}, true, 1, {2023, 3, 1, 0, 0, 0, 3}, 0},
    {"YearEnd", {2024, 12, 31, 23, 59, 59, 2}, true, 1, {2025, 1, 1, 0, 0, 0, 3}, 0},
    {"AWeekAndAMinute",
     {2024, 3, 7, 14, 5, 9, 4},
     true,
     7 * 86400 + 61,
     {2024, 3, 14, 14, 6, 10, 4},
     0},
    {"PmIn12Hour", {2024, 3, 7, 14, 5, 9, 4}, false, 0, {2024, 3, 7, 14, 5, 9, 4}, 0x22},
    {"NoonIn12Hour", {2024, 3, 7, 11, 59, 59, 4}, false, 1, {2024, 3, 7, 12, 0, 0, 4}, 0x32},
    {"OnePmIn12Hour", {2024, 3, 7, 12, 59, 59, 4}, false, 1, {2024, 3, 7, 13, 0, 0, 4}, 0x21},
    {"MidnightIn12Hour", {2024, 6, 15, 23, 59, 59, 6}, false, 1, {2024, 6, 16, 0, 0, 0, 0}, 0x12},
};

struct ClockCase {
    FamilyPart part;
    RunCase run;
};

std::vector<ClockCase> clockCases()
{
    std::vector<ClockCase> cases;
    for (const FamilyPart& part : kOnePartPerFamily) {
        for (const RunCase& run : kRunCases) {
            // TypeC and TypeJ count in 24-hour form only.
            if (!run.hour24 && (part.type == TypeC || part.type == TypeJ)) continue;
            cases.push_back({part, run});
        }
    }
    return cases;
}

class ClockRuns : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockRuns, TimeWrittenByTheApplicationReadsBackAndRunsOn)
{
    const ClockCase& c = GetParam();
    ChipBench bench(c.part.name);
    ASSERT_EQ(KVRX_OK, bench.writeTime(c.run.from, c.run.hour24));
    bench.run(c.run.run);

    bool hour24 = !c.run.hour24;
    EXPECT_EQ(c.run.to, bench.readTime(&hour24));
    // On the chip the weekday-first families count the day 1 (Sunday) to 7.
    const bool dwFirst = weekdayFirst(c.part.type);
    const uint32_t dwReg = (bench.type() == TypeE ? 0x30u : 0x00u) + (dwFirst ? 3u : 6u);
    EXPECT_EQ(BinToBcd(static_cast<uint32_t>(c.run.to.weekday + (dwFirst ? 1 : 0)), 8),
              bench.peek(dwReg));
    EXPECT_EQ(c.part.type == TypeC || c.part.type == TypeJ || c.run.hour24, hour24);
    if (c.run.hourReg) {
        const uint8_t twelveFlag = c.part.type == TypeG ? 0x40 : 0x00;
        EXPECT_EQ(c.run.hourReg | twelveFlag, bench.peek(bench.type() == TypeE ? 0x32 : 0x02));
    }
}

INSTANTIATE_TEST_SUITE_P(Families, ClockRuns, ::testing::ValuesIn(clockCases()),
                         [](const ::testing::TestParamInfo<ClockCase>& info) {
                             return std::string(info.param.part.name) + "_" + info.param.run.name;
                         });

// ---------------------------------------------------------------- protection

class Protection : public ::testing::TestWithParam<FamilyPart> {};

// A bare write of the time registers, without the enabling steps.
void bareTimeWrite(ChipBench& bench, const std::vector<uint8_t>& bytes)
{
    ASSERT_EQ(KVRX_OK,
              bench.write(bench.rtc(), bench.subLen(), bench.type() == TypeE ? 0x30 : 0x00, bytes));
}

TEST_P(Protection, TimeWritesWithoutTheEnableAreAcknowledgedAndIgnored)
{
    ChipBench bench(GetParam().name);
    const Time set{2024, 3, 7, 14, 5, 9, 4};
    ASSERT_EQ(KVRX_OK, bench.writeTime(set));
    const Time expected = set;

    // The closing steps of the application's sequence locked the clock again.
    // TypeH leaves WRTC set after a time write; clearing it locks the clock.
    if (bench.type() == TypeH) bench.changeReg(0x07, 0x10, 0x00);
    bareTimeWrite(bench, {0x30, 0x30, 0x91, 0x01, 0x01, 0x10, 0x05, 0x20});
    EXPECT_EQ(expected, bench.readTime());

    if (bench.type() == TypeE) {
        // WEL alone, or RWEL without WEL first, does not open the registers.
        bench.write(bench.rtc(), 2, 0x3F, {0x00});
        bench.write(bench.rtc(), 2, 0x3F, {0x02});
        bareTimeWrite(bench, {0x30, 0x30, 0x91, 0x01, 0x01, 0x10, 0x05, 0x20});
        bench.write(bench.rtc(), 2, 0x3F, {0x00});
        bench.write(bench.rtc(), 2, 0x3F, {0x06});
        bareTimeWrite(bench, {0x30, 0x30, 0x91, 0x01, 0x01, 0x10, 0x05, 0x20});
        EXPECT_EQ(expected, bench.readTime());
        // WEL, WEL|RWEL opens exactly one write.
        bench.unlock();
        bareTimeWrite(bench, {0x00, 0x00, 0x80, 0x01, 0x01, 0x10, 0x05, 0x20});
        bareTimeWrite(bench, {0x30, 0x30, 0x91, 0x01, 0x01, 0x10, 0x05, 0x20});
        EXPECT_EQ((Time{2010, 1, 1, 0, 0, 0, 5}), bench.readTime());
        EXPECT_EQ(0x02, bench.reg(0x3F) & 0x06) << "RWEL gone after the write, WEL kept";
    }
}

INSTANTIATE_TEST_SUITE_P(Guarded, Protection,
                         ::testing::Values(FamilyPart{"VK310", TypeA}, FamilyPart{"VK321", TypeB},
                                           FamilyPart{"VK352", TypeD}, FamilyPart{"VK363", TypeE},
                                           FamilyPart{"VK381", TypeH}, FamilyPart{"VK390", TypeK}),
                         familyName);

TEST(Protection, UnguardedFamiliesTakeABareTimeWrite)
{
    for (const char* name : {"VK340", "VK370", "VK380", "VK382"}) {
        ChipBench bench(name);
        bareTimeWrite(bench, {0x09, 0x05, 0x14, 0x07, 0x03, 0x24, 0x04});
        EXPECT_EQ(0x09, bench.peek(0x00)) << name;
        EXPECT_EQ(0x05, bench.peek(0x01)) << name;
    }
}

// TypeC has no write-enable bit: bit 4 of its status register, which the
// application's time framing sets and clears, is no bit of the part.
TEST(Protection, TypeCStatusBit4NeitherHoldsNorGuards)
{
    ChipBench bench("VK340");
    for (uint8_t status : {0x10, 0x00}) {
        bench.setReg(0x0B, status);
        EXPECT_EQ(0x00, bench.reg(0x0B) & 0x10);
        const uint8_t minute = status ? 0x21 : 0x42;
        bareTimeWrite(bench, {0x09, minute, 0x14, 0x05, 0x07, 0x03, 0x24});
        EXPECT_EQ(minute, bench.peek(0x01) & 0x7F) << "status written as " << int(status);
    }
}

TEST(Protection, WrtcGuardsOnlyTheClockRegisters)
{
    ChipBench bench("VK310");
    bench.setReg(0x12, 0x5A); // a user byte, WRTC clear
    EXPECT_EQ(0x5A, bench.reg(0x12));
}

// ---------------------------------------------------------------- power-fail flag

struct FlagBit {
    const char* part;
    uint8_t reg;
    uint8_t mask;
};

class PowerFailFlag : public ::testing::TestWithParam<FlagBit> {};

TEST_P(PowerFailFlag, SetOnAFreshChipAndClearedByATimeWrite)
{
    const FlagBit& f = GetParam();
    ChipBench bench(f.part);
    EXPECT_EQ(f.mask, bench.reg(f.reg) & f.mask);
    // Clearing it by a written 0 is not how it goes.
    bench.setReg(f.reg, static_cast<uint8_t>(bench.reg(f.reg) & ~f.mask));
    EXPECT_EQ(f.mask, bench.reg(f.reg) & f.mask);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}));
    EXPECT_EQ(0, bench.reg(f.reg) & f.mask);
}

INSTANTIATE_TEST_SUITE_P(
    Families, PowerFailFlag,
    ::testing::Values(FlagBit{"VK311", 0x07, 0x01}, FlagBit{"VK330", 0x07, 0x01},
                      FlagBit{"VK340", 0x0B, 0x01}, FlagBit{"VK354", 0x07, 0x01},
                      FlagBit{"VK364", 0x3F, 0x01}, FlagBit{"VK370", 0x08, 0x01},
                      FlagBit{"VK381", 0x07, 0x01}, FlagBit{"VK382", 0x07, 0x01},
                      FlagBit{"VK390", 0x07, 0x01}),
    [](const auto& info) { return std::string(info.param.part); });

class OscillatorFlag : public ::testing::TestWithParam<FlagBit> {};

TEST_P(OscillatorFlag, SetOnAFreshChipKeptByTheTimeWriteClearedByAWrittenZero)
{
    const FlagBit& f = GetParam();
    ChipBench bench(f.part);
    EXPECT_EQ(f.mask, bench.reg(f.reg) & f.mask);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}));
    EXPECT_EQ(f.mask, bench.reg(f.reg) & f.mask);
    if (bench.type() == TypeK) bench.changeReg(0x07, 0x10, 0x10); // OF sits in a clock register
    bench.setReg(f.reg, static_cast<uint8_t>(bench.reg(f.reg) & ~f.mask));
    EXPECT_EQ(0, bench.reg(f.reg) & f.mask);
}

INSTANTIATE_TEST_SUITE_P(
    Families, OscillatorFlag,
    ::testing::Values(FlagBit{"VK340", 0x09, 0x80}, FlagBit{"VK350", 0x07, 0x40},
                      FlagBit{"VK360", 0x3F, 0x10}, FlagBit{"VK370", 0x09, 0x10},
                      FlagBit{"VK380", 0x0F, 0x80}, FlagBit{"VK381", 0x07, 0x08},
                      FlagBit{"VK382", 0x01, 0x80}, FlagBit{"VK390", 0x01, 0x80}),
    [](const auto& info) { return std::string(info.param.part); });

TEST(OscillatorFlag, TypeCShowsOneFlagInTheMinutesAndInItsOwnRegister)
{
    ChipBench bench("VK340");
    EXPECT_EQ(0x80, bench.reg(0x01) & 0x80);
    bench.setReg(0x09, 0x00);
    EXPECT_EQ(0x00, bench.reg(0x01) & 0x80);
    EXPECT_EQ(0x00, bench.reg(0x09));
}

// ---------------------------------------------------------------- crystal

struct DriftCase {
    const char* name;
    const char* part;
    double ppm;
    double celsius;
    uint8_t trimReg; // 0: no trim written
    uint8_t trimValue;
    double run;
    long counted; // seconds the clock moves on
};

const DriftCase kDriftCases[] = {
    {"Exact", "VK310", 0.0, 25.0, 0, 0, 86400.6, 86400},
    {"FivePpmFast", "VK310", 5.0, 25.0, 0, 0, 86400.6, 86401},          // +0.432 s a day
    {"FivePpmSlow", "VK310", -5.0, 25.0, 0, 0, 86400.3, 86399},         // -0.432 s a day
    {"TenDegreesOff", "VK310", 0.0, 35.0, 0, 0, 86400.2, 86399},        // -3.4 ppm, -0.294 s
    {"Plus20PpmTrim", "VK310", 0.0, 25.0, 0x0B, 0x01, 86400.0, 86401},  // +1.728 s
    {"Minus20PpmTrim", "VK310", 0.0, 25.0, 0x0B, 0x05, 86400.0, 86398}, // -1.728 s
    {"Plus30PpmTrimE", "VK360", 0.0, 25.0, 0x13, 0x03, 86400.0, 86402}, // +2.592 s
    {"FineTrimK", "VK390", 0.0, 25.0, 0x0B, 0x25, 86400.0, 86401},      // +20.3 ppm
    {"SmallestLoad", "VK310", 0.0, 25.0, 0x0A, 0x20, 86400.0, 86409},   // 4.5 pF: fast
    {"LargestLoad", "VK310", 0.0, 25.0, 0x0A, 0x1F, 86400.0, 86397},    // 20.25 pF: slow
};

class CrystalDrift : public ::testing::TestWithParam<DriftCase> {};

TEST_P(CrystalDrift, ADayShowsTheErrorOfCrystalTemperatureAndTrim)
{
    const DriftCase& c = GetParam();
    ChipBench bench(c.part);
    bench.chip().setPpm(c.ppm);
    if (c.trimReg) bench.setReg(c.trimReg, c.trimValue);
    const Time start{2024, 3, 7, 12, 0, 0, 4};
    ASSERT_EQ(KVRX_OK, bench.writeTime(start));
    bench.run(c.run, c.celsius);
    EXPECT_EQ(c.counted, secondsOf(bench.readTime()) - secondsOf(start));
}

INSTANTIATE_TEST_SUITE_P(Cases, CrystalDrift, ::testing::ValuesIn(kDriftCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CrystalDrift, EachChipHasASmallErrorOfItsOwn)
{
    // Three chips of one part on three boards, each with the error it came with.
    ChipBench one("VK390", true, false), two("VK390", true, false), three("VK390", true, false);
    one.run(1e6); // 11 days 13:46:40 for all three
    std::vector<long> hundredthsAhead;
    for (ChipBench* bench : {&one, &two, &three}) {
        const uint8_t sc = bench->peek(0x00), mn = bench->peek(0x01), hr = bench->peek(0x02),
                      ss = bench->peek(0x1F);
        const long counted =
            (BcdToBin(hr & 0x3F) * 3600L + BcdToBin(mn & 0x7F) * 60L + BcdToBin(sc)) * 100 +
            BcdToBin(ss) - (13 * 3600L + 46 * 60 + 40) * 100;
        // A few ppm over 1e6 s are a few seconds.
        EXPECT_LE(std::labs(counted), 500) << "board " << bench->board();
        hundredthsAhead.push_back(counted);
    }
    EXPECT_NE(hundredthsAhead[0], hundredthsAhead[1]);
    EXPECT_NE(hundredthsAhead[1], hundredthsAhead[2]);
}

TEST(SubSecond, WritingTheSecondsRestartsTheSecond)
{
    ChipBench bench("VK310");
    bench.run(0.7);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}));
    bench.run(0.5);
    EXPECT_EQ(9, bench.readTime().second);
    bench.run(0.5);
    EXPECT_EQ(10, bench.readTime().second);
}

TEST(SubSecond, PokingTheSecondsRestartsTheSecondToo)
{
    ChipBench bench("VK370");
    bench.run(0.9);
    ASSERT_TRUE(bench.chip().poke(0xDE, 0x00, 0x30));
    bench.run(0.5);
    EXPECT_EQ(0x30, bench.peek(0x00));
    EXPECT_EQ(0x05, bench.peek(0x07)) << "split seconds: five tenths";
}

TEST(SubSecond, TenthsOfASecondAddUpToWholeSeconds)
{
    ChipBench bench("VK390");
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}));
    for (int i = 0; i < 30; ++i) {
        bench.run(0.1);
        EXPECT_EQ(BinToBcd((i + 1) % 10 * 10, 8), bench.reg(0x1F))
            << "after " << i + 1 << " tenths";
    }
    EXPECT_EQ(12, bench.readTime().second);
}

TEST(SubSecond, HundredthsOfTheRunningSecond)
{
    ChipBench bench("VK390");
    bench.run(0.25);
    EXPECT_EQ(0x25, bench.reg(0x1F));
    bench.run(0.75);
    EXPECT_EQ(0x00, bench.reg(0x1F));
}

// ---------------------------------------------------------------- centuries

TEST(Century, TypeECountsItsCenturyByteAndKnows1900WasNoLeapYear)
{
    ChipBench bench("VK360");
    ASSERT_EQ(KVRX_OK, bench.writeTime({1900, 2, 28, 23, 59, 59, 3}));
    EXPECT_EQ(0x19, bench.peek(0x37));
    bench.run(1);
    EXPECT_EQ(0x01, bench.peek(0x33));
    EXPECT_EQ(0x03, bench.peek(0x34));

    ASSERT_EQ(KVRX_OK, bench.writeTime({1999, 12, 31, 23, 59, 59, 5}));
    bench.run(1);
    EXPECT_EQ(0x00, bench.peek(0x35));
    EXPECT_EQ(0x20, bench.peek(0x37));
}

TEST(Century, CenturyBitsToggleAtTheTurnOfTheCentury)
{
    ChipBench c("VK340");
    ASSERT_EQ(KVRX_OK, c.writeTime({2099, 12, 31, 23, 59, 59, 4}));
    ASSERT_TRUE(c.chip().poke(c.rtc(), 0x02, 0xA3)); // CEB, 23 h
    c.run(1);
    EXPECT_EQ(0xC0, c.peek(0x02) & 0xC0) << "CB toggled with CEB set";
    EXPECT_EQ(0x00, c.peek(0x06));

    ChipBench g("VK380");
    ASSERT_EQ(KVRX_OK, g.writeTime({2099, 12, 31, 23, 59, 59, 4}));
    g.run(1);
    EXPECT_EQ(0x81, g.peek(0x05)) << "CENT set, January";
}

// ---------------------------------------------------------------- halting

TEST(Oscillator, StopBitsHoldTheClock)
{
    struct Stop {
        const char* part;
        uint8_t reg;
        uint8_t mask;
    };
    for (const Stop& s : {Stop{"VK310", 0x07, 0x40}, Stop{"VK340", 0x00, 0x80},
                          Stop{"VK381", 0x07, 0x40}, Stop{"VK382", 0x00, 0x80}}) {
        ChipBench bench(s.part);
        ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}));
        ASSERT_TRUE(bench.chip().poke(bench.rtc(), s.reg, bench.peek(s.reg) | s.mask));
        bench.run(10);
        EXPECT_EQ(9, bench.readTime().second) << s.part;
        ASSERT_TRUE(bench.chip().poke(bench.rtc(), s.reg, bench.peek(s.reg) & ~s.mask));
        bench.run(10);
        EXPECT_EQ(19, bench.readTime().second) << s.part;
    }
}

// TypeG: /EOSC stops the oscillator; the stop-flag circuit raises OSF, which
// stays set after the oscillator runs again until a written 0 clears it.
TEST(Oscillator, TypeGEoscStopsTheClockAndRaisesOsf)
{
    ChipBench bench("VK380");
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}));
    bench.changeReg(0x0F, 0x80, 0x00); // OSF of the first power-up
    ASSERT_EQ(0x00, bench.reg(0x0F) & 0x80);
    const uint8_t control = bench.reg(0x0E);
    ASSERT_EQ(0x00, control & 0x80);

    bench.changeReg(0x0E, 0x80, 0x80);
    const Time stopped = bench.readTime();
    bench.run(10);
    EXPECT_EQ(stopped, bench.readTime()) << "the time stands still";
    EXPECT_EQ(0x80, bench.reg(0x0F) & 0x80) << "OSF";

    bench.changeReg(0x0E, 0x80, 0x00);
    EXPECT_EQ(control, bench.reg(0x0E));
    bench.run(10);
    EXPECT_EQ(19, bench.readTime().second) << "running again";
    EXPECT_EQ(0x80, bench.reg(0x0F) & 0x80) << "OSF stays until cleared";
    bench.changeReg(0x0F, 0x80, 0x00);
    bench.run(10);
    EXPECT_EQ(0x00, bench.reg(0x0F) & 0x80) << "a running oscillator raises no OSF";
    EXPECT_EQ(29, bench.readTime().second);
}

} // namespace
} // namespace chiptest
