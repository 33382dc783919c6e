// The graph with an hour (600 samples) and a month (432,000 samples, one
// every six seconds for 30 days) in each series: what one sample costs the
// chart, what a repaint costs, and what a change of time base costs. Beside
// each, the chart holding every point in a plain QLineSeries, as it would
// without the per-column picture.
#include <benchmark/benchmark.h>

#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QValueAxis>
#include <cmath>
#include <memory>

#include "BenchApp.h"
#include "pages/graph/GraphCodec.h"
#include "pages/graph/GraphData.h"
#include "pages/graph/GraphView.h"

namespace {

constexpr int kWidth = 860; // about the page's chart
constexpr int kHeight = 300;
constexpr double kMonthHours = 720;

// A deviation that steps a second now and then, a temperature that wanders.
QList<QPointF> samples(int count, bool temperature)
{
    QList<QPointF> out;
    out.reserve(count);
    // Spread over a little less than the month, so new samples land inside it.
    const double step = (kMonthHours - 1) / count;
    for (int i = 0; i < count; ++i) {
        const double y =
            temperature ? 25 + 3 * std::sin(i * 1e-4) + (i % 13) * 0.01 : std::floor(i / 50000.0);
        out.append(QPointF(i * step, y));
    }
    return out;
}

void paint(QChartView& view, QImage& image)
{
    QPainter painter(&image);
    view.render(&painter);
}

// The application's chart: full data in GraphData, the chart draws its window.
struct Decimated {
    explicit Decimated(int count) : view(data)
    {
        data.assign(GraphData::Deviation, samples(count, false));
        data.assign(GraphData::Temperature, samples(count, true));
        view.applyDeviation(GraphCodec::DeviationRanges()[0]);
        view.applyTemperature(GraphCodec::TemperatureRanges()[1]);
        view.applyTime(GraphCodec::TimeBases()[7]); // "30 Days"
        view.resize(kWidth, kHeight);
        view.show();
        QApplication::processEvents();
    }
    QApplication& app = benchApp(); // before any widget
    GraphData data;
    GraphView view;
};

// Every point in the chart's own series.
struct Naive {
    explicit Naive(int count)
    {
        auto* chart = new QChart;
        chart->setAnimationOptions(QChart::NoAnimation);
        auto* x = new QValueAxis;
        auto* left = new QValueAxis;
        auto* right = new QValueAxis;
        x->setRange(0, kMonthHours);
        left->setRange(-4.001, 4);
        right->setRange(15, 35);
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(left, Qt::AlignLeft);
        chart->addAxis(right, Qt::AlignRight);
        deviation = new QLineSeries;
        temperature = new QLineSeries;
        deviation->replace(samples(count, false));
        temperature->replace(samples(count, true));
        chart->addSeries(deviation);
        chart->addSeries(temperature);
        deviation->attachAxis(x);
        deviation->attachAxis(left);
        temperature->attachAxis(x);
        temperature->attachAxis(right);
        view.setChart(chart);
        view.resize(kWidth, kHeight);
        view.show();
        QApplication::processEvents();
    }
    QApplication& app = benchApp(); // before any widget
    QChartView view;
    QLineSeries* deviation = nullptr;
    QLineSeries* temperature = nullptr;
};

// The next sample after the last: a hair later, a little higher, so that it
// always changes the last pixel column's picture.
QPointF next(const QPointF& last, int k)
{
    return QPointF(last.x() + 1e-7, last.y() + 1e-3 * (k % 2 == 0 ? 1 : -1) * k);
}

// ---- one sample: both series get a point, as the polling cycle adds them ----

void BM_SampleDecimated(benchmark::State& state)
{
    Decimated d(static_cast<int>(state.range(0)));
    QPointF dev = d.data.points(GraphData::Deviation).last();
    QPointF temp = d.data.points(GraphData::Temperature).last();
    int k = 0;
    for (auto _ : state) {
        dev = next(dev, ++k);
        temp = next(temp, k);
        d.data.append(GraphData::Deviation, dev);
        d.data.append(GraphData::Temperature, temp);
    }
    state.counters["drawn"] = d.view.Series1->count();
}
BENCHMARK(BM_SampleDecimated)->Arg(600)->Arg(432000)->Unit(benchmark::kMicrosecond);

void BM_SampleNaive(benchmark::State& state)
{
    Naive n(static_cast<int>(state.range(0)));
    QPointF dev = n.deviation->points().last();
    QPointF temp = n.temperature->points().last();
    int k = 0;
    for (auto _ : state) {
        dev = next(dev, ++k);
        temp = next(temp, k);
        n.deviation->append(dev);
        n.temperature->append(temp);
    }
    state.counters["drawn"] = n.deviation->count();
}
BENCHMARK(BM_SampleNaive)->Arg(600)->Arg(432000)->Unit(benchmark::kMicrosecond);

// ---- repaint: a sample, then the chart painted ----

void BM_RepaintDecimated(benchmark::State& state)
{
    Decimated d(static_cast<int>(state.range(0)));
    QImage image(d.view.size(), QImage::Format_ARGB32_Premultiplied);
    QPointF dev = d.data.points(GraphData::Deviation).last();
    int k = 0;
    for (auto _ : state) {
        dev = next(dev, ++k);
        d.data.append(GraphData::Deviation, dev);
        paint(d.view, image);
    }
}
BENCHMARK(BM_RepaintDecimated)->Arg(600)->Arg(432000)->Unit(benchmark::kMillisecond);

void BM_RepaintNaive(benchmark::State& state)
{
    Naive n(static_cast<int>(state.range(0)));
    QImage image(n.view.size(), QImage::Format_ARGB32_Premultiplied);
    QPointF dev = n.deviation->points().last();
    int k = 0;
    for (auto _ : state) {
        dev = next(dev, ++k);
        n.deviation->append(dev);
        paint(n.view, image);
    }
}
BENCHMARK(BM_RepaintNaive)->Arg(600)->Arg(432000)->Unit(benchmark::kMillisecond);

// ---- a change of time base: the picture drawn again from every sample ----

void BM_TimeBaseChange(benchmark::State& state)
{
    Decimated d(static_cast<int>(state.range(0)));
    int i = 0;
    for (auto _ : state)
        d.view.applyTime(GraphCodec::TimeBases()[(++i % 2 == 0) ? 7 : 0]); // 30 days, 1 hour
}
BENCHMARK(BM_TimeBaseChange)->Arg(600)->Arg(432000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
