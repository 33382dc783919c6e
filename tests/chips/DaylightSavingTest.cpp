// Daylight saving changes of TypeD and TypeF, programmed with the bytes the
// DST page writes: the clock goes forward or back at the programmed hour of
// the programmed day, DSTADJ follows, the repeated hour does not go back
// again, and long runs of time find every change on the way.
#include "ChipBench.h"

namespace chiptest {
namespace {

struct DstFamily {
    const char* part;
    uint8_t block; // DMF
    uint8_t flagReg;
    uint8_t flagMask; // DSTADJ
};

const DstFamily kDstFamilies[] = {
    {"VK350", 0x20, 0x07, 0x20},
    {"VK354", 0x20, 0x07, 0x20},
    {"VK370", 0x15, 0x08, 0x40},
};

using Block = std::array<uint8_t, 8>;

// Forward on the second Sunday of March at 02, back on the first Sunday of
// November at 02, DSTE set.
constexpr Block kUsRules = {0x83, 0x50, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02};

struct ChangeCase {
    const char* name;
    Block block;
    bool adjustedBefore; // DSTADJ as the run starts
    Time from;
    bool hour24;
    double run;
    Time to;
    bool adjustedAfter;
    uint8_t hourReg = 0; // the hour register afterwards (0: not checked)
};

constexpr double kThirtyDays = 30 * 86400.0;

// A case in two lines: name, rules, DSTADJ before, from, 24-hour form, seconds
// run, to, DSTADJ after, hour register afterwards.
// clang-format off
const ChangeCase kChangeCases[] = {
    {"ForwardOnTheSecondSundayOfMarch", kUsRules, false,
     {2024, 3, 10, 1, 59, 58, 0}, true, 3, {2024, 3, 10, 3, 0, 1, 0}, true, 0x83},
    {"ForwardIn12HourForm", kUsRules, false,
     {2024, 3, 10, 1, 59, 58, 0}, false, 3, {2024, 3, 10, 3, 0, 1, 0}, true, 0x03},
    {"ForwardOnTheFifthSunday", {0x83, 0x68, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02}, false,
     {2024, 3, 31, 1, 59, 58, 0}, true, 3, {2024, 3, 31, 3, 0, 1, 0}, true},
    {"ForwardByDate", {0x84, 0x00, 0x15, 0x14, 0x10, 0x00, 0x01, 0x02}, false,
     {2024, 4, 15, 13, 59, 59, 1}, true, 2, {2024, 4, 15, 15, 0, 1, 1}, true, 0x95},
    {"ForwardAt11AmToNoon", {0x84, 0x00, 0x15, 0x11, 0x10, 0x00, 0x01, 0x02}, false,
     {2024, 4, 15, 10, 59, 59, 1}, false, 2, {2024, 4, 15, 12, 0, 1, 1}, true, 0x32},
    {"ForwardAt11PmIntoTheNextDay", {0x84, 0x00, 0x15, 0x31, 0x10, 0x00, 0x01, 0x02}, false,
     {2024, 4, 15, 22, 59, 59, 1}, false, 2, {2024, 4, 16, 0, 0, 1, 2}, true, 0x12},
    {"BackOnTheFirstSundayOfNovember", kUsRules, true,
     {2024, 11, 3, 1, 59, 58, 0}, true, 3, {2024, 11, 3, 1, 0, 1, 0}, false, 0x81},
    {"BackOnTheLastSundayOfOctoberIn12HourForm", {0x83, 0x50, 0x00, 0x02, 0x10, 0x78, 0x00, 0x03}, true,
     {2024, 10, 27, 2, 59, 58, 0}, false, 3, {2024, 10, 27, 2, 0, 1, 0}, false, 0x02},
    {"BackAt1AmTo12Am", {0x83, 0x50, 0x00, 0x02, 0x10, 0x78, 0x00, 0x01}, true,
     {2024, 10, 27, 0, 59, 59, 0}, false, 2, {2024, 10, 27, 0, 0, 1, 0}, false, 0x12},
    {"BackFromMidnightToTheDayBefore", {0x83, 0x50, 0x00, 0x02, 0x03, 0x00, 0x01, 0x00}, true,
     {2024, 2, 29, 23, 59, 59, 4}, true, 2, {2024, 2, 29, 23, 0, 1, 4}, false, 0xA3},
    {"BackFromMidnightIntoTheYearBefore", {0x83, 0x50, 0x00, 0x02, 0x01, 0x00, 0x01, 0x00}, true,
     {2024, 12, 31, 23, 59, 59, 2}, true, 2, {2024, 12, 31, 23, 0, 1, 2}, false},
    // ---- no change ----
    {"NothingWithoutDste", {0x03, 0x50, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02}, false,
     {2024, 3, 10, 1, 59, 58, 0}, true, 3, {2024, 3, 10, 2, 0, 1, 0}, false},
    {"NoForwardWhileTheForwardChangeIsInForce", kUsRules, true,
     {2024, 3, 10, 1, 59, 58, 0}, true, 3, {2024, 3, 10, 2, 0, 1, 0}, true},
    {"NoBackBeforeTheForwardChange", kUsRules, false,
     {2024, 11, 3, 1, 59, 58, 0}, true, 3, {2024, 11, 3, 2, 0, 1, 0}, false},
    {"NotOnTheFirstSunday", kUsRules, false,
     {2024, 3, 3, 1, 59, 58, 0}, true, 3, {2024, 3, 3, 2, 0, 1, 0}, false},
    {"NoFifthSundayInFebruary", {0x82, 0x68, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02}, false,
     {2024, 2, 25, 1, 59, 58, 0}, true, 3, {2024, 2, 25, 2, 0, 1, 0}, false},
    {"NotTheWeekdayOfTheRule", {0x83, 0x51, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02}, false,
     {2024, 3, 10, 1, 59, 58, 0}, true, 3, {2024, 3, 10, 2, 0, 1, 0}, false},
    {"WeekZeroNeverMatches", {0x83, 0x40, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02}, false,
     {2024, 3, 3, 1, 59, 58, 0}, true, 3, {2024, 3, 3, 2, 0, 1, 0}, false},
    // ---- long runs: days pass at once between the changes ----
    {"ThirtyDaysAtOnce", kUsRules, false,
     {2024, 2, 20, 12, 0, 0, 2}, true, kThirtyDays, {2024, 3, 21, 13, 0, 0, 4}, true},
    {"ThirtyDaysThroughBothChanges", {0x83, 0x50, 0x00, 0x02, 0x03, 0x58, 0x00, 0x02}, false,
     {2024, 2, 20, 12, 0, 0, 2}, true, kThirtyDays, {2024, 3, 21, 12, 0, 0, 4}, false},
    {"ThirtyDaysFromAnHourBefore", kUsRules, false,
     {2024, 3, 10, 1, 0, 0, 0}, true, kThirtyDays, {2024, 4, 9, 2, 0, 0, 2}, true},
    {"ThirtyDaysFromTheDayBeforeAfterTheHour", kUsRules, false,
     {2024, 3, 9, 2, 30, 0, 6}, true, kThirtyDays, {2024, 4, 8, 3, 30, 0, 1}, true},
    {"ThirtyDaysEndingJustBefore", kUsRules, false,
     {2024, 2, 9, 1, 59, 0, 5}, true, kThirtyDays, {2024, 3, 10, 1, 59, 0, 0}, false},
};
// clang-format on

struct DstCase {
    DstFamily family;
    ChangeCase change;
};

std::vector<DstCase> dstCases()
{
    std::vector<DstCase> cases;
    for (const DstFamily& family : kDstFamilies) {
        for (const ChangeCase& change : kChangeCases)
            cases.push_back({family, change});
    }
    return cases;
}

void setAdjusted(ChipBench& bench, const DstFamily& f, bool on)
{
    const uint8_t status = bench.peek(f.flagReg);
    ASSERT_TRUE(
        bench.chip().poke(bench.rtc(), f.flagReg,
                          static_cast<uint8_t>(on ? status | f.flagMask : status & ~f.flagMask)));
}

bool adjusted(ChipBench& bench, const DstFamily& f)
{
    return (bench.reg(f.flagReg) & f.flagMask) != 0;
}

void program(ChipBench& bench, const DstFamily& f, const Block& block)
{
    bench.setRegs(f.block, std::vector<uint8_t>(block.begin(), block.end()));
}

class DstChanges : public ::testing::TestWithParam<DstCase> {};

TEST_P(DstChanges, TheClockMovesAtTheProgrammedHourAndDstadjFollows)
{
    const DstFamily& f = GetParam().family;
    const ChangeCase& c = GetParam().change;
    ChipBench bench(f.part);
    ASSERT_EQ(KVRX_OK, bench.writeTime(c.from, c.hour24));
    program(bench, f, c.block);
    setAdjusted(bench, f, c.adjustedBefore);

    bench.run(c.run);
    bool hour24 = !c.hour24;
    EXPECT_EQ(c.to, bench.readTime(&hour24));
    EXPECT_EQ(c.hour24, hour24) << "the clock keeps its form";
    EXPECT_EQ(c.adjustedAfter, adjusted(bench, f));
    if (c.hourReg) {
        EXPECT_EQ(c.hourReg, bench.peek(0x02));
    }
    // The rules stay as programmed.
    EXPECT_EQ(std::vector<uint8_t>(c.block.begin(), c.block.end()), bench.regs(f.block, 8));
}

INSTANTIATE_TEST_SUITE_P(Families, DstChanges, ::testing::ValuesIn(dstCases()),
                         [](const auto& info) {
                             return std::string(info.param.family.part) + "_" +
                                    info.param.change.name;
                         });

class DstFlag : public ::testing::TestWithParam<DstFamily> {};

TEST_P(DstFlag, TheRepeatedHourGoesBackOnlyOnce)
{
    const DstFamily& f = GetParam();
    ChipBench bench(f.part);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 11, 3, 0, 59, 59, 0}));
    program(bench, f, kUsRules);
    setAdjusted(bench, f, true);
    // 01:00:00 .. 02:00:00 -> 01:00:00 .. 02:00:00 .. 03:00:00: two hours and a second.
    bench.run(3600 + 1);
    EXPECT_EQ((Time{2024, 11, 3, 1, 0, 0, 0}), bench.readTime());
    EXPECT_FALSE(adjusted(bench, f));
    bench.run(3600);
    EXPECT_EQ((Time{2024, 11, 3, 2, 0, 0, 0}), bench.readTime());
    bench.run(3600);
    EXPECT_EQ((Time{2024, 11, 3, 3, 0, 0, 0}), bench.readTime());
    EXPECT_FALSE(adjusted(bench, f));
}

