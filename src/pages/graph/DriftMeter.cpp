#include "pages/graph/DriftMeter.h"

#include <QAbstractButton>
#include <QDateTime>
#include <cmath>
#include <cstring>

#include "bus/RtcBus.h"
#include "clock/PcClock.h"
#include "clock/PcSchedule.h"
#include "clock/TimeCodec.h"
#include "pages/PageContext.h"
#include "pages/graph/GraphData.h"

using namespace DriftLogic;

namespace {

// The part's seconds register: the "SC" row of its map (0x00, or 0x30 on the
// parts with two-byte sub-addresses). Empty for a part without a map.
std::optional<uint32_t> secondsRegister(const PartInfo& part)
{
    if (part.RegisterMap == nullptr) return std::nullopt;
    for (const RegMapEntry* row = part.RegisterMap; row->Kind != RegKind::EndOfMap; ++row) {
        if (row->Kind == RegKind::RegisterRow && row->ShortName != nullptr &&
            std::strcmp(row->ShortName, "SC") == 0)
            return row->Address;
    }
    return std::nullopt;
}

// Local wall time in ms as one count (days and time of day): the chip keeps
// local time, and only differences count.
double wallMs(const QDateTime& at)
{
    return static_cast<double>(at.date().toJulianDay()) * 86400000.0 +
           at.time().msecsSinceStartOfDay();
}

} // namespace

DriftMeter::DriftMeter(PageContext& context, GraphData& data, QObject* parent)
    : QObject(parent), context_(context), data_(data)
{
    setObjectName(QStringLiteral("DriftMeter"));
    connect(&data_, &GraphData::appended, this,
            [this](int series, QPointF point) { graphAppended(series, point); });
}

DriftFigures DriftMeter::figures() const
{
    return FiguresOf(fit_, minC_, maxC_);
}

double DriftMeter::hoursOf(const DriftPoint& point) const
{
    return runStartHours_ + point.Seconds / 3600.0;
}

void DriftMeter::restart()
{
    loaded_ = false;
    restartRun();
}

void DriftMeter::restartRun()
{
    context_.schedule().cancel(this);
    measuring_ = false;
    search_.Reset();
    before_ = search_;
    filter_.Restart();
    fit_.Restart();
    points_.clear();
    minC_.reset();
    maxC_.reset();
    offsetMs_.reset();
    deviationS_.reset();
    PcClock& clock = context_.pcClock();
    runClock_ = &clock;
    runStartMs_ = clock.counterMs();
    runStartHours_ = context_.bus().data.ElapsedSeconds / 3600.0;
    runBoard_ = context_.bus().BoardNo;
    runPart_ = context_.bus().partRow();
    emit reset();
    emit changed();
}

void DriftMeter::assign(QList<DriftPoint> offsets, std::optional<double> minCelsius,
                        std::optional<double> maxCelsius)
{
    restartRun();
    loaded_ = true;
    runStartHours_ = 0.0;
    for (const DriftPoint& p : offsets)
        fit_.Add(p.Seconds, p.OffsetMs);
    points_ = std::move(offsets);
    minC_ = minCelsius;
    maxC_ = maxCelsius;
    emit reset();
    emit changed();
}

bool DriftMeter::canRun()
{
    if (!looked_) {
        looked_ = true;
        polling_ = qobject_cast<QAbstractButton*>(context_.control(QStringLiteral("PollingEnable")));
        supply_ = qobject_cast<QAbstractButton*>(context_.control(QStringLiteral("VccChecked")));
    }
    const RtcBus& bus = context_.bus();
    if (bus.BoardNo == 0 || bus.part().TypeCode == TypeNone) return false;
    if (!secondsRegister(bus.part())) return false;
    if (polling_ && !polling_->isChecked()) return false;
    if (supply_ && !supply_->isChecked()) return false;
    return true;
}

void DriftMeter::stop()
{
    if (!measuring_) return;
    context_.schedule().cancel(this);
    measuring_ = false;
    // A window cut short leaves no half of itself behind.
    if (search_.WindowOpen()) search_ = before_;
}

void DriftMeter::polled()
{
    if (!canRun()) {
        stop();
        return;
    }
    const RtcBus& bus = context_.bus();
    if (loaded_ || runClock_ != &context_.pcClock() || runBoard_ != bus.BoardNo ||
        runPart_ != bus.partRow())
        restart();
    if (measuring_) return;
    // The whole seconds come from the last edge, or at a run's start from the
    // deviation the polling has shown since.
    if (!offsetMs_ && !deviationS_) return;
    measuring_ = true;
    scheduleWindow(pcMs());
}

double DriftMeter::pcMs(qint64* counterMs)
{
    PcClock& clock = context_.pcClock();
    const qint64 counter = clock.counterMs();
    const double wall = wallMs(clock.now());
    filter_.Observe(static_cast<double>(counter), wall);
    if (counterMs) *counterMs = counter;
    return wall - filter_.Stepped();
}

