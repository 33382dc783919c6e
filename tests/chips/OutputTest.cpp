// The interrupt / frequency output on port pin 0 (and the second interrupt
// pin of the two-pin parts on port pin 1), set up with the bytes the
// Interrupt, Alarm and timer pages write.
#include <algorithm>
#include <cmath>
#include <utility>

#include "ChipBench.h"

namespace chiptest {
namespace {

using Writes = std::vector<std::pair<uint8_t, uint8_t>>;

void writeAll(ChipBench& bench, const Writes& writes)
{
    for (const auto& [reg, value] : writes)
        bench.setReg(reg, value);
}

void pokeBits(ChipBench& bench, uint8_t reg, uint8_t mask, bool on)
{
    const uint8_t now = bench.peek(reg);
    ASSERT_TRUE(
        bench.chip().poke(bench.rtc(), reg, static_cast<uint8_t>(on ? now | mask : now & ~mask)));
}

// ---- interrupt mode: an alarm or timer flag reaches the pins its routing names ----

// What a pin does while the flag is up; Wave: pin 0 puts out its square wave.
enum class Pin { Released, Low, Wave };

struct PinCase {
    const char* name;
    const char* part;
    Writes writes; // interrupt mode and the enables
    uint8_t flagReg, flagMask;
    Pin pin0, pin1;
};

constexpr Pin R = Pin::Released;
constexpr Pin L = Pin::Low;

const PinCase kPinCases[] = {
    {"A_AlarmWithAlmeInIrqMode", "VK310", {{0x08, 0x40}}, 0x07, 0x04, L, R},
    {"A_AlarmWithoutAlme", "VK310", {{0x08, 0x00}}, 0x07, 0x04, R, R},
    {"A_AlarmInFrequencyMode", "VK310", {{0x08, 0x4A}}, 0x07, 0x04, Pin::Wave, R},
    {"B_AlarmWithAlme", "VK321", {{0x08, 0x40}}, 0x07, 0x04, L, R},
    {"D_AlarmHasNoEnableBit", "VK350", {{0x08, 0x00}}, 0x07, 0x10, L, R},
    {"E_Alarm1WithAl1e", "VK360", {{0x11, 0x40}}, 0x3F, 0x40, L, R},
    {"E_Alarm0WithAl0e", "VK364", {{0x11, 0x20}}, 0x3F, 0x20, L, R},
    {"E_Alarm0WithoutAl0e", "VK365", {{0x11, 0x00}}, 0x3F, 0x20, R, R},
    {"E_VK361HasNoOutputPin", "VK361", {{0x11, 0x60}}, 0x3F, 0x40, R, R},
    {"E_VK363HasNoOutputPin", "VK363", {{0x11, 0x60}}, 0x3F, 0x20, R, R},
    {"F_Alarm1WithAle1", "VK370", {{0x0C, 0x02}, {0x0D, 0x07}}, 0x08, 0x20, L, R},
    {"F_Alarm0WithAle0", "VK370", {{0x0C, 0x01}, {0x0D, 0x07}}, 0x08, 0x10, L, R},
    {"F_Alarm0WithoutAle0", "VK370", {{0x0C, 0x00}, {0x0D, 0x07}}, 0x08, 0x10, R, R},
    // TypeG IRQ usage, INTCN A2IE A1IE: 6 "A2F HIGH", 5 "HIGH A1F", 4 "HIGH HIGH",
    // 2 "FOUT A2F".
    {"G_Usage6_Alarm2OnPin0", "VK380", {{0x0E, 0x06}}, 0x0F, 0x02, L, R},
    {"G_Usage5_Alarm1OnPin1", "VK380", {{0x0E, 0x05}}, 0x0F, 0x01, R, L},
    {"G_Usage5_Alarm2Unrouted", "VK380", {{0x0E, 0x05}}, 0x0F, 0x02, R, R},
    {"G_Usage4_Alarm1Unrouted", "VK380", {{0x0E, 0x04}}, 0x0F, 0x01, R, R},
    {"G_Usage2_Alarm2OnPin1", "VK380", {{0x0E, 0x02}}, 0x0F, 0x02, Pin::Wave, L},
    // TypeH: "Alarm1 (Set IRQE)" with A1E; alarm 2 has no interrupt of its own.
    {"H_Alarm1WithIrqeAndA1e", "VK381", {{0x08, 0x45}}, 0x07, 0x04, L, R},
    {"H_Alarm1WithoutA1e", "VK381", {{0x08, 0x44}}, 0x07, 0x04, R, R},
    {"H_Alarm2", "VK381", {{0x08, 0x25}}, 0x07, 0x02, R, R},
    // TypeK: IRQ1E puts the alarm on IRQ1/FOUT; IRQ2 carries the alarm, or the timer with IRQ2E.
    {"K_AlarmOnBothPins", "VK390", {{0x08, 0x44}}, 0x07, 0x04, L, L},
    {"K_AlarmOnIrq2Only", "VK390", {{0x08, 0x43}}, 0x07, 0x04, Pin::Wave, L},
    {"K_TimerOnIrq2", "VK390", {{0x08, 0x0C}}, 0x07, 0x08, R, L},
    {"K_AlarmNotOnTheTimersPin", "VK390", {{0x08, 0x4C}}, 0x07, 0x04, L, R},
    {"K_TimerWithoutIrq2e", "VK390", {{0x08, 0x04}}, 0x07, 0x08, R, R},
    // VK340 has no interrupt output: its alarm only sets the flag.
    {"C_NoInterruptOutput", "VK340", {{0x08, 0x40}}, 0x0B, 0x04, R, R},
};

class InterruptPin : public ::testing::TestWithParam<PinCase> {};

TEST_P(InterruptPin, PulledLowWhileTheFlagIsUpAndReleasedWhenItIsCleared)
{
    const PinCase& c = GetParam();
    ChipBench bench(c.part);
    writeAll(bench, c.writes);
    auto expectPins = [&](bool flagUp, const char* when) {
        if (c.pin0 != Pin::Wave) {
            EXPECT_EQ(flagUp && c.pin0 == L, bench.chip().irqLow()) << "pin 0 " << when;
        }
        EXPECT_EQ(flagUp && c.pin1 == L, bench.chip().irq2Low()) << "pin 1 " << when;
    };
    pokeBits(bench, c.flagReg, 0xFF, false);
    expectPins(false, "before the flag");
    pokeBits(bench, c.flagReg, c.flagMask, true);
    expectPins(true, "with the flag up");
    bench.run(2.3);
    expectPins(true, "a while later");
    pokeBits(bench, c.flagReg, c.flagMask, false);
    expectPins(false, "after the flag");
}

INSTANTIATE_TEST_SUITE_P(Families, InterruptPin, ::testing::ValuesIn(kPinCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InterruptPin, AMatchingAlarmPullsThePinUntilTheApplicationClearsTheFlag)
{
    ChipBench bench("VK310");
    bench.changeReg(0x08, 0xCF, 0x40); // ALME, IM clear, FO "0Hz (EN IRQ#)"
    bench.setRegs(0x0C, {0xB0, 0, 0, 0, 0, 0});
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 25, 4}));
    bench.run(4.5);
    EXPECT_FALSE(bench.chip().irqLow());
    bench.run(1.0);
    EXPECT_TRUE(bench.chip().irqLow()) << "at 14:05:30";
    bench.run(30.0);
    EXPECT_TRUE(bench.chip().irqLow()) << "held while the flag is up";
    bench.setReg(0x07, static_cast<uint8_t>((bench.reg(0x07) | 0x0F) & ~0x04));
    EXPECT_FALSE(bench.chip().irqLow());
}

