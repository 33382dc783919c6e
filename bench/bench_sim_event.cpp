// Wall time of a 30-day KVRX_SimAdvance on the manual clock for a VK370 whose
// event detection samples at 2 Hz with the longest hysteresis, with its event
// input changing level before each run: the input is looked at only around
// its edges, so the run costs about what it costs a chip with nothing running.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "kvrx_usb.h"

namespace {

constexpr double kThirtyDays = 30 * 86400.0;
constexpr uint32_t kBoard = 1;
constexpr uint8_t kRtc = 0xDE;
constexpr uint8_t kEvic = 0x0E;
constexpr uint8_t kTwoHertzLongestHysteresis = 0x10 | 0x0C | 0x01;

void BM_SimAdvanceThirtyDaysEventInput(benchmark::State& state)
{
    setenv("KVRX_SIM_CLOCK", "manual", 0);
    const uint8_t config = kTwoHertzLongestHysteresis;
    if (KVRX_Init(kBoard, 400) != KVRX_OK || KVRX_SimSetPart(kBoard, "VK370") != KVRX_OK ||
        KVRX_VccOn(kBoard) != KVRX_OK || i2cWrite(kBoard, 1, kRtc, kEvic, &config, 1) != KVRX_OK) {
        state.SkipWithError("the simulated board did not take the part");
        return;
    }
    int level = 0;
    for (auto _ : state) {
        KVRX_SimEventInput(kBoard, level);
        level ^= 1;
        if (KVRX_SimAdvance(kThirtyDays) != KVRX_OK) {
            state.SkipWithError("advance refused");
            break;
        }
    }
}
BENCHMARK(BM_SimAdvanceThirtyDaysEventInput)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
