// The drift fit's cost per sample: one sample added (and the rate and its
// interval read, as the Graph page does on each sample) after an hour of
// samples and after a month of them (one every six seconds for 30 days,
// 432,000 samples). The fit keeps running sums, so both cost the same; the
// last benchmark adds a whole month, to show the total grows only linearly.
// It also reports the edge search's reads per simulated hour.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "pages/graph/DriftLogic.h"

namespace {

constexpr int64_t kHourSamples = 600;
constexpr int64_t kMonthSamples = 30 * 86400 / 6;

double offsetAt(int64_t i)
{
    // +17 ppm and a millisecond of scatter.
    return 250.0 + 0.017 * 6.0 * static_cast<double>(i) + std::sin(static_cast<double>(i) * 1.7);
}

DriftLogic::RateFit filled(int64_t samples)
{
    DriftLogic::RateFit fit;
    for (int64_t i = 0; i < samples; ++i)
        fit.Add(6.0 * static_cast<double>(i), offsetAt(i));
    return fit;
}

void BM_SampleAfter(benchmark::State& state)
{
    const int64_t before = state.range(0);
    DriftLogic::RateFit fit = filled(before);
    int64_t i = before;
    for (auto _ : state) {
        fit.Add(6.0 * static_cast<double>(i), offsetAt(i));
        ++i;
        benchmark::DoNotOptimize(fit.RatePpm());
        benchmark::DoNotOptimize(fit.IntervalPpm());
    }
}
BENCHMARK(BM_SampleAfter)->Arg(kHourSamples)->Arg(kMonthSamples);

void BM_WholeMonth(benchmark::State& state)
{
    for (auto _ : state) {
        DriftLogic::RateFit fit = filled(kMonthSamples);
        benchmark::DoNotOptimize(fit.RatePpm());
    }
    state.SetItemsProcessed(state.iterations() * kMonthSamples);
}
BENCHMARK(BM_WholeMonth)->Unit(benchmark::kMillisecond);

// The edge search's reads for an hour of samples at a steady 6 s pace, the
// chip's edge and the reads simulated (each read 0.5 ms, the chip +17 ppm):
// reported as reads per hour and, at about 1 ms of bus per read of the
// seconds register, the bus time it adds.
void BM_EdgeSearchHour(benchmark::State& state)
{
    int64_t reads = 0;
    for (auto _ : state) {
        DriftLogic::EdgeSearch search;
        double now = 0.0; // PC ms; chip time = now x (1 + 17e-6) + 400 ms
        const auto chipSecond = [](double pc) {
            return static_cast<int64_t>(std::floor((pc * (1.0 + 17e-6) + 400.0) / 1000.0));
        };
        while (now < 3600e3) {
            now = std::max(now, search.NextReadPcMs(now));
            DriftLogic::EdgeRead read{now, now + 0.5, chipSecond(now)};
            now += 0.5;
            if (search.Feed(read))
                now += 4500.0;
        }
        reads = search.Reads();
    }
    state.counters["reads_per_hour"] = static_cast<double>(reads);
    state.counters["bus_s_per_hour_at_1ms"] = static_cast<double>(reads) * 1e-3;
}
BENCHMARK(BM_EdgeSearchHour)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
