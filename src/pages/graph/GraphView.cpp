#include "pages/graph/GraphView.h"

#include <QApplication>
#include <QChart>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QList>
#include <QLocale>
#include <QPen>
#include <QPointF>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "pages/graph/GraphData.h"
#include "widgets/Controls.h"

using GraphCodec::AxisRange;

namespace {

// The plot area is grey so that the white dotted grid shows on it.
const QColor kPlotColour(0xD4, 0xD0, 0xC8);
// Pixel columns before the chart is first laid out.
constexpr int kUnlaidColumns = 1024;
// The offsets in dark green, apart from the blue and red series.
const QColor kOffsetColour(0x00, 0x80, 0x00);

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

QValueAxis* makeAxis(QChart* chart, const char* name, Qt::Alignment side, const QFont& font)
{
    auto* axis = new QValueAxis(chart);
    axis->setObjectName(QLatin1String(name));
    axis->setLabelsFont(font);
    axis->setTitleFont(font);
    axis->setLabelFormat(QLatin1String(GraphCodec::kAxisLabelFormat));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setMinorTickCount(0);
    axis->setMinorGridLineVisible(false);
    axis->setLinePen(QPen(Qt::black, 1));
    chart->addAxis(axis, side);
    return axis;
}

void dottedGrid(QValueAxis* axis)
{
    QPen grid(Qt::white);
    grid.setWidth(1);
    grid.setStyle(Qt::DotLine);
    axis->setGridLinePen(grid);
    axis->setGridLineVisible(true);
}

QLineSeries* makeSeries(const char* name, GraphData::Series index, Qt::GlobalColor colour)
{
    auto* series = new QLineSeries;
    series->setObjectName(QLatin1String(name));
    series->setName(GraphData::title(index));
    QPen pen(colour);
    pen.setWidth(1);
    series->setPen(pen);
    series->setPointsVisible(false);
    series->setPointLabelsVisible(false);
    return series;
}

} // namespace

