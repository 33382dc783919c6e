// Calls per second of a 7-byte time read from the simulated board through the
// C ABI. The manual clock (the default here) measures the simulation alone;
// run with KVRX_SIM_CLOCK=real to see the modelled wire time and latency.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "kvrx_usb.h"

namespace {

constexpr uint32_t kBoard = 1;
constexpr uint8_t kRtc = 0xDE; // VK310

bool openBoard()
{
    // The board reads its settings at the first call.
    setenv("KVRX_SIM_CLOCK", "manual", 0);
    return KVRX_Init(kBoard, 400) == KVRX_OK && KVRX_SimSetPart(kBoard, "VK310") == KVRX_OK &&
           KVRX_VccOn(kBoard) == KVRX_OK && i2cClockRate(kBoard, 599) == KVRX_OK;
}

void BM_SimTimeRead(benchmark::State& state)
{
    static const bool ready = openBoard();
    if (!ready) {
        state.SkipWithError("the simulated board did not open");
        return;
    }
    uint8_t time[7];
    for (auto _ : state) {
        if (i2cRead(kBoard, 1, kRtc, 0x00, time, sizeof time) != KVRX_OK) {
            state.SkipWithError("time read failed");
            break;
        }
        benchmark::DoNotOptimize(time);
    }
    state.SetItemsProcessed(state.iterations());
}
// Wall time: with the real clock a call waits out its wire time.
BENCHMARK(BM_SimTimeRead)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
