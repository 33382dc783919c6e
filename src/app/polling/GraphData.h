// The points of the deviation and temperature graph, kept apart from the
// chart so the polling cycle, the graph page and the dump file share them.
#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>

class GraphData : public QObject {
    Q_OBJECT
  public:
    // Series in chart order; the index is what the dump file records.
    enum Series { Deviation = 0, Temperature = 1 };
    static constexpr int kSeriesCount = 2;

    explicit GraphData(QObject* parent = nullptr);

    // "Deviation" or "Temperature"; empty for an index outside the chart.
    static QString title(int series);

    // Points of a series, X ascending; empty for an index outside the chart.
    const QList<QPointF>& points(int series) const;

    // An index outside the chart is ignored.
    void append(int series, const QPointF& point);
    // Replaces a series' points at once (a loaded file's), with one signal
    // instead of one per point.
    void assign(int series, QList<QPointF> points);
    void clear();

  signals:
    void appended(int series, QPointF point);
    void assigned(int series);
    void cleared();

  private:
    QList<QPointF> series_[kSeriesCount];
};
