// One tick of the polling timer on the full window with the simulated board:
// a second's work, a sample second (temperature, deviation, graph points),
// and the ticks in between that only look at the PC clock.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "BenchWindow.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>
#include <memory>

#include "PartTable.h"
#include "app/AppOptions.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "clock/PcClock.h"
#include "clock/TimeCodec.h"
#include "pages/graph/GraphData.h"

namespace {

// The window with a VK320 in the simulated socket, supply on, time set.
using Bench = BenchWindow;

// Every tick in a new PC second: the chip work, one in six with a sample.
void BM_PollTickNewSecond(benchmark::State& state)
{
    Bench b;
    if (!b.ok) {
        state.SkipWithError("no simulated board");
        return;
    }
    for (auto _ : state) {
        b.clock.advanceMs(1000);
        b.window->Timer1Timer();
    }
    b.window->links().graph->clear();
}
BENCHMARK(BM_PollTickNewSecond)->Unit(benchmark::kMicrosecond);

// Every tick a sample second: temperature, deviation and two graph points.
void BM_PollTickSampleSecond(benchmark::State& state)
{
    Bench b;
    if (!b.ok) {
        state.SkipWithError("no simulated board");
        return;
    }
    for (auto _ : state) {
        b.window->bus().data.ElapsedSeconds = 5;
        b.clock.advanceMs(1000);
        b.window->Timer1Timer();
    }
}
BENCHMARK(BM_PollTickSampleSecond)->Unit(benchmark::kMicrosecond);

// A tick within the same PC second: no board access.
void BM_PollTickSameSecond(benchmark::State& state)
{
    Bench b;
    b.window->Timer1Timer();
    for (auto _ : state)
        b.window->Timer1Timer();
}
BENCHMARK(BM_PollTickSameSecond)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
