#include "pages/graph/DriftLogic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace DriftLogic {

double StudentT95(int df)
{
    static constexpr double kTable[] = {
        12.7062, 4.3027, 3.1824, 2.7764, 2.5706, 2.4469, 2.3646, 2.3060, 2.2622, 2.2281,
        2.2010,  2.1788, 2.1604, 2.1448, 2.1314, 2.1199, 2.1098, 2.1009, 2.0930, 2.0860,
        2.0796,  2.0739, 2.0687, 2.0639, 2.0595, 2.0555, 2.0518, 2.0484, 2.0452, 2.0423};
    if (df < 1)
        return std::numeric_limits<double>::infinity();
    if (df <= 30)
        return kTable[df - 1];
    const double z = 1.959964;
    const double z2 = z * z, z3 = z2 * z, z5 = z3 * z2, z7 = z5 * z2, z9 = z7 * z2;
    const double v = df;
    const double g1 = (z3 + z) / 4.0;
    const double g2 = (5 * z5 + 16 * z3 + 3 * z) / 96.0;
    const double g3 = (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / 384.0;
    const double g4 = (79 * z9 + 776 * z7 + 1482 * z5 - 1920 * z3 - 945 * z) / 92160.0;
    return z + g1 / v + g2 / (v * v) + g3 / (v * v * v) + g4 / (v * v * v * v);
}

// ---- RateFit ----

void RateFit::Restart()
{
    *this = RateFit();
}

void RateFit::Add(double seconds, double offsetMs)
{
    if (n_ == 0)
        firstX_ = seconds;
    lastX_ = seconds;
    ++n_;
    const double dx = seconds - meanX_;
    const double dy = offsetMs - meanY_;
    meanX_ += dx / n_;
    meanY_ += dy / n_;
    // Welford: the new deviation from the old mean times the one from the new.
    sxx_ += dx * (seconds - meanX_);
    sxy_ += dx * (offsetMs - meanY_);
    syy_ += dy * (offsetMs - meanY_);
}

std::optional<double> RateFit::RatePpm() const
{
    if (n_ < 2 || sxx_ <= 0.0)
        return std::nullopt;
    return sxy_ / sxx_ * 1000.0;
}

std::optional<double> RateFit::IntervalPpm() const
{
    if (n_ < 3 || sxx_ <= 0.0)
        return std::nullopt;
    const double slope = sxy_ / sxx_;
    double sse = syy_ - slope * sxy_;
    if (sse < 0.0)
        sse = 0.0;
    const double se = std::sqrt(sse / (n_ - 2) / sxx_);
    return StudentT95(n_ - 2) * se * 1000.0;
}

std::optional<double> RateFit::OffsetAt(double seconds) const
{
    if (n_ < 2 || sxx_ <= 0.0)
        return std::nullopt;
    return meanY_ + sxy_ / sxx_ * (seconds - meanX_);
}

// ---- ClockStepFilter ----

void ClockStepFilter::Restart()
{
    have_ = false;
    lastDiff_ = 0.0;
    stepped_ = 0.0;
}

double ClockStepFilter::Observe(double monotonicMs, double wallMs)
{
    const double diff = wallMs - monotonicMs;
    if (have_ && std::fabs(diff - lastDiff_) > tolerance_)
        stepped_ += diff - lastDiff_;
    have_ = true;
    lastDiff_ = diff;
    return stepped_;
}

// ---- The seconds edge ----

std::optional<EdgeOffset> BracketEdge(std::span<const EdgeRead> reads)
{
    for (size_t i = 1; i < reads.size(); ++i) {
        const EdgeRead& before = reads[i - 1];
        const EdgeRead& after = reads[i];
        if (after.ChipSecond != before.ChipSecond + 1)
            continue;
        // The old second was sampled during the first transfer and the new
        // one during the second: the edge lies between the first's start and
        // the second's end. Its middle-of-the-gap estimate is off by at most
        // half the gap plus a transfer.
        const double gapStart = before.PcAfterMs;
        const double gapEnd = after.PcBeforeMs;
        const double transfer = std::max(before.PcAfterMs - before.PcBeforeMs,
                                         after.PcAfterMs - after.PcBeforeMs);
        const double edgePc = (gapStart + gapEnd) / 2.0;
        EdgeOffset result;
        result.OffsetMs = static_cast<double>(after.ChipSecond) * 1000.0 - edgePc;
        result.UncertaintyMs = std::fabs(gapEnd - gapStart) / 2.0 + transfer;
        return result;
    }
    return std::nullopt;
}

int64_t UnwrapSecond(int secondOfMinute, int64_t approxSecond)
{
    int64_t base = approxSecond - ((approxSecond % 60) + 60) % 60 + secondOfMinute;
    if (base - approxSecond > 30)
        base -= 60;
    else if (approxSecond - base > 30)
        base += 60;
    return base;
}

double NextEdgePcMs(double nowPcMs, double offsetMs)
{
    // Edges at PC time k x 1000 - offset; the first one after now.
    const double k = std::floor((nowPcMs + offsetMs) / 1000.0) + 1.0;
    return k * 1000.0 - offsetMs;
}

// ---- EdgeSearch ----

void EdgeSearch::Reset()
{
    estimate_.reset();
    plan_.clear();
    window_.clear();
    next_ = 0;
    reads_ = 0;
}

void EdgeSearch::plan(double nowPcMs)
{
    plan_.clear();
    window_.clear();
    next_ = 0;
    if (!estimate_) {
        for (int i = 0; i * coarse_ <= 1000.0 + 2 * coarse_; ++i)
            plan_.push_back(nowPcMs + i * coarse_);
        return;
    }
    const double step = std::clamp(estimate_->UncertaintyMs, minStep_, 2 * coarse_);
    // A fixed pseudo-random fraction of a step (a 32-bit LCG).
    dither_ = dither_ * 1664525u + 1013904223u;
    const double shift = (static_cast<double>(dither_ >> 8) / 16777216.0 - 0.5) * step;
    const double edge = NextEdgePcMs(nowPcMs + lead_ + 2 * step, estimate_->OffsetMs);
    for (double k : {-1.5, -0.5, 0.5, 1.5})
        plan_.push_back(edge + k * step + shift);
}

double EdgeSearch::NextReadPcMs(double nowPcMs)
{
    if (next_ >= plan_.size())
        plan(nowPcMs);
    return plan_[next_];
}

std::optional<EdgeOffset> EdgeSearch::Feed(const EdgeRead& read)
{
    ++reads_;
    window_.push_back(read);
    ++next_;
    if (auto found = BracketEdge(window_)) {
        estimate_ = found;
        plan_.clear();
        next_ = 0;
        return found;
    }
    if (next_ >= plan_.size()) {
        // The window missed the edge: start coarse on the next call.
        estimate_.reset();
        plan_.clear();
        next_ = 0;
    }
    return std::nullopt;
}

void EdgeSearch::Shift(double deltaMs)
{
    if (estimate_)
        estimate_->OffsetMs += deltaMs;
}

// ---- What the window keeps and shows ----

namespace {

// A fixed-point number in the C locale whatever the process's locale (the
// window sets the user's), with a sign when asked.
std::string fixed(double value, int decimals, bool sign = false)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc{}) return "?";
    const char* digits = buf;
    // -0.04 shown to one decimal is 0.0, not -0.0
    if (*digits == '-' && std::string_view(digits + 1, static_cast<size_t>(end - digits - 1)).find_first_not_of("0.") ==
                              std::string_view::npos)
        ++digits;
    const bool negative = *digits == '-';
    return std::string(sign && !negative ? "+" : "") + std::string(digits, static_cast<size_t>(end - digits));
}

