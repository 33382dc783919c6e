// Wall time of a 30-day KVRX_SimAdvance on the manual clock for a VK350 with
// daylight saving on (forward on the second Sunday of March, back on the
// first Sunday of November, both at 02:00), starting a few days before the
// change forward: the chip counts single seconds only around a change.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "kvrx_usb.h"

namespace {

constexpr double kThirtyDays = 30 * 86400.0;
constexpr uint8_t kRtc = 0xDE;

bool openBoard()
{
    // 2024-03-07 12:00:00, a Thursday, in 24-hour form; then the rules.
    const uint8_t time[] = {0x00, 0x00, 0x92, 0x07, 0x03, 0x24, 0x04};
    const uint8_t rules[] = {0x83, 0x50, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02};
    const uint8_t wrtc = 0x40;
    return KVRX_Init(1, 400) == KVRX_OK && KVRX_SimSetPart(1, "VK350") == KVRX_OK &&
           KVRX_VccOn(1) == KVRX_OK && i2cWrite(1, 1, kRtc, 0x08, &wrtc, 1) == KVRX_OK &&
           i2cWrite(1, 1, kRtc, 0x00, time, sizeof time) == KVRX_OK &&
           i2cWrite(1, 1, kRtc, 0x20, rules, sizeof rules) == KVRX_OK;
}

void BM_SimAdvanceThirtyDaysWithDst(benchmark::State& state)
{
    setenv("KVRX_SIM_CLOCK", "manual", 0);
    setenv("KVRX_SIM_BOARDS", "1", 0);
    static const bool ready = openBoard();
    if (!ready) {
        state.SkipWithError("the simulated board did not take the part");
        return;
    }
    for (auto _ : state) {
        if (KVRX_SimAdvance(kThirtyDays) != KVRX_OK) {
            state.SkipWithError("advance refused");
            break;
        }
    }
}
BENCHMARK(BM_SimAdvanceThirtyDaysWithDst)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
