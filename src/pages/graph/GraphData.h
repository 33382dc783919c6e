// The points of the deviation and temperature graph, kept by the Graph page
// apart from its chart: the page offers them as the links' graph samples, so
// the polling cycle appends to them and the dump file saves and loads them.
#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>

#include "pages/PageLinks.h"

class GraphData : public QObject, public GraphSamples {
    Q_OBJECT
  public:
    explicit GraphData(QObject* parent = nullptr);

    // "Deviation" or "Temperature"; empty for an index outside the chart.
    static QString title(int series);

    // Points of a series, X ascending; empty for an index outside the chart.
    const QList<QPointF>& points(int series) const override;

    // An index outside the chart is ignored.
    void append(int series, const QPointF& point) override;
    // Replaces a series' points at once (a loaded file's), with one signal
    // instead of one per point.
    void assign(int series, QList<QPointF> points) override;
    void clear() override;

  signals:
    void appended(int series, QPointF point);
    void assigned(int series);
    void cleared();

  private:
    QList<QPointF> series_[kSeriesCount];
};
