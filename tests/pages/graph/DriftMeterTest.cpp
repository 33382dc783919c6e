// The drift meter on the real window and the simulated board's manual clock:
// the chip's crystal error set on the board is the truth the Graph page's
// estimate is held against, an hour of simulated time at a time. Time passes
// as it does for a user: the PC clock and the board move together in the
// polling timer's steps, the timer fires every 110 ms and the PC schedule runs
// each timed read at its moment.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTabWidget>
#include <QChart>
#include <QLabel>
#include <QLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>
#include <functional>
#include <stdexcept>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/ResultSinks.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "bus/AdapterApi.h"
#include "clock/PcClock.h"
#include "clock/PcSchedule.h"
#include "kvrx_usb.h"
#include "pages/graph/DriftMeter.h"
#include "pages/graph/GraphData.h"
#include "pages/graph/GraphPage.h"
#include "pages/graph/GraphView.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

// The library's adapter, except that single-byte reads of the seconds
// register fail while `failSeconds` is set (the polling cycle reads the time
// in one transfer of seven, so only the meter's reads fail).
bool failSeconds = false;
int32_t secondsFailingRead(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub,
                           uint8_t* buf, uint32_t count)
{
    if (failSeconds && count == 1 && sub == 0x00) return KVRX_ERR_ADDR_NACK;
    return LibraryAdapter().Read(board, subLen, slave, sub, buf, count);
}

// A bridge whose single-byte reads take 6 ms (a slow USB round trip): the
// PC clock and the board move on by half of it before the chip answers and
// half after.
PinnedPcClock* slowClock = nullptr;
int32_t slowRead(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                 uint32_t count)
{
    auto half = [] {
        if (slowClock) slowClock->advanceMs(3);
        KVRX_SimAdvance(0.003);
    };
    if (count == 1) half();
    const int32_t code = LibraryAdapter().Read(board, subLen, slave, sub, buf, count);
    if (count == 1) half();
    return code;
}
// The library's adapter with another read.
template <auto Read>
const AdapterApi& adapterReading()
{
    static AdapterApi api = [] {
        AdapterApi a = LibraryAdapter();
        a.Read = Read;
        return a;
    }();
    return api;
}

class DriftMeterTest : public WindowFixture {
  protected:
    void TearDown() override
    {
        failSeconds = false;
        slowClock = nullptr;
        WindowFixture::TearDown();
    }

    // A window with a VK310 whose clock was set from the PC, at 25 degrees
    // (no temperature term) with the given crystal error; the graph restarted.
    TMainApp& start(double ppm, const AdapterApi* adapter = nullptr)
    {
        TMainApp& w = open(WindowOptions()
                               .pcTime(QDateTime(QDate(2024, 3, 1), QTime(12, 0, 0)))
                               .stopTimer()
                               .adapter(adapter));
        const AdapterApi& api = w.bus().api();
        EXPECT_EQ(api.SimSetPart(1, "VK310"), 0);
        w.setupPage()->DeviceSel->setCurrentIndex(FindPartRow("VK310"));
        w.DeviceSelChange();
        w.setupPage()->VccChecked->setChecked(true);
        EXPECT_EQ(api.SimSetTemperature(1, 25.0), 0);
        EXPECT_EQ(api.SimSetPpm(1, ppm), 0);
        QAbstractButton* set = w.findChild<QAbstractButton*>(QStringLiteral("BtnSetRTCfromPC"));
        EXPECT_NE(set, nullptr);
        if (set) set->click();
        page().BtnRstGraph->click();
        return w;
    }

    GraphPage& page()
    {
        auto* built = qobject_cast<GraphPage*>(window().page(QStringLiteral("tsGraph")));
        if (!built) throw std::runtime_error("no Graph page");
        return *built;
    }
    DriftLogic::DriftFigures figures() { return page().meter().figures(); }

    // Lets simulated time pass.
    void runFor(double seconds)
    {
        TMainApp& w = window();
        const AdapterApi& api = w.bus().api();
        qint64 remaining = std::llround(seconds * 1000.0);
        while (remaining > 0) {
            qint64 step = std::min<qint64>(kTickMs - phase_, remaining);
            if (const auto due = w.schedule().nextDueMs())
                step = std::clamp<qint64>(*due - clock.counterMs(), 1, step);
            clock.advanceMs(step);
            ASSERT_EQ(api.SimAdvance(static_cast<double>(step) / 1000.0), 0);
            remaining -= step;
            phase_ += step;
            w.schedule().runDue();
            if (phase_ == kTickMs) {
                phase_ = 0;
                w.Timer1Timer();
                w.pollTimer()->stop();
            }
        }
    }

    static constexpr qint64 kTickMs = 110;
    qint64 phase_ = 0;
};

