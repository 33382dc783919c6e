// The graph page's range tables and the picture of a long series that the
// chart draws: the lowest and highest point of each pixel column.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "pages/graph/GraphCodec.h"

using namespace GraphCodec;

namespace {

const AxisRange* entry(std::span<const AxisRange> ranges, const std::string& text)
{
    for (const AxisRange& range : ranges) {
        if (text == range.Entry) return &range;
    }
    return nullptr;
}

// ---- range tables ----

struct Worked {
    std::span<const AxisRange> (*Table)();
    const char* Entry;
    const char* Title;
    double Minimum;
    double Maximum;
    double Increment;
    int MinorTicks;
};

TEST(GraphRanges, WorkedEntries)
{
    const Worked cases[] = {
        {DeviationRanges, "4 Seconds", "Seconds", -4.001, 4, 1, 1},
        {DeviationRanges, "60 Seconds", "Seconds", -60.001, 60, 15, 1},
        {DeviationRanges, "240 Seconds", "Seconds", -240.001, 240, 60, 1},
        {TemperatureRanges, "10 degrees C", "Degrees C", 20, 30, 5, 9},
        {TemperatureRanges, "100 degrees C", "Degrees C", -25.001, 75, 25, 4},
        {TemperatureRanges, "150 degrees C", "Degrees C", -50.001, 100, 25, 4},
        {TimeBases, "1 Hour", "Elapsed Time in Hours", 0, 1, 0.1, 2},
        {TimeBases, "3 Days", "Elapsed Time in Hours", 0, 72, 6, 2},
        {TimeBases, "30 Days", "Elapsed Time in Hours", 0, 720, 48, 1},
    };
    for (const Worked& c : cases) {
        SCOPED_TRACE(c.Entry);
        const AxisRange* range = entry(c.Table(), c.Entry);
        ASSERT_NE(range, nullptr);
        EXPECT_STREQ(range->Title, c.Title);
        EXPECT_EQ(range->Minimum, c.Minimum);
        EXPECT_EQ(range->Maximum, c.Maximum);
        EXPECT_EQ(range->Increment, c.Increment);
        EXPECT_EQ(range->MinorTicks, c.MinorTicks);
    }
}

TEST(GraphRanges, EveryRangeDrawsLabelsAtBothEnds)
{
    // Labels sit on multiples of the increment: the top one at the maximum and
    // the lowest within a thousandth above the minimum, so the axis shows
    // both ends labelled.
    for (auto table : {DeviationRanges, TemperatureRanges, TimeBases}) {
        ASSERT_FALSE(table().empty());
        for (const AxisRange& range : table()) {
            SCOPED_TRACE(range.Entry);
            const double top = range.Maximum / range.Increment;
            EXPECT_NEAR(top, std::round(top), 1e-9);
            const double lowest =
                std::ceil(range.Minimum / range.Increment - 1e-9) * range.Increment;
            EXPECT_GE(lowest, range.Minimum);
            EXPECT_LE(lowest, range.Minimum + 0.001 + 1e-9);
            EXPECT_GT(range.MinorTicks, 0);
        }
    }
}

TEST(GraphRanges, ListsStartAndIndex)
{
    EXPECT_STREQ(DeviationRanges()[kInitialDeviation].Entry, "4 Seconds");
    EXPECT_STREQ(TemperatureRanges()[kInitialTemperature].Entry, "20 degrees C");
    EXPECT_STREQ(TimeBases()[kInitialTimeBase].Entry, "1 Hour");
    EXPECT_EQ(DeviationRanges().size(), 7u);
    EXPECT_EQ(TemperatureRanges().size(), 5u);
    EXPECT_EQ(TimeBases().size(), 8u);

    EXPECT_EQ(RangeAt(TimeBases(), 0), &TimeBases()[0]);
    EXPECT_EQ(RangeAt(TimeBases(), 7), &TimeBases()[7]);
    EXPECT_EQ(RangeAt(TimeBases(), 8), nullptr);
    EXPECT_EQ(RangeAt(TimeBases(), -1), nullptr); // a list with nothing chosen
}

// ---- ColumnView ----

// A point generated for a known column: X well inside the column, so which
// column it belongs to never hangs on rounding.
struct Generated {
    Point P;
    int Column; // -1 left of the window, `columns` right of it
};

// Deterministic series of `count` points over [from, to) hours, X ascending,
// with a spike now and then.
std::vector<Generated> series(double xMin, double xMax, int columns, double from, double to,
                              int count)
{
    std::vector<Generated> out;
    const double width = (xMax - xMin) / columns;
    uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double x = from + (to - from) * i / count;
        const double column = std::floor((x - xMin) / width);
        // Keep X a tenth of a column away from the column edges.
        const double inside =
            xMin + (column + 0.1 + 0.8 * (x - xMin - column * width) / width) * width;
        double y = std::sin(i * 0.01) + ((seed >> 16) % 100) / 1000.0;
        if (i % 97 == 0) y += 5;
        if (i % 89 == 0) y -= 5;
        int c = static_cast<int>(column);
        if (inside < xMin) c = -1;
        if (inside > xMax) c = columns;
        out.push_back({{inside, y}, c});
    }
    return out;
}

