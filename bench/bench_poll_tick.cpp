// One tick of the polling timer on the full window with the simulated board:
// a second's work, a sample second (temperature, deviation, graph points),
// and the ticks in between that only look at the PC clock.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "BenchApp.h"
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

QApplication& app()
{
    // The simulated chip's time stands still unless told to move.
    if (qEnvironmentVariableIsEmpty("KVRX_SIM_CLOCK")) qputenv("KVRX_SIM_CLOCK", "manual");
    return benchApp();
}

// The window with a VK320 in the simulated socket, supply on, time set.
struct Bench {
    Bench() : clock(QDateTime(QDate(2024, 6, 12), QTime(14, 30, 1)))
    {
        app();
        AppOptions options;
        options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
        // Script mode: an error box is recorded, never waited on.
        window = std::make_unique<TMainApp>(options, true);
        window->pollTimer()->stop();
        window->setPcClock(&clock);
        const AdapterApi& api = window->bus().api();
        ok = api.SimSetPart(1, "VK320") == 0 && window->bus().BoardNo == 1;
        window->setupPage()->DeviceSel->setCurrentIndex(FindPartRow("VK320"));
        window->DeviceSelChange();
        window->setupPage()->VccChecked->setChecked(true);
        std::tm t{};
        t.tm_year = 124;
        t.tm_mon = 5;
        t.tm_mday = 12;
        t.tm_hour = 14;
        t.tm_min = 30;
        t.tm_sec = 1;
        ok = ok && WriteRtcTime(window->bus(), t, true) == 0;
    }
    ~Bench() { window->setPcClock(nullptr); }

    QTemporaryDir dir;
    PinnedPcClock clock;
    std::unique_ptr<TMainApp> window;
    bool ok = false;
};

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
