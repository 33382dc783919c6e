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

#include "app/polling/DisplayPanel.h"
#include "app/polling/GraphData.h"
#include "app/PcClock.h"
#include "app/TMainApp.h"
#include "clock/TimeCodec.h"

namespace {

// The hidden radio group on the Setup page that follows the Set Clock page's
// time format; the PC time shows in 24-hour form when it says so.
const QString kTime24hr = QStringLiteral("Time24hr");
const QString k24Hour = QStringLiteral("24-Hour");

// TSE refresh: bit 7 of register 0x0D makes the chip take a new temperature reading.
constexpr uint8_t kTseRegister = 0x0D;
constexpr uint8_t kTseBit = 0x80;
const QString kTseRefreshText = QStringLiteral("TSE Refresh");

constexpr std::array<PartType, 11> kAllTypes{TypeNone, TypeA, TypeB, TypeC, TypeD, TypeE,
                                             TypeF,    TypeG, TypeH, TypeJ, TypeK};

// Every control a tick may touch.
const QSet<QString>& wantedNames()
{
    static const QSet<QString> names = [] {
        QSet<QString> set{kTime24hr};
        for (const char* name : kPollOffLamps)
            set.insert(QLatin1String(name));
        for (const char* name : kStatusLabels)
            set.insert(QLatin1String(name));
        const StatusResult failed;
        for (const LampState& lamp : StatusLamps(TypeNone, failed))
            set.insert(QLatin1String(lamp.Lamp));
        for (PartType type : kAllTypes) {
            for (const StatusBit& bit : StatusLayoutFor(type).Bits)
                set.insert(QLatin1String(bit.Lamp));
        }
        return set;
    }();
    return names;
}

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

    const Controls controls = findControls();
    const std::tm pc = ToTm(now);
    showPcTime(pc, controls);

    RtcBus& bus = window_.bus();
    const bool polling = panel_.pollingEnabled();
    for (const char* name : kStatusLabels) {
        if (auto* label = qobject_cast<QWidget*>(controls.value(QLatin1String(name))))
            label->setEnabled(polling);
    }
    uint32_t runSeconds = 0;
    const int32_t runResult = polling ? bus.api().RdRunTime(bus.BoardNo, &runSeconds) : -1;
    if (!polling || runResult != 0) {
        panel_.blankChipFields();
        for (const char* lamp : kPollOffLamps)
            setLamp(controls, lamp, false);
        window_.setStatusPanelText(2, QString());
    } else {
        pollChip(pc, runSeconds, controls);
    }

    const double ms = pcClock.pinned() ? static_cast<double>(pcClock.counterMs() - startMs)
                                       : static_cast<double>(counter.nsecsElapsed()) / 1e6;
    panel_.PollingTime->setText(text(PollDurationText(ms)));
    tseRefreshStep();
}

void PollingCycle::showPcTime(const std::tm& pc, const Controls& controls)
{
    panel_.PCtime->setText(text(ClockTimeText(pc, pcTimeIs24(controls))));
    panel_.PCdate->setText(text(ClockDateText(pc)));
}

void PollingCycle::pollChip(const std::tm& pc, uint32_t runSeconds, const Controls& controls)
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
    status.MainOk = api.Read(bus.BoardNo, layout.Main.SubLen, part.RtcAddress, layout.Main.Address,
                             status.Main.data(), layout.Main.Count) == 0;
    if (layout.Second.Count != 0) {
        status.SecondOk = api.Read(bus.BoardNo, layout.Second.SubLen, part.RtcAddress,
                                   layout.Second.Address, &status.Second, 1) == 0;
    }
    for (const LampState& lamp : StatusLamps(type, status))
        setLamp(controls, lamp.Lamp, lamp.On);

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
    if (bus.api().Read(bus.BoardNo, 1, kSensorSlave, kSensorRegister, word.data(), 2) != 0)
        return std::nullopt;
    return DecodeSensorWord(SensorWord(word[0], word[1]), window_.TempSensor, bus.data.TempOffset);
}

void PollingCycle::tseRefreshStep()
{
    RtcBus& bus = window_.bus();
    SharedPageState& shared = bus.shared;
    if (shared.TseRefreshPeriod <= 0) return;
    if (shared.TseRefreshCount < shared.TseRefreshPeriod) ++shared.TseRefreshCount;
    if (shared.TseRefreshCount != shared.TseRefreshPeriod) return;
    shared.TseRefreshCount = 0;
    panel_.PollingTime->setText(kTseRefreshText);
    // Writing back a byte that was not read would put stale bits into the chip.
    const uint8_t subLen = bus.subAddressLength();
    if (bus.ReadRegisters(subLen, kTseRegister, 1) != 0) return;
    bus.data.Regs[kTseRegister] |= kTseBit;
    bus.WriteRegisters(subLen, kTseRegister, 1);
}

PollingCycle::Controls PollingCycle::findControls() const
{
    const QSet<QString>& wanted = wantedNames();
    Controls found;
    for (QObject* object : window_.findChildren<QObject*>()) {
        const QString name = object->objectName();
        if (!name.isEmpty() && wanted.contains(name)) found.insert(name, object);
    }
    return found;
}

bool PollingCycle::pcTimeIs24(const Controls& controls)
{
    const QObject* group = controls.value(kTime24hr);
    if (!group) return false;
    for (const QAbstractButton* button : group->findChildren<QAbstractButton*>()) {
        if (button->text() == k24Hour) return button->isChecked();
    }
    return false;
}

void PollingCycle::setLamp(const Controls& controls, const char* name, bool on)
{
    // Lamps of pages not built yet are simply not there.
    QObject* lamp = controls.value(QLatin1String(name));
    if (lamp && lamp->metaObject()->indexOfProperty("lit") >= 0) lamp->setProperty("lit", on);
}
