// The Graph page on the real window: what each range list does to its axis,
// the chart's designed look, the decimated picture of a long recording next
// to the full data, and Restart.
#include <gtest/gtest.h>

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/TMainApp.h"
#include "app/polling/DisplayPanel.h"
#include "app/setup/SetupPage.h"
#include "pages/graph/GraphCodec.h"
#include "pages/graph/GraphData.h"
#include "pages/graph/GraphPage.h"
#include "pages/graph/GraphView.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

class GraphPageTest : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        open(WindowOptions().stopTimer().pcTime(QDateTime(QDate(2024, 5, 6), QTime(13, 5, 9))));
    }

    GraphPage& page()
    {
        auto* built = qobject_cast<GraphPage*>(window().page(QStringLiteral("tsGraph")));
        EXPECT_NE(built, nullptr);
        return *built;
    }
    GraphView& chart() { return *page().TimeDev; }
    GraphData& data() { return page().data(); }

    // As a user picks an entry: the change handler runs.
    static void pick(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    static void pick(QComboBox* list, const char* entry)
    {
        const int index = list->findText(QLatin1String(entry), Qt::MatchExactly);
        ASSERT_GE(index, 0) << entry;
        pick(list, index);
    }

    // One sample every six seconds, as the polling cycle takes them.
    static double hoursOf(int sample) { return sample * 6 / 3600.0; }
};

struct Applied {
    QString Title;
    double Minimum;
    double Maximum;
    double Increment;
    int MinorTicks;
};

void expectAxis(const QValueAxis* axis, const Applied& want)
{
    EXPECT_EQ(axis->titleText(), want.Title);
    EXPECT_DOUBLE_EQ(axis->min(), want.Minimum);
    EXPECT_DOUBLE_EQ(axis->max(), want.Maximum);
    EXPECT_DOUBLE_EQ(axis->tickInterval(), want.Increment);
    EXPECT_EQ(axis->minorTickCount(), want.MinorTicks);
    EXPECT_EQ(axis->tickType(), QValueAxis::TicksDynamic);
    EXPECT_DOUBLE_EQ(axis->tickAnchor(), 0.0); // labels on multiples of the increment
}

TEST_F(GraphPageTest, StartUpMatchesTheAxesToTheLists)
{
    EXPECT_EQ(page().DevRange->currentText(), "4 Seconds");
    EXPECT_EQ(page().TempRange->currentText(), "20 degrees C");
    EXPECT_EQ(page().TimeBase->currentText(), "1 Hour");
    expectAxis(chart().BottomAxis, {"Elapsed Time in Hours", 0, 1, 0.1, 2});
    expectAxis(chart().LeftAxis, {"Seconds", -4.001, 4, 1, 1});
    expectAxis(chart().RightAxis, {"Degrees C", 15, 35, 5, 4});
    EXPECT_FALSE(page().GraphStart->text().isEmpty());
    EXPECT_EQ(window().bus().data.ElapsedSeconds, 0u);
    EXPECT_TRUE(window().controlFailures().isEmpty())
        << window().controlFailures().join(u'\n').toStdString();
}

TEST_F(GraphPageTest, WorkedRanges)
{
    pick(page().TempRange, "150 degrees C");
    expectAxis(chart().RightAxis, {"Degrees C", -50.001, 100, 25, 4});
    pick(page().TempRange, "10 degrees C");
    expectAxis(chart().RightAxis, {"Degrees C", 20, 30, 5, 9});
    pick(page().DevRange, "60 Seconds");
    expectAxis(chart().LeftAxis, {"Seconds", -60.001, 60, 15, 1});
    pick(page().TimeBase, "30 Days");
    expectAxis(chart().BottomAxis, {"Elapsed Time in Hours", 0, 720, 48, 1});
    pick(page().TimeBase, "4 Hours");
    expectAxis(chart().BottomAxis, {"Elapsed Time in Hours", 0, 4, 0.5, 2});
    // The other axes keep what they had.
    expectAxis(chart().LeftAxis, {"Seconds", -60.001, 60, 15, 1});
    expectAxis(chart().RightAxis, {"Degrees C", 20, 30, 5, 9});
}