void DriftMeter::scheduleWindow(double fromMs)
{
    before_ = search_;
    const double at = search_.NextReadPcMs(fromMs);
    qint64 counter = 0;
    const double now = pcMs(&counter);
    const qint64 wait = std::max<qint64>(0, static_cast<qint64>(std::ceil(at - now)));
    context_.schedule().runAt(this, counter + wait, [this] { readStep(); });
}

void DriftMeter::scheduleRead()
{
    qint64 counter = 0;
    const double now = pcMs(&counter);
    const double at = search_.NextReadPcMs(now);
    const qint64 wait = std::max<qint64>(0, static_cast<qint64>(std::ceil(at - now)));
    context_.schedule().runAt(this, counter + wait, [this] { readStep(); });
}

void DriftMeter::readStep()
{
    if (!canRun()) {
        stop();
        return;
    }
    RtcBus& bus = context_.bus();
    const PartInfo& part = bus.part();
    const uint32_t address = *secondsRegister(part);
    const double stepped = filter_.Stepped();
    qint64 counter = 0;
    const double before = pcMs(&counter);
    uint8_t raw = 0;
    const int32_t code =
        bus.api().Read(bus.BoardNo, bus.subAddressLength(), part.RtcAddress, address, &raw, 1);
    const double after = pcMs(&counter);
    ++reads_;
    if (!Succeeded(code)) {
        const char* text = bus.api().ResultStr ? bus.api().ResultStr(code) : nullptr;
        failed(QStringLiteral(" Drift: the seconds could not be read: %1")
                   .arg(QString::fromUtf8(text ? text : "")));
        return;
    }
    const int second = BcdToBin(raw & 0x7F);
    if (second > 59) {
        failed(QStringLiteral(" Drift: the seconds register read %1, not a second")
                   .arg(QString::number(raw, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
        return;
    }
    // The chip's whole second near now, in the PC's count of seconds.
    int64_t approx = 0;
    if (offsetMs_)
        approx = static_cast<int64_t>(std::floor((before + *offsetMs_) / 1000.0));
    else
        approx = static_cast<int64_t>(std::floor((before + stepped) / 1000.0)) +
                 std::llround(deviationS_.value_or(0.0));
    EdgeRead read;
    read.PcBeforeMs = before;
    read.PcAfterMs = after;
    read.ChipSecond = UnwrapSecond(second, approx);
    transferMs_ = after - before;
    if (const std::optional<EdgeOffset> sample = search_.Feed(read)) {
        const bool settled = taken(*sample, counter);
        // A search still settling tries again at the chip's next edge, so a
        // run has its first samples seconds after a restart; a settled one
        // keeps the steady pace.
        if (measuring_) scheduleWindow(after + (settled ? kPaceMs - 500 : 500));
        return;
    }
    if (search_.WindowOpen())
        scheduleRead();
    else
        scheduleWindow(after + kPaceMs - 500); // missed the edge: again at the next pace
}

void DriftMeter::failed(const QString& why)
{
    said_ = why;
    context_.setStatusPanelText(3, why);
    search_ = before_;
    scheduleWindow(pcMs() + kPaceMs - 500);
}

double DriftMeter::settledMs() const
{
    // Half the gap between two reads is at least half a transfer, and the
    // uncertainty adds a whole one: a bridge slower than the bound settles
    // where its transfers allow.
    return kSettledMs + 1.5 * std::max(0.0, transferMs_);
}

bool DriftMeter::taken(const EdgeOffset& sample, qint64 counterMs)
{
    offsetMs_ = sample.OffsetMs;
    if (!said_.isEmpty()) {
        // The read works again: the failure no longer stands, unless
        // something else has spoken since.
        if (context_.statusPanelText(3) == said_)
            context_.setStatusPanelText(3, QStringLiteral(" "));
        said_.clear();
    }
    // A search still settling only places the next window.
    if (sample.UncertaintyMs > settledMs()) return false;
    const double x = static_cast<double>(counterMs - runStartMs_) / 1000.0;
    std::optional<double> expected = fit_.OffsetAt(x);
    if (!expected && !points_.isEmpty()) expected = points_.last().OffsetMs;
    if (expected && std::fabs(sample.OffsetMs - *expected) > kJumpMs) {
        // The chip's time was written: what came before no longer tells the rate.
        restart();
        return true;
    }
    fit_.Add(x, sample.OffsetMs);
    points_.append(DriftPoint{x, sample.OffsetMs, sample.UncertaintyMs});
    emit sampled(QPointF(hoursOf(points_.last()), sample.OffsetMs));
    emit changed();
    return true;
}

void DriftMeter::graphAppended(int series, const QPointF& point)
{
    if (series == GraphSamples::Deviation) {
        deviationS_ = point.y();
        return;
    }
    if (series != GraphSamples::Temperature) return;
    const double c = point.y();
    const bool wider = !minC_ || c < *minC_ || c > *maxC_;
    if (!wider) return;
    minC_ = minC_ ? std::min(*minC_, c) : c;
    maxC_ = maxC_ ? std::max(*maxC_, c) : c;
    emit changed();
}