GraphView::GraphView(GraphData& data, QWidget* parent) : QChartView(parent), data_(data)
{
    setObjectName(QStringLiteral("TimeDev"));
    setHint(this, QStringLiteral("Graph the Time Deviation and Temperature of the RTC"));
    setRenderHint(QPainter::Antialiasing, false);
    setFrameShape(QFrame::NoFrame);

    Chart = new QChart;
    Chart->setObjectName(QStringLiteral("TimeDevChart"));
    Chart->setAnimationOptions(QChart::NoAnimation);
    Chart->setBackgroundRoundness(0);
    Chart->setBackgroundBrush(palette().color(QPalette::Window));
    Chart->setPlotAreaBackgroundBrush(kPlotColour);
    Chart->setPlotAreaBackgroundVisible(true);
    Chart->setMargins(QMargins(2, 2, 2, 0));
    Chart->layout()->setContentsMargins(0, 0, 0, 0);
    // Labels group thousands with commas and use a point, as "#,##0.##" does.
    Chart->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    Chart->setLocalizeNumbers(true);

    const QFont font = QApplication::font();
    QFont titleFont = font;
    titleFont.setBold(true);
    Chart->setTitleFont(titleFont);
    Chart->setTitle(QStringLiteral("RTC Deviation"));
    Chart->legend()->setAlignment(Qt::AlignBottom);
    Chart->legend()->setFont(font);

    BottomAxis = makeAxis(Chart, "BottomAxis", Qt::AlignBottom, font);
    LeftAxis = makeAxis(Chart, "LeftAxis", Qt::AlignLeft, font);
    RightAxis = makeAxis(Chart, "RightAxis", Qt::AlignRight, font);
    TopAxis = makeAxis(Chart, "TopAxis", Qt::AlignTop, font);
    dottedGrid(BottomAxis);
    dottedGrid(LeftAxis);
    RightAxis->setGridLineVisible(false);
    TopAxis->setLabelsVisible(false);
    TopAxis->setGridLineVisible(false);
    TopAxis->setTickType(QValueAxis::TicksFixed);
    TopAxis->setTickCount(2);

    LeftAxis->setTitleBrush(QBrush(Qt::blue));
    LeftAxis->setLabelsColor(Qt::blue);
    // Minor ticks are drawn with the axis line's pen; the left one is 2 wide.
    LeftAxis->setLinePen(QPen(Qt::black, 2));
    RightAxis->setTitleBrush(QBrush(Qt::red));
    RightAxis->setLabelsColor(Qt::red);

    // Series in chart order, as GraphData numbers them.
    Series1 = makeSeries("Series1", GraphData::Deviation, Qt::blue);
    Series2 = makeSeries("Series2", GraphData::Temperature, Qt::red);
    Chart->addSeries(Series1);
    Chart->addSeries(Series2);
    Series1->attachAxis(BottomAxis);
    Series1->attachAxis(LeftAxis);
    Series2->attachAxis(BottomAxis);
    Series2->attachAxis(RightAxis);

    // The drift meter's offsets after them, on an axis of their own outside
    // the temperature's; both hidden until the legend entry is clicked, so
    // the chart looks as it always did.
    OffsetSeries = new QLineSeries;
    OffsetSeries->setObjectName(QStringLiteral("OffsetSeries"));
    OffsetSeries->setName(QStringLiteral("Offset (ms)"));
    OffsetSeries->setPen(QPen(kOffsetColour, 1));
    Chart->addSeries(OffsetSeries);
    OffsetAxis = new QValueAxis(Chart);
    OffsetAxis->setObjectName(QStringLiteral("OffsetAxis"));
    OffsetAxis->setLabelsFont(font);
    OffsetAxis->setTitleFont(font);
    OffsetAxis->setTitleText(QStringLiteral("Offset (ms)"));
    OffsetAxis->setTitleBrush(QBrush(kOffsetColour));
    OffsetAxis->setLabelsColor(kOffsetColour);
    OffsetAxis->setLabelFormat(QStringLiteral("%.1f"));
    OffsetAxis->setLinePen(QPen(Qt::black, 1));
    OffsetAxis->setGridLineVisible(false);
    OffsetAxis->setTickCount(5);
    OffsetAxis->setRange(-1, 1);
    Chart->addAxis(OffsetAxis, Qt::AlignRight);
    OffsetSeries->attachAxis(BottomAxis);
    OffsetSeries->attachAxis(OffsetAxis);
    deviation_ = GraphCodec::DeviationRanges()[GraphCodec::kInitialDeviation];

    // The view starts with a chart of its own and lets go of it on
    // setChart without deleting it.
    QChart* unused = chart();
    setChart(Chart);
    delete unused;

    for (QLegendMarker* marker : Chart->legend()->markers(OffsetSeries))
        connect(marker, &QLegendMarker::clicked, this,
                [this] { setOffsetsShown(!offsetsShown()); });
    setOffsetsShown(false);

    connect(&data_, &GraphData::appended, this,
            [this](int index, QPointF point) { appended(index, point); });
    connect(&data_, &GraphData::assigned, this, [this](int index) { assigned(index); });
    connect(&data_, &GraphData::cleared, this, [this] { cleared(); });
    connect(Chart, &QChart::plotAreaChanged, this, [this] { plotAreaChanged(); });
    rebuildAll();
}

QLineSeries* GraphView::series(int index) const
{
    switch (index) {
    case GraphData::Deviation:
        return Series1;
    case GraphData::Temperature:
        return Series2;
    default:
        return OffsetSeries;
    }
}

const GraphCodec::ColumnView& GraphView::view(int series) const
{
    return views_[static_cast<size_t>(std::clamp(series, 0, kOffsetView))];
}

void GraphView::applyRange(QValueAxis* axis, const AxisRange& range)
{
    axis->setTitleText(QLatin1String(range.Title));
    // The axis lays out its labels at each step: of the two ways from the old
    // range to the new, take the one whose step between has fewer labels (a
    // month at the hour's increment would lay out thousands).
    const double oldSpan = axis->max() - axis->min();
    const double newSpan = range.Maximum - range.Minimum;
    const double oldInterval = axis->tickInterval();
    if (oldInterval <= 0 || newSpan / oldInterval > oldSpan / range.Increment) {
        axis->setTickInterval(range.Increment);
        axis->setRange(range.Minimum, range.Maximum);
    } else {
        axis->setRange(range.Minimum, range.Maximum);
        axis->setTickInterval(range.Increment);
    }
    axis->setMinorTickCount(range.MinorTicks);
}

void GraphView::applyDeviation(const AxisRange& range)
{
    applyRange(LeftAxis, range);
    deviation_ = range;
    markEdges(0);
}

void GraphView::applyTemperature(const AxisRange& range)
{
    applyRange(RightAxis, range);
}

