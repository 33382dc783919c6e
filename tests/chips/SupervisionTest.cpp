// Supply supervision at the board's supply and battery levels: where each
// family switches to the battery and back, the brown-out and low-battery
// flags against the trip levels, the switch-over stamps of a supply dip, the
// TypeE reset threshold and watchdog on port pin 2, and the VK370 AC input
// on a board without mains.
#include <vector>

#include "ChipBench.h"

namespace chiptest {
namespace {

const Time kSet{2024, 3, 7, 14, 5, 9, 4};

// ---------------------------------------------------------------- switch-over

struct Step {
    double vdd;
    bool onSupply; // the chip answers on the bus (none of these has I2C on the battery)
};

struct SwitchCase {
    const char* name;
    const char* part;
    std::vector<std::pair<uint32_t, uint8_t>> setup; // register writes first
    double battery;
    std::vector<Step> steps;
};

class SwitchOver : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchOver, TheChipRunsWhereItsModeSays)
{
    const SwitchCase& c = GetParam();
    ChipBench bench(c.part);
    for (const auto& [reg, value] : c.setup)
        bench.setReg(reg, value);
    bench.chip().setVoltage(KVRX_SIM_BATTERY, c.battery);
    for (const Step& s : c.steps) {
        bench.chip().setVoltage(KVRX_SIM_SUPPLY, s.vdd);
        EXPECT_EQ(bench.chip().answers(bench.rtc()), s.onSupply) << "at " << s.vdd << " V";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SwitchOver,
    ::testing::Values(
        // Standard mode: below 2.2 V and below the battery; back above 2.23 V.
        SwitchCase{"D_Standard",
                   "VK350",
                   {},
                   3.0,
                   {{2.5, true}, {2.21, true}, {2.1, false}, {2.22, false}, {2.25, true}}},
        // With a weak battery the supply holds until it falls below the battery.
        SwitchCase{"D_WeakBattery", "VK352", {}, 1.9, {{2.1, true}, {1.86, true}, {1.84, false}}},
        SwitchCase{
            "E_Standard", "VK364", {{0x14, 0x03}}, 3.0, {{2.3, true}, {2.1, false}, {2.4, true}}},
        // Legacy mode (BSW): whichever is higher, 50 mV either way.
        SwitchCase{"E_Legacy",
                   "VK365",
                   {{0x14, 0x43}},
                   3.0,
                   {{2.96, true}, {2.94, false}, {3.04, false}, {3.06, true}}},
        // VK370 switches at its VDD trip level (3.060 V) ...
        SwitchCase{
            "F_AtTrip", "VK370", {{0x11, 0x03}}, 3.0, {{3.07, true}, {3.05, false}, {3.06, true}}},
        // ... 50 mV below and above it with BHYS.
        SwitchCase{"F_Hysteresis",
                   "VK370",
                   {{0x11, 0x03}, {0x12, 0x40}},
                   3.0,
                   {{3.02, true}, {3.0, false}, {3.09, false}, {3.12, true}}},
        // A family without supervision registers switches as the standard mode does.
        SwitchCase{"A_Standard", "VK310", {}, 3.0, {{2.3, true}, {2.0, false}, {3.3, true}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SupplyLevels, RaisingTheTypeFTripLevelAboveTheSupplySwitchesAtOnce)
{
    ChipBench bench("VK370");
    bench.setReg(0x11, 0x04); // 4.250 V
    EXPECT_FALSE(bench.chip().answers(bench.rtc())) << "on the battery at 3.3 V";
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 4.5);
    EXPECT_TRUE(bench.chip().answers(bench.rtc()));
    EXPECT_EQ(0x88, bench.reg(0x08) & 0x88) << "BMODE and LVDD tell of it";
}

TEST(SupplyLevels, ASupplyDipRecordsBothStampsAndClrtsClearsThem)
{
    ChipBench bench("VK354");
    ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 2.0);
    bench.run(100);
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 3.3);
    EXPECT_EQ((std::vector<uint8_t>{0x09, 0x05, 0x94, 0x07, 0x03}), bench.regs(0x16, 5));
    EXPECT_EQ((std::vector<uint8_t>{0x49, 0x06, 0x94, 0x07, 0x03}), bench.regs(0x1B, 5));
    EXPECT_EQ(0x08, bench.reg(0x07) & 0x08) << "LVDD: the dip went below the trip level";
    EXPECT_EQ((Time{2024, 3, 7, 14, 6, 49, 4}), bench.readTime()) << "the clock ran on";

    bench.setReg(0x09, 0x80);
    bench.setReg(0x09, 0x00);
    EXPECT_EQ(std::vector<uint8_t>(5, 0), bench.regs(0x16, 5));
    EXPECT_EQ(std::vector<uint8_t>(5, 0), bench.regs(0x1B, 5));
}

TEST(SupplyLevels, NothingRunsBelow18Volts)
{
    // A battery too weak to keep the clock: the time goes with the supply.
    ChipBench weak("VK350");
    ASSERT_EQ(KVRX_OK, weak.writeTime(kSet));
    weak.chip().setVoltage(KVRX_SIM_BATTERY, 1.5);
    weak.supply(false);
    weak.supply(true);
    EXPECT_EQ(0x01, weak.reg(0x07) & 0x01) << "RTCF";
    EXPECT_EQ(2000, weak.readTime().year);

    // A battery that fails while it holds the clock lets it go too.
    ChipBench failing("VK370");
    ASSERT_EQ(KVRX_OK, failing.writeTime(kSet));
    failing.supply(false);
    failing.chip().setVoltage(KVRX_SIM_BATTERY, 0.0);
    failing.chip().setVoltage(KVRX_SIM_BATTERY, 3.0);
    failing.supply(true);
    EXPECT_EQ(2000, failing.readTime().year);

    // A supply below the minimum never powers a chip up.
    ChipBench fresh("VK320", false);
    fresh.chip().setVoltage(KVRX_SIM_SUPPLY, 1.7);
    fresh.supply(true);
    EXPECT_FALSE(fresh.chip().answers(0xDE));
    fresh.chip().setVoltage(KVRX_SIM_SUPPLY, 3.3);
    EXPECT_TRUE(fresh.chip().answers(0xDE));
}

// ---------------------------------------------------------------- flags

struct FlagCase {
    const char* name;
    const char* part;
    uint8_t control; // VDD or battery control register
    uint8_t value;
    int which;
    double volts;
    uint8_t status;
    uint8_t flags; // status bits set
};

class SupplyFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(SupplyFlags, FlagsFollowTheLevelsAndStayUntilClearedWhenTheLevelIsBack)
{
    const FlagCase& c = GetParam();
    ChipBench bench(c.part);
    bench.chip().setVoltage(c.which, c.volts);
    bench.setReg(c.control, c.value);
    EXPECT_EQ(c.flags, bench.reg(c.status) & 0x0E);
    // A written 0 does not clear a flag whose level is still undercut.
    bench.setReg(c.status, 0x00);
    EXPECT_EQ(c.flags, bench.reg(c.status) & 0x0E);
    // Back at the board's levels the flags stay until cleared.
    bench.chip().setVoltage(c.which, 5.0);
    EXPECT_EQ(c.flags, bench.reg(c.status) & 0x0E);
    bench.setReg(c.status, 0x00);
    EXPECT_EQ(0x00, bench.reg(c.status) & 0x0E);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, SupplyFlags,
    ::testing::Values(
        // VDD trip 3.060 V: LVDD (bit 3), the part still on VDD.
        FlagCase{"D_LowVdd", "VK350", 0x09, 0x03, KVRX_SIM_SUPPLY, 3.0, 0x07, 0x08},
        FlagCase{"D_VddAboveTrip", "VK350", 0x09, 0x03, KVRX_SIM_SUPPLY, 3.1, 0x07, 0x00},
        // 85 %: 3.060 V, 75 %: 2.700 V.
        FlagCase{"D_Battery85", "VK352", 0x0A, 0x24, KVRX_SIM_BATTERY, 3.0, 0x07, 0x04},
        FlagCase{"D_BatteryBoth", "VK354", 0x0A, 0x24, KVRX_SIM_BATTERY, 2.6, 0x07, 0x06},
        FlagCase{"D_BatteryGood", "VK354", 0x0A, 0x24, KVRX_SIM_BATTERY, 3.1, 0x07, 0x00},
        // 85 %: 2.125 V, 75 %: 3.750 V.
        FlagCase{"F_Battery75", "VK370", 0x12, 0x05, KVRX_SIM_BATTERY, 3.0, 0x08, 0x02},
        FlagCase{"F_BatteryBoth", "VK370", 0x12, 0x3F, KVRX_SIM_BATTERY, 3.3, 0x08, 0x06}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SupplyFlagsF, LvddComesWithTheSwitchOverUnlessTheMonitorIsOff)
{
    ChipBench bench("VK370");
    bench.setReg(0x11, 0x21); // 2.550 V, I2CBAT
    bench.setReg(0x08, 0x00);
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 2.5);
    EXPECT_EQ(0x88, bench.reg(0x08) & 0x88) << "BMODE and LVDD";
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 3.3);
    bench.setReg(0x08, 0x00);
    EXPECT_EQ(0x00, bench.reg(0x08) & 0x88);