TEST(InterruptPin, TypeGWithoutIntcnPutsTheWaveOnPin0AndBothAlarmsOnPin1)
{
    // IRQ usage 3, "FOUT A1F or A2F", with RS "1 Hz".
    ChipBench bench("VK380");
    bench.setReg(0x0E, 0x03);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 25, 4}));
    bench.setReg(0x0F, 0x00);
    bench.run(0.25);
    EXPECT_TRUE(bench.chip().irqLow()) << "first half of the second";
    EXPECT_FALSE(bench.chip().irq2Low());
    bench.run(0.5);
    EXPECT_FALSE(bench.chip().irqLow()) << "second half";
    for (uint8_t flag : {0x01, 0x02}) {
        pokeBits(bench, 0x0F, flag, true);
        EXPECT_TRUE(bench.chip().irq2Low()) << int(flag);
        bench.setReg(0x0F, 0x00); // cleared by a written 0
        EXPECT_FALSE(bench.chip().irq2Low()) << int(flag);
    }
}

TEST(InterruptPin, TypeJDrivesItsPinFromOut)
{
    ChipBench j("VK382");
    EXPECT_FALSE(j.chip().irqLow());
    j.setReg(0x07, 0x00);
    EXPECT_TRUE(j.chip().irqLow());
    j.setReg(0x07, 0x80);
    EXPECT_FALSE(j.chip().irqLow());
}

