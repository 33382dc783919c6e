// Supply switching: battery backup, battery flags, switch-over stamps, the
// bus on the battery, and parts that lose their time.
#include "ChipBench.h"

namespace chiptest {
namespace {

const Time kSet{2024, 3, 7, 14, 5, 9, 4};

struct BatteryCase {
    const char* part;
    uint8_t flagReg; // the flag the returning supply sets
    uint8_t flagMask;
};

class BatteryBackup : public ::testing::TestWithParam<BatteryCase> {};

TEST_P(BatteryBackup, ClockRunsOnTheBatteryAndTheReturnSetsTheBatteryFlag)
{
    const BatteryCase& c = GetParam();
    ChipBench bench(c.part);
    ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask);

    bench.supply(false);
    EXPECT_FALSE(bench.chip().answers(bench.rtc()));
    bench.run(3600 + 120);
    bench.supply(true);

    const Time expected{2024, 3, 7, 15, 7, 9, 4};
    EXPECT_EQ(expected, bench.readTime());
    EXPECT_EQ(c.flagMask, bench.reg(c.flagReg) & c.flagMask);
    bench.setReg(c.flagReg, static_cast<uint8_t>(bench.reg(c.flagReg) & ~c.flagMask));
    EXPECT_EQ(0, bench.reg(c.flagReg) & c.flagMask) << "cleared by a written 0";
}

INSTANTIATE_TEST_SUITE_P(
    Families, BatteryBackup,
    ::testing::Values(BatteryCase{"VK310", 0x07, 0x02}, BatteryCase{"VK321", 0x07, 0x02},
                      BatteryCase{"VK340", 0x0B, 0x02}, BatteryCase{"VK352", 0x07, 0x08}, // LVDD
                      BatteryCase{"VK361", 0x3F, 0x80}, BatteryCase{"VK370", 0x08, 0x08}, // LVDD
                      BatteryCase{"VK390", 0x07, 0x02}),
    [](const auto& info) { return std::string(info.param.part); });

struct LossCase {
    const char* part;
    uint8_t flagReg; // power-fail or oscillator-stop flag
    uint8_t flagMask;
};

class NoBattery : public ::testing::TestWithParam<LossCase> {};

TEST_P(NoBattery, TheTimeIsLostWithTheSupplyAndTheFlagSaysSo)
{
    const LossCase& c = GetParam();
    ChipBench bench(c.part);
    ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
    bench.setReg(c.flagReg, static_cast<uint8_t>(bench.reg(c.flagReg) & ~c.flagMask));
    ASSERT_EQ(0, bench.reg(c.flagReg) & c.flagMask);

    bench.supply(false);
    bench.run(60);
    bench.supply(true);
    EXPECT_EQ(c.flagMask, bench.reg(c.flagReg) & c.flagMask);
    const Time t = bench.readTime();
    EXPECT_EQ(2000, t.year);
    EXPECT_EQ(1, t.month);
    EXPECT_EQ(1, t.day);
}

INSTANTIATE_TEST_SUITE_P(Families, NoBattery,
                         ::testing::Values(LossCase{"VK380", 0x0F, 0x80},
                                           LossCase{"VK381", 0x07, 0x01},
                                           LossCase{"VK382", 0x07, 0x01}),
                         [](const auto& info) { return std::string(info.param.part); });

TEST(Supply, AFreshChipStandsStillUntilItsFirstPowerUp)
{
    ChipBench bench("VK320", false);
    bench.run(3600);
    EXPECT_FALSE(bench.chip().answers(0xDE));
    bench.supply(true);
    EXPECT_EQ((Time{2000, 1, 1, 0, 0, 0, 6}), bench.readTime());
    EXPECT_EQ(0x01, bench.reg(0x07) & 0x03) << "power-fail set, battery flag clear";
    bench.supply(true); // switched on again: nothing happens
    ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
    bench.supply(true);
    EXPECT_EQ(kSet, bench.readTime());
}

class SwitchOverStamps : public ::testing::TestWithParam<FamilyPart> {};

std::vector<uint8_t> stamp(ChipBench& bench, bool toBattery)
{
    const bool d = bench.type() == TypeD;
    return bench.regs(toBattery ? (d ? 0x16 : 0x29) : (d ? 0x1B : 0x2E), 5);
}

TEST_P(SwitchOverStamps, FirstSwitchToTheBatteryAndLastReturnAreRecorded)
{
    ChipBench bench(GetParam().name);
    const uint8_t vddReg = bench.type() == TypeD ? 0x09 : 0x11;
    ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
    bench.supply(false);
    bench.run(100);
    bench.supply(true);
    bench.run(1000);
    bench.supply(false);
    bench.run(10);
    bench.supply(true);
    const std::vector<uint8_t> first = {0x09, 0x05, 0x94, 0x07, 0x03}; // 14:05:09
    EXPECT_EQ(first, stamp(bench, true));
    EXPECT_EQ((std::vector<uint8_t>{0x39, 0x23, 0x94, 0x07, 0x03}), stamp(bench, false));

    // Stamps are the chip's own: a write leaves them.
    bench.setRegs(bench.type() == TypeD ? 0x16 : 0x29, {0, 0, 0, 0, 0});
    EXPECT_EQ(first, stamp(bench, true));

    // CLRTS: set, then cleared, as the power page does.
    const uint8_t vdd = bench.reg(vddReg);
    bench.setReg(vddReg, vdd | 0x80);
    bench.setReg(vddReg, vdd & 0x7F);
    EXPECT_EQ(std::vector<uint8_t>(5, 0), stamp(bench, true));
    EXPECT_EQ(std::vector<uint8_t>(5, 0), stamp(bench, false));
    bench.supply(false);
    bench.supply(true);
    EXPECT_EQ((std::vector<uint8_t>{0x39, 0x23, 0x94, 0x07, 0x03}), stamp(bench, true));
}

INSTANTIATE_TEST_SUITE_P(Families, SwitchOverStamps,
                         ::testing::Values(FamilyPart{"VK354", TypeD}, FamilyPart{"VK370", TypeF}),
                         familyName);

TEST(Supply, TypeFAnswersOnTheBatteryWithI2cInBatteryModeSet)
{
    ChipBench bench("VK370");
    bench.changeReg(0x11, 0x20, 0x20); // I2CBAT
    bench.supply(false);
    EXPECT_TRUE(bench.chip().answers(0xDE));
    EXPECT_TRUE(bench.chip().answers(0xAE));
    EXPECT_EQ(0x80, bench.reg(0x08) & 0x80) << "BMODE";
    bench.supply(true);
    bench.changeReg(0x11, 0x20, 0x00);
    bench.supply(false);
    EXPECT_FALSE(bench.chip().answers(0xDE));
    for (const char* other : {"VK310", "VK340", "VK350", "VK360", "VK390"}) {
        ChipBench b(other);
        b.supply(false);
        EXPECT_FALSE(b.chip().answers(b.rtc())) << other;
    }
}

TEST(Supply, ResealDisconnectsTheBatteryUntilTheNextPowerUp)
{
    struct Reseal {
        const char* part;
        uint8_t reg, mask, powerFailReg;
    };
    for (const Reseal& r : {Reseal{"VK340", 0x0B, 0x20, 0x0B}, Reseal{"VK350", 0x0A, 0x40, 0x07},
                            Reseal{"VK390", 0x07, 0x20, 0x07}}) {
        ChipBench bench(r.part);
        ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
        bench.changeReg(r.reg, r.mask, r.mask);
        bench.supply(false);
        bench.run(10);
        bench.supply(true);
        EXPECT_EQ(0x01, bench.reg(r.powerFailReg) & 0x01) << r.part;
        EXPECT_EQ(2000, bench.readTime().year) << r.part;
        EXPECT_EQ(0, bench.reg(r.reg) & r.mask) << r.part;
        // The battery holds the next time.
        ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
        bench.supply(false);
        bench.supply(true);
        EXPECT_EQ(0x00, bench.reg(r.powerFailReg) & 0x01) << r.part;
    }
}

TEST(Supply, LowBatteryFlagsCompareTheBatteryWithTheTripLevels)
{
    ChipBench bench("VK350");
    bench.setReg(0x0A, (5 << 3) | 4); // 85 %: 4.250 V, 75 %: 2.700 V; the battery has 3 V
    bench.supply(false);
    bench.supply(true);
    EXPECT_EQ(0x04, bench.reg(0x07) & 0x06);
}

TEST(Supply, SramKeepsItsBytesOnTheBatteryAndLosesThemWithout)
{
    ChipBench bench("VK350");
    ASSERT_EQ(KVRX_OK, bench.write(0xAE, 1, 0x10, {0x11, 0x22}));
    bench.supply(false);
    bench.supply(true);
    uint8_t b[2] = {};
    ASSERT_EQ(KVRX_OK, bench.read(0xAE, 1, 0x10, b, 2));
    EXPECT_EQ(0x22, b[1]);
    bench.changeReg(0x0A, 0x40, 0x40); // reseal
    bench.supply(false);
    bench.supply(true);
    ASSERT_EQ(KVRX_OK, bench.read(0xAE, 1, 0x10, b, 2));
    EXPECT_EQ(0x00, b[1]);
}

TEST(Supply, BatteryModeTrimActsOnlyOnTheBattery)
{
    ChipBench bench("VK320");
    bench.setReg(0x0A, 0xC0); // BMATR +1.0 pF, ATR 12.50 pF
    ASSERT_EQ(KVRX_OK, bench.writeTime(kSet));
    bench.run(864000); // ten days on the supply: exact
    Time t = bench.readTime();
    EXPECT_EQ(9, t.second);
    bench.supply(false);
    bench.run(864000); // ten days on the battery: 13.5 pF, about -5.1 ppm, -4.4 s
    bench.supply(true);
    t = bench.readTime();
    EXPECT_EQ(4, t.second);
    EXPECT_EQ(5, t.minute);
}

} // namespace
} // namespace chiptest