    bench.setReg(0x11, 0x31); // LVENB: the monitor off
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 2.5);
    EXPECT_EQ(0x80, bench.reg(0x08) & 0x88) << "on the battery, no LVDD";
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 3.3);
    bench.supply(false);
    bench.supply(true);
    EXPECT_EQ(0x00, bench.reg(0x08) & 0x08) << "nor after the supply came back";
}

// ---------------------------------------------------------------- reset output

TEST(ResetOutput, FactoryContentsKeepTheWatchdogOffAndTheThresholdAt292)
{
    for (const char* part : {"VK361", "VK364", "VK365"}) {
        ChipBench bench(part);
        EXPECT_EQ(0x18, bench.reg(0x10) & 0x18) << part;
        EXPECT_EQ(0x03, bench.reg(0x14) & 0x07) << part;
        bench.run(10);
        EXPECT_FALSE(bench.chip().resetLow()) << part;
    }
}

TEST(ResetOutput, TheSupplyBelowTheThresholdHoldsTheResetUntil250msAfterItIsBack)
{
    ChipBench bench("VK364"); // 2.92 V
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 2.9);
    EXPECT_TRUE(bench.chip().resetLow());
    bench.run(5);
    EXPECT_TRUE(bench.chip().resetLow());
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 3.0);
    bench.run(0.2);
    EXPECT_TRUE(bench.chip().resetLow());
    bench.run(0.1);
    EXPECT_FALSE(bench.chip().resetLow());

    // A higher threshold over the same supply.
    bench.setReg(0x14, 0x00); // 4.64 V
    EXPECT_TRUE(bench.chip().resetLow());
    bench.setReg(0x14, 0x03);
    bench.run(0.3);
    EXPECT_FALSE(bench.chip().resetLow());

    // With the supply switched off the chip on its battery holds the reset.
    bench.supply(false);
    EXPECT_TRUE(bench.chip().resetLow());
}