// ---- pulse mode (IM): 250 ms at each match instead of a level until cleared ----

struct PulseCase {
    const char* part;
    Writes writes; // interrupt mode, alarm enable, IM clear
    uint8_t imReg; // IM
    uint8_t imMask;
    uint8_t blockReg;
    size_t blockLen;
    uint8_t flagReg, flagMask;
};

class PulseMode : public ::testing::TestWithParam<PulseCase> {};

TEST_P(PulseMode, RepetitiveEventPulsesAtEachMatchSingleEventHoldsTheLevel)
{
    const PulseCase& c = GetParam();
    for (bool im : {false, true}) {
        SCOPED_TRACE(im ? "IM set" : "IM clear");
        ChipBench bench(c.part);
        writeAll(bench, c.writes);
        bench.changeReg(c.imReg, c.imMask, im ? c.imMask : 0);
        std::vector<uint8_t> block(c.blockLen, 0x00);
        block[0] = 0xB0; // at second 30 of every minute
        bench.setRegs(c.blockReg, block);
        ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 29, 4}));
        pokeBits(bench, c.flagReg, c.flagMask, false);

        bench.run(1.1);
        EXPECT_TRUE(bench.chip().irqLow()) << "0.1 s after the match";
        bench.run(0.3);
        EXPECT_EQ(!im, bench.chip().irqLow()) << "0.4 s after the match";
        EXPECT_EQ(c.flagMask, bench.reg(c.flagReg) & c.flagMask) << "the flag is set alike";
        bench.run(0.5);
        EXPECT_EQ(!im, bench.chip().irqLow()) << "0.9 s after the match";
        bench.run(59.2);
        EXPECT_TRUE(bench.chip().irqLow()) << "0.1 s after the next match";
        bench.run(0.3);
        EXPECT_EQ(!im, bench.chip().irqLow()) << "0.4 s after the next match";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, PulseMode,
    ::testing::Values(PulseCase{"VK310", {{0x08, 0x40}}, 0x08, 0x80, 0x0C, 6, 0x07, 0x04},
                      PulseCase{"VK350", {{0x08, 0x00}}, 0x08, 0x20, 0x10, 6, 0x07, 0x10},
                      PulseCase{"VK360", {{0x11, 0x40}}, 0x11, 0x80, 0x08, 8, 0x3F, 0x40},
                      PulseCase{
                          "VK370", {{0x0C, 0x02}, {0x0D, 0x07}}, 0x0C, 0x20, 0x23, 6, 0x08, 0x20},
                      PulseCase{"VK390", {{0x08, 0x44}}, 0x08, 0x80, 0x0C, 6, 0x07, 0x04}),
    [](const auto& info) { return std::string(info.param.part); });

// ---- frequency mode ----

enum class Wave { Toggles, SteadyLow, Released };

struct WaveCase {
    const char* name;
    const char* part;
    Writes writes;
    Wave wave;
    double hz; // Toggles: the rate
};