bool contains(const std::vector<Point>& points, const Point& p)
{
    return std::any_of(points.begin(), points.end(),
                       [&](const Point& q) { return q.X == p.X && q.Y == p.Y; });
}

TEST(GraphColumnView, KeepsEachColumnsLowestAndHighestPoint)
{
    constexpr int kColumns = 50;
    constexpr double kMin = 0, kMax = 1;
    // Ten times more points than columns, reaching past the window on the right.
    const auto points = series(kMin, kMax, kColumns, 0, 1.5, 750);
    ColumnView view;
    view.reset(kMin, kMax, kColumns);
    for (const Generated& g : points)
        view.add(g.P.X, g.P.Y);
    const std::vector<Point>& shown = view.points();

    for (int c = 0; c < kColumns; ++c) {
        SCOPED_TRACE("column " + std::to_string(c));
        std::vector<Point> in;
        for (const Generated& g : points) {
            if (g.Column == c) in.push_back(g.P);
        }
        ASSERT_FALSE(in.empty());
        const auto [low, high] = std::minmax_element(
            in.begin(), in.end(), [](const Point& a, const Point& b) { return a.Y < b.Y; });
        EXPECT_TRUE(contains(shown, *low));
        EXPECT_TRUE(contains(shown, *high));
        const auto inColumn = std::count_if(shown.begin(), shown.end(), [&](const Point& p) {
            return std::find_if(in.begin(), in.end(), [&](const Point& q) {
                       return q.X == p.X && q.Y == p.Y;
                   }) != in.end();
        });
        EXPECT_LE(inColumn, 2);
    }
    // In X order, ending on the first point past the window, which carries the
    // line on to the window's edge; the points further right are left out.
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(),
                               [](const Point& a, const Point& b) { return a.X < b.X; }));
    const auto past = std::find_if(points.begin(), points.end(),
                                   [](const Generated& g) { return g.Column == kColumns; });
    ASSERT_NE(past, points.end());
    EXPECT_EQ(shown.back().X, past->P.X);
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(), [](const Point& p) { return p.X > kMax; }),
              1);
}

TEST(GraphColumnView, NearestPointsOutsideTheWindowCarryTheLine)
{
    ColumnView view;
    view.reset(10, 20, 10);
    EXPECT_EQ(view.add(2, 1.0), 0u);
    EXPECT_EQ(view.add(5, 2.0), 0u); // nearer the window: takes the place
    EXPECT_EQ(view.add(15.5, 3.0), 1u);
    EXPECT_EQ(view.add(30, 4.0), 2u);
    EXPECT_EQ(view.add(40, 5.0), std::nullopt); // further off: nothing changes
    EXPECT_EQ(view.add(3, 6.0), std::nullopt);
    ASSERT_EQ(view.points().size(), 3u);
    EXPECT_EQ(view.points()[0].X, 5);
    EXPECT_EQ(view.points()[1].X, 15.5);
    EXPECT_EQ(view.points()[2].X, 30);
    // Both ends of the window belong to it.
    EXPECT_EQ(view.add(10, 7.0), 1u);
    EXPECT_EQ(view.add(20, 8.0), 3u);
    EXPECT_EQ(view.points().size(), 5u);
}

TEST(GraphColumnView, ChangesReportedFromWhereTheyStart)
{
    // A copy kept up to date only through the reported changes, as the chart
    // keeps its series, matches the picture after every point, also when a
    // point goes back to an earlier column or before the window.
    ColumnView view;
    view.reset(0, 100, 20);
    std::vector<Point> mirror;
    const Point points[] = {{1, 0},  {2, 5},   {3, -5},  {4, 1},   {12, 2},  {13, 2}, {14, 9},
                            {50, 3}, {51, 3},  {52, 3},  {7, 20},  {-3, 1},  {-1, 1}, {60, -4},
                            {99, 0}, {100, 1}, {130, 2}, {120, 5}, {8, -30}, {61, -9}};
    for (const Point& p : points) {
        SCOPED_TRACE(std::to_string(p.X) + "," + std::to_string(p.Y));
        if (const auto from = view.add(p.X, p.Y)) {
            ASSERT_LE(*from, mirror.size());
            mirror.resize(*from);
            mirror.insert(mirror.end(), view.points().begin() + static_cast<long>(*from),
                          view.points().end());
        }
        ASSERT_EQ(mirror.size(), view.points().size());
        for (size_t i = 0; i < mirror.size(); ++i) {
            EXPECT_EQ(mirror[i].X, view.points()[i].X) << i;
            EXPECT_EQ(mirror[i].Y, view.points()[i].Y) << i;
        }
    }
    // The late points landed in their columns (20 and -30 in the one from 5
    // to 10, -9 in the one from 60), the first column kept its extremes only,
    // and the nearest point on either side is the one drawn.
    EXPECT_TRUE(contains(view.points(), {7, 20}));
    EXPECT_TRUE(contains(view.points(), {8, -30}));
    EXPECT_TRUE(contains(view.points(), {61, -9}));
    EXPECT_TRUE(contains(view.points(), {2, 5}));
    EXPECT_TRUE(contains(view.points(), {3, -5}));
    EXPECT_FALSE(contains(view.points(), {1, 0}));
    EXPECT_FALSE(contains(view.points(), {4, 1}));
    EXPECT_EQ(view.points().front().X, -1);
    EXPECT_EQ(view.points().back().X, 120);
}

