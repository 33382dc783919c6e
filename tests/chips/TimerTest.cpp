// The VK390 countdown timer, set up the way the timer group of the Interrupt
// page writes it: INT and TMRC in one transfer, then TDAT, then TSUB.
#include "ChipBench.h"

namespace chiptest {
namespace {

constexpr uint8_t kInt = 0x08;
constexpr uint8_t kTmrc = 0x09;
constexpr uint8_t kTdat = 0x12;
constexpr uint8_t kTval = 0x13;
constexpr uint8_t kTsub = 0x14;
constexpr uint8_t kTmr = 0x08; // status 0x07 bit 3

// TMRC fields.
constexpr uint8_t kPeriodic = 0x80;
constexpr uint8_t kEnable = 0x40;
enum Mode : uint8_t { BasicCountDown = 0, SecondaryAlarm = 1, WatchDog = 2, PowerFailCountUp = 3 };
enum Clock : uint8_t { Hz100 = 0, Sec1 = 1, Min1 = 2, Hr1 = 3 };

struct TimerSetup {
    bool enable = true;
    bool periodic = false;
    Mode mode = BasicCountDown;
    Clock clock = Sec1;
    uint8_t initial = 1;
    uint8_t sub = 0;
    bool irq2e = false; // the timer on IRQ2
};

// The timer group's Write: read INT and TMRC, change the bits the group owns,
// write both back, then the initial value and the sub-count.
void writeTimer(ChipBench& bench, const TimerSetup& t)
{
    std::vector<uint8_t> regs = bench.regs(kInt, 2);
    regs[0] = static_cast<uint8_t>((regs[0] & ~0x0C) | (t.irq2e ? 0x08 : 0x00));
    regs[1] = static_cast<uint8_t>((regs[1] & 0x0C) | (t.enable ? kEnable : 0) |
                                   (t.periodic ? kPeriodic : 0) | (t.mode << 4) | t.clock);
    bench.setRegs(kInt, regs);
    bench.setReg(kTdat, t.initial);
    bench.setReg(kTsub, t.sub);
}

bool tmr(ChipBench& bench)
{
    return (bench.reg(0x07) & kTmr) != 0;
}

// The page's "Clear TMR": read the status, clear bit 3, write it back.
void clearTmr(ChipBench& bench)
{
    bench.setReg(0x07, static_cast<uint8_t>(bench.reg(0x07) & ~kTmr));
}

TEST(Timer, ASingleCountDownSetsTmrAtZeroAndStops)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.clock = Sec1, .initial = 5});
    EXPECT_EQ(5, bench.reg(kTval));
    bench.run(0.5);
    EXPECT_EQ(5, bench.reg(kTval));
    bench.run(1.0);
    EXPECT_EQ(4, bench.reg(kTval)) << "one count a second";
    bench.run(3.0);
    EXPECT_EQ(1, bench.reg(kTval));
    EXPECT_FALSE(tmr(bench));
    bench.run(1.0);
    EXPECT_EQ(0, bench.reg(kTval));
    EXPECT_TRUE(tmr(bench)) << "at 5 s";
    clearTmr(bench);
    EXPECT_FALSE(tmr(bench));
    bench.run(20.0);
    EXPECT_EQ(0, bench.reg(kTval)) << "stopped at 0";
    EXPECT_FALSE(tmr(bench)) << "no second event";
}

TEST(Timer, APeriodicCountDownReloadsTdatAndSignalsEveryPeriod)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.periodic = true, .clock = Sec1, .initial = 3});
    bench.run(2.5);
    EXPECT_FALSE(tmr(bench));
    bench.run(1.0);
    EXPECT_TRUE(tmr(bench)) << "at 3 s";
    EXPECT_EQ(3, bench.reg(kTval)) << "reloaded at once";
    clearTmr(bench);
    bench.run(2.0);
    EXPECT_FALSE(tmr(bench));
    EXPECT_EQ(1, bench.reg(kTval));
    bench.run(1.0);
    EXPECT_TRUE(tmr(bench)) << "at 6 s";
}

struct ClockCase {
    const char* name;
    Clock clock;
    uint8_t initial;
    double seconds; // until the flag
    double margin;
};

// The counting clock is the first of each pair: 100 Hz, 1 s, 1 min, 1 hr.
const ClockCase kClockCases[] = {
    {"Hz100", Hz100, 50, 0.5, 0.004},
    {"Sec1", Sec1, 200, 200.0, 0.4},
    {"Min1", Min1, 2, 120.0, 0.4},
    {"Hr1", Hr1, 3, 3 * 3600.0, 0.4},
};

class TimerClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(TimerClock, TheCountTakesTdatPeriodsOfTheCountingClock)
{
    const ClockCase& c = GetParam();
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.clock = c.clock, .initial = c.initial});
    bench.run(c.seconds - c.margin);
    EXPECT_FALSE(tmr(bench));
    EXPECT_EQ(1, bench.reg(kTval));
    bench.run(2 * c.margin);
    EXPECT_TRUE(tmr(bench));
    EXPECT_EQ(0, bench.reg(kTval));
}

