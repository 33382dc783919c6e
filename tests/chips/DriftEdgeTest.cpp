// The drift analysis on the simulated board: the chip's seconds edge timed
// by the edge search, one read at a time on the manual clock (each read
// taking half a millisecond), every 6 s for an hour, fitted to a rate. The
// crystal error set on the chip is the truth the estimate and its 95 %
// interval are held against; a step of the PC's wall clock midway is
// taken out and changes nothing.
#include <cmath>
#include <cstdio>

#include "ChipBench.h"
#include "pages/graph/DriftLogic.h"

namespace chiptest {
namespace {

using namespace DriftLogic;

constexpr double kTransferSeconds = 0.0005;
constexpr double kPaceSeconds = 6.0;

struct Estimate {
    double rate = 0.0;
    double interval = 0.0;
    int samples = 0;
    int64_t reads = 0;
    int settling = 0; // samples before the search settled
};

// The PC: a monotonic clock that is the board's manual clock, and a wall
// clock that reads the chip's start time at 0 and steps by wallStepMs.
class DriftRun {
  public:
    DriftRun(const char* part, double ppm) : bench_(part)
    {
        bench_.chip().setPpm(ppm);
        EXPECT_EQ(KVRX_OK, bench_.writeTime(start_)); // starts the chip's second at 0
        epochMs_ = static_cast<double>(secondsOf(start_)) * 1000.0;
    }

    // An hour of samples at 25 degrees (no temperature term); stepAtSeconds:
    // when the wall clock jumps by stepMs (negative: never).
    Estimate measure(double hours, double stepAtSeconds = -1.0, double stepMs = 0.0)
    {
        RateFit fit;
        ClockStepFilter filter;
        EdgeSearch search;
        bool stepped = false;
        Estimate e;
        while (now_ < hours * 3600.0) {
            if (stepAtSeconds >= 0.0 && !stepped && now_ >= stepAtSeconds) {
                wallStepMs_ += stepMs;
                stepped = true;
            }
            const double at = search.NextReadPcMs(wall());
            runTo(now_ + (at - wall()) / 1000.0);
            EdgeRead read;
            read.PcBeforeMs = wall();
            const Time seen = bench_.readTime();
            runTo(now_ + kTransferSeconds);
            read.PcAfterMs = wall();
            read.ChipSecond = secondsOf(seen);
            if (const auto sample = search.Feed(read)) {
                const double before = filter.Stepped();
                filter.Observe(monotonic(), wall());
                search.Shift(-(filter.Stepped() - before));
                if (sample->UncertaintyMs <= kSettledMs)
                    fit.Add(monotonic() / 1000.0, filter.Corrected(sample->OffsetMs));
                else
                    ++e.settling;
                runTo(now_ + kPaceSeconds - 1.5);
            }
        }
        e.rate = fit.RatePpm().value_or(NAN);
        e.interval = fit.IntervalPpm().value_or(NAN);
        e.samples = fit.Count();
        e.reads = search.Reads();
        return e;
    }

  private:
    double monotonic() const { return now_ * 1000.0; }
    double wall() const { return epochMs_ + now_ * 1000.0 + wallStepMs_; }
    void runTo(double seconds)
    {
        if (seconds <= now_) return;
        bench_.run(seconds - now_);
        now_ = seconds;
    }

    ChipBench bench_;
    const Time start_{2024, 3, 7, 12, 0, 0, 4};
    double epochMs_ = 0.0;
    double now_ = 0.0;
    double wallStepMs_ = 0.0;
};

TEST(DriftEdge, OneHourGivesTheRateWithinAFifthOfAPpm)
{
    for (const double ppm : {17.0, -43.0}) {
        DriftRun run("VK310", ppm);
        const Estimate e = run.measure(1.0);
        EXPECT_NEAR(e.rate, ppm, 0.2) << ppm;
        EXPECT_LE(std::fabs(e.rate - ppm), e.interval) << ppm << " interval " << e.interval;
        EXPECT_LT(e.interval, 0.2) << ppm;
        // A sample every 6 s at most, a few reads each (a coarse start included).
        EXPECT_GE(e.samples, 400) << ppm;
        EXPECT_LE(e.reads, 6 * e.samples) << ppm;
        EXPECT_LE(e.settling, 5) << ppm;
        std::printf("%+.0f ppm: %+.4f +- %.4f ppm, %d samples, %lld reads\n", ppm, e.rate,
                    e.interval, e.samples, static_cast<long long>(e.reads));
        RecordProperty(ppm > 0 ? "reads_per_hour_fast" : "reads_per_hour_slow",
                       std::to_string(e.reads));
    }
}

TEST(DriftEdge, WallClockStepLeavesTheEstimate)
{
    DriftRun steady("VK310", 17.0);
    const Estimate plain = steady.measure(1.0);
    for (const double stepMs : {2000.0, -2000.0, 2345.0}) {
        DriftRun stepping("VK310", 17.0);
        const Estimate e = stepping.measure(1.0, 1800.0, stepMs);
        EXPECT_NEAR(e.rate, 17.0, 0.2) << stepMs;
        EXPECT_NEAR(e.rate, plain.rate, 0.05) << stepMs;
        EXPECT_LE(std::fabs(e.rate - 17.0), e.interval) << stepMs;
        std::printf("step %+.0f ms: %+.4f +- %.4f ppm (without %+.4f)\n", stepMs, e.rate,
                    e.interval, plain.rate);
    }
}

} // namespace
} // namespace chiptest