struct WatchdogCase {
    const char* part;
    uint8_t bl;
    double period; // 0: no time-out
};

class Watchdog : public ::testing::TestWithParam<WatchdogCase> {};

TEST_P(Watchdog, WithoutAStartOnTheBusTheResetPulsesOncePerPeriod)
{
    const WatchdogCase& c = GetParam();
    ChipBench bench(c.part);
    bench.setReg(0x10, c.bl); // the last start on the bus
    if (c.period == 0.0) {
        for (int i = 0; i < 40; ++i) {
            bench.run(0.1);
            EXPECT_FALSE(bench.chip().resetLow()) << i;
        }
        return;
    }
    bench.run(c.period - 0.05);
    EXPECT_FALSE(bench.chip().resetLow());
    bench.run(0.1);
    EXPECT_TRUE(bench.chip().resetLow()) << "time-out: a 250 ms pulse";
    bench.run(0.2);
    EXPECT_FALSE(bench.chip().resetLow());
    // The count starts again after the pulse, and fires again.
    bench.run(c.period - 0.1);
    EXPECT_FALSE(bench.chip().resetLow());
    bench.run(0.1);
    EXPECT_TRUE(bench.chip().resetLow());
    // Long unattended runs keep pulsing in step.
    bench.run(100 * (c.period + 0.25));
    EXPECT_TRUE(bench.chip().resetLow());
}

INSTANTIATE_TEST_SUITE_P(
    Periods, Watchdog,
    ::testing::Values(WatchdogCase{"VK361", 0x00, 1.75}, WatchdogCase{"VK364", 0xE8, 0.75},
                      WatchdogCase{"VK365", 0x10, 0.25}, WatchdogCase{"VK365", 0x18, 0.0},
                      // VK363 keeps the bits but has no watchdog.
                      WatchdogCase{"VK363", 0x00, 0.0}),
    [](const auto& info) {
        return std::string(info.param.part) + "_" + std::to_string(info.param.bl);
    });