std::string spanText(double seconds)
{
    const long long s = static_cast<long long>(std::max(0.0, seconds));
    if (s < 60) return std::to_string(s) + " s";
    const long long minutes = s / 60;
    if (minutes < 60) return std::to_string(minutes) + " min";
    const long long hours = minutes / 60;
    if (hours < 24) return std::to_string(hours) + " h " + std::to_string(minutes % 60) + " min";
    return std::to_string(hours / 24) + " d " + std::to_string(hours % 24) + " h";
}

} // namespace

DriftFigures FiguresOf(const RateFit& fit, std::optional<double> minCelsius,
                       std::optional<double> maxCelsius)
{
    DriftFigures f;
    f.Samples = fit.Count();
    f.SpanSeconds = fit.Span();
    f.RatePpm = fit.RatePpm();
    f.IntervalPpm = fit.IntervalPpm();
    f.MinCelsius = minCelsius;
    f.MaxCelsius = maxCelsius;
    return f;
}

std::string RateText(const DriftFigures& f)
{
    if (!f.RatePpm || !f.IntervalPpm)
        return "Rate: measuring (" + std::to_string(f.Samples) +
               (f.Samples == 1 ? " sample)" : " samples)");
    // Two decimals once the interval is below a tenth, so it never reads 0.0.
    const int decimals = *f.IntervalPpm < 0.095 ? 2 : 1;
    std::string text = "Rate: " + fixed(*f.RatePpm, decimals, true) + " ppm \u00b1 " +
                       fixed(*f.IntervalPpm, decimals) + " (" + spanText(f.SpanSeconds);
    if (f.MinCelsius && f.MaxCelsius) {
        text += ", " + fixed(*f.MinCelsius, 1);
        if (fixed(*f.MinCelsius, 1) != fixed(*f.MaxCelsius, 1))
            text += "\u2013" + fixed(*f.MaxCelsius, 1);
        text += " \u00b0C";
    }
    return text + ")";
}

