// Ten simulated days on the Graph page: the full window on the simulated
// board (manual clock, a VK320), its PC clock pinned and moved a second each
// tick, the chip's clock moved with it, the Graph page on show at "30 Days"
// and the polling cycle taking a sample every sixth second.
//
// Printed, one row per day: the points both series hold, the bytes they take
// and the bytes their lists hold (GraphData's, with room to grow), how far the
// heap in use has grown since the start and how much of that is beyond the
// lists (anything but the graph's points), the resident memory's growth, and
// the points the chart draws. The chart draws two points a pixel column at
// most, so what it holds grows only while the days fill the "30 Days" window's
// columns (a third of them by day 10), and then stays.
// The counters give the same per day, and the cost
// of a tick and of painting at day 1 and at day 10: an hour of ticks each
// followed by the window's own painting of what changed (the event loop's
// turn), and the chart rendered whole. Between those hours the ticks run
// with the window painted once a simulated hour, so the ten days take a few
// minutes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <memory>
#include <unistd.h>

#include "BenchWindow.h"
#include "PartTable.h"
#include "app/AppOptions.h"
#include "clock/PcClock.h"
#include "app/TMainApp.h"
#include "pages/graph/GraphData.h"
#include "app/setup/SetupPage.h"
#include "clock/TimeCodec.h"
#include "pages/graph/GraphCodec.h"
#include "pages/graph/GraphPage.h"
#include "pages/graph/GraphView.h"

namespace {

constexpr int kDays = 10;
constexpr int kTicksPerDay = 86400;
constexpr int kTicksPerHour = 3600;
constexpr int kRenders = 20;
constexpr int kThirtyDays = 7; // in GraphCodec::TimeBases()


double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

double residentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The window with a VK320 in the simulated socket, supply on, chip time set,
// the Graph page on show at "30 Days" and the graph restarted.
struct Soak : BenchWindow {
    Soak()
    {
        page = qobject_cast<GraphPage*>(window->page(QStringLiteral("tsGraph")));
        ok = ok && page != nullptr && window->isPageVisible(QStringLiteral("tsGraph"));
        if (!ok) return;
        window->show();
        window->TabFunctions->setCurrentWidget(page);
        page->TimeBase->setCurrentIndex(kThirtyDays);
        page->TimeBaseChange();
        page->BtnRstGraphClick();
        paint();
    }

    // One polling tick in the next PC second, the chip a second further too.
    void tick()
    {
        clock.advanceMs(1000);
        window->bus().api().SimAdvance(1.0);
        window->Timer1Timer();
    }
    // The event loop's turn: the window paints what the tick changed. The
    // tick restarted the poll timer; it stays off, the bench ticks.
    void paint()
    {
        QApplication::processEvents();
        window->pollTimer()->stop();
    }
    void renderChart()
    {
        QPainter painter(&image);
        page->TimeDev->render(&painter);
    }
    size_t points(int series) const { return window->findChild<GraphData*>(QStringLiteral("GraphData"))->points(series).size(); }
    // The points the chart draws: two a pixel column at most, however many samples.
    int drawn() const { return page->TimeDev->Series1->count() + page->TimeDev->Series2->count(); }
    // The bytes the points take, and the bytes their lists hold (with room to grow).
    double pointBytes() const
    {
        return static_cast<double>(points(GraphData::Deviation) + points(GraphData::Temperature)) *
               sizeof(QPointF);
    }
    double listBytes() const
    {
        double bytes = 0;
        for (int s = 0; s < GraphData::kSeriesCount; ++s)
            bytes +=
                static_cast<double>(window->findChild<GraphData*>(QStringLiteral("GraphData"))->points(s).capacity()) * sizeof(QPointF);
        return bytes;
    }