INSTANTIATE_TEST_SUITE_P(Clocks, TimerClock, ::testing::ValuesIn(kClockCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Timer, TheSubCountSetsTheFirstCountInTicksOfTheFinerClock)
{
    // "1Sec/100Hz": TSUB 0x32 = 50 hundredths before the first count.
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.clock = Sec1, .initial = 3, .sub = 0x32});
    bench.run(0.45);
    EXPECT_EQ(3, bench.reg(kTval));
    bench.run(0.1);
    EXPECT_EQ(2, bench.reg(kTval)) << "first count at 0.5 s";
    bench.run(1.9);
    EXPECT_FALSE(tmr(bench)) << "2.45 s";
    bench.run(0.1);
    EXPECT_TRUE(tmr(bench)) << "2.55 s";
}

TEST(Timer, TvalIsReadOnlyAndTsubWriteOnly)
{
    ChipBench bench("VK390");
    writeTimer(bench, {.enable = false, .initial = 0x3C, .sub = 0x21});
    EXPECT_EQ(0x3C, bench.reg(kTval)) << "TDAT loads the counter";
    bench.setReg(kTval, 0x77);
    EXPECT_EQ(0x3C, bench.reg(kTval)) << "a write to TVAL changes nothing";
    EXPECT_EQ(0x3C, bench.reg(kTdat));
    EXPECT_EQ(0x00, bench.reg(kTsub)) << "TSUB reads 0";
    EXPECT_EQ(0x21, bench.peek(kTsub)) << "and holds what was written";
}

TEST(Timer, ADisabledTimerHoldsItsCount)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.clock = Sec1, .initial = 10});
    bench.run(3.5);
    ASSERT_EQ(7, bench.reg(kTval));
    bench.changeReg(kTmrc, kEnable, 0);
    bench.run(30.0);
    EXPECT_EQ(7, bench.reg(kTval));
    EXPECT_FALSE(tmr(bench));
    bench.changeReg(kTmrc, kEnable, kEnable); // enabled again: a new count from TDAT
    EXPECT_EQ(10, bench.reg(kTval));
}

TEST(Timer, SingleCountDownAgainAfterItEndedWhenTheGroupIsWrittenAgain)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.clock = Sec1, .initial = 2});
    bench.run(2.5);
    ASSERT_TRUE(tmr(bench));
    clearTmr(bench);
    writeTimer(bench, {.clock = Sec1, .initial = 2});
    EXPECT_EQ(2, bench.reg(kTval));
    bench.run(2.0);
    EXPECT_TRUE(tmr(bench));
}

TEST(Timer, IsOnTheSecondInterruptPinWithIrq2e)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.clock = Sec1, .initial = 2, .irq2e = true});
    bench.run(1.5);
    EXPECT_FALSE(bench.chip().irq2Low());
    bench.run(1.0);
    EXPECT_TRUE(bench.chip().irq2Low()) << "while TMR is up";
    clearTmr(bench);
    EXPECT_FALSE(bench.chip().irq2Low());
}

TEST(Timer, AFastPeriodicTimerOverThirtyDaysCountsEveryTick)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.periodic = true, .clock = Hz100, .initial = 7});
    bench.run(30 * 86400.0 + 0.005);
    // 259 200 000 counts of 7: 37 028 571 periods and 3 counts more.
    EXPECT_EQ(4, bench.reg(kTval));
    EXPECT_TRUE(tmr(bench));
}

TEST(Timer, WatchdogModeRestartsAtEachBusTransfer)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.mode = WatchDog, .clock = Sec1, .initial = 3});
    for (int i = 0; i < 5; ++i) {
        bench.run(2.0);
        EXPECT_FALSE(tmr(bench)) << "served at " << 2 * (i + 1) << " s"; // the read serves it
    }
    bench.run(2.5);
    bench.run(1.0); // 3.5 s without a transfer
    EXPECT_TRUE(tmr(bench));
}

TEST(Timer, PowerFailModeCountsTheTimeOnTheBattery)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.mode = PowerFailCountUp, .clock = Sec1, .initial = 0});
    bench.run(10.0);
    EXPECT_EQ(0, bench.reg(kTval)) << "no count on the supply";
    bench.supply(false);
    bench.run(100.5);
    bench.supply(true);
    EXPECT_EQ(100, bench.reg(kTval));
    EXPECT_TRUE(tmr(bench)) << "a power failure was timed";
}

TEST(Timer, SecondaryAlarmModeDoesNotCount)
{
    ChipBench bench("VK390");
    clearTmr(bench);
    writeTimer(bench, {.mode = SecondaryAlarm, .clock = Sec1, .initial = 3});
    bench.run(10.0);
    EXPECT_EQ(3, bench.reg(kTval));
    EXPECT_FALSE(tmr(bench));
}

} // namespace
} // namespace chiptest
