// The register dump file with a month of graph samples (432,000 per series,
// one every six seconds for 30 days): Save and Open through the window, with
// the chart on the Graph page drawn from the loaded points, and the text
// alone, written and read without a window.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QFile>
#include <QList>
#include <QPointF>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <vector>

#include "BenchApp.h"
#include "PartTable.h"
#include "app/AppOptions.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "pages/graph/GraphData.h"
#include "reports/DumpCodec.h"

namespace {

constexpr int kMonthSamples = 432000;

QList<QPointF> samples(bool temperature)
{
    QList<QPointF> out;
    out.reserve(kMonthSamples);
    for (int i = 0; i < kMonthSamples; ++i) {
        const double y = temperature ? 25 + 3 * std::sin(i * 1e-4) : std::floor(i / 50000.0) - 4;
        out.append(QPointF(i * 6 / 3600.0, y));
    }
    return out;
}

struct Window {
    Window()
    {
        benchApp();
        options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
        window = std::make_unique<TMainApp>(options, true);
        window->pollTimer()->stop();
        window->setupPage()->DeviceSel->setCurrentIndex(FindPartRow("VK390"));
        window->DeviceSelChange();
        window->links().graph->assign(GraphData::Deviation, samples(false));
        window->links().graph->assign(GraphData::Temperature, samples(true));
    }
    QTemporaryDir dir;
    AppOptions options;
    std::unique_ptr<TMainApp> window;
};

void BM_SaveMonthDump(benchmark::State& state)
{
    Window w;
    const QString file = w.dir.filePath(QStringLiteral("month.csv"));
    for (auto _ : state) {
        if (!w.window->saveDumpFile(file)) state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * kMonthSamples);
    state.counters["bytes"] = static_cast<double>(QFile(file).size());
}
BENCHMARK(BM_SaveMonthDump)->Unit(benchmark::kMillisecond);

void BM_OpenMonthDump(benchmark::State& state)
{
    Window w;
    const QString file = w.dir.filePath(QStringLiteral("month.csv"));
    if (!w.window->saveDumpFile(file)) state.SkipWithError("save failed");
    for (auto _ : state) {
        if (!w.window->openDumpFile(file)) state.SkipWithError("open failed");
    }
    if (w.window->links().graph->points(GraphData::Deviation).size() != kMonthSamples)
        state.SkipWithError("points lost");
    state.SetItemsProcessed(state.iterations() * kMonthSamples);
}
BENCHMARK(BM_OpenMonthDump)->Unit(benchmark::kMillisecond);

// The text alone.
struct Text {
    Text()
    {
        for (int i = 0; i < kMonthSamples; ++i) {
            x.push_back(i * 6 / 3600.0);
            dev.push_back(std::floor(i / 50000.0) - 4);
            temp.push_back(25 + 3 * std::sin(i * 1e-4));
        }
    }
    std::vector<double> x, dev, temp;
    uint8_t regs[256] = {};
};

void BM_WriteMonthText(benchmark::State& state)
{
    Text t;
    const PartInfo& part = PartTable[static_cast<size_t>(FindPartRow("VK390"))];
    for (auto _ : state) {
        std::string text = WriteDumpText(part, t.regs, {t.x.data(), t.dev.data(), t.x.size()},
                                         {t.x.data(), t.temp.data(), t.x.size()});
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations() * kMonthSamples);
}
BENCHMARK(BM_WriteMonthText)->Unit(benchmark::kMillisecond);

void BM_ReadMonthText(benchmark::State& state)
{
    Text t;
    const PartInfo& part = PartTable[static_cast<size_t>(FindPartRow("VK390"))];
    const std::string text = WriteDumpText(part, t.regs, {t.x.data(), t.dev.data(), t.x.size()},
                                           {t.x.data(), t.temp.data(), t.x.size()});
    for (auto _ : state) {
        size_t points = 0;
        DumpLineReader reader([&](const DumpLine& l) { points += l.kind == DumpLine::Point; });
        for (size_t at = 0; at < text.size(); at += 65536)
            reader.feed(text.data() + at, std::min<size_t>(65536, text.size() - at));
        reader.finish();
        benchmark::DoNotOptimize(points);
    }
    state.SetItemsProcessed(state.iterations() * kMonthSamples);
}
BENCHMARK(BM_ReadMonthText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
