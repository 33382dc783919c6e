#include "pages/graph/GraphData.h"

#include <utility>

GraphData::GraphData(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("GraphData"));
}

QString GraphData::title(int series)
{
    switch (series) {
    case Deviation:
        return QStringLiteral("Deviation");
    case Temperature:
        return QStringLiteral("Temperature");
    default:
        return QString();
    }
}

const QList<QPointF>& GraphData::points(int series) const
{
    static const QList<QPointF> none;
    if (series < 0 || series >= kSeriesCount) return none;
    return series_[series];
}

void GraphData::append(int series, const QPointF& point)
{
    if (series < 0 || series >= kSeriesCount) return;
    series_[series].append(point);
    emit appended(series, point);
}

void GraphData::assign(int series, QList<QPointF> points)
{
    if (series < 0 || series >= kSeriesCount) return;
    series_[series] = std::move(points);
    emit assigned(series);
}

void GraphData::clear()
{
    for (QList<QPointF>& points : series_)
        points.clear();
    emit cleared();
}