    GraphPage* page = nullptr;
    QImage image{860, 300, QImage::Format_ARGB32_Premultiplied};
};

struct HourCost {
    double tickUs = 0;        // a tick, mean over the hour
    double paintUs = 0;       // the window's painting after a tick, mean over the hour
    double paintSampleUs = 0; // the same after the sample ticks only (the chart changed)
    double renderMs = 0;      // the chart rendered whole, mean
};

HourCost measureHour(Soak& s)
{
    HourCost cost;
    QElapsedTimer timer;
    qint64 tickNs = 0, paintNs = 0, paintSampleNs = 0;
    int samples = 0;
    for (int i = 0; i < kTicksPerHour; ++i) {
        const size_t before = s.points(GraphData::Deviation);
        timer.start();
        s.tick();
        tickNs += timer.nsecsElapsed();
        timer.start();
        s.paint();
        const qint64 painted = timer.nsecsElapsed();
        paintNs += painted;
        if (s.points(GraphData::Deviation) != before) {
            paintSampleNs += painted;
            ++samples;
        }
    }
    cost.tickUs = static_cast<double>(tickNs) / kTicksPerHour / 1e3;
    cost.paintUs = static_cast<double>(paintNs) / kTicksPerHour / 1e3;
    cost.paintSampleUs = samples > 0 ? static_cast<double>(paintSampleNs) / samples / 1e3 : 0;
    timer.start();
    for (int i = 0; i < kRenders; ++i)
        s.renderChart();
    cost.renderMs = static_cast<double>(timer.nsecsElapsed()) / kRenders / 1e6;
    return cost;
}

// Ticks until the end of the hour of the day's tick count, painting once an hour.
void runTicks(Soak& s, int ticks)
{
    for (int i = 1; i <= ticks; ++i) {
        s.tick();
        if (i % kTicksPerHour == 0) s.paint();
    }
    s.paint();
}

void BM_GraphSoakTenDays(benchmark::State& state)
{
    Soak s;
    if (!s.ok) {
        state.SkipWithError("no simulated board or no Graph page");
        return;
    }
    HourCost day1, day10;
    double pointsPerDay = 0, heapPerDay = 0, otherPerDay = 0, residentPerDay = 0;
    constexpr double kMiB = 1024.0 * 1024.0;
    for (auto _ : state) {
        const double heap0 = heapBytes();
        const double lists0 = s.listBytes();
        const double resident0 = residentBytes();
        const double points0 = s.pointBytes();
        // "beyond" is the heap's growth less the graph lists' own: what
        // anything but the graph's points took.
        std::printf("%4s %9s %11s %10s %10s %10s %9s %6s %7s\n", "day", "points", "points MiB",
                    "lists MiB", "heap +MiB", "beyond MiB", "RSS +MiB", "drawn", "day s");
        QElapsedTimer dayTimer;
        for (int day = 1; day <= kDays; ++day) {
            dayTimer.start();
            // The measured hour is the day's last.
            const bool measured = day == 1 || day == kDays;
            runTicks(s, measured ? kTicksPerDay - kTicksPerHour : kTicksPerDay);
            if (day == 1) day1 = measureHour(s);
            if (day == kDays) day10 = measureHour(s);
            const double heap = heapBytes() - heap0;
            std::printf("%4d %9zu %11.2f %10.2f %10.2f %10.2f %9.2f %6d %7.1f\n", day,
                        s.points(GraphData::Deviation) + s.points(GraphData::Temperature),
                        s.pointBytes() / kMiB, s.listBytes() / kMiB, heap / kMiB,
                        (heap - (s.listBytes() - lists0)) / kMiB,
                        (residentBytes() - resident0) / kMiB, s.drawn(),
                        static_cast<double>(dayTimer.elapsed()) / 1e3);
            std::fflush(stdout);
        }
        const double heap = heapBytes() - heap0;
        pointsPerDay = (s.pointBytes() - points0) / kDays;
        heapPerDay = heap / kDays;
        otherPerDay = (heap - (s.listBytes() - lists0)) / kDays;
        residentPerDay = (residentBytes() - resident0) / kDays;
    }
    std::printf("%-8s %10s %12s %16s %12s\n", "", "tick us", "paint us", "paint us/sample",
                "chart ms");
    std::printf("%-8s %10.1f %12.1f %16.1f %12.2f\n", "day 1", day1.tickUs, day1.paintUs,
                day1.paintSampleUs, day1.renderMs);
    std::printf("%-8s %10.1f %12.1f %16.1f %12.2f\n", "day 10", day10.tickUs, day10.paintUs,
                day10.paintSampleUs, day10.renderMs);
    std::fflush(stdout);
    state.counters["tick_us_day1"] = day1.tickUs;
    state.counters["tick_us_day10"] = day10.tickUs;
    state.counters["paint_us_day1"] = day1.paintUs;
    state.counters["paint_us_day10"] = day10.paintUs;
    state.counters["chart_ms_day1"] = day1.renderMs;
    state.counters["chart_ms_day10"] = day10.renderMs;
    state.counters["points_KiB_per_day"] = pointsPerDay / 1024.0;
    state.counters["heap_KiB_per_day"] = heapPerDay / 1024.0;
    state.counters["beyond_KiB_per_day"] = otherPerDay / 1024.0;
    state.counters["rss_KiB_per_day"] = residentPerDay / 1024.0;
    state.counters["drawn_points"] = s.drawn();
}
BENCHMARK(BM_GraphSoakTenDays)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
