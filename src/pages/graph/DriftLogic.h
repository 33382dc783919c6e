// Drift analysis without widgets: the chip's offset to the PC timed on its
// seconds edge, steps of the PC clock taken out of it, the rate in ppm fitted
// incrementally with a 95 % interval, and the trim entries that cancel it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace DriftLogic {

// ---- Rate fit ----

// Two-sided 95 % quantile of Student's t for df degrees of freedom (df >= 1):
// the exact table for 1..30, beyond it the Cornish-Fisher expansion around
// the normal quantile 1.959964 (within 1e-4 of the true value for df > 30).
double StudentT95(int df);

// A least-squares line through (seconds since restart, offset in ms), kept
// as running means and centred sums (Welford's update): each sample costs the
// same however long the run, and the sums stay accurate over months.
class RateFit {
public:
    void Restart();
    void Add(double seconds, double offsetMs);

    int Count() const { return n_; }
    // Seconds between the first and the last sample.
    double Span() const { return n_ ? lastX_ - firstX_ : 0.0; }
    // The slope in ppm (ms per second x 1000); empty below two samples or
    // with every sample at one time.
    std::optional<double> RatePpm() const;
    // Half-width of the rate's 95 % interval in ppm: t(n-2) x the slope's
    // standard error; empty below three samples.
    std::optional<double> IntervalPpm() const;
    // The fitted offset at a time, in ms (empty below two samples).
    std::optional<double> OffsetAt(double seconds) const;

private:
    int n_ = 0;
    double meanX_ = 0.0, meanY_ = 0.0;
    double sxx_ = 0.0, sxy_ = 0.0, syy_ = 0.0;
    double firstX_ = 0.0, lastX_ = 0.0;
};

// ---- PC clock steps ----

// Each sample carries the PC's monotonic time and its wall time. While the
// two keep their difference (within the tolerance, which also follows slow
// slewing), nothing changes; a larger jump of the difference is a step of
// the wall clock, added up and taken back out of every later offset.
class ClockStepFilter {
public:
    explicit ClockStepFilter(double toleranceMs = 50.0) : tolerance_(toleranceMs) {}
    void Restart();
    // Records the sample's clocks; returns the wall clock's summed steps
    // since Restart in ms (positive when the wall clock went forward).
    double Observe(double monotonicMs, double wallMs);
    // An offset chip-minus-wall measured now, as if the wall clock had not
    // stepped: offset + the summed steps.
    double Corrected(double offsetMs) const { return offsetMs + stepped_; }
    double Stepped() const { return stepped_; }

private:
    double tolerance_;
    bool have_ = false;
    double lastDiff_ = 0.0;
    double stepped_ = 0.0;
};

// ---- The seconds edge ----

// One timed read of the seconds register: the PC time (ms) just before and
// just after the transfer, and the chip's time it read in whole seconds (in
// the same count as the PC time's seconds, see UnwrapSecond).
struct EdgeRead {
    double PcBeforeMs = 0.0;
    double PcAfterMs = 0.0;
    int64_t ChipSecond = 0;
};

struct EdgeOffset {
    double OffsetMs = 0.0;      // chip minus PC
    double UncertaintyMs = 0.0; // half the bracketing gap plus the transfer time
};

// The offset from reads in time order: between the last read that saw the
// old second and the first that saw the next, the chip's edge to the new
// second fell in the middle of the gap between the two transfers. Empty when
// no pair of consecutive reads saw consecutive seconds (the edge was missed).
std::optional<EdgeOffset> BracketEdge(std::span<const EdgeRead> reads);

// The whole second nearest `approxSecond` whose second of the minute is
// `secondOfMinute` (0..59): the seconds register alone, unwrapped against the
// chip time the polling cycle already knows.
int64_t UnwrapSecond(int secondOfMinute, int64_t approxSecond);

// When to start the next search so that its first read comes `leadMs` before
// the predicted edge: the chip's next edge after `nowPcMs`, from the last
// offset (chip minus PC, ms). Edges fall where the PC time is k x 1000 - offset.
double NextEdgePcMs(double nowPcMs, double offsetMs);

