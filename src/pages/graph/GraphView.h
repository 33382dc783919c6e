// The chart TimeDev: deviation (blue, left axis) and temperature (red, right
// axis) over elapsed hours. The points live in GraphData, all of them; the
// chart's two series hold only the lowest and highest point of each pixel
// column of the visible window, so a month of samples draws as fast as an
// hour's and a new sample changes a point or two at the end.
#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "pages/graph/GraphCodec.h"

class GraphData;
class QChart;
class QLineSeries;
class QValueAxis;

class GraphView : public QChartView {
    Q_OBJECT
    // What scenario scripts read, one field per series ("Deviation|Temperature"):
    // points: how many points each series holds; last: each series' last
    // point "X,Y" (hours, value), "none" for an empty one; shown: how many
    // points the chart draws of each.
    Q_PROPERTY(QString points READ pointsText)
    Q_PROPERTY(QString last READ lastText)
    Q_PROPERTY(QString shown READ shownText)
    // The bottom, left and right axis as applied: "min..max/increment/minor".
    Q_PROPERTY(QString ranges READ rangesText)
    // The drift meter's offset series, apart from the two above:
    // "count|last|shown" with last "X,Y" (hours, ms) or "none" and shown
    // "shown" or "hidden".
    Q_PROPERTY(QString offsets READ offsetsText)

  public:
    explicit GraphView(GraphData& data, QWidget* parent = nullptr);

    // Applies a range table's row to an axis: title, minimum and maximum,
    // label increment, minor ticks. The bottom axis also moves the window
    // the series are drawn in.
    void applyDeviation(const GraphCodec::AxisRange& range);
    void applyTemperature(const GraphCodec::AxisRange& range);
    void applyTime(const GraphCodec::AxisRange& range);

    // The picture of a series the chart draws (GraphData's series index).
    const GraphCodec::ColumnView& view(int series) const;
    QLineSeries* series(int index) const;

    QString pointsText() const;
    QString lastText() const;
    QString shownText() const;
    QString rangesText() const;
    QString offsetsText() const;

    // The drift meter's millisecond offsets over the graph's hours: a series
    // of their own on an axis of their own, hidden until its legend entry is
    // clicked.
    void appendOffset(const QPointF& point);
    void assignOffsets(QList<QPointF> points);
    // Shows or hides the offset series and its axis, as a click on its
    // legend entry does.
    void setOffsetsShown(bool shown);
    bool offsetsShown() const;

    // The chart and its parts, named as designed (objectNames too).
    QChart* Chart = nullptr;
    QLineSeries* Series1 = nullptr; // "Deviation"
    QLineSeries* Series2 = nullptr; // "Temperature"
    QLineSeries* OffsetSeries = nullptr; // "Offset (ms)", third in the chart
    QValueAxis* BottomAxis = nullptr;
    QValueAxis* LeftAxis = nullptr;
    QValueAxis* RightAxis = nullptr;
    QValueAxis* TopAxis = nullptr;
    QValueAxis* OffsetAxis = nullptr; // right of RightAxis, shown with its series
    // Deviation points beyond the left axis as the marks drawn on the plot's
    // edge (X, value held to the axis's end); drawn over the chart, not a
    // series of it.
    const QList<QPointF>& edgeMarks() const { return marks_; }

    // "Deviation off scale: choose ..." while a drawn deviation point lies
    // beyond the left axis; empty otherwise.
    QString offScaleText() const { return offScale_; }

  signals:
    void offScaleChanged(const QString& text);

  protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;

  private:
    // The edge marks and the off-scale text for the deviation's picture
    // from view point `from` on (0: all of it).
    void markEdges(size_t from);
    void appended(int series, const QPointF& point);
    void assigned(int series);
    void cleared();
    void plotAreaChanged();
    // The view of a series drawn again from every point of the data.
    void rebuild(int series);
    void rebuildAll();
    // Puts the view's points from `from` on into the chart's series.
    void draw(int series, size_t from);
    // Pixel columns of the plot area now.
    int plotColumns() const;
    static void applyRange(QValueAxis* axis, const GraphCodec::AxisRange& range);

    GraphData& data_;
    // The offset axis's range from the offsets' extent.
    void fitOffsetAxis();

    static constexpr int kOffsetView = 2;
    // Deviation, temperature, offset.
    std::array<GraphCodec::ColumnView, 3> views_;
    QList<QPointF> offsets_;
    std::optional<double> offsetLow_, offsetHigh_;
    GraphCodec::AxisRange deviation_{}; // the left axis as applied
    std::vector<size_t> marked_;        // view points that have an edge mark, ascending
    QList<QPointF> marks_;              // their marks, in the same order
    QString offScale_;
};
