// The event input of VK311, VK321, VK331 and VK370, driven through the board
// (KVRX_SimEventInput pulls the event net low), configured and read as the
// Event page does: sampling rates, hysteresis, the EVT flag, the TypeB stamp,
// RTCHLT, EVBATB, and the VK370 counter with its four stamps behind EVIX.
#include "ChipBench.h"

namespace chiptest {
namespace {

constexpr uint8_t kStatus = 0x07;
constexpr uint8_t kEvt = 0x08;
constexpr uint8_t kEvEnable = 0x10;
constexpr uint8_t kRtchlt = 0x20;
constexpr uint8_t kEvbatb = 0x40;

enum Rate : uint8_t { Always = 0, Hz2 = 1, Hz1 = 2, Quarter = 3 };
enum Hys : uint8_t { Ms0 = 0, Ms3_9 = 1, Ms15_6 = 2, Ms31_3 = 3 };

// 2024-03-01 12:00:00, a Friday.
const Time kStart{2024, 3, 1, 12, 0, 0, 5};

uint8_t config(Rate rate, Hys hys, uint8_t more = 0)
{
    return static_cast<uint8_t>(kEvEnable | (hys << 2) | rate | more);
}

// A chip just powered up with its clock set at once, so its oscillator's
// seconds (and the sample moments) start with the clock's 12:00:00; elapsed()
// counts from there.
class EventBench {
  public:
    explicit EventBench(const char* part) : bench(part)
    {
        EXPECT_EQ(KVRX_OK, bench.writeTime(kStart));
        if (bench.type() != TypeF) bench.setReg(kStatus, 0x00);
    }

    uint8_t configRegister() const { return bench.type() == TypeF ? 0x0E : 0x09; }
    void configure(uint8_t value) { bench.setReg(configRegister(), value); }

    void input(int level) { ASSERT_EQ(KVRX_OK, KVRX_SimEventInput(bench.board(), level)); }
    void runTo(double t)
    {
        ASSERT_GE(t, elapsed_);
        if (t > elapsed_) bench.run(t - elapsed_);
        elapsed_ = t;
    }
    // The net held low from `from` for `length` seconds.
    void pulse(double from, double length)
    {
        runTo(from);
        input(0);
        runTo(from + length);
        input(1);
    }

    bool evt() { return (bench.reg(kStatus) & kEvt) != 0; }
    // The Event page's clear: the other flags written as 1, EVT as 0.
    void clearEvt()
    {
        bench.setReg(kStatus, static_cast<uint8_t>((bench.reg(kStatus) | 0x0F) & ~kEvt));
    }

    // The VK370 stamp of EVIX n, as the page reads it: EVIX, then the stamp.
    std::vector<uint8_t> stampF(uint8_t n)
    {
        bench.setReg(0x0F, n);
        return bench.regs(0x33, 5);
    }

    ChipBench bench;