TEST(WatchdogFeeding, AnyStartRestartsTheCountButNotDuringThePulse)
{
    ChipBench bench("VK364");
    bench.setReg(0x10, 0x08); // 750 ms
    for (int i = 0; i < 10; ++i) {
        bench.run(0.5);
        uint8_t temp[2];
        ASSERT_EQ(KVRX_OK, bench.read(0x90, 1, 0, temp, 2)) << "the board sensor's read feeds it";
        EXPECT_FALSE(bench.chip().resetLow()) << i;
    }
    bench.run(0.8);
    EXPECT_TRUE(bench.chip().resetLow());
    bench.regs(0x30, 1); // a start in the pulse changes nothing
    bench.run(0.25);
    EXPECT_FALSE(bench.chip().resetLow()) << "the pulse ended 250 ms after the time-out";
    bench.run(0.65);
    EXPECT_FALSE(bench.chip().resetLow()) << "counted from the pulse's end, not from the start";
    bench.run(0.1);
    EXPECT_TRUE(bench.chip().resetLow());
}

TEST(WatchdogFeeding, TheWatchdogRestsOnTheBattery)
{
    ChipBench bench("VK361");
    bench.setReg(0x10, 0x10); // 250 ms
    bench.setReg(0x14, 0x04); // 2.63 V: the threshold out of the way
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 2.7);
    bench.chip().setVoltage(KVRX_SIM_BATTERY, 3.0);
    bench.setReg(0x14, 0x44);                       // legacy mode: to the battery below 2.95 V
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 2.65); // on the battery, above the threshold
    bench.run(5);
    EXPECT_FALSE(bench.chip().resetLow());
    bench.chip().setVoltage(KVRX_SIM_SUPPLY, 3.3);
    bench.run(0.2);
    EXPECT_FALSE(bench.chip().resetLow()) << "a fresh count on VDD";
    bench.run(0.1);
    EXPECT_TRUE(bench.chip().resetLow());
}

TEST(ResetOutput, PartsWithoutASupervisorLeaveThePinAlone)
{
    for (const char* part : {"VK360", "VK362", "VK350", "VK370"}) {
        ChipBench bench(part);
        bench.chip().setVoltage(KVRX_SIM_SUPPLY, 2.0);
        bench.supply(false);
        bench.run(3);
        EXPECT_FALSE(bench.chip().resetLow()) << part;
    }
}

// ---------------------------------------------------------------- AC input

TEST(AcInput, WithoutMainsTheInputFailsEachTimeTheChipComesOnVdd)
{
    ChipBench bench("VK370");
    EXPECT_EQ(0x02, bench.reg(0x09) & 0x03) << "ACFAIL, no ACRDY";
    EXPECT_EQ(1, bench.reg(0x0A)) << "one change-over to the crystal";
    bench.setReg(0x09, 0x00);
    EXPECT_EQ(0x00, bench.reg(0x09) & 0x03) << "cleared, and no new failure meanwhile";
    bench.run(60);
    EXPECT_EQ(0x00, bench.reg(0x09) & 0x03);

    bench.supply(false);
    bench.supply(true);
    EXPECT_EQ(0x02, bench.reg(0x09) & 0x03);
    EXPECT_EQ(2, bench.reg(0x0A));

    // The crystal as the sole source: the input is not tried.
    bench.setReg(0x09, 0x00);
    bench.setReg(0x13, 0x40);
    bench.supply(false);
    bench.supply(true);
    EXPECT_EQ(0x00, bench.reg(0x09) & 0x03);
    EXPECT_EQ(2, bench.reg(0x0A));
    // Taken back into use: it fails at once.
    bench.setReg(0x13, 0x00);
    EXPECT_EQ(0x02, bench.reg(0x09) & 0x03);
    EXPECT_EQ(3, bench.reg(0x0A));
}

TEST(AcInput, TheCounterStopsAt255)
{
    ChipBench bench("VK370");
    ASSERT_TRUE(bench.chip().poke(0xDE, 0x0A, 0xFE));
    for (int i = 0; i < 3; ++i) {
        bench.supply(false);
        bench.supply(true);
    }
    EXPECT_EQ(0xFF, bench.reg(0x0A));
}

} // namespace
} // namespace chiptest
