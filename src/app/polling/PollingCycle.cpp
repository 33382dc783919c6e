#include "app/polling/PollingCycle.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <array>

#include "app/PageTable.h"
#include "app/polling/DisplayPanel.h"
#include "app/polling/PollingContext.h"
#include "bus/RtcBus.h"
#include "clock/PcClock.h"
#include "clock/TimeCodec.h"
#include "pages/PageContext.h"

namespace {

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

PollingCycle::PollingCycle(PollingContext& context, DisplayPanel& panel, QObject* parent)
    : QObject(parent), context_(context), panel_(panel)
{
    setObjectName(QStringLiteral("PollingCycle"));
}

void PollingCycle::tick()
{
    QTimer* timer = context_.pollTimer();
    timer->stop();
    const QDateTime now = context_.pcClock().now();
    if (clock_.beginTick(now.time().second(), context_.bus().data.ElapsedSeconds)) work(now);
    timer->start();
}

void PollingCycle::work(const QDateTime& now)
{
    // A pinned clock (scripts, tests) also pins the measured duration, so a
    // run shows the same text every time; otherwise a real counter.
    PcClock& pcClock = context_.pcClock();
    const qint64 startMs = pcClock.counterMs();
    QElapsedTimer counter;
    counter.start();

    const std::tm pc = ToTm(now);
    showPcTime(pc);

    RtcBus& bus = context_.bus();
    const bool polling = panel_.pollingEnabled();
    for (const PageRow& row : context_.pages()) {
        for (const StatusLamp& lamp : row.Lamps) {
            if (lamp.PollLabel == nullptr) continue;
            if (QWidget* label = statusLabel(lamp.PollLabel)) label->setEnabled(polling);
        }
    }
    uint32_t runSeconds = 0;
    const int32_t runResult = polling ? bus.api().RdRunTime(bus.BoardNo, &runSeconds) : -1;
    if (!polling || !Succeeded(runResult)) {
        panel_.blankChipFields();
        for (const PageRow& row : context_.pages()) {
            for (const StatusLamp& lamp : row.Lamps) {
                if ((lamp.Off & OffWhenPollingStops) != 0) setLamp(lamp.Name, false);
            }
        }
        context_.setStatusPanelText(2, QString());
        showAdvice(QString());
        // A board the adapter reports gone is no longer active, whenever the
        // plug notification about it comes (or never does).
        if (polling && BoardIsGone(runResult))
            context_.setStatusPanelText(1, QLatin1String(kUsbDisconnectText));
    } else {
        pollChip(pc, runSeconds);
    }

    const double ms = pcClock.pinned() ? static_cast<double>(pcClock.counterMs() - startMs)
                                       : static_cast<double>(counter.nsecsElapsed()) / 1e6;
    panel_.PollingTime->setText(text(PollDurationText(ms)));
    runPageSteps();
}

void PollingCycle::showPcTime(const std::tm& pc)
{
    // The Setup page's hidden format follows the Set Clock page's choice.
    const bool is24 = context_.pcTime24();
    panel_.PCtime->setText(text(ClockTimeText(pc, is24)));
    panel_.PCdate->setText(text(ClockDateText(pc)));
}

void PollingCycle::pollChip(const std::tm& pc, uint32_t runSeconds)
{
    RtcBus& bus = context_.bus();
    const AdapterApi& api = bus.api();
    context_.setStatusPanelText(1, QLatin1String(kUsbActiveText));
    context_.setStatusPanelText(2, text(RunTimeText(runSeconds)));

    // Status flags into the lamps. A failed read lights nothing and counts as 0.
    const PartInfo& part = bus.part();
    const PartType type = part.TypeCode;
    const StatusReads& layout = StatusReadsFor(type);
    StatusResult status;
    status.MainOk = Succeeded(api.Read(bus.BoardNo, layout.Main.SubLen, part.RtcAddress,
                                       layout.Main.Address, status.Main.data(), layout.Main.Count));
    if (layout.Second.Count != 0) {
        status.SecondOk = Succeeded(api.Read(bus.BoardNo, layout.Second.SubLen, part.RtcAddress,
                                             layout.Second.Address, &status.Second, 1));
    }
    for (const LampState& lamp : StatusLamps(LampsOf(context_.pages()), type, status))
        setLamp(lamp.Lamp, lamp.On);

    std::tm chip{};
    bool chipIs24 = false;
    const int32_t timeResult = ReadRtcTime(bus, chip, chipIs24);
    const ChipTimeState state = ChipTimeStateFor(ClockStatusByte(type, status), timeResult);
    const ChipTimeTexts shown = ChipTimeDisplay(state, chip, chipIs24);
    panel_.RTCtime->setText(text(shown.Time));
    panel_.RTCdate->setText(text(shown.Date));
    showAdvice(QString::fromLatin1(ChipTimeAdvice(state, context_.supplyOn())));
    if (state != ChipTimeState::Shown) return;

    const uint32_t elapsed = bus.data.ElapsedSeconds;
    if (!IsSampleSecond(elapsed)) return;
    const double tRtc = CalendarSeconds(chip);
    const double tPc = CalendarSeconds(pc);
    const std::optional<double> celsius = readTemperature();
    panel_.RTCtemp->setText(text(TemperatureText(celsius)));
    panel_.RTCdev->setText(text(DeviationText(tRtc, tPc)));

    // A failed sensor read adds no temperature point: it has no value to plot.
    const GraphSample sample = MakeGraphSample(elapsed, tRtc, tPc, celsius);
    GraphSamples* graph = context_.links().graph;
    if (graph == nullptr) return;
    graph->append(GraphSamples::Deviation, QPointF(sample.X, sample.Deviation));
    if (sample.Temperature)
        graph->append(GraphSamples::Temperature, QPointF(sample.X, *sample.Temperature));
}

std::optional<double> PollingCycle::readTemperature()
{
    RtcBus& bus = context_.bus();
    std::array<uint8_t, 2> word{};
    if (!Succeeded(bus.api().Read(bus.BoardNo, 1, kSensorSlave, kSensorRegister, word.data(), 2)))
        return std::nullopt;
    return DecodeSensorWord(SensorWord(word[0], word[1]), bus.TempSensor, bus.data.TempOffset);
}

void PollingCycle::runPageSteps()
{
    for (const PageRow& row : Pages()) {
        if (row.Make == nullptr) continue;
        if (auto* step = dynamic_cast<PollStep*>(context_.page(QLatin1String(row.Name))))
            step->polled();
    }
}

QWidget* PollingCycle::statusLabel(const char* name)
{
    QPointer<QWidget>& known = labels_[name];
    if (known.isNull()) known = context_.control(QLatin1String(name));
    return known.data();
}

void PollingCycle::showAdvice(const QString& advice)
{
    if (advice == advice_) return;
    if (!advice.isEmpty())
        context_.setStatusPanelText(3, advice);
    else if (context_.statusPanelText(3) == advice_)
        context_.setStatusPanelText(3, QStringLiteral(" "));
    advice_ = advice;
}

void PollingCycle::setLamp(const char* name, bool on)
{
    if (QObject* lamp = context_.lamp(name)) lamp->setProperty("lit", on);
}