const WaveCase kWaveCases[] = {
    // The sixteen-entry list of TypeA, TypeB and TypeD (FO3..FO0 of 0x08).
    {"A_1Hz", "VK310", {{0x08, 0x0A}}, Wave::Toggles, 1},
    {"A_2Hz", "VK310", {{0x08, 0x09}}, Wave::Toggles, 2},
    {"A_64Hz", "VK311", {{0x08, 0x04}}, Wave::Toggles, 64},
    {"A_HalfHz", "VK310", {{0x08, 0x0B}}, Wave::Toggles, 0.5},
    {"A_1_32Hz", "VK310", {{0x08, 0x0F}}, Wave::Toggles, 1.0 / 32},
    {"B_1_8Hz", "VK330", {{0x08, 0x0D}}, Wave::Toggles, 1.0 / 8},
    {"D_1Hz", "VK354", {{0x08, 0x0A}}, Wave::Toggles, 1},
    {"D_16Hz", "VK350", {{0x08, 0x06}}, Wave::Toggles, 16},
    {"A_32768Hz", "VK310", {{0x08, 0x01}}, Wave::SteadyLow, 0},
    {"A_1024Hz", "VK320", {{0x08, 0x03}}, Wave::SteadyLow, 0},
    {"A_IrqModeWithoutAlarm", "VK310", {{0x08, 0x00}}, Wave::Released, 0},
    // TypeE: FO1..FO0 of 0x11.
    {"E_1Hz", "VK360", {{0x11, 0x18}}, Wave::Toggles, 1},
    {"E_4096Hz", "VK362", {{0x11, 0x10}}, Wave::SteadyLow, 0},
    {"E_IrqMode", "VK360", {{0x11, 0x00}}, Wave::Released, 0},
    {"E_VK363HasNoPin", "VK363", {{0x11, 0x18}}, Wave::Released, 0},
    // TypeF: FO2..FO0 of 0x0D, the mains rate by AC5060.
    {"F_1Hz", "VK370", {{0x0D, 0x05}}, Wave::Toggles, 1},
    {"F_Mains50Hz", "VK370", {{0x0D, 0x04}}, Wave::Toggles, 50},
    {"F_Mains60Hz", "VK370", {{0x13, 0x80}, {0x0D, 0x04}}, Wave::Toggles, 60},
    {"F_16384Hz", "VK370", {{0x0D, 0x01}}, Wave::SteadyLow, 0},
    {"F_Low", "VK370", {{0x0D, 0x06}}, Wave::SteadyLow, 0},
    {"F_High", "VK370", {{0x0D, 0x07}}, Wave::Released, 0},
    // TypeG: RS2..RS1 of 0x0E with INTCN clear.
    {"G_1Hz", "VK380", {{0x0E, 0x00}}, Wave::Toggles, 1},
    {"G_32768Hz", "VK380", {{0x0E, 0x18}}, Wave::SteadyLow, 0},
    {"G_Intcn", "VK380", {{0x0E, 0x1C}}, Wave::Released, 0},
    // TypeH: FO1..FO0 of 0x08 with IRQE clear.
    {"H_1Hz", "VK381", {{0x08, 0x00}}, Wave::Toggles, 1},
    {"H_8192Hz", "VK381", {{0x08, 0x10}}, Wave::SteadyLow, 0},
    {"H_Irqe", "VK381", {{0x08, 0x1C}}, Wave::Released, 0},
    // TypeK: FO1..FO0 of 0x08 with IRQ1E clear.
    {"K_1Hz", "VK390", {{0x08, 0x03}}, Wave::Toggles, 1},
    {"K_512Hz", "VK390", {{0x08, 0x02}}, Wave::SteadyLow, 0},
    {"K_Irq1e", "VK390", {{0x08, 0x07}}, Wave::Released, 0},
    // OUT and FT (512 Hz frequency test).
    {"C_FreqTest", "VK340", {{0x07, 0xC0}}, Wave::SteadyLow, 0},
    {"C_OutLow", "VK340", {{0x07, 0x00}}, Wave::SteadyLow, 0},
    {"C_OutHigh", "VK340", {{0x07, 0x80}}, Wave::Released, 0},
    {"J_FreqTest", "VK382", {{0x07, 0x40}}, Wave::SteadyLow, 0},
};

class FrequencyPin : public ::testing::TestWithParam<WaveCase> {};

TEST_P(FrequencyPin, ThePinShowsTheChosenOutput)
{
    const WaveCase& c = GetParam();
    ChipBench bench(c.part);
    writeAll(bench, c.writes);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 25, 4})); // a second starts
    if (c.wave != Wave::Toggles) {
        for (double step : {0.013, 0.26, 0.377, 0.5, 1.71, 30.0}) {
            bench.run(step);
            EXPECT_EQ(c.wave == Wave::SteadyLow, bench.chip().irqLow()) << "after " << step;
        }
        return;
    }
    // Samples an eighth of a period apart, never on an edge: each level lasts
    // four samples.
    const double period = 1.0 / c.hz;
    bench.run(std::min(period / 16, 0.1));
    std::vector<int> edges;
    bool last = bench.chip().irqLow();
    for (int k = 1; k <= 32; ++k) {
        bench.run(period / 8);
        const bool now = bench.chip().irqLow();
        if (now != last) edges.push_back(k);
        last = now;
    }
    ASSERT_GE(edges.size(), 6u) << "the pin toggles";
    for (size_t i = 1; i < edges.size(); ++i)
        EXPECT_EQ(4, edges[i] - edges[i - 1]) << "edge " << i;
}