// The timed reads of one sample, planned around the predicted edge. Without
// an estimate the reads go every `coarseMs` for a little over a second (the
// edge to tens of ms); with one, four reads `step` apart straddle the
// predicted edge, the step being the estimate's uncertainty (at least
// `minStepMs`), so the samples settle at a few ms and cost a few transfers.
// A window that misses the edge drops the estimate and starts again coarse.
// Read positions are dithered by a fraction of a step (a fixed sequence), so
// the rounding of one sample is not that of the next.
class EdgeSearch {
public:
    explicit EdgeSearch(double minStepMs = 2.0, double coarseMs = 100.0, double leadMs = 50.0)
        : minStep_(minStepMs), coarse_(coarseMs), lead_(leadMs) {}
    void Reset();
    // The PC time of the next read: the window is planned on the first call
    // after a sample (or after Reset), from nowPcMs.
    double NextReadPcMs(double nowPcMs);
    // A read made at (or after) that time. Returns the sample when the window
    // bracketed the edge.
    std::optional<EdgeOffset> Feed(const EdgeRead& read);
    // The PC clock stepped by deltaMs: the estimate (chip minus PC) follows.
    void Shift(double deltaMs);
    bool Locked() const { return estimate_.has_value(); }
    // A window is planned and has reads to come: false once it brought a
    // sample or missed the edge (the next NextReadPcMs plans anew).
    bool WindowOpen() const { return next_ < plan_.size(); }
    // Reads since Reset (the bus cost).
    int64_t Reads() const { return reads_; }

private:
    void plan(double nowPcMs);
    double minStep_, coarse_, lead_;
    std::optional<EdgeOffset> estimate_;
    std::vector<double> plan_;
    std::vector<EdgeRead> window_;
    size_t next_ = 0;
    uint32_t dither_ = 1;
    int64_t reads_ = 0;
};

// Samples more uncertain than this come from a search still settling (the
// first few after a start or a missed edge): they place the next window but
// stay out of the fit.
constexpr double kSettledMs = 5.0;

// ---- What the window keeps and shows ----

// One edge-timed sample of a run: seconds since the run's restart (PC
// monotonic time), the chip-minus-PC offset with the PC clock's steps taken
// out, and its uncertainty.
struct DriftPoint {
    double Seconds = 0.0;
    double OffsetMs = 0.0;
    double UncertaintyMs = 0.0;
};

// The run's estimate as the pages, the dump file and the report show it.
struct DriftFigures {
    int Samples = 0;           // samples in the fit
    double SpanSeconds = 0.0;  // first to last sample
    std::optional<double> RatePpm;     // positive: the chip runs fast
    std::optional<double> IntervalPpm; // half-width of the 95 % interval
    // The board temperature seen over the run; empty without a reading.
    std::optional<double> MinCelsius, MaxCelsius;
};

// A fit's figures, with the temperature range seen over its run.
DriftFigures FiguresOf(const RateFit& fit, std::optional<double> minCelsius,
                       std::optional<double> maxCelsius);

// "Rate: +17.3 ppm ± 0.2 (1 h 10 min, 23.1–23.9 °C)" in UTF-8 and the C
// locale; the temperature part is left out without a reading, and the rate
// reads "Rate: measuring (N samples)" until there is an interval.
std::string RateText(const DriftFigures& figures);

// ---- Trim advice ----

// The correction in ppm a digital trim entry names ("+20 PPM", "-2.035 PPM",
// "  0 PPM (default)"), 0 for a text without a number.
double ListPpm(const char* text);
// The load capacitance in pF an analog entry names ("12.50 pF").
double ListPf(const char* text);
// How far a load capacitance pulls the crystal against 12.50 pF:
// 1000 ppm x pF / (1 pF + C) less the same at 12.50 pF (+107.7 at 4.50 pF).
double PullPpm(double loadPf);

struct TrimNow {
    std::span<const char* const> Dtr; // empty: the part has no digital trim
    int DtrEntry = 0;
    std::span<const char* const> Atr; // empty: the part has no analog trim
    int AtrEntry = 0;
};

struct TrimAdvice {
    int DtrEntry = -1;           // -1: no digital list
    double DtrResidual = 0.0;    // the rate left with that entry (ppm)
    int AtrEntry = -1;           // -1: no analog list
    double AtrResidual = 0.0;    // the rate left with that analog entry, the digital kept
    bool AnalogBetter = false;   // the analog entry leaves a smaller residual
};

// For a measured rate (ppm, positive fast) with the trims `now` in effect,
// the entry of each list whose change from the current one best cancels it.
TrimAdvice Advise(double ratePpm, const TrimNow& now);

} // namespace DriftLogic