void GraphView::applyTime(const AxisRange& range)
{
    applyRange(BottomAxis, range);
    TopAxis->setRange(range.Minimum, range.Maximum);
    rebuildAll();
}

int GraphView::plotColumns() const
{
    const int width = static_cast<int>(std::lround(Chart->plotArea().width()));
    return width >= 1 ? width : kUnlaidColumns;
}

void GraphView::plotAreaChanged()
{
    const int columns = plotColumns();
    for (const GraphCodec::ColumnView& view : views_) {
        if (view.columns() != columns) {
            rebuildAll();
            return;
        }
    }
}

void GraphView::rebuildAll()
{
    for (int i = 0; i <= kOffsetView; ++i)
        rebuild(i);
}

void GraphView::rebuild(int index)
{
    GraphCodec::ColumnView& view = views_[static_cast<size_t>(index)];
    view.reset(BottomAxis->min(), BottomAxis->max(), plotColumns());
    for (const QPointF& p : index == kOffsetView ? offsets_ : data_.points(index))
        view.add(p.x(), p.y());
    draw(index, 0);
}

void GraphView::markEdges(size_t from)
{
    const GraphCodec::ColumnView& view = views_[0];
    const std::vector<GraphCodec::Point>& points = view.points();
    // Marks of points from `from` on go; those points are new or changed.
    size_t keep = marked_.size();
    while (keep > 0 && marked_[keep - 1] >= from)
        --keep;
    const bool changed = keep < marked_.size();
    marked_.resize(keep);
    marks_.resize(static_cast<qsizetype>(keep));
    QList<QPointF> added;
    for (size_t i = from; i < points.size(); ++i) {
        const GraphCodec::Point& p = points[i];
        // The nearest points either side of the window are not drawn there.
        if (p.X < view.xMin() || p.X > view.xMax()) continue;
        if (const auto mark = GraphCodec::EdgeMark(p, deviation_)) {
            marked_.push_back(i);
            added.append(QPointF(mark->X, mark->Y));
        }
    }
    marks_.append(added);
    if (changed || !added.isEmpty()) viewport()->update();
    QString text;
    if (!marked_.empty()) {
        double low = 0;
        double high = 0;
        for (const size_t i : marked_) {
            low = std::min(low, points[i].Y);
            high = std::max(high, points[i].Y);
        }
        text = QString::fromStdString(GraphCodec::OffScaleText(low, high));
    }
    if (text != offScale_) {
        offScale_ = text;
        emit offScaleChanged(offScale_);
    }
}

void GraphView::drawForeground(QPainter* painter, const QRectF& rect)
{
    QChartView::drawForeground(painter, rect);
    if (marks_.isEmpty()) return;
    // A small blue triangle on the edge, pointing the way the value went.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::blue);
    const QRectF plot = Chart->plotArea();
    for (const QPointF& mark : marks_) {
        const QPointF at = Chart->mapToScene(Chart->mapToPosition(mark, Series1));
        if (at.x() < Chart->mapToScene(plot.topLeft()).x() - 0.5 ||
            at.x() > Chart->mapToScene(plot.topRight()).x() + 0.5)
            continue;
        const double way = mark.y() >= deviation_.Maximum ? 1 : -1; // 1: above the top
        const QPointF tip(at.x(), at.y() - way * 1);
        const QPolygonF triangle{tip, QPointF(at.x() - 4, at.y() + way * 5),
                                 QPointF(at.x() + 4, at.y() + way * 5)};
        painter->drawPolygon(triangle);
    }
    painter->restore();
}

void GraphView::draw(int index, size_t from)
{
    if (index == GraphData::Deviation) markEdges(from);
    QLineSeries* line = series(index);
    const std::vector<GraphCodec::Point>& points = views_[static_cast<size_t>(index)].points();
    const size_t have = static_cast<size_t>(line->count());
    // A change at the end is a point or two; anything larger goes in at once,
    // so the chart lays the line out once rather than once per point.
    constexpr size_t kFewPoints = 4;
    if (points.size() - from > kFewPoints || have > points.size() + kFewPoints || from > have) {
        QList<QPointF> all;
        all.reserve(static_cast<qsizetype>(points.size()));
        for (const GraphCodec::Point& p : points)
            all.append(QPointF(p.X, p.Y));
        line->replace(all);
        return;
    }
    if (have > points.size())
        line->removePoints(static_cast<int>(points.size()), static_cast<int>(have - points.size()));
    for (size_t i = from; i < points.size(); ++i) {
        const QPointF p(points[i].X, points[i].Y);
        if (i < have)
            line->replace(static_cast<int>(i), p);
        else
            line->append(p);
    }
}