TEST_P(DstFlag, OnlyTheChipSetsDstadjAndDsteOffClearsIt)
{
    const DstFamily& f = GetParam();
    ChipBench bench(f.part);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 10, 1, 59, 59, 0}));
    program(bench, f, kUsRules);
    bench.setReg(f.flagReg, static_cast<uint8_t>(bench.reg(f.flagReg) | f.flagMask));
    EXPECT_FALSE(adjusted(bench, f)) << "a written 1 does not set it";
    bench.run(1);
    ASSERT_TRUE(adjusted(bench, f));

    // A status write with the bit at 0 (as clearing another flag does) leaves it.
    bench.setReg(f.flagReg, static_cast<uint8_t>(bench.reg(f.flagReg) & ~f.flagMask));
    EXPECT_TRUE(adjusted(bench, f));
    // DMF rewritten with DSTE still set leaves it too.
    bench.setReg(f.block, 0x83);
    EXPECT_TRUE(adjusted(bench, f));
    bench.setReg(f.block, 0x03);
    EXPECT_FALSE(adjusted(bench, f));
    // Without DSTE the chip makes no change back either.
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 11, 3, 1, 59, 59, 0}));
    bench.run(1);
    EXPECT_EQ((Time{2024, 11, 3, 2, 0, 0, 0}), bench.readTime());
}

TEST_P(DstFlag, ANewChipHasNoChangesProgrammed)
{
    const DstFamily& f = GetParam();
    ChipBench bench(f.part);
    EXPECT_EQ(std::vector<uint8_t>(8, 0), bench.regs(f.block, 8));
    EXPECT_FALSE(adjusted(bench, f));
}

INSTANTIATE_TEST_SUITE_P(Families, DstFlag, ::testing::ValuesIn(kDstFamilies),
                         [](const auto& info) { return std::string(info.param.part); });

} // namespace
} // namespace chiptest
