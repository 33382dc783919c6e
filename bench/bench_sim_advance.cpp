// Wall time of a 30-day KVRX_SimAdvance (the graph's longest time base) on
// the manual clock, for a chip with nothing running, one whose alarms are
// armed all the time (VK380), and a VK390 with a 100 Hz periodic timer and a
// 1 Hz square wave on its output.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "kvrx_usb.h"

namespace {

constexpr double kThirtyDays = 30 * 86400.0;

struct Setup {
    const char* part;
    uint8_t rtc;
    std::vector<std::vector<uint8_t>> writes; // register, bytes...
    uint8_t haltReg, haltBit;                 // stops the oscillator: the chip rests
};

const Setup kSetups[] = {
    {"VK310", 0xDE, {}, 0x07, 0x40},
    {"VK380", 0xD0, {{0x07, 0x80, 0x80, 0x80, 0x80}}, 0x0E, 0x80}, // alarm 1 every second
    // 1 Hz on IRQ1/FOUT, timer on IRQ2; TMRC periodic, enabled, "100Hz/4kHz"; TDAT 7.
    {"VK390", 0xDE, {{0x08, 0x0B, 0xC0}, {0x12, 0x07}}, 0x07, 0x40},
};

// Every board's chip runs with the manual clock; all but the measured one rest.
void rest(uint32_t board, bool resting)
{
    const Setup& s = kSetups[board - 1];
    uint8_t v = 0;
    if (KVRX_SimPeek(board, s.rtc, s.haltReg, &v) != KVRX_OK) return;
    v = static_cast<uint8_t>(resting ? v | s.haltBit : v & ~s.haltBit);
    KVRX_SimPoke(board, s.rtc, s.haltReg, v);
}

bool openBoard(uint32_t board, const Setup& s)
{
    if (KVRX_Init(board, 400) != KVRX_OK || KVRX_SimSetPart(board, s.part) != KVRX_OK ||
        KVRX_VccOn(board) != KVRX_OK)
        return false;
    for (const std::vector<uint8_t>& w : s.writes) {
        if (i2cWrite(board, 1, s.rtc, w[0], w.data() + 1, static_cast<uint32_t>(w.size() - 1)) !=
            KVRX_OK)
            return false;
    }
    return true;
}

void BM_SimAdvanceThirtyDays(benchmark::State& state)
{
    // The board reads its settings at the first call: one board per setup.
    setenv("KVRX_SIM_CLOCK", "manual", 0);
    setenv("KVRX_SIM_BOARDS", "3", 0);
    const auto index = static_cast<size_t>(state.range(0));
    static bool ready[3] = {};
    const uint32_t board = static_cast<uint32_t>(index + 1);
    if (!ready[index]) ready[index] = openBoard(board, kSetups[index]);
    if (!ready[index]) {
        state.SkipWithError("the simulated board did not take the part");
        return;
    }
    state.SetLabel(kSetups[index].part);
    for (uint32_t other = 1; other <= 3; ++other)
        rest(other, other != board);
    for (auto _ : state) {
        if (KVRX_SimAdvance(kThirtyDays) != KVRX_OK) {
            state.SkipWithError("advance refused");
            break;
        }
    }
}
BENCHMARK(BM_SimAdvanceThirtyDays)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