TEST(GraphColumnView, FlatRunsTakeOnePointPerColumn)
{
    // A deviation that holds still for a column draws one point there; the
    // column where it steps draws both levels in the order they came.
    ColumnView view;
    view.reset(0, 10, 10);
    for (int i = 0; i < 100; ++i)
        view.add(i / 10.0, i < 55 ? 1.0 : 2.0);
    const std::vector<Point>& shown = view.points();
    ASSERT_EQ(shown.size(), 11u);
    EXPECT_EQ(shown[5].Y, 1.0);
    EXPECT_EQ(shown[6].Y, 2.0);
    EXPECT_NEAR(shown[6].X, 5.5, 1e-9);
    EXPECT_EQ(shown[10].Y, 2.0);
}

TEST(GraphColumnView, OddInputs)
{
    ColumnView view;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    view.reset(0, 1, 4);
    EXPECT_EQ(view.add(nan, 1), std::nullopt);
    EXPECT_EQ(view.add(0.5, nan), std::nullopt);
    EXPECT_EQ(view.add(0.5, inf), std::nullopt);
    EXPECT_TRUE(view.points().empty());

    // No columns counts as one, a window without width as one unit wide.
    view.reset(5, 5, 0);
    EXPECT_EQ(view.columns(), 1);
    EXPECT_EQ(view.xMax(), 6);
    EXPECT_EQ(view.add(5.5, 1), 0u);
    EXPECT_EQ(view.add(5.7, 3), 0u); // the column is drawn again from its start
    EXPECT_EQ(view.add(5.9, 2), std::nullopt);
    EXPECT_EQ(view.points().size(), 2u);

    // So does a window too narrow to split.
    view.reset(0, 1e-320, 4);
    EXPECT_EQ(view.xMax(), 1);
    EXPECT_EQ(view.add(0, 1), 0u);
    EXPECT_EQ(view.add(1, 2), 1u);
    EXPECT_EQ(view.points().size(), 2u);

    // A reset forgets everything.
    view.reset(0, 1, 3);
    EXPECT_TRUE(view.points().empty());
    EXPECT_EQ(view.columns(), 3);
}

} // namespace

TEST(GraphCodecOffScale, EdgeMarksAndTheRangeThatHolds)
{
    const GraphCodec::AxisRange& four = GraphCodec::DeviationRanges()[0];
    EXPECT_FALSE(GraphCodec::EdgeMark({1, 3.9}, four));
    EXPECT_FALSE(GraphCodec::EdgeMark({1, -4.0}, four));
    EXPECT_FALSE(GraphCodec::EdgeMark({1, std::nan("")}, four));
    const auto above = GraphCodec::EdgeMark({1, 4.5}, four);
    ASSERT_TRUE(above);
    EXPECT_DOUBLE_EQ(above->X, 1);
    EXPECT_DOUBLE_EQ(above->Y, four.Maximum);
    const auto below = GraphCodec::EdgeMark({2, -100}, four);
    ASSERT_TRUE(below);
    EXPECT_DOUBLE_EQ(below->Y, four.Minimum);

    struct Case {
        double Low, High;
        const char* Text;
    };
    for (const Case& c : {Case{-5, 0, "Deviation off scale: choose 8 Seconds"},
                          Case{0, 20, "Deviation off scale: choose 20 Seconds"},
                          Case{-20.5, 3, "Deviation off scale: choose 40 Seconds"},
                          Case{-1, 240, "Deviation off scale: choose 240 Seconds"},
                          Case{0, 241, "Deviation off scale: beyond 240 Seconds"}})
        EXPECT_EQ(GraphCodec::OffScaleText(c.Low, c.High), c.Text) << c.Low << ".." << c.High;
}
