// Drift analysis against worked figures: the rate fit and its 95 % interval
// by hand, Student's t against published quantiles, PC clock steps taken out
// of the offsets, the seconds edge bracketed between two reads, and the trim
// advice on the Crystal trim page's own lists.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "pages/graph/DriftLogic.h"
#include "pages/trim/TrimCodec.h"
#include "support/CommaLocale.h"

using namespace DriftLogic;

namespace {

TEST(DriftRateFit, WorkedFigures)
{
    // x 0..4 s, y 0,1,1,3,5 ms: Sxx 10, Sxy 12, Syy 16, slope 1.2 ms/s,
    // SSE 1.6, se sqrt(1.6 / 3 / 10) = 0.230940, t(3) 3.1824.
    RateFit fit;
    EXPECT_FALSE(fit.RatePpm());
    const double y[] = {0, 1, 1, 3, 5};
    for (int i = 0; i < 5; ++i) {
        fit.Add(i, y[i]);
        if (i == 1) {
            ASSERT_TRUE(fit.RatePpm());
            EXPECT_DOUBLE_EQ(*fit.RatePpm(), 1000.0);
            EXPECT_FALSE(fit.IntervalPpm()); // no degree of freedom yet
        }
    }
    EXPECT_EQ(fit.Count(), 5);
    EXPECT_DOUBLE_EQ(fit.Span(), 4.0);
    EXPECT_NEAR(*fit.RatePpm(), 1200.0, 1e-9);
    EXPECT_NEAR(*fit.IntervalPpm(), 3.1824 * 230.940108, 1e-3);
    EXPECT_NEAR(*fit.OffsetAt(2.0), 2.0, 1e-12);

    fit.Restart();
    EXPECT_EQ(fit.Count(), 0);
    EXPECT_FALSE(fit.RatePpm());
    fit.Add(100, 7);
    fit.Add(100, 9); // one time only: no slope
    EXPECT_FALSE(fit.RatePpm());
}

TEST(DriftRateFit, ThirtyDaysKeepTheirPrecision)
{
    // A sample every 6 s for 30 days, a large offset and +17 ppm with a
    // +-1 ms saw: the running centred sums keep the rate to 1e-4 ppm.
    RateFit fit;
    const double start = 1.8e9; // seconds of a wall clock
    for (int64_t i = 0; i < 30 * 86400 / 6; ++i) {
        const double x = start + i * 6.0;
        fit.Add(x, 3.6e6 + 0.017 * (x - start) + ((i % 3) - 1));
    }
    EXPECT_NEAR(*fit.RatePpm(), 17.0, 1e-4);
    EXPECT_LT(*fit.IntervalPpm(), 1e-3);
    EXPECT_GT(*fit.IntervalPpm(), 0.0);
}

TEST(DriftStudentT, AgainstPublishedQuantiles)
{
    struct Case { int df; double t; };
    const Case cases[] = {{1, 12.7062}, {2, 4.3027}, {3, 3.1824}, {10, 2.2281}, {30, 2.0423},
                          {31, 2.0395}, {40, 2.0211}, {60, 2.0003}, {120, 1.9799}, {100000, 1.9600}};
    for (const Case& c : cases)
        EXPECT_NEAR(StudentT95(c.df), c.t, 2e-4) << c.df;
}

TEST(DriftClockSteps, WallStepIsTakenOutOfLaterOffsets)
{
    ClockStepFilter filter(50.0);
    // chip minus wall 500 ms; the wall slews 3 ms (kept), then steps +2 s.
    EXPECT_DOUBLE_EQ(filter.Observe(0, 1'000'000), 0.0);
    EXPECT_DOUBLE_EQ(filter.Observe(6'000, 1'006'003), 0.0);
    EXPECT_DOUBLE_EQ(filter.Corrected(497), 497);
    EXPECT_DOUBLE_EQ(filter.Observe(12'000, 1'014'003), 2000.0);
    EXPECT_DOUBLE_EQ(filter.Corrected(497 - 2000), 497);
    // A step back of 1.5 s later adds up with the first.
    EXPECT_DOUBLE_EQ(filter.Observe(18'000, 1'018'503), 500.0);
    EXPECT_DOUBLE_EQ(filter.Corrected(-3), 497);
    filter.Restart();
    EXPECT_DOUBLE_EQ(filter.Observe(24'000, 5'000'000), 0.0);
}

TEST(DriftEdge, BracketBetweenOldAndNewSecond)
{
    const std::vector<EdgeRead> reads = {
        {1000, 1002, 10}, {1050, 1052, 10}, {1100, 1103, 11}, {1150, 1152, 11}};
    const auto edge = BracketEdge(reads);
    ASSERT_TRUE(edge);
    // Gap 1052..1100, middle 1076; half gap 24 + transfer 3.
    EXPECT_DOUBLE_EQ(edge->OffsetMs, 11000 - 1076);
    EXPECT_DOUBLE_EQ(edge->UncertaintyMs, 27);

    // No change seen, or a second skipped: no edge.
    const std::vector<EdgeRead> missed = {{1000, 1002, 10}, {1050, 1052, 10}};
    EXPECT_FALSE(BracketEdge(missed));
    const std::vector<EdgeRead> skipped = {{1000, 1002, 10}, {3050, 3052, 12}};
    EXPECT_FALSE(BracketEdge(skipped));
}

TEST(DriftEdge, UnwrapAndPredict)
{
    EXPECT_EQ(UnwrapSecond(59, 120), 119);
    EXPECT_EQ(UnwrapSecond(1, 179), 181);
    EXPECT_EQ(UnwrapSecond(15, 135), 135);
    EXPECT_EQ(UnwrapSecond(0, 1'700'000'039), 1'700'000'040);
    // Edges where the PC reads k x 1000 - offset: offset 200 puts them at .800.
    EXPECT_DOUBLE_EQ(NextEdgePcMs(1500, 200), 1800);
    EXPECT_DOUBLE_EQ(NextEdgePcMs(1800, 200), 2800);
    EXPECT_DOUBLE_EQ(NextEdgePcMs(1500, -300), 2300);
}

// Figures as a run shows them; a missing value is left empty.
DriftFigures figures(int samples, double span, std::optional<double> rate = {},
                     std::optional<double> interval = {}, std::optional<double> minC = {},
                     std::optional<double> maxC = {})
{
    DriftFigures f;
    f.Samples = samples;
    f.SpanSeconds = span;
    f.RatePpm = rate;
    f.IntervalPpm = interval;
    f.MinCelsius = minC;
    f.MaxCelsius = maxC;
    return f;
}

TEST(DriftRateText, Forms)
{
    struct Case {
        DriftFigures figures;
        const char* text;
    };
    const Case cases[] = {
        {figures(2, 6.0, 17.0), "Rate: measuring (2 samples)"},
        {figures(1, 0.0), "Rate: measuring (1 sample)"},
        {figures(700, 4200.0, 17.26, 0.23, 23.1, 23.94),
         "Rate: +17.3 ppm \u00b1 0.2 (1 h 10 min, 23.1\u201323.9 \u00b0C)"},
        // a narrow interval keeps two decimals, so it never reads 0.0
        {figures(600, 3600.0, -42.978, 0.043), "Rate: -42.98 ppm \u00b1 0.04 (1 h 0 min)"},
        // a rate that rounds to nothing has no minus sign; one temperature shows once
        {figures(9, 48.0, -0.02, 3.0, 25.0, 25.04), "Rate: +0.0 ppm \u00b1 3.0 (48 s, 25.0 \u00b0C)"},
        {figures(5000, 3 * 86400.0 + 5 * 3600.0 + 59, 5.0, 0.5), "Rate: +5.0 ppm \u00b1 0.5 (3 d 5 h)"},
        {figures(30, 600.0, 1.5, 0.75), "Rate: +1.5 ppm \u00b1 0.8 (10 min)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, RateText(c.figures)) << c.text;
}

TEST(DriftTrimAdvice, PullingFigures)
{
    EXPECT_NEAR(PullPpm(4.5), 107.7, 0.05);
    EXPECT_NEAR(PullPpm(20.25), -27.0, 0.05);
    EXPECT_DOUBLE_EQ(PullPpm(12.5), 0.0);
    EXPECT_DOUBLE_EQ(ListPpm("  0 PPM (default)"), 0.0);
    EXPECT_DOUBLE_EQ(ListPpm("-2.035 PPM"), -2.035);
    EXPECT_DOUBLE_EQ(ListPpm("+20 PPM"), 20.0);
    EXPECT_DOUBLE_EQ(ListPf("12.50 pF"), 12.5);
}

// The window runs in the user's locale: a decimal comma must not cut the
// lists' numbers ("-2.035" read as -2) nor reach the rate's text.
TEST(DriftTrimAdvice, NumbersWhateverTheLocale)
{
    CommaLocale comma;
    if (!comma.ok()) GTEST_SKIP() << comma.why();
    EXPECT_DOUBLE_EQ(ListPpm("-2.035 PPM"), -2.035);
    EXPECT_DOUBLE_EQ(ListPf("12.50 pF"), 12.5);
    EXPECT_EQ("Rate: +1.5 ppm \u00b1 0.8 (10 min)", RateText(figures(30, 600.0, 1.5, 0.75)));
}

TEST(DriftTrimAdvice, EntriesThatCancelTheRate)
{
    using TrimCodec::DtrList;
    const auto atr = TrimCodec::AtrItems();
    struct Case {
        DtrList list;
        int dtrNow;
        double rate;
        double dtrValue;    // the advised entry's correction
        double dtrResidual;
        bool analogBetter;
    };
    const Case cases[] = {
        // +17 ppm fast, no trim: -20 ppm leaves -3; 16.50 pF pulls -16.93, leaving +0.07.
        {DtrList::A, 0, 17.0, -20.0, -3.0, true},
        // From +20 ppm in effect, +17 fast: back to 0 leaves -3.
        {DtrList::A, 1, 17.0, 0.0, -3.0, true},
        // The fine trim: 8 slower steps, -16.276, leave +0.724.
        {DtrList::C, 0, 17.0, -16.276, 0.724, true},
        // -43 ppm slow on the 10 ppm list: +40 leaves -3.
        {DtrList::F, 0, -43.0, 40.0, -3.0, true},
        // -4.069 fast steps cancel exactly on list C.
        {DtrList::C, 0, -8.138, 8.138, 0.0, false},
    };
    for (const Case& c : cases) {
        const auto dtr = TrimCodec::DtrItems(c.list);
        const TrimNow now{dtr, c.dtrNow, atr, TrimCodec::kAtrNominalEntry};
        const TrimAdvice advice = Advise(c.rate, now);
        ASSERT_GE(advice.DtrEntry, 0);
        EXPECT_NEAR(ListPpm(dtr[advice.DtrEntry]), c.dtrValue, 1e-9) << c.rate;
        EXPECT_NEAR(advice.DtrResidual, c.dtrResidual, 1e-9) << c.rate;
        EXPECT_EQ(advice.AnalogBetter, c.analogBetter) << c.rate;
        ASSERT_GE(advice.AtrEntry, 0);
        // The analog residual is what its pulling leaves.
        EXPECT_NEAR(advice.AtrResidual, c.rate + PullPpm(ListPf(atr[advice.AtrEntry])), 1e-9);
    }
    // +17: 16.50 pF is the analog entry.
    const TrimAdvice a = Advise(17.0, {TrimCodec::DtrItems(DtrList::A), 0, atr, TrimCodec::kAtrNominalEntry});
    EXPECT_STREQ(atr[a.AtrEntry], "16.50 pF");
    EXPECT_NEAR(a.AtrResidual, 0.069, 1e-3);
    // No analog list (VK370): the digital list is the only lever.
    const TrimAdvice f = Advise(17.0, {TrimCodec::DtrItems(DtrList::F), 0, {}, 0});
    EXPECT_EQ(f.AtrEntry, -1);
    EXPECT_FALSE(f.AnalogBetter);
}

} // namespace