TEST_F(GraphPageTest, EveryEntryShowsTheSpanItsTextNames)
{
    // Read from the entry's own words: "N Seconds" either side of zero,
    // "N degrees C" centred on 25, "N Hour(s)" or "N Day(s)" from the restart;
    // a negative minimum lies a thousandth lower, so its label is drawn.
    const QRegularExpression words(QStringLiteral("^(\\d+) (Seconds|degrees C|Hours?|Days?)$"));
    struct List {
        QComboBox* Box;
        QValueAxis* Axis;
        int Entries;
    };
    const List lists[] = {{page().DevRange, chart().LeftAxis, 7},
                          {page().TempRange, chart().RightAxis, 5},
                          {page().TimeBase, chart().BottomAxis, 8}};
    for (const List& list : lists) {
        ASSERT_EQ(list.Box->count(), list.Entries);
        for (int i = 0; i < list.Box->count(); ++i) {
            const QString text = list.Box->itemText(i);
            SCOPED_TRACE(text.toStdString());
            const auto match = words.match(text);
            ASSERT_TRUE(match.hasMatch());
            const double n = match.captured(1).toDouble();
            const QString unit = match.captured(2);
            double low = 0, high = n;
            if (unit == QLatin1String("Seconds")) {
                low = -n;
            } else if (unit == QLatin1String("degrees C")) {
                low = 25 - n / 2;
                high = 25 + n / 2;
            } else if (unit.startsWith(QLatin1String("Day"))) {
                high = 24 * n;
            }
            if (low < 0) low -= 0.001;
            pick(list.Box, i);
            EXPECT_DOUBLE_EQ(list.Axis->min(), low);
            EXPECT_DOUBLE_EQ(list.Axis->max(), high);
            // Labels fall on both ends of the span.
            const double labels = (high - std::ceil(low)) / list.Axis->tickInterval();
            EXPECT_NEAR(labels, std::round(labels), 1e-9);
            EXPECT_GT(list.Axis->minorTickCount(), 0);
        }
    }
}

TEST_F(GraphPageTest, ListsApplyOnlyOnAUsersChoice)
{
    // Setting an index from the program runs no handler; start-up runs them.
    page().TimeBase->setCurrentIndex(7);
    EXPECT_DOUBLE_EQ(chart().BottomAxis->max(), 1);
    page().TimeBaseChange();
    EXPECT_DOUBLE_EQ(chart().BottomAxis->max(), 720);
}

