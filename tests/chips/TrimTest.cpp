// The crystal trims of every family with trims, measured on the running
// clock against the lists the Crystal trim page offers: each digital entry
// moves the rate by the ppm its text names, the analog trim and its
// battery-mode offset move it as the load capacitances their texts name, and
// a trim chosen from the list cancels a crystal's own error.
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "ChipBench.h"
#include "pages/trim/TrimCodec.h"

namespace chiptest {
namespace {

using namespace TrimCodec;

// Long enough that a step is 0.0005 ppm of it.
constexpr double kRunSeconds = 1e6;
// A tenth of that still tells neighbouring trim entries apart (a step is
// 0.005 ppm of it, their difference over 0.2 ppm).
constexpr double kShortRunSeconds = 1e5;
constexpr double kStepSeconds = 0.0005;
// The fine trim's texts are rounded to thousandths of a ppm; the measurement
// adds a quarter of a thousandth.
constexpr double kPpmTolerance = 0.0008;

// The number a list entry names ("  0 PPM (default)", "-2.035 PPM", "+0.5 pF").
double valueOf(const char* text)
{
    return std::strtod(text, nullptr);
}

// The chip's rate error in ppm over runSeconds (kRunSeconds unless told) of true time at 25 degrees:
// the time written (which starts a second), the run, then short steps
// until the next second begins. onBattery: the run is on the battery.
double measuredPpm(ChipBench& bench, bool onBattery = false, double runSeconds = kRunSeconds)
{
    const Time start{2024, 3, 7, 12, 0, 0, 4};
    EXPECT_EQ(KVRX_OK, bench.writeTime(start));
    if (onBattery) bench.supply(false);
    bench.run(runSeconds);
    if (onBattery) bench.supply(true);
    const long counted = secondsOf(bench.readTime()) - secondsOf(start);
    double extra = 0.0;
    while (extra < 2.0) {
        bench.run(kStepSeconds);
        extra += kStepSeconds;
        if (secondsOf(bench.readTime()) - secondsOf(start) > counted) break;
    }
    // The second began within the last step.
    const double trueSeconds = runSeconds + extra - kStepSeconds / 2;
    return (static_cast<double>(counted + 1) / trueSeconds - 1.0) * 1e6;
}

// Writes a choice of the three lists as the page does, keeping the bits of
// the DTR register that are no part of the field.
void writeTrim(ChipBench& bench, const TrimLayout& layout, const TrimChoice& choice)
{
    uint8_t image[256] = {};
    image[layout.DtrRegister] = bench.reg(layout.DtrRegister);
    Encode(layout, choice, image);
    if (layout.HasAtr) bench.setReg(layout.AtrRegister, image[layout.AtrRegister]);
    bench.setReg(layout.DtrRegister, image[layout.DtrRegister]);
    bench.run(0.1); // the nonvolatile cells of TypeE finish their write
}

TrimLayout layoutOf(PartType type)
{
    const std::optional<TrimLayout> layout = LayoutOf(type);
    EXPECT_TRUE(layout.has_value()) << int(type);
    return layout.value_or(TrimLayout{});
}

// One part of each family the page trims.
const FamilyPart kTrimmed[] = {{"VK310", TypeA}, {"VK320", TypeB}, {"VK340", TypeC},
                               {"VK360", TypeE}, {"VK370", TypeF}, {"VK390", TypeK}};
const FamilyPart kAnalog[] = {
    {"VK310", TypeA}, {"VK320", TypeB}, {"VK340", TypeC}, {"VK360", TypeE}, {"VK390", TypeK}};
const FamilyPart kBatteryOffset[] = {
    {"VK310", TypeA}, {"VK320", TypeB}, {"VK340", TypeC}, {"VK390", TypeK}};

// ---------------------------------------------------------------- digital

class DigitalTrim : public ::testing::TestWithParam<FamilyPart> {};

TEST_P(DigitalTrim, EachEntryMovesTheRateByThePpmItsTextNames)
{
    ChipBench bench(GetParam().name);
    const TrimLayout layout = layoutOf(bench.type());
    const auto items = DtrItems(layout.List);
    for (size_t entry = 0; entry < items.size(); ++entry) {
        SCOPED_TRACE("entry " + std::to_string(entry) + " \"" + items[entry] + "\"");
        writeTrim(bench, layout, {kAtrNominalEntry, kBmatrNominalEntry, static_cast<int>(entry)});
        EXPECT_NEAR(measuredPpm(bench), valueOf(items[entry]), kPpmTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, DigitalTrim, ::testing::ValuesIn(kTrimmed), familyName);

// ---------------------------------------------------------------- analog

class AnalogTrim : public ::testing::TestWithParam<FamilyPart> {};

// Worked figures of the crystal's pulling, 1000 ppm x pF / (1 pF + C), taken
// against the nominal 12.50 pF, by ATR entry.
const std::map<int, double> kWorked = {
    {0, 107.7441},  // 4.50 pF: 181.8182 - 74.0741
    {31, 1.3976},   // 12.25 pF: 75.4717 - 74.0741
    {32, 0.0},      // 12.50 pF
    {33, -1.3468},  // 12.75 pF: 72.7273 - 74.0741
    {63, -27.0153}, // 20.25 pF: 47.0588 - 74.0741
};

TEST_P(AnalogTrim, MoreLoadCapacitanceSlowsTheCrystalAndTheNominalLoadKeepsIt)
{
    ChipBench bench(GetParam().name);
    const TrimLayout layout = layoutOf(bench.type());
    double before = 0.0;
    for (int entry = 0; entry < 64; ++entry) {
        SCOPED_TRACE(std::string("\"") + AtrItems()[entry] + "\"");
        writeTrim(bench, layout, {entry, kBmatrNominalEntry, 0});
        const auto worked = kWorked.find(entry);
        const bool precise = worked != kWorked.end();
        const double ppm = measuredPpm(bench, false, precise ? kRunSeconds : kShortRunSeconds);
        if (entry > 0) {
            EXPECT_LT(ppm, before - 0.2);
        }
        before = ppm;
        if (precise) {
            EXPECT_NEAR(ppm, worked->second, kPpmTolerance);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Families, AnalogTrim, ::testing::ValuesIn(kAnalog), familyName);

// The ATR entry that names this load capacitance.
int atrEntryOf(double picofarads)
{
    for (int entry = 0; entry < 64; ++entry) {
        if (std::fabs(valueOf(AtrItems()[entry]) - picofarads) < 1e-6) return entry;
    }
    ADD_FAILURE() << "no ATR entry names " << picofarads << " pF";
    return kAtrNominalEntry;
}

class BatteryOffset : public ::testing::TestWithParam<FamilyPart> {};

TEST_P(BatteryOffset, OnTheBatteryTheOffsetAddsItsCapacitanceAndOnTheSupplyNothing)
{
    ChipBench bench(GetParam().name);
    const TrimLayout layout = layoutOf(bench.type());
    ASSERT_TRUE(layout.HasBmatr);
    const int atr = atrEntryOf(12.00);
    for (int bmatr = 0; bmatr < 4; ++bmatr) {
        const double load = valueOf(AtrItems()[atr]) + valueOf(BmatrItems()[bmatr]);
        SCOPED_TRACE(std::string(AtrItems()[atr]) + " with \"" + BmatrItems()[bmatr] + "\"");
        writeTrim(bench, layout, {atrEntryOf(load), kBmatrNominalEntry, 0});
        const double sameLoad = measuredPpm(bench);
        writeTrim(bench, layout, {atr, bmatr, 0});
        EXPECT_NEAR(measuredPpm(bench, true), sameLoad, 0.002);
        const double onSupply = measuredPpm(bench);
        writeTrim(bench, layout, {atr, kBmatrNominalEntry, 0});
        EXPECT_NEAR(onSupply, measuredPpm(bench), 0.002);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, BatteryOffset, ::testing::ValuesIn(kBatteryOffset), familyName);

// ---------------------------------------------------------------- use

struct CancelCase {
    FamilyPart part;
    double crystalPpm;
};

const CancelCase kCancels[] = {
    {{"VK310", TypeA}, 20.0},  {{"VK331", TypeB}, -41.3}, {{"VK340", TypeC}, 20.0},
    {{"VK340", TypeC}, -37.2}, {{"VK363", TypeE}, 27.5},  {{"VK370", TypeF}, -48.0},
    {{"VK390", TypeK}, 20.0},
};

class TrimCancels : public ::testing::TestWithParam<CancelCase> {};

TEST_P(TrimCancels, TheListsBestEntryLeavesTheCrystalFarCloserToTime)
{
    const CancelCase& c = GetParam();
    ChipBench bench(c.part.name);
    bench.chip().setPpm(c.crystalPpm);
    const TrimLayout layout = layoutOf(bench.type());
    EXPECT_NEAR(measuredPpm(bench), c.crystalPpm, kPpmTolerance);

    // The entry whose correction comes closest to the crystal's error.
    const auto items = DtrItems(layout.List);
    size_t best = 0;
    for (size_t entry = 1; entry < items.size(); ++entry) {
        if (std::fabs(c.crystalPpm + valueOf(items[entry])) <
            std::fabs(c.crystalPpm + valueOf(items[best])))
            best = entry;
    }
    SCOPED_TRACE(std::string("\"") + items[best] + "\"");
    writeTrim(bench, layout, {kAtrNominalEntry, kBmatrNominalEntry, static_cast<int>(best)});
    const double trimmed = measuredPpm(bench);
    EXPECT_NEAR(trimmed, c.crystalPpm + valueOf(items[best]), kPpmTolerance);
    // Every list's steps are at most 10 ppm apart near these errors.
    EXPECT_LT(std::fabs(trimmed), 5.0);
    EXPECT_LT(std::fabs(trimmed), std::fabs(c.crystalPpm) / 4);
}

INSTANTIATE_TEST_SUITE_P(Families, TrimCancels, ::testing::ValuesIn(kCancels),
                         [](const auto& info) {
                             return std::string(info.param.part.name) +
                                    (info.param.crystalPpm < 0 ? "Slow" : "Fast");
                         });

} // namespace
} // namespace chiptest
