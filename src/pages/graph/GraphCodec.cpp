#include "pages/graph/GraphCodec.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace GraphCodec {

namespace {

constexpr const char* kSeconds = "Seconds";
constexpr const char* kDegrees = "Degrees C";
constexpr const char* kHours = "Elapsed Time in Hours";

// Negative minimums lie a thousandth below the label, so the lowest label
// is inside the axis and is drawn.
constexpr std::array<AxisRange, 7> kDeviation{{
    {"4 Seconds", kSeconds, -4.001, 4, 1, 1},
    {"8 Seconds", kSeconds, -8.001, 8, 2, 1},
    {"20 Seconds", kSeconds, -20.001, 20, 5, 1},
    {"40 Seconds", kSeconds, -40.001, 40, 10, 1},
    {"60 Seconds", kSeconds, -60.001, 60, 15, 1},
    {"120 Seconds", kSeconds, -120.001, 120, 30, 1},
    {"240 Seconds", kSeconds, -240.001, 240, 60, 1},
}};

constexpr std::array<AxisRange, 5> kTemperature{{
    {"10 degrees C", kDegrees, 20, 30, 5, 9},
    {"20 degrees C", kDegrees, 15, 35, 5, 4},
    {"50 degrees C", kDegrees, 0, 50, 10, 4},
    {"100 degrees C", kDegrees, -25.001, 75, 25, 4},
    {"150 degrees C", kDegrees, -50.001, 100, 25, 4},
}};

constexpr std::array<AxisRange, 8> kTime{{
    {"1 Hour", kHours, 0, 1, 0.1, 2},
    {"4 Hours", kHours, 0, 4, 0.5, 2},
    {"6 Hours", kHours, 0, 6, 0.5, 2},
    {"12 Hours", kHours, 0, 12, 1, 1},
    {"1 Day", kHours, 0, 24, 2, 1},
    {"3 Days", kHours, 0, 72, 6, 2},
    {"7 Days", kHours, 0, 168, 12, 1},
    {"30 Days", kHours, 0, 720, 48, 1},
}};

} // namespace

std::span<const AxisRange> DeviationRanges()
{
    return kDeviation;
}

std::span<const AxisRange> TemperatureRanges()
{
    return kTemperature;
}

std::span<const AxisRange> TimeBases()
{
    return kTime;
}

const AxisRange* RangeAt(std::span<const AxisRange> ranges, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= ranges.size()) return nullptr;
    return &ranges[static_cast<size_t>(index)];
}

// ---- deviation beyond its axis ----

std::optional<Point> EdgeMark(const Point& point, const AxisRange& range)
{
    if (!std::isfinite(point.Y)) return std::nullopt;
    if (point.Y > range.Maximum) return Point{point.X, range.Maximum};
    if (point.Y < range.Minimum) return Point{point.X, range.Minimum};
    return std::nullopt;
}

const AxisRange* RangeHolding(std::span<const AxisRange> ranges, double low, double high)
{
    for (const AxisRange& range : ranges) {
        if (range.Minimum <= low && high <= range.Maximum) return &range;
    }
    return nullptr;
}

std::string OffScaleText(double low, double high)
{
    if (const AxisRange* holding = RangeHolding(kDeviation, low, high))
        return std::string("Deviation off scale: choose ") + holding->Entry;
    return std::string("Deviation off scale: beyond ") + kDeviation.back().Entry;
}

// ---- ColumnView ----

void ColumnView::reset(double xMin, double xMax, int columns)
{
    if (!std::isfinite(xMin)) xMin = 0;
    columns = std::max(columns, 1);
    // A window too narrow to split into columns counts as one unit wide.
    if (!std::isfinite(xMax) || !std::isfinite(columns / (xMax - xMin)) || xMax <= xMin)
        xMax = xMin + 1;
    xMin_ = xMin;
    xMax_ = xMax;
    scale_ = columns / (xMax - xMin);
    columns_.assign(static_cast<size_t>(columns), Column{});
    before_.reset();
    after_.reset();
    last_.reset();
    taken_ = 0;
    out_.clear();
}

size_t ColumnView::columnOf(double x) const
{
    const double at = std::floor((x - xMin_) * scale_);
    if (!(at > 0)) return 0;
    // xMax itself belongs to the last column.
    if (at >= static_cast<double>(columns_.size())) return columns_.size() - 1;
    return static_cast<size_t>(at);
}

size_t ColumnView::count(const Column& column)
{
    if (!column.Used) return 0;
    return column.MinAt == column.MaxAt ? 1 : 2;
}

size_t ColumnView::appendTo(const Column& column, std::vector<Point>& out)
{
    if (!column.Used) return 0;
    if (column.MinAt == column.MaxAt) {
        out.push_back(column.Min);
        return 1;
    }
    const bool minFirst = column.MinAt < column.MaxAt;
    out.push_back(minFirst ? column.Min : column.Max);
    out.push_back(minFirst ? column.Max : column.Min);
    return 2;
}

size_t ColumnView::rewrite(size_t column)
{
    out_.clear();
    if (before_) out_.push_back(*before_);
    size_t start = out_.size();
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (c == column) start = out_.size();
        appendTo(columns_[c], out_);
    }
    if (after_) out_.push_back(*after_);
    return start;
}

std::optional<size_t> ColumnView::add(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    const size_t at = taken_++;
    const Point p{x, y};

    if (x < xMin_) {
        // Only the point nearest the window matters; the latest one of equals.
        if (before_ && x < before_->X) return std::nullopt;
        const bool had = before_.has_value();
        before_ = p;
        if (had)
            out_.front() = p;
        else
            out_.insert(out_.begin(), p);
        return 0;
    }
    if (x > xMax_) {
        if (after_ && x >= after_->X) return std::nullopt;
        const bool had = after_.has_value();
        after_ = p;
        if (had)
            out_.back() = p;
        else
            out_.push_back(p);
        return out_.size() - 1;
    }

    const size_t c = columnOf(x);
    Column& column = columns_[c];
    const size_t before = count(column);
    if (!column.Used) {
        column = {true, at, at, p, p};
    } else {
        bool changed = false;
        if (y < column.Min.Y) {
            column.Min = p;
            column.MinAt = at;
            changed = true;
        }
        if (y > column.Max.Y) {
            column.Max = p;
            column.MaxAt = at;
            changed = true;
        }
        if (!changed) return std::nullopt;
    }

    if (!after_ && (!last_ || c >= *last_)) {
        // The usual case: the newest column is the end of the picture.
        const size_t start = out_.size() - (last_ && c == *last_ ? before : 0);
        out_.resize(start);
        appendTo(column, out_);
        last_ = c;
        return start;
    }
    if (!last_ || c > *last_) last_ = c;
    return rewrite(c);
}

} // namespace GraphCodec