  private:
    double elapsed_ = 0.0;
};

// Seconds, minutes, hours (24-hour form), date, month of kStart plus s seconds.
std::vector<uint8_t> stampAt(int s, uint8_t hour = 0x92)
{
    return {static_cast<uint8_t>((s / 10) << 4 | s % 10), 0x00, hour, 0x01, 0x03};
}

// ---- sampling and hysteresis ----

struct SampleCase {
    const char* what;
    Rate rate;
    Hys hys;
    double from;     // the net goes low (seconds after 12:00:00)
    double length;   // and stays low this long
    int stampSecond; // -1: no event
};

const SampleCase kSampling[] = {
    {"always on takes a short pulse at once", Always, Ms0, 2.3, 0.01, 2},
    {"2 Hz misses a pulse between two samples", Hz2, Ms0, 2.1, 0.3, -1},
    {"2 Hz takes a pulse over the half second", Hz2, Ms0, 2.1, 0.5, 2},
    {"2 Hz takes a pulse over the whole second", Hz2, Ms0, 2.6, 0.5, 3},
    {"1 Hz misses a pulse inside a second", Hz1, Ms0, 2.1, 0.8, -1},
    {"1 Hz takes a pulse over the second", Hz1, Ms0, 2.6, 0.6, 3},
    {"1/4 Hz misses a pulse over a second between samples", Quarter, Ms0, 2.6, 0.6, -1},
    {"1/4 Hz takes a pulse over its sample", Quarter, Ms0, 7.5, 0.7, 8},
    {"a pulse shorter than 3.9 ms is no event", Always, Ms3_9, 2.3, 0.003, -1},
    {"a pulse longer than 3.9 ms is one", Always, Ms3_9, 2.3, 0.005, 2},
    {"a pulse shorter than 15.625 ms is no event", Always, Ms15_6, 2.3, 0.012, -1},
    {"a pulse longer than 15.625 ms is one", Always, Ms15_6, 2.3, 0.02, 2},
    {"a pulse shorter than 31.25 ms is no event", Always, Ms31_3, 2.3, 0.025, -1},
    {"a pulse longer than 31.25 ms is one", Always, Ms31_3, 2.3, 0.035, 2},
    {"a sample wants the level held for the hysteresis", Hz1, Ms31_3, 2.98, 0.3, -1},
    {"held long enough before the sample", Hz1, Ms31_3, 2.95, 0.3, 3},
    {"not debounced at one sample, taken at the next", Hz2, Ms31_3, 2.49, 0.71, 3},
};

void PrintTo(const SampleCase& c, std::ostream* os)
{
    *os << c.what;
}

class EventSampling : public ::testing::TestWithParam<SampleCase> {};

TEST_P(EventSampling, TheFlagAndStampFollowTheSamples)
{
    const SampleCase& c = GetParam();
    EventBench e("VK321");
    e.configure(config(c.rate, c.hys));
    e.pulse(c.from, c.length);
    e.runTo(10.0);
    EXPECT_EQ(c.stampSecond >= 0, e.evt());
    if (c.stampSecond >= 0) {
        std::vector<uint8_t> stamp = stampAt(c.stampSecond);
        stamp.push_back(0x24);
        EXPECT_EQ(stamp, e.bench.regs(0x14, 6));
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, EventSampling, ::testing::ValuesIn(kSampling),
                         [](const ::testing::TestParamInfo<SampleCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(Event, SamplingRunsOnTheVk370Too)
{
    EventBench e("VK370");
    e.configure(config(Hz1, Ms0));
    e.pulse(2.1, 0.8); // inside a second: missed
    e.pulse(4.6, 0.6); // over 00:05
    e.runTo(8.0);
    EXPECT_EQ(1, e.bench.reg(0x0B));
    EXPECT_EQ(stampAt(5), e.stampF(0));
}

// ---- the flag, the TypeB stamp and the clock halt ----

TEST(Event, NoEventWithoutEven)
{
    for (const char* part : {"VK311", "VK321", "VK331", "VK370"}) {
        SCOPED_TRACE(part);
        EventBench e(part);
        e.configure(config(Always, Ms0) & ~kEvEnable);
        e.pulse(1.0, 1.0);
        e.runTo(3.0);
        if (e.bench.type() == TypeF)
            EXPECT_EQ(0, e.bench.reg(0x0B));
        else
            EXPECT_FALSE(e.evt());
    }
}

TEST(Event, EveryEventPartSetsEvtOrCountsAndNoOtherPartHearsTheNet)
{
    EventBench vk311("VK311");
    vk311.configure(config(Always, Ms0));
    EventBench vk310("VK310"); // no event input: bit 3 of its status is no bit
    vk310.bench.setReg(0x09, config(Always, Ms0));
    vk311.pulse(1.0, 0.5);
    vk310.pulse(1.5, 0.5);
    vk310.runTo(3.0);
    EXPECT_TRUE(vk311.evt());
    EXPECT_EQ(0, vk310.bench.reg(kStatus) & kEvt);
}

TEST(Event, ALevelHeldLowIsOneEvent)
{
    EventBench e("VK321");
    e.configure(config(Hz2, Ms0));
    e.runTo(1.2);
    e.input(0);
    e.runTo(3.0);
    EXPECT_TRUE(e.evt());
    e.clearEvt();
    e.runTo(6.0);
    EXPECT_FALSE(e.evt()) << "still the same event";
    e.input(1);
    e.runTo(6.7);
    e.input(0);
    e.runTo(7.2);
    EXPECT_TRUE(e.evt()) << "released and pulled again";
    EXPECT_EQ(stampAt(7), e.bench.regs(0x14, 5));
}

TEST(Event, TheStampHoldsTheFirstEventSinceTheFlagWasCleared)
{
    EventBench e("VK331");
    e.configure(config(Always, Ms0));
    e.pulse(2.2, 0.1);
    e.pulse(5.2, 0.1);
    e.runTo(6.0);
    EXPECT_EQ(stampAt(2), e.bench.regs(0x14, 5)) << "the flag was still up";
    e.clearEvt();
    EXPECT_EQ(stampAt(2), e.bench.regs(0x14, 5)) << "clearing the flag keeps the stamp";
    e.pulse(8.2, 0.1);
    e.runTo(9.0);
    EXPECT_EQ(stampAt(8), e.bench.regs(0x14, 5));
    // Read only: a write leaves it.
    e.bench.setRegs(0x14, {0, 0, 0, 0, 0, 0});
    EXPECT_EQ(stampAt(8), e.bench.regs(0x14, 5));
}

TEST(Event, TheStampKeepsTheClocksHourForm)
{
    ChipBench bench("VK321");
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 12, 31, 15, 4, 5, 2}, false));
    bench.setReg(kStatus, 0x00);
    bench.setReg(0x09, config(Always, Ms0));
    bench.run(0.5);
    ASSERT_EQ(KVRX_OK, KVRX_SimEventInput(bench.board(), 0));
    bench.run(0.5);
    EXPECT_EQ((std::vector<uint8_t>{0x05, 0x04, 0x23, 0x31, 0x12, 0x24}), bench.regs(0x14, 6));
}

TEST(Event, RtchltStopsTheClockWhileEvtIsUp)
{
    for (bool halt : {false, true}) {
        SCOPED_TRACE(halt);
        EventBench e("VK321");
        e.configure(config(Always, Ms0, halt ? kRtchlt : 0));
        e.pulse(2.5, 0.1);
        e.runTo(10.5);
        EXPECT_EQ(addSeconds(kStart, halt ? 2 : 10), e.bench.readTime());
        e.clearEvt();
        e.runTo(13.5);
        EXPECT_EQ(addSeconds(kStart, halt ? 5 : 13), e.bench.readTime()) << "runs again";
    }
}

TEST(Event, EvbatbTurnsDetectionOffOnTheBattery)
{
    for (bool off : {false, true}) {
        SCOPED_TRACE(off);
        EventBench e("VK321");
        e.configure(config(Always, Ms0, off ? kEvbatb : 0));
        e.runTo(1.0);
        e.bench.supply(false);
        e.pulse(2.0, 0.5);
        e.runTo(3.0);
        e.bench.supply(true);
        EXPECT_EQ(!off, e.evt());
        // On the supply EVBATB does not matter.
        e.clearEvt();
        e.pulse(4.0, 0.5);
        e.runTo(5.0);
        EXPECT_TRUE(e.evt());
    }
}

// Port pin 1 is the event net: driven low it is an event; driven high in
// push-pull it holds the net high against a pull from outside, as the port
// reads it.
TEST(Event, PortPinOneDrivesTheNet)
{
    EventBench e("VK321");
    e.configure(config(Always, Ms0));
    const uint32_t board = e.bench.board();
    e.runTo(1.0);
    ASSERT_EQ(KVRX_OK, KVRX_PortMode(board, 0x02)); // pin 1 push-pull, driven high
    ASSERT_EQ(KVRX_OK, KVRX_PortOut(board, 0xFF));
    e.input(0);
    e.runTo(2.0);
    uint8_t pins = 0;
    ASSERT_EQ(KVRX_OK, KVRX_PortIn(board, &pins));
    EXPECT_EQ(0x02, pins & 0x02);
    EXPECT_FALSE(e.evt()) << "the pin holds the net high";
    e.input(1);
    ASSERT_EQ(KVRX_OK, KVRX_PortOut(board, 0xFD)); // driven low
    e.runTo(3.2);
    EXPECT_TRUE(e.evt());
    EXPECT_EQ(stampAt(2), e.bench.regs(0x14, 5));
}

// ---- VK370: counter and stamps ----

TEST(Event, Vk370CountsAndKeepsTheFirstAndTheLastThree)
{
    EventBench e("VK370");
    e.configure(config(Always, Ms0));
    const uint8_t status = e.bench.reg(0x08);
    for (int s : {2, 5, 8, 11, 14})
        e.pulse(s + 0.2, 0.1);
    e.runTo(15.0);
    EXPECT_EQ(5, e.bench.reg(0x0B));
    EXPECT_EQ(status, e.bench.reg(0x08)) << "no event flag on this part";
    EXPECT_EQ(stampAt(2), e.stampF(0)) << "first since the power-up";
    EXPECT_EQ(stampAt(14), e.stampF(1)) << "the latest";
    EXPECT_EQ(stampAt(11), e.stampF(2));
    EXPECT_EQ(stampAt(8), e.stampF(3));
    EXPECT_EQ(0x03, e.bench.reg(0x0F)) << "EVIX reads back";
    e.bench.setReg(0x0F, 0xFE);
    EXPECT_EQ(0x02, e.bench.reg(0x0F)) << "two bits";

    // A write to EVCNT clears the counter and every stamp.
    e.bench.setReg(0x0B, 0x00);
    EXPECT_EQ(0, e.bench.reg(0x0B));
    for (uint8_t n = 0; n < 4; ++n)
        EXPECT_EQ(std::vector<uint8_t>(5, 0), e.stampF(n)) << int(n);
    e.pulse(17.2, 0.1);
    e.runTo(18.0);
    EXPECT_EQ(1, e.bench.reg(0x0B));
    EXPECT_EQ(stampAt(17), e.stampF(0)) << "first since the clear";
    EXPECT_EQ(stampAt(17), e.stampF(1));
    EXPECT_EQ(std::vector<uint8_t>(5, 0), e.stampF(2));
}

TEST(Event, Vk370CounterStopsAtFf)
{
    EventBench e("VK370");
    e.configure(config(Always, Ms0));
    ASSERT_TRUE(e.bench.chip().poke(0xDE, 0x0B, 0xFE));
    for (int s : {1, 2, 3})
        e.pulse(s, 0.1);
    e.runTo(4.0);
    EXPECT_EQ(0xFF, e.bench.reg(0x0B));
}

// The stamp registers read behind EVIX in one six-byte read, as the page reads
// them: the sixth byte is the register after the map's end, wrapped to 0x00.
TEST(Event, Vk370SixByteStampReadWrapsToTheSeconds)
{
    EventBench e("VK370");
    e.configure(config(Always, Ms0));
    e.pulse(3.2, 0.1);
    e.runTo(6.5);
    e.bench.setReg(0x0F, 0x00);
    std::vector<uint8_t> expected = stampAt(3);
    expected.push_back(0x06);
    EXPECT_EQ(expected, e.bench.regs(0x33, 6));
}

TEST(Event, AThirtyDayRunKeepsAHeldLevelAsOneEvent)
{
    EventBench e("VK370");
    e.configure(config(Quarter, Ms31_3));
    e.input(0);
    e.runTo(30 * 86400.0);
    EXPECT_EQ(1, e.bench.reg(0x0B));
    e.input(1);
    e.runTo(30 * 86400.0 + 4.0);
    e.input(0);
    e.runTo(30 * 86400.0 + 8.5);
    EXPECT_EQ(2, e.bench.reg(0x0B));
    EXPECT_EQ((std::vector<uint8_t>{0x08, 0x00, 0x92, 0x31, 0x03}), e.stampF(1)) << "March 31st";
}

} // namespace
} // namespace chiptest