// Reads that take longer than the settled bound itself still settle (at
// what the transfers allow), and the first samples come within seconds of a
// restart, not after a minute of windows six seconds apart.
TEST_F(DriftMeterTest, ASlowBridgeSettlesAtWhatItsTransfersAllow)
{
    slowClock = &clock;
    start(17.0, &adapterReading<slowRead>());
    runFor(30);
    EXPECT_GE(figures().Samples, 2) << "no settled sample within 30 s of a restart";
    runFor(3600);
    const DriftLogic::DriftFigures f = figures();
    ASSERT_TRUE(f.RatePpm && f.IntervalPpm);
    EXPECT_NEAR(*f.RatePpm, 17.0, 0.2);
    EXPECT_LE(std::fabs(*f.RatePpm - 17.0), *f.IntervalPpm) << "interval " << *f.IntervalPpm;
}

TEST_F(DriftMeterTest, OneHourGivesTheCrystalErrorWithinAFifthOfAPpm)
{
    for (const double ppm : {17.0, -43.0}) {
        SCOPED_TRACE(ppm);
        start(ppm);
        runFor(3600);
        const DriftLogic::DriftFigures f = figures();
        ASSERT_TRUE(f.RatePpm && f.IntervalPpm);
        EXPECT_NEAR(*f.RatePpm, ppm, 0.2);
        EXPECT_LE(std::fabs(*f.RatePpm - ppm), *f.IntervalPpm) << "interval " << *f.IntervalPpm;
        EXPECT_GT(f.SpanSeconds, 3500);
        ASSERT_TRUE(f.MinCelsius && f.MaxCelsius);
        EXPECT_DOUBLE_EQ(*f.MinCelsius, 25.0);
        // The readout says the same.
        EXPECT_EQ(page().DriftRate->text().toStdString(), DriftLogic::RateText(f));
        EXPECT_EQ(page().DriftRate->text().left(8), ppm > 0 ? "Rate: +1" : "Rate: -4");
        EXPECT_EQ(window().statusPanelText(3).indexOf(QLatin1String("Drift")), -1);
    }
}

TEST_F(DriftMeterTest, AStepOfThePcWallClockLeavesTheEstimate)
{
    start(17.0);
    runFor(3600);
    const double steady = figures().RatePpm.value_or(NAN);

    start(17.0);
    runFor(1800);
    // As time synchronisation corrects the PC clock: the wall time jumps,
    // the counter does not.
    for (const qint64 stepMs : {2000, -700}) {
        clock.set(clock.now().addMSecs(stepMs));
        runFor(900);
    }
    const DriftLogic::DriftFigures f = figures();
    ASSERT_TRUE(f.RatePpm);
    EXPECT_NEAR(*f.RatePpm, steady, 0.2);
    EXPECT_NEAR(*f.RatePpm, 17.0, 0.2);
    EXPECT_GT(f.SpanSeconds, 3500) << "the run went on through the steps";
}

TEST_F(DriftMeterTest, ATimeWriteRestartRunAndPartChoiceStartTheRunAfresh)
{
    TMainApp& w = start(17.0);
    const AdapterApi& api = w.bus().api();
    auto runs = [&](const char* what, const std::function<void()>& act) {
        SCOPED_TRACE(what);
        runFor(600);
        ASSERT_GT(figures().Samples, 50);
        act();
        runFor(60);
        // Only samples after the change are in the fit.
        EXPECT_LT(figures().SpanSeconds, 60);
        runFor(600);
        const auto rate = figures().RatePpm;
        ASSERT_TRUE(rate);
        EXPECT_NEAR(*rate, 17.0, 1.0);
        const QList<DriftLogic::DriftPoint>& points = page().meter().offsets();
        ASSERT_FALSE(points.isEmpty());
        EXPECT_LT(points.last().OffsetMs - points.first().OffsetMs, 50);
    };
    // Something else writes the chip's seconds: the edge moves by seconds.
    runs("seconds written", [&] { EXPECT_EQ(api.SimPoke(1, 0xDE, 0x00, 0x25), 0); });
    runs("Restart", [&] { page().BtnRstGraph->click(); });
    runs("restart()", [&] { w.links().drift->restart(); });
    runs("part choice", [&] { w.DeviceSelChange(); });
}

TEST_F(DriftMeterTest, AFailedReadIsSaidInTheStatusBarAndTheRunGoesOn)
{
    start(-43.0, &adapterReading<secondsFailingRead>());
    runFor(600);
    const int before = figures().Samples;
    ASSERT_GT(before, 50);
    failSeconds = true;
    runFor(20);
    EXPECT_TRUE(window().statusPanelText(3).startsWith(
        QLatin1String(" Drift: the seconds could not be read: ")))
        << window().statusPanelText(3).toStdString();
    EXPECT_TRUE(window().recordedBoxes()->empty());
    EXPECT_EQ(figures().Samples, before);
    failSeconds = false;
    runFor(600);
    EXPECT_GT(figures().Samples, before + 50);
    EXPECT_FALSE(window().statusPanelText(3).contains(QLatin1String("Drift")));
    ASSERT_TRUE(figures().RatePpm);
    EXPECT_NEAR(*figures().RatePpm, -43.0, 1.0);
}

