// Temperature compensation of the VK350 family: the temperature readings and
// when they are taken, the final trims and net correction worked out from the
// initial trims and the crystal's coefficients, and the clock's rate following
// them. Worked examples use a crystal of -0.034 ppm per degree squared turning
// at 25 degrees (the simulated crystal), ALPHA 0x46 (70 / 2048 = 0.03418), BETA
// 0x10 (gain 1), one ppm per analog step and 30.5 ppm per digital step.
#include "ChipBench.h"

namespace chiptest {
namespace {

constexpr uint8_t kItr = 0x0B, kAlpha = 0x0C, kBeta = 0x0D, kFatr = 0x0E, kFdtr = 0x0F;
constexpr uint8_t kKelvin = 0x28, kNppm = 0x2A, kXto = 0x2C, kAlphaHot = 0x2D;
constexpr uint8_t kTse = 0x80, kBtse = 0x40, kBtsr = 0x20;

int word(ChipBench& bench, uint8_t reg)
{
    const std::vector<uint8_t> b = bench.regs(reg, 2);
    return b[1] * 256 + b[0];
}

int peekWord(ChipBench& bench, uint8_t reg)
{
    return bench.peek(reg + 1) * 256 + bench.peek(reg);
}

// ---------------------------------------------------------------- readings

struct ReadingCase {
    double celsius;
    int halfKelvin;
};

// T = TK / 2 - 273.
const ReadingCase kReadings[] = {
    {24.0, 594}, {25.3, 597}, {0.0, 546}, {-40.0, 466}, {-55.0, 436}, {85.0, 716}, {150.0, 846},
};

TEST(TempCompReading, ATseWriteReadsTheBoardTemperature)
{
    for (const char* part : {"VK350", "VK352", "VK354"}) {
        ChipBench bench(part);
        EXPECT_EQ(596, word(bench, kKelvin)) << part << ": the power-up's reading at 25 degrees";
        for (const ReadingCase& c : kReadings) {
            SCOPED_TRACE(std::string(part) + " at " + std::to_string(c.celsius));
            bench.run(1, c.celsius);
            bench.setReg(kBeta, kTse);
            EXPECT_EQ(c.halfKelvin, word(bench, kKelvin));
            // Writing TSE off takes no reading.
            bench.setReg(kBeta, 0x00);
            bench.run(1, 22.0);
            bench.setReg(kBeta, 0x00);
            EXPECT_EQ(c.halfKelvin, word(bench, kKelvin));
        }
    }
}

TEST(TempCompReading, ThePowerUpReadsTheTemperatureOfItsFirstMoment)
{
    ChipBench bench("VK350", false);
    bench.run(1, 30.0);
    bench.supply(true);
    EXPECT_EQ(606, word(bench, kKelvin)) << "where the conversion started";
    bench.run(0.5, 40.0);
    EXPECT_EQ(626, word(bench, kKelvin)) << "the conversion's end";
    // Without TSE no more readings.
    bench.run(3 * 3600, 60.0);
    EXPECT_EQ(626, word(bench, kKelvin));
    bench.changeReg(kBeta, 0x1F, 0x10); // BETA alone
    EXPECT_EQ(626, word(bench, kKelvin));
}

struct SampleCase {
    const char* name;
    bool battery;
    uint8_t bits;     // TSE, BTSE, BTSR
    double notYet;    // seconds after the TSE write that bring no reading
    double sampledBy; // seconds by which one is taken; 0: never
};

const SampleCase kSamples[] = {
    {"SupplyEveryMinute", false, kTse, 59, 60},
    {"SupplyWithBatteryBitsStillEveryMinute", false, kTse | kBtse, 59, 60},
    {"BatteryOneMinute", true, kTse | kBtse | kBtsr, 59, 60},
    {"BatteryTenMinutes", true, kTse | kBtse, 599, 600},
    {"BatteryWithoutBtse", true, kTse | kBtsr, 7200, 0},
};

class TempCompSampling : public ::testing::TestWithParam<SampleCase> {};

TEST_P(TempCompSampling, ReadingsComeAtThePeriodTheBitsChoose)
{
    const SampleCase& c = GetParam();
    ChipBench bench("VK350");
    bench.run(1, 20.0);
    bench.setReg(kBeta, c.bits); // a reading at 20 degrees: 586
    ASSERT_EQ(586, word(bench, kKelvin));
    if (c.battery) bench.supply(false);
    bench.run(c.notYet, 40.0);
    EXPECT_EQ(586, peekWord(bench, kKelvin)) << "after " << c.notYet << " s";
    if (c.sampledBy > 0) {
        bench.run(c.sampledBy - c.notYet, 40.0);
        EXPECT_EQ(626, peekWord(bench, kKelvin)) << "after " << c.sampledBy << " s";
    }
}

INSTANTIATE_TEST_SUITE_P(Bits, TempCompSampling, ::testing::ValuesIn(kSamples),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TempCompReading, TseClearedStopsTheReadings)
{
    ChipBench bench("VK354");
    bench.setReg(kBeta, kTse);
    bench.run(120, 30.0);
    ASSERT_EQ(606, word(bench, kKelvin));
    bench.setReg(kBeta, 0x00);
    bench.run(3600, 50.0);
    EXPECT_EQ(606, word(bench, kKelvin));
}

// ---------------------------------------------------------------- final trims

struct TrimCase {
    const char* name;
    double celsius;
    uint8_t itr, alpha, beta, xto, alphaHot;
    uint8_t fatr, fdtr;
    int nppm; // 10 bits, two's complement, half ppm
};

const TrimCase kTrims[] = {
    // TSE clear: the initial trims. IATR 5: +27 ppm, IDTR -1 step: -30.5 ppm; -3.5 ppm.
    {"InitialWithoutTse", 45.0, 0xC5, 0x46, 0x10, 0x00, 0x46, 0x05, 0x11, 0x3F9},
    {"AtTheTurnover", 25.0, 0x20, 0x46, 0x90, 0x00, 0x46, 0x20, 0x00, 0x000},
    // 20 degrees off: 0.03418 x 400 = 13.67 ppm, 14 analog steps.
    {"Hot", 45.0, 0x20, 0x46, 0x90, 0x00, 0x46, 0x12, 0x00, 0x01C},
    // 60 degrees off: 123.05 ppm, three digital steps (91.5) and 32 analog: 123.5 ppm.
    {"VeryHotUsesDigitalSteps", 85.0, 0x20, 0x46, 0x90, 0x00, 0x46, 0x00, 0x03, 0x0F7},
    // 65 degrees below: 144.41 ppm, four steps (122) and 22: 144 ppm.
    {"VeryCold", -40.0, 0x20, 0x46, 0x90, 0x00, 0x46, 0x0A, 0x04, 0x120},
    // Below the turnover ALPHA counts, above it ALPHA HOT.
    {"ColdSideUsesAlpha", 15.0, 0x20, 0x00, 0x90, 0x00, 0x46, 0x20, 0x00, 0x000},
    {"HotSideUsesAlphaHot", 35.0, 0x20, 0x00, 0x90, 0x00, 0x46, 0x1D, 0x00, 0x006},
    {"HotSideIgnoresAlpha", 35.0, 0x20, 0x46, 0x90, 0x00, 0x00, 0x20, 0x00, 0x000},
    // XTO moves the turnover: 30 degrees (0x05), 20 degrees (0x15).
    {"TurnoverAt30", 30.0, 0x20, 0x46, 0x90, 0x05, 0x46, 0x20, 0x00, 0x000},
    {"TurnoverAt20", 30.0, 0x20, 0x46, 0x90, 0x15, 0x46, 0x1D, 0x00, 0x006},
    // BETA 0x08: half the term, 6.84 ppm.
    {"HalfGain", 45.0, 0x20, 0x46, 0x88, 0x00, 0x46, 0x19, 0x00, 0x00E},
    {"NoGain", 45.0, 0x20, 0x46, 0x80, 0x00, 0x46, 0x20, 0x00, 0x000},
    // The initial trims carry over: IDTR -1, IATR +0: -30.5 ppm.
    {"InitialDigitalStep", 25.0, 0xE0, 0x46, 0x90, 0x00, 0x46, 0x20, 0x11, 0x3C3},
    // IATR 63: -31 ppm, and the step: -61.5 ppm.
    {"LowestAnalog", 25.0, 0xFF, 0x46, 0x90, 0x00, 0x46, 0x3F, 0x11, 0x385},
    // 125 degrees off with +32 and a step up front: ten steps and the analog top,
    // 337 ppm, beyond the ten bits of NPPM.
    {"Saturates", 150.0, 0x40, 0x46, 0x90, 0x00, 0x46, 0x00, 0x0A, 0x1FF},
};

class TempCompTrims : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TempCompTrims, FinalTrimsAndNetCorrection)
{
    const TrimCase& c = GetParam();
    ChipBench bench("VK352");
    bench.run(1, c.celsius);
    bench.setRegs(kXto, {c.xto, c.alphaHot});
    bench.setRegs(kItr, {c.itr, c.alpha, c.beta}); // BETA last: the TSE write's reading
    EXPECT_EQ(c.fatr, bench.reg(kFatr));
    EXPECT_EQ(c.fdtr, bench.reg(kFdtr));
    EXPECT_EQ(c.nppm, word(bench, kNppm));
}

INSTANTIATE_TEST_SUITE_P(Cases, TempCompTrims, ::testing::ValuesIn(kTrims),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TempCompTrims, CoefficientsCountFromTheNextReading)
{
    ChipBench bench("VK350");
    bench.run(1, 5.0); // 20 degrees below the turnover: ALPHA counts
    bench.setRegs(kItr, {0x20, 0x00, 0x90});
    ASSERT_EQ(0x20, bench.reg(kFatr));
    bench.setReg(kAlpha, 0x46); // sensing on: the chip reads it at its next reading
    EXPECT_EQ(0x20, bench.reg(kFatr));
    bench.run(60, 5.0);
    EXPECT_EQ(0x12, bench.reg(kFatr));
    // TSE off: the initial trims again at once.
    bench.setReg(kBeta, 0x10);
    EXPECT_EQ(0x20, bench.reg(kFatr));
}

TEST(TempCompTrims, TheFinalRegistersTakeNoWrite)
{
    ChipBench bench("VK350");
    bench.setRegs(kFatr, {0x3F, 0x1F});
    bench.setRegs(kNppm, {0xFF, 0x03});
    bench.setRegs(kKelvin, {0x00, 0x00});
    EXPECT_EQ(0x20, bench.reg(kFatr));
    EXPECT_EQ(0x00, bench.reg(kFdtr));
    EXPECT_EQ(0, word(bench, kNppm));
    EXPECT_EQ(596, word(bench, kKelvin));
}

// ---------------------------------------------------------------- rate

struct RateCase {
    const char* name;
    double celsius;
    uint8_t beta;
    long counted; // seconds the clock moves on in 864000.5 s (ten days)
};

const RateCase kRates[] = {
    {"HotUncompensated", 45.0, 0x10, 863988},     // -13.6 ppm: -11.75 s
    {"HotCompensated", 45.0, 0x90, 864000},       // +14 - 13.6 = +0.4 ppm: +0.35 s
    {"VeryHotUncompensated", 85.0, 0x10, 863894}, // -122.4 ppm: -105.75 s
    {"VeryHotCompensated", 85.0, 0x90, 864001},   // +123.5 - 122.4 = +1.1 ppm: +0.95 s
    {"VeryColdCompensated", -40.0, 0x90, 864000}, // +144 - 143.65 = +0.35 ppm: +0.3 s
};

class TempCompRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(TempCompRate, TheClockRunsAtTheCompensatedRate)
{
    const RateCase& c = GetParam();
    ChipBench bench("VK354");
    bench.run(1, c.celsius);
    bench.setRegs(kXto, {0x00, 0x46});
    bench.setRegs(kItr, {0x20, 0x46, c.beta});
    const Time start{2024, 3, 7, 12, 0, 0, 4};
    ASSERT_EQ(KVRX_OK, bench.writeTime(start));
    bench.run(864000.5, c.celsius);
    EXPECT_EQ(c.counted, secondsOf(bench.readTime()) - secondsOf(start));
}

INSTANTIATE_TEST_SUITE_P(Cases, TempCompRate, ::testing::ValuesIn(kRates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TempCompRate, TheInitialTrimsSetTheRateWithoutSensing)
{
    // IATR 0: +32 ppm; IDTR +1: +30.5 ppm; ten days at 25 degrees.
    const struct {
        uint8_t itr;
        long counted;
    } cases[] = {{0x20, 864000}, {0x00, 864028}, {0x60, 864026}, {0x3F, 863973}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.itr);
        ChipBench bench("VK350");
        bench.setReg(kItr, c.itr);
        const Time start{2024, 3, 7, 12, 0, 0, 4};
        ASSERT_EQ(KVRX_OK, bench.writeTime(start));
        bench.run(864000.5, 25.0);
        EXPECT_EQ(c.counted, secondsOf(bench.readTime()) - secondsOf(start));
    }
}

} // namespace
} // namespace chiptest