TEST_F(GraphPageTest, ChartAsDesigned)
{
    GraphView& view = chart();
    EXPECT_EQ(view.objectName(), "TimeDev");
    EXPECT_EQ(view.toolTip(), "Graph the Time Deviation and Temperature of the RTC");
    EXPECT_EQ(view.Chart->title(), "RTC Deviation");
    EXPECT_EQ(view.Chart->legend()->alignment(), Qt::AlignBottom);
    EXPECT_TRUE(view.Chart->legend()->isVisible());

    // Series in the order the polling cycle and the dump file number them;
    // the drift meter's offsets after them, hidden at first.
    const QList<QAbstractSeries*> series = view.Chart->series();
    ASSERT_EQ(series.size(), 3);
    EXPECT_EQ(series[GraphData::Deviation], view.Series1);
    EXPECT_EQ(series[GraphData::Temperature], view.Series2);
    EXPECT_EQ(series[2], view.OffsetSeries);
    EXPECT_FALSE(view.OffsetSeries->isVisible());
    EXPECT_EQ(view.Series1->objectName(), "Series1");
    EXPECT_EQ(view.Series1->name(), "Deviation");
    EXPECT_EQ(view.Series1->pen().color(), QColor(Qt::blue));
    EXPECT_EQ(view.Series2->objectName(), "Series2");
    EXPECT_EQ(view.Series2->name(), "Temperature");
    EXPECT_EQ(view.Series2->pen().color(), QColor(Qt::red));
    for (QLineSeries* line : {view.Series1, view.Series2}) {
        EXPECT_FALSE(line->pointsVisible());
        EXPECT_FALSE(line->pointLabelsVisible());
    }
    EXPECT_EQ(view.Series1->attachedAxes(),
              (QList<QAbstractAxis*>{view.BottomAxis, view.LeftAxis}));
    EXPECT_EQ(view.Series2->attachedAxes(),
              (QList<QAbstractAxis*>{view.BottomAxis, view.RightAxis}));

    EXPECT_EQ(view.BottomAxis->alignment(), Qt::AlignBottom);
    EXPECT_EQ(view.LeftAxis->alignment(), Qt::AlignLeft);
    EXPECT_EQ(view.RightAxis->alignment(), Qt::AlignRight);
    EXPECT_EQ(view.TopAxis->alignment(), Qt::AlignTop);
    EXPECT_FALSE(view.TopAxis->labelsVisible());
    EXPECT_TRUE(view.TopAxis->titleText().isEmpty());

    // Seconds in blue, degrees in red, on both title and labels.
    EXPECT_EQ(view.LeftAxis->titleBrush().color(), QColor(Qt::blue));
    EXPECT_EQ(view.LeftAxis->labelsColor(), QColor(Qt::blue));
    EXPECT_EQ(view.RightAxis->titleBrush().color(), QColor(Qt::red));
    EXPECT_EQ(view.RightAxis->labelsColor(), QColor(Qt::red));
    for (QValueAxis* axis : {view.LeftAxis, view.RightAxis})
        EXPECT_EQ(axis->labelFormat(), GraphCodec::kAxisLabelFormat);

    // White dotted grid from the bottom and left axes; none from the right.
    for (QValueAxis* axis : {view.BottomAxis, view.LeftAxis}) {
        EXPECT_TRUE(axis->isGridLineVisible());
        EXPECT_EQ(axis->gridLinePen().color(), QColor(Qt::white));
        EXPECT_EQ(axis->gridLinePen().style(), Qt::DotLine);
    }
    EXPECT_FALSE(view.RightAxis->isGridLineVisible());
    // The left axis's minor ticks, two wide.
    EXPECT_EQ(view.LeftAxis->linePen().width(), 2);
}

TEST_F(GraphPageTest, AMonthOfSamplesStaysInTheDataWhileTheChartDrawsItsWindow)
{
    // Thirty days at one sample every six seconds; a spike early in the first
    // hour and one late in the month.
    constexpr int kSamples = 432000;
    QList<QPointF> deviation;
    deviation.reserve(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        double y = std::floor(i / 20000.0); // a second more now and then
        if (i == 100) y = 3.5;
        if (i == 400000) y = -3.5;
        deviation.append(QPointF(hoursOf(i), y));
    }
    data().assign(GraphData::Deviation, deviation);
    const int columns = chart().view(GraphData::Deviation).columns();
    ASSERT_GT(columns, 0);

    auto shownYs = [this] {
        QList<double> ys;
        for (const QPointF& p : chart().Series1->points())
            ys.append(p.y());
        return ys;
    };
    auto countBeyond = [this](double hours) {
        const QList<QPointF> points = chart().Series1->points();
        return std::count_if(points.begin(), points.end(),
                             [hours](const QPointF& p) { return p.x() > hours; });
    };

    // "1 Hour": the first hour's picture, its spike kept, and one point past it.
    EXPECT_LE(chart().Series1->count(), 2 * columns + 2);
    EXPECT_TRUE(shownYs().contains(3.5));
    EXPECT_FALSE(shownYs().contains(-3.5));
    EXPECT_EQ(countBeyond(1), 1);
    EXPECT_EQ(data().points(GraphData::Deviation).size(), kSamples);

    // "30 Days" shows the whole month, the late spike too, and still only a
    // few points per pixel column.
    pick(page().TimeBase, "30 Days");
    EXPECT_LE(chart().Series1->count(), 2 * columns + 2);
    EXPECT_TRUE(shownYs().contains(3.5));
    EXPECT_TRUE(shownYs().contains(-3.5));
    // The line reaches the last pixel column.
    EXPECT_GE(chart().Series1->points().last().x(), 720.0 * (columns - 1) / columns);
    EXPECT_EQ(countBeyond(720), 0);

    // Back to "1 Hour": the points past it were never dropped.
    pick(page().TimeBase, "1 Hour");
    EXPECT_FALSE(shownYs().contains(-3.5));
    EXPECT_EQ(data().points(GraphData::Deviation).size(), kSamples);
    EXPECT_DOUBLE_EQ(data().points(GraphData::Deviation).last().y(),
                     std::floor((kSamples - 1) / 20000.0));
}

