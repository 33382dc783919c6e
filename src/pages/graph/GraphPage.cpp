#include "pages/graph/GraphPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <ctime>

#include "bus/RtcBus.h"
#include "clock/PcClock.h"
#include "clock/TimeCodec.h"
#include "pages/PageContext.h"
#include "pages/graph/GraphCodec.h"
#include "pages/graph/DriftMeter.h"
#include "pages/graph/GraphData.h"
#include "pages/graph/GraphView.h"
#include "widgets/Controls.h"

using GraphCodec::AxisRange;

namespace {

QGroupBox* group(QWidget* parent, const char* name, const QString& title, QWidget* content)
{
    auto* box = named(new QGroupBox(title, parent), name);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->addWidget(content);
    return box;
}

QComboBox* rangeList(QWidget* parent, const char* name, const QString& hint,
                     std::span<const AxisRange> ranges, int initial)
{
    auto* list = named(new QComboBox(parent), name);
    setHint(list, hint);
    for (const AxisRange& range : ranges)
        list->addItem(QLatin1String(range.Entry));
    list->setCurrentIndex(initial);
    return list;
}

} // namespace

GraphPage::GraphPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), data_(*new GraphData(this)),
      meter_(*new DriftMeter(context, data_, this))
{
    setObjectName(QStringLiteral("tsGraph"));

    TimeDev = new GraphView(data_, this);
    // The samples for the polling cycle and the dump file, the chart for the
    // printed report.
    context_.links().graph = &data_;
    context_.links().graphChart = TimeDev->Chart;
    context_.links().drift = &meter_;

    DevRange = rangeList(this, "DevRange", QStringLiteral("Graph Time Deviation Scale"),
                         GraphCodec::DeviationRanges(), GraphCodec::kInitialDeviation);
    TempRange = rangeList(this, "TempRange", QStringLiteral("Graph Temperature Scale "),
                          GraphCodec::TemperatureRanges(), GraphCodec::kInitialTemperature);
    TimeBase = rangeList(this, "TimeBase", QStringLiteral("Graph Time Line"),
                         GraphCodec::TimeBases(), GraphCodec::kInitialTimeBase);
    GroupDevRange = group(this, "GroupDevRange", QStringLiteral(" Deviation Range "), DevRange);
    GroupTempRange = group(this, "GroupTempRange", QStringLiteral(" Temp Range "), TempRange);
    GroupTimeBase = group(this, "GroupTimeBase", QStringLiteral(" Time Base "), TimeBase);

    GraphStart = named(new QLabel(this), "GraphStart");
    GraphStart->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    GraphStart->setAlignment(Qt::AlignCenter);
    setHint(GraphStart, QStringLiteral("Graph Start Time"));
    // Room for the longer of the two forms, so a restart never resizes it.
    GraphStart->setMinimumWidth(
        GraphStart->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 PM")) + 16);
    GraphStart->setMinimumHeight(DevRange->sizeHint().height());
    GroupStartTime = group(this, "GroupStartTime", QStringLiteral(" Start Time "), GraphStart);

    BtnRstGraph = named(new QPushButton(QStringLiteral("Restart"), this), "BtnRstGraph");
    setHint(BtnRstGraph, QStringLiteral("Restart graph recording"));

    DevOffScale = named(new QLabel(this), "DevOffScale");
    DevOffScale->setStyleSheet(QStringLiteral("color: #C00000"));
    DevOffScale->setWordWrap(true);
    // It takes the room the row has and never widens the page.
    DevOffScale->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(TimeDev, &GraphView::offScaleChanged, DevOffScale, &QLabel::setText);

    DriftRate = named(new QLabel(this), "DriftRate");
    setHint(DriftRate, QStringLiteral("The chip's rate against the PC clock since Restart, "
                                      "with its 95 % interval"));
    DriftRate->setWordWrap(true);
    DriftRate->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto showRate = [this] {
        DriftRate->setText(QString::fromStdString(DriftLogic::RateText(meter_.figures())));
    };
    connect(&meter_, &DriftMeter::changed, this, showRate);
    showRate();
    connect(&meter_, &DriftMeter::sampled, TimeDev, &GraphView::appendOffset);
    connect(&meter_, &DriftMeter::reset, this, [this] {
        QList<QPointF> points;
        points.reserve(meter_.offsets().size());
        for (const DriftLogic::DriftPoint& p : meter_.offsets())
            points.append(QPointF(meter_.hoursOf(p), p.OffsetMs));
        TimeDev->assignOffsets(std::move(points));
    });

    auto* controls = new QHBoxLayout;
    controls->setSpacing(6);
    controls->addWidget(GroupDevRange);
    controls->addWidget(GroupTempRange);
    controls->addWidget(GroupTimeBase);
    controls->addWidget(GroupStartTime);
    controls->addWidget(BtnRstGraph, 0, Qt::AlignBottom);
    // The rate over the off-scale note, in the room right of Restart.
    auto* notes = new QVBoxLayout;
    notes->setSpacing(0);
    notes->addWidget(DriftRate);
    notes->addWidget(DevOffScale);
    controls->addLayout(notes, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(TimeDev, 1);
    layout->addLayout(controls);

    connect(DevRange, &QComboBox::activated, this, &GraphPage::DevRangeChange);
    connect(TempRange, &QComboBox::activated, this, &GraphPage::TempRangeChange);
    connect(TimeBase, &QComboBox::activated, this, &GraphPage::TimeBaseChange);
    connect(BtnRstGraph, &QPushButton::clicked, this, &GraphPage::BtnRstGraphClick);
}

void GraphPage::StartUp()
{
    BtnRstGraphClick();
    DevRangeChange();
    TempRangeChange();
    TimeBaseChange();
}

void GraphPage::DevRangeChange()
{
    if (const AxisRange* range =
            GraphCodec::RangeAt(GraphCodec::DeviationRanges(), DevRange->currentIndex()))
        TimeDev->applyDeviation(*range);
}

void GraphPage::TempRangeChange()
{
    if (const AxisRange* range =
            GraphCodec::RangeAt(GraphCodec::TemperatureRanges(), TempRange->currentIndex()))
        TimeDev->applyTemperature(*range);
}

void GraphPage::TimeBaseChange()
{
    if (const AxisRange* range =
            GraphCodec::RangeAt(GraphCodec::TimeBases(), TimeBase->currentIndex()))
        TimeDev->applyTime(*range);
}

void GraphPage::BtnRstGraphClick()
{
    const QTime now = context_.pcClock().now().time();
    data_.clear();
    std::tm t{};
    t.tm_hour = now.hour();
    t.tm_min = now.minute();
    t.tm_sec = now.second();
    // The start time in the PC time's own format (the Setup page's hidden
    // choice, which follows the Set Clock page's).
    const auto* is24 =
        qobject_cast<QAbstractButton*>(context_.control(QStringLiteral("Time24hr24")));
    GraphStart->setText(
        QString::fromStdString(ClockTimeText(t, is24 != nullptr && is24->isChecked())));
    context_.bus().data.ElapsedSeconds = 0;
    meter_.restart();
}

void GraphPage::partChosen()
{
    meter_.restart();
}

void GraphPage::polled()
{
    meter_.polled();
}
