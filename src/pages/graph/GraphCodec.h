// What the graph page needs that is no widget: the three range tables its
// lists choose from, and the picture the chart draws of a long series (the
// lowest and highest point of each pixel column of the visible window), kept
// up to date point by point.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace GraphCodec {

// One entry of a range list and what choosing it applies to its axis.
struct AxisRange {
    const char* Entry; // the list's text
    const char* Title; // the axis title
    double Minimum;
    double Maximum;
    double Increment; // between labels
    int MinorTicks;   // between two labels
};

// DevRange (left axis), TempRange (right axis), TimeBase (bottom axis), in
// list order: a list's entry index is the row's index.
std::span<const AxisRange> DeviationRanges();
std::span<const AxisRange> TemperatureRanges();
std::span<const AxisRange> TimeBases();

// Entries the lists start on: "4 Seconds", "20 degrees C", "1 Hour".
constexpr int kInitialDeviation = 0;
constexpr int kInitialTemperature = 1;
constexpr int kInitialTimeBase = 0;

// The row of a list's entry index; null when the list has no entry chosen.
const AxisRange* RangeAt(std::span<const AxisRange> ranges, int index);

// The vertical axes' labels are written "#,##0.##": thousands grouped, at
// least one digit before the point, at most two after it and no trailing
// zeros. The chart takes printf-style formats and groups thousands itself
// when told to write numbers in a locale that does; "%.6g" drops trailing
// zeros, and every label these tables produce has at most two decimals.
constexpr const char* kAxisLabelFormat = "%.6g";

struct Point {
    double X;
    double Y;
};

// ---- deviation beyond its axis ----

// Where a point beyond the axis range shows: on the plot's edge at its X, its
// value held to the nearer end of the range. Nullopt for a point inside the
// range or one whose value is not finite.
std::optional<Point> EdgeMark(const Point& point, const AxisRange& range);

// The first of ranges (in list order, each wider than the last) that holds
// every value from low to high; null when none does.
const AxisRange* RangeHolding(std::span<const AxisRange> ranges, double low, double high);

// What the Graph page says of values from low to high beyond the chosen
// range: "Deviation off scale: choose 60 Seconds" with the deviation list's
// entry that holds them, or "Deviation off scale: beyond 240 Seconds" when
// none does.
std::string OffScaleText(double low, double high);

// The picture of a series whose X values ascend, drawn in a window of X from
// xMin to xMax that is `columns` pixels wide: for each pixel column its lowest
// and its highest point, in the order they came, and the nearest point on
// either side of the window so that the line runs on to the window's edges.
// Points are taken one at a time; a point in the last column or beyond costs
// O(1). A point that goes back to an earlier column (X values that do not
// ascend) is still placed right, at the cost of rewriting the picture.
class ColumnView {
  public:
    ColumnView() { reset(0, 1, 1); }

    // Empties the picture for a new window; fewer than one column counts as
    // one, and a window without width (or too narrow to split) as one of width 1.
    void reset(double xMin, double xMax, int columns);

    // Takes the series' next point. Returns the index in points() of the first
    // point that changed (points from there on are new or different), or
    // nullopt when the picture stays the same. Points with a value that is not
    // finite are not drawn.
    std::optional<size_t> add(double x, double y);

    const std::vector<Point>& points() const { return out_; }
    double xMin() const { return xMin_; }
    double xMax() const { return xMax_; }
    int columns() const { return static_cast<int>(columns_.size()); }

  private:
    struct Column {
        bool Used = false;
        size_t MinAt = 0; // order in which the lowest point came
        size_t MaxAt = 0;
        Point Min{};
        Point Max{};
    };
    // The column of an X inside the window.
    size_t columnOf(double x) const;
    // The points a column contributes, in the order they came.
    static size_t appendTo(const Column& column, std::vector<Point>& out);
    static size_t count(const Column& column);
    // Writes the whole picture again; returns where the column starts.
    size_t rewrite(size_t column);

    double xMin_ = 0;
    double xMax_ = 1;
    double scale_ = 1; // columns per X unit
    std::vector<Column> columns_;
    std::optional<Point> before_; // nearest point left of the window
    std::optional<Point> after_;  // nearest point right of it
    std::optional<size_t> last_;  // highest column in use
    size_t taken_ = 0;
    std::vector<Point> out_;
};

} // namespace GraphCodec