TEST_F(GraphPageTest, SamplesAddedOneByOneDrawAsTheWholeRecordingWould)
{
    // Samples arrive one at a time, run past the window's end and wander up
    // and down; the chart then holds what drawing them all at once gives.
    for (int i = 0; i < 1200; ++i) {
        const double x = hoursOf(i);
        data().append(GraphData::Deviation, QPointF(x, std::round(3 * std::sin(i * 0.05))));
        if (i % 7 != 3) // now and then no temperature, as after a failed read
            data().append(GraphData::Temperature, QPointF(x, 25 + std::sin(i * 0.3)));
    }
    const QList<QPointF> deviation = chart().Series1->points();
    const QList<QPointF> temperature = chart().Series2->points();
    ASSERT_FALSE(deviation.isEmpty());
    ASSERT_FALSE(temperature.isEmpty());
    page().TimeBaseChange(); // draws both again from the data
    EXPECT_EQ(chart().Series1->points(), deviation);
    EXPECT_EQ(chart().Series2->points(), temperature);
    EXPECT_EQ(chart().property("points").toString(), "1200|1029");
}

TEST_F(GraphPageTest, RestartEmptiesTheGraphEvenWithPollingOff)
{
    for (int i = 1; i <= 50; ++i) {
        data().append(GraphData::Deviation, QPointF(hoursOf(i), 1));
        data().append(GraphData::Temperature, QPointF(hoursOf(i), 25));
    }
    window().bus().data.ElapsedSeconds = 300;
    window().displayPanel()->PollingEnable->setChecked(false);
    ASSERT_GT(chart().Series1->count(), 0);

    page().BtnRstGraph->click();
    EXPECT_TRUE(data().points(GraphData::Deviation).isEmpty());
    EXPECT_TRUE(data().points(GraphData::Temperature).isEmpty());
    EXPECT_EQ(chart().Series1->count(), 0);
    EXPECT_EQ(chart().Series2->count(), 0);
    EXPECT_EQ(window().bus().data.ElapsedSeconds, 0u);
    EXPECT_EQ(chart().property("last").toString(), "none|none");

    // A new recording draws from its first point on.
    data().append(GraphData::Deviation, QPointF(hoursOf(1), 2));
    EXPECT_EQ(chart().Series1->count(), 1);
}

struct StartCase {
    QTime At;
    bool TwentyFour;
    const char* Shown;
};

TEST_F(GraphPageTest, StartTimeInThePcTimesFormat)
{
    const StartCase cases[] = {
        {QTime(13, 5, 9), false, "01:05:09 PM"},  {QTime(13, 5, 9), true, "13:05:09"},
        {QTime(0, 0, 7), false, "12:00:07 AM"},   {QTime(0, 0, 7), true, "00:00:07"},
        {QTime(12, 30, 0), false, "12:30:00 PM"}, {QTime(9, 59, 59), false, "09:59:59 AM"},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.Shown);
        clock.set(QDateTime(QDate(2024, 5, 6), c.At));
        (c.TwentyFour ? window().setupPage()->Time24hr24 : window().setupPage()->Time24hr12)
            ->setChecked(true);
        page().BtnRstGraph->click();
        EXPECT_EQ(page().GraphStart->text(), c.Shown);
    }
    EXPECT_EQ(page().GraphStart->toolTip(), "Graph Start Time");
    EXPECT_EQ(page().BtnRstGraph->text(), "Restart");
}

} // namespace

