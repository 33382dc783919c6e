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

#include "app/PageContext.h"
#include "app/PageTable.h"
#include "app/PcClock.h"
#include "app/TMainApp.h"
#include "app/polling/DisplayPanel.h"
#include "app/polling/GraphData.h"
#include "app/setup/SetupPage.h"
#include "clock/TimeCodec.h"

namespace {

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

PollingCycle::PollingCycle(TMainApp& window, DisplayPanel& panel, GraphData& graph)
    : QObject(&window), window_(window), panel_(panel), graph_(graph)
{
    setObjectName(QStringLiteral("PollingCycle"));
}

void PollingCycle::tick()
{
    QTimer* timer = window_.pollTimer();
    timer->stop();
    const QDateTime now = window_.pcClock().now();
    if (clock_.beginTick(now.time().second(), window_.bus().data.ElapsedSeconds)) work(now);
    timer->start();
}

void PollingCycle::work(const QDateTime& now)
{
    // A pinned clock (scripts, tests) also pins the measured duration, so a
    // run shows the same text every time; otherwise a real counter.
    PcClock& pcClock = window_.pcClock();
    const qint64 startMs = pcClock.counterMs();
    QElapsedTimer counter;
    counter.start();

    const std::tm pc = ToTm(now);
    showPcTime(pc);

    RtcBus& bus = window_.bus();
    const bool polling = panel_.pollingEnabled();
    for (const char* name : kStatusLabels) {
        if (QWidget* label = statusLabel(name)) label->setEnabled(polling);
    }
    uint32_t runSeconds = 0;
    const int32_t runResult = polling ? bus.api().RdRunTime(bus.BoardNo, &runSeconds) : -1;
    if (!polling || !Succeeded(runResult)) {
        panel_.blankChipFields();
        for (const char* lamp : kPollOffLamps)
            setLamp(lamp, false);
        window_.setStatusPanelText(2, QString());
        // A board the adapter reports gone is no longer active, whenever the
        // plug notification about it comes (or never does).
        if (polling && BoardIsGone(runResult))
            window_.setStatusPanelText(1, QLatin1String(kUsbDisconnectText));
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
    const SetupPage* setup = window_.setupPage();
    const bool is24 = setup != nullptr && setup->is24Hour();
    panel_.PCtime->setText(text(ClockTimeText(pc, is24)));
    panel_.PCdate->setText(text(ClockDateText(pc)));
}

void PollingCycle::pollChip(const std::tm& pc, uint32_t runSeconds)
{
    RtcBus& bus = window_.bus();
    const AdapterApi& api = bus.api();
    window_.setStatusPanelText(1, QLatin1String(kUsbActiveText));
    window_.setStatusPanelText(2, text(RunTimeText(runSeconds)));

    // Status flags into the lamps. A failed read lights nothing and counts as 0.
    const PartInfo& part = bus.part();
    const PartType type = part.TypeCode;
    const StatusLayout& layout = StatusLayoutFor(type);
    StatusResult status;
    status.MainOk = Succeeded(api.Read(bus.BoardNo, layout.Main.SubLen, part.RtcAddress,
                                       layout.Main.Address, status.Main.data(), layout.Main.Count));
    if (layout.Second.Count != 0) {
        status.SecondOk = Succeeded(api.Read(bus.BoardNo, layout.Second.SubLen, part.RtcAddress,
                                             layout.Second.Address, &status.Second, 1));
    }
    for (const LampState& lamp : StatusLamps(type, status))
        setLamp(lamp.Lamp, lamp.On);

    std::tm chip{};
    bool chipIs24 = false;
    const int32_t timeResult = ReadRtcTime(bus, chip, chipIs24);
    const ChipTimeState state = ChipTimeStateFor(ClockStatusByte(type, status), timeResult);
    const ChipTimeTexts shown = ChipTimeDisplay(state, chip, chipIs24);
    panel_.RTCtime->setText(text(shown.Time));
    panel_.RTCdate->setText(text(shown.Date));
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
    graph_.append(GraphData::Deviation, QPointF(sample.X, sample.Deviation));
    if (sample.Temperature)
        graph_.append(GraphData::Temperature, QPointF(sample.X, *sample.Temperature));
}

std::optional<double> PollingCycle::readTemperature()
{
    RtcBus& bus = window_.bus();
    std::array<uint8_t, 2> word{};
    if (!Succeeded(bus.api().Read(bus.BoardNo, 1, kSensorSlave, kSensorRegister, word.data(), 2)))
        return std::nullopt;
    return DecodeSensorWord(SensorWord(word[0], word[1]), bus.TempSensor, bus.data.TempOffset);
}

void PollingCycle::runPageSteps()
{
    for (const PageRow& row : Pages()) {
        if (row.Make == nullptr) continue;
        if (auto* step = dynamic_cast<PollStep*>(window_.page(QLatin1String(row.Name))))
            step->polled();
    }
}

QWidget* PollingCycle::statusLabel(const char* name)
{
    QPointer<QWidget>& known = labels_[name];
    if (known.isNull()) known = window_.control(QLatin1String(name));
    return known.data();
}

void PollingCycle::setLamp(const char* name, bool on)
{
    if (QObject* lamp = window_.lamp(name)) lamp->setProperty("lit", on);
}