TEST_F(DriftMeterTest, TheOffsetSeriesStaysApartFromWhatScriptsReadOfTheChart)
{
    start(17.0);
    runFor(600);
    GraphView& chart = *page().TimeDev;
    const GraphData& data = page().data();
    const QList<DriftLogic::DriftPoint>& points = page().meter().offsets();
    ASSERT_GT(points.size(), 50);

    // The two series as the polling cycle appended them, the offsets apart.
    const QString deviation = QString::number(data.points(GraphData::Deviation).size());
    const QString temperature = QString::number(data.points(GraphData::Temperature).size());
    EXPECT_EQ(chart.property("points").toString(), deviation + u'|' + temperature);
    EXPECT_EQ(chart.property("shown").toString(),
              QStringLiteral("%1|%2").arg(chart.Series1->count()).arg(chart.Series2->count()));
    EXPECT_EQ(chart.property("last").toString().count(u'|'), 1);
    EXPECT_EQ(chart.property("ranges").toString().count(u'|'), 2);
    const QStringList offsets = chart.property("offsets").toString().split(u'|');
    ASSERT_EQ(offsets.size(), 3);
    EXPECT_EQ(offsets[0], QString::number(points.size()));
    EXPECT_EQ(offsets[2], "hidden");
    // Its X is the graph's elapsed hours, its Y the offset in ms.
    const QStringList last = offsets[1].split(u',');
    ASSERT_EQ(last.size(), 2);
    EXPECT_NEAR(last[0].toDouble(), 600 / 3600.0, 10 / 3600.0);
    EXPECT_NEAR(last[1].toDouble(), points.last().OffsetMs, 0.01);

    // A click on its legend entry shows it, with its axis; another hides it.
    const QList<QLegendMarker*> markers = chart.Chart->legend()->markers(chart.OffsetSeries);
    ASSERT_EQ(markers.size(), 1);
    EXPECT_TRUE(markers[0]->isVisible());
    EXPECT_FALSE(chart.OffsetSeries->isVisible());
    EXPECT_FALSE(chart.OffsetAxis->isVisible());
    emit markers[0]->clicked();
    EXPECT_TRUE(chart.OffsetSeries->isVisible());
    EXPECT_TRUE(chart.OffsetAxis->isVisible());
    EXPECT_GT(chart.OffsetSeries->count(), 0);
    EXPECT_LE(chart.OffsetAxis->min(), points.first().OffsetMs);
    EXPECT_GE(chart.OffsetAxis->max(), points.last().OffsetMs);
    EXPECT_TRUE(chart.property("offsets").toString().endsWith(QLatin1String("|shown")));
    emit markers[0]->clicked();
    EXPECT_FALSE(chart.OffsetSeries->isVisible());
    EXPECT_TRUE(markers[0]->isVisible()) << "the entry stays to be clicked again";

    // Restart empties the offsets with the graph.
    page().BtnRstGraph->click();
    EXPECT_EQ(chart.property("offsets").toString(), "0|none|hidden");
    EXPECT_EQ(chart.property("points").toString(), "0|0");
}

TEST_F(DriftMeterTest, TheRateSitsInTheControlsRowAndMovesNothing)
{
    start(17.0);
    GraphPage& p = page();
    window().TabFunctions->setCurrentWidget(&p);
    window().show();
    QApplication::processEvents();
    QWidget* others[] = {p.TimeDev,   p.GroupDevRange, p.GroupTempRange,
                         p.GroupTimeBase, p.GroupStartTime, p.BtnRstGraph};
    auto where = [&] {
        QList<QRect> at;
        for (QWidget* w : others)
            at.append(w->geometry());
        return at;
    };
    const QList<QRect> empty = where();
    p.DriftRate->setText(QStringLiteral("Rate: -123.45 ppm \u00b1 0.04 (23 h 59 min, "
                                        "-10.5\u201385.0 \u00b0C)"));
    p.DevOffScale->setText(QStringLiteral("Deviation off scale: choose 60 Seconds"));
    QApplication::processEvents();
    EXPECT_EQ(where(), empty);
    // The whole text shows: its lines fit the height the label has.
    const QRect r = p.DriftRate->geometry();
    EXPECT_GE(r.height(), p.DriftRate->heightForWidth(r.width()));
    EXPECT_LE(r.bottom(), p.height());
    EXPECT_GT(r.left(), p.BtnRstGraph->geometry().right());
}

} // namespace