void GraphView::appended(int index, const QPointF& p)
{
    if (index < 0 || index >= GraphData::kSeriesCount) return;
    if (const auto from = views_[static_cast<size_t>(index)].add(p.x(), p.y())) draw(index, *from);
}

void GraphView::assigned(int index)
{
    if (index < 0 || index >= GraphData::kSeriesCount) return;
    rebuild(index);
}

void GraphView::cleared()
{
    rebuildAll();
}

QString GraphView::pointsText() const
{
    return QStringLiteral("%1|%2")
        .arg(data_.points(GraphData::Deviation).size())
        .arg(data_.points(GraphData::Temperature).size());
}

QString GraphView::lastText() const
{
    QStringList fields;
    for (int i = 0; i < GraphData::kSeriesCount; ++i) {
        const QList<QPointF>& points = data_.points(i);
        fields.append(points.isEmpty()
                          ? QStringLiteral("none")
                          : number(points.last().x()) + u',' + number(points.last().y()));
    }
    return fields.join(u'|');
}

QString GraphView::shownText() const
{
    return QStringLiteral("%1|%2").arg(Series1->count()).arg(Series2->count());
}

QString GraphView::offsetsText() const
{
    return QStringLiteral("%1|%2|%3")
        .arg(offsets_.size())
        .arg(offsets_.isEmpty()
                 ? QStringLiteral("none")
                 : number(offsets_.last().x()) + u',' + number(offsets_.last().y()))
        .arg(offsetsShown() ? QStringLiteral("shown") : QStringLiteral("hidden"));
}

void GraphView::appendOffset(const QPointF& p)
{
    offsets_.append(p);
    const bool wider = !offsetLow_ || p.y() < *offsetLow_ || p.y() > *offsetHigh_;
    offsetLow_ = offsetLow_ ? std::min(*offsetLow_, p.y()) : p.y();
    offsetHigh_ = offsetHigh_ ? std::max(*offsetHigh_, p.y()) : p.y();
    if (wider) fitOffsetAxis();
    if (const auto from = views_[kOffsetView].add(p.x(), p.y())) draw(kOffsetView, *from);
}

void GraphView::assignOffsets(QList<QPointF> points)
{
    offsets_ = std::move(points);
    offsetLow_.reset();
    offsetHigh_.reset();
    for (const QPointF& p : offsets_) {
        offsetLow_ = offsetLow_ ? std::min(*offsetLow_, p.y()) : p.y();
        offsetHigh_ = offsetHigh_ ? std::max(*offsetHigh_, p.y()) : p.y();
    }
    fitOffsetAxis();
    rebuild(kOffsetView);
}

void GraphView::fitOffsetAxis()
{
    if (!offsetLow_) {
        OffsetAxis->setRange(-1, 1);
        return;
    }
    // A tenth of the extent either side, at least a millisecond.
    const double pad = std::max(1.0, (*offsetHigh_ - *offsetLow_) / 10.0);
    OffsetAxis->setRange(std::floor(*offsetLow_ - pad), std::ceil(*offsetHigh_ + pad));
}

bool GraphView::offsetsShown() const
{
    return OffsetSeries->isVisible();
}

void GraphView::setOffsetsShown(bool shown)
{
    OffsetSeries->setVisible(shown);
    OffsetAxis->setVisible(shown);
    // Hiding a series hides its legend entry too: the entry stays, greyed,
    // to be clicked again.
    for (QLegendMarker* marker : Chart->legend()->markers(OffsetSeries)) {
        marker->setVisible(true);
        marker->setLabelBrush(QBrush(shown ? Qt::black : Qt::gray));
        marker->setBrush(QBrush(shown ? kOffsetColour : QColor(Qt::gray)));
    }
}

QString GraphView::rangesText() const
{
    QStringList fields;
    for (const QValueAxis* axis : {BottomAxis, LeftAxis, RightAxis})
        fields.append(
            QStringLiteral("%1..%2/%3/%4")
                .arg(number(axis->min()), number(axis->max()), number(axis->tickInterval()))
                .arg(axis->minorTickCount()));
    return fields.join(u'|');
}