// ---- Trim advice ----

double ListPpm(const char* text)
{
    if (!text)
        return 0.0;
    // from_chars reads in the C locale whatever the user's (strtod would take
    // "-2.035" as -2 under a decimal comma); it takes no '+' and no spaces.
    while (*text == ' ')
        ++text;
    if (*text == '+')
        ++text;
    double value = 0.0;
    const char* end = text + std::strlen(text);
    const auto [stop, ec] = std::from_chars(text, end, value);
    return ec == std::errc{} ? value : 0.0;
}

double ListPf(const char* text)
{
    return ListPpm(text);
}

double PullPpm(double loadPf)
{
    return 1000.0 / (1.0 + loadPf) - 1000.0 / (1.0 + 12.5);
}

namespace {

// The entry of a list whose correction, in place of the current one, leaves
// the rate nearest zero; ties go to the earlier entry.
template <typename Value>
int bestEntry(std::span<const char* const> list, int current, double ratePpm, Value value,
              double& residual)
{
    const double now = value(list[current]);
    int best = -1;
    for (int e = 0; e < static_cast<int>(list.size()); ++e) {
        const double left = ratePpm - now + value(list[e]);
        if (best < 0 || std::fabs(left) < std::fabs(residual) - 1e-9) {
            best = e;
            residual = left;
        }
    }
    return best;
}

} // namespace

TrimAdvice Advise(double ratePpm, const TrimNow& now)
{
    TrimAdvice advice;
    if (!now.Dtr.empty() && now.DtrEntry >= 0 && now.DtrEntry < static_cast<int>(now.Dtr.size()))
        advice.DtrEntry = bestEntry(now.Dtr, now.DtrEntry, ratePpm, ListPpm, advice.DtrResidual);
    if (!now.Atr.empty() && now.AtrEntry >= 0 && now.AtrEntry < static_cast<int>(now.Atr.size()))
        advice.AtrEntry = bestEntry(now.Atr, now.AtrEntry, ratePpm,
                                    [](const char* text) { return PullPpm(ListPf(text)); },
                                    advice.AtrResidual);
    advice.AnalogBetter = advice.AtrEntry >= 0 &&
                          (advice.DtrEntry < 0 ||
                           std::fabs(advice.AtrResidual) < std::fabs(advice.DtrResidual));
    return advice;
}

} // namespace DriftLogic