// Deviation beyond the chosen range: a mark on the plot's edge for each point
// drawn there, and the page names the entry of DevRange that would hold them.
// What scripts read of the chart stays the two series.
TEST_F(GraphPageTest, DeviationOffScaleMarksTheEdgeAndNamesTheRangeThatHoldsIt)
{
    GraphView& view = chart();
    QLabel* said = page().DevOffScale;
    ASSERT_NE(said, nullptr);
    EXPECT_EQ(said->objectName(), "DevOffScale");
    pick(page().DevRange, "4 Seconds");
    data().append(GraphData::Deviation, QPointF(hoursOf(1), 1));
    data().append(GraphData::Deviation, QPointF(hoursOf(2), -3.5));
    EXPECT_TRUE(view.edgeMarks().isEmpty());
    EXPECT_TRUE(said->text().isEmpty());

    // 50 seconds ahead and 7 behind: the 60-second range holds both.
    data().append(GraphData::Deviation, QPointF(hoursOf(3), 50));
    data().append(GraphData::Deviation, QPointF(hoursOf(4), -7));
    ASSERT_EQ(view.edgeMarks().size(), 2);
    EXPECT_DOUBLE_EQ(view.edgeMarks()[0].x(), hoursOf(3));
    EXPECT_DOUBLE_EQ(view.edgeMarks()[0].y(), view.LeftAxis->max());
    EXPECT_DOUBLE_EQ(view.edgeMarks()[1].x(), hoursOf(4));
    EXPECT_DOUBLE_EQ(view.edgeMarks()[1].y(), view.LeftAxis->min());
    EXPECT_EQ(said->text(), "Deviation off scale: choose 60 Seconds");
    EXPECT_EQ(view.Chart->series().size(), 3); // the two, and the hidden offsets
    EXPECT_EQ(view.pointsText(), "4|0");
    EXPECT_EQ(view.lastText(), QStringLiteral("%1,-7|none").arg(hoursOf(4), 0, 'g', 6));

    // Choosing a range that holds only some leaves the others marked.
    pick(page().DevRange, "8 Seconds");
    ASSERT_EQ(view.edgeMarks().size(), 1);
    EXPECT_DOUBLE_EQ(view.edgeMarks()[0].y(), 8);
    EXPECT_EQ(said->text(), "Deviation off scale: choose 60 Seconds");
    pick(page().DevRange, "60 Seconds");
    EXPECT_TRUE(view.edgeMarks().isEmpty());
    EXPECT_TRUE(said->text().isEmpty());

    // Beyond the widest range.
    data().append(GraphData::Deviation, QPointF(hoursOf(5), -300));
    EXPECT_EQ(said->text(), "Deviation off scale: beyond 240 Seconds");
    // A restart takes the marks and the text away.
    page().BtnRstGraph->click();
    EXPECT_TRUE(view.edgeMarks().isEmpty());
    EXPECT_TRUE(said->text().isEmpty());
}

// A point outside the time window is not marked: only what the chart draws.
TEST_F(GraphPageTest, OnlyPointsInTheTimeWindowAreMarked)
{
    pick(page().DevRange, "4 Seconds");
    pick(page().TimeBase, "1 Hour");
    data().append(GraphData::Deviation, QPointF(0.5, 10));
    data().append(GraphData::Deviation, QPointF(2.0, 10)); // beyond the hour
    ASSERT_EQ(chart().edgeMarks().size(), 1);
    EXPECT_DOUBLE_EQ(chart().edgeMarks()[0].x(), 0.5);
    pick(page().TimeBase, "4 Hours");
    EXPECT_EQ(chart().edgeMarks().size(), 2);
    EXPECT_EQ(page().DevOffScale->text(), "Deviation off scale: choose 20 Seconds");
}