INSTANTIATE_TEST_SUITE_P(Families, FrequencyPin, ::testing::ValuesIn(kWaveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrequencyPin, OneHertzIsLowForTheFirstHalfOfEachSecondAndHighForTheSecond)
{
    ChipBench bench("VK310");
    bench.setReg(0x08, 0x0A); // "1 Hz"
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 25, 4}));
    for (int second = 0; second < 3; ++second) {
        bench.run(0.25);
        EXPECT_TRUE(bench.chip().irqLow()) << second << ".25 s";
        bench.run(0.5);
        EXPECT_FALSE(bench.chip().irqLow()) << second << ".75 s";
        bench.run(0.25);
    }
    // Back to "0Hz (EN IRQ#)" with no alarm: released at every point of the second.
    bench.setReg(0x08, 0x00);
    for (int i = 0; i < 4; ++i) {
        bench.run(0.25);
        EXPECT_FALSE(bench.chip().irqLow()) << i;
    }
}

TEST(FrequencyPin, ALongRunKeepsTheWaveInStepWithTheClock)
{
    ChipBench bench("VK381");
    bench.setReg(0x08, 0x00); // "1 Hz"
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 25, 4}));
    bench.run(30 * 86400 + 0.25);
    EXPECT_TRUE(bench.chip().irqLow());
    bench.run(0.5);
    EXPECT_FALSE(bench.chip().irqLow());
    EXPECT_EQ((Time{2024, 4, 6, 14, 5, 25, 6}), bench.readTime());
}

// ---- battery mode ----

struct BatteryPinCase {
    const char* name;
    const char* part;
    uint8_t reg;
    uint8_t value; // an output that pulls the pin steadily, FOBATB clear
    uint8_t fobatb;
    uint8_t flagReg, flagMask; // a flag to raise first (mask 0: none)
};

class FobatbPin : public ::testing::TestWithParam<BatteryPinCase> {};

TEST_P(FobatbPin, TheOutputWorksOnTheBatteryUnlessFobatbIsSet)
{
    const BatteryPinCase& c = GetParam();
    ChipBench bench(c.part);
    bench.setReg(c.reg, c.value);
    if (c.flagMask) pokeBits(bench, c.flagReg, c.flagMask, true);
    ASSERT_TRUE(bench.chip().irqLow());
    bench.supply(false);
    bench.run(0.3);
    EXPECT_TRUE(bench.chip().irqLow()) << "on the battery, FOBATB clear";
    bench.supply(true);
    bench.setReg(c.reg, static_cast<uint8_t>(c.value | c.fobatb));
    EXPECT_TRUE(bench.chip().irqLow()) << "on the supply, FOBATB set";
    bench.supply(false);
    bench.run(0.3);
    EXPECT_FALSE(bench.chip().irqLow()) << "on the battery, FOBATB set";
    bench.supply(true);
    EXPECT_TRUE(bench.chip().irqLow()) << "back on the supply";
}

INSTANTIATE_TEST_SUITE_P(
    Families, FobatbPin,
    ::testing::Values(BatteryPinCase{"A_Wave", "VK310", 0x08, 0x01, 0x10, 0, 0},
                      BatteryPinCase{"A_Alarm", "VK311", 0x08, 0x40, 0x10, 0x07, 0x04},
                      BatteryPinCase{"B_Wave", "VK321", 0x08, 0x02, 0x10, 0, 0},
                      BatteryPinCase{"D_Wave", "VK350", 0x08, 0x01, 0x10, 0, 0},
                      BatteryPinCase{"F_Low", "VK370", 0x0D, 0x06, 0x10, 0, 0},
                      BatteryPinCase{"K_Wave", "VK390", 0x08, 0x00, 0x10, 0, 0},
                      BatteryPinCase{"K_Alarm", "VK390", 0x08, 0x44, 0x10, 0x07, 0x04}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatteryPin, OutputsWithoutFobatbAreOffOnTheBatteryAndWithTheChipsPower)
{
    // Battery-backed parts without FOBATB release the pin on the battery.
    ChipBench c("VK340");
    c.setReg(0x07, 0x00); // OUT low
    ChipBench e("VK360");
    e.setReg(0x11, 0x08); // 32768 Hz
    // Parts without a battery lose everything with the supply.
    ChipBench g("VK380");
    g.setReg(0x0E, 0x18); // 32768 Hz
    for (ChipBench* bench : {&c, &e, &g}) {
        EXPECT_TRUE(bench->chip().irqLow());
        bench->supply(false);
    }
    c.run(1.0);
    for (ChipBench* bench : {&c, &e, &g})
        EXPECT_FALSE(bench->chip().irqLow());
    for (ChipBench* bench : {&c, &e})
        bench->supply(true);
    EXPECT_TRUE(c.chip().irqLow());
    EXPECT_TRUE(e.chip().irqLow());
}

} // namespace
} // namespace chiptest
