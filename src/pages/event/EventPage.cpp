#include "pages/event/EventPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/event/EventCodec.h"
#include "widgets/Controls.h"
#include "widgets/LedIndicator.h"

using namespace EventCodec;

namespace {

QComboBox* codeList(QWidget* parent, const char* name, const std::array<const char*, 4>& items)
{
    auto* list = named(new QComboBox(parent), name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const char* item : items)
        list->addItem(QLatin1String(item));
    list->setCurrentIndex(0);
    return list;
}

// A sunken text panel wide enough for the longest stamp text.
QLabel* eventStampPanel(QWidget* parent, const char* name)
{
    auto* panel = named(new QLabel(parent), name);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    setHint(panel, QStringLiteral("Data and Time stamp for this Event"));
    const QFontMetrics metrics = panel->fontMetrics();
    panel->setFixedSize(metrics.horizontalAdvance(QStringLiteral("00/00  - 00:00:00 PM")) + 24,
                        metrics.height() + 8);
    return panel;
}

} // namespace

EventPage::EventPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsEvent"));
    context_.links().eventStamps = this;

    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(buildConfiguration());
    left->addWidget(buildStatus());
    left->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(16);
    layout->addLayout(left);
    layout->addWidget(buildStamps(), 0, Qt::AlignTop);
    layout->addStretch(1);

    connect(BtnWrEvent, &QPushButton::clicked, this, &EventPage::BtnWrEventClick);
    connect(BtnRdEvent, &QPushButton::clicked, this, &EventPage::BtnRdEventClick);
    connect(BtnClrEvent, &QPushButton::clicked, this, &EventPage::BtnClrEventClick);
    connect(LastEventBtn, &QPushButton::clicked, this, &EventPage::LastEventBtnClick);
    connect(LedEvent, &LedIndicator::changed, this, &EventPage::LedEventChange);
    connect(ChkBoxEVEN, &QCheckBox::toggled, this, &EventPage::ChkBoxEVENClick);
    connect(ComboBoxESMP, &QComboBox::activated, this, &EventPage::ChkBoxEVENClick);
    UpdateEventControls();
}

// ---------------------------------------------------------------------------
// Building

QWidget* EventPage::buildConfiguration()
{
    GroupBoxEV =
        named(new QGroupBox(QStringLiteral(" Event Detection Register (EV) "), this), "GroupBoxEV");
    auto* grid = new QGridLayout(GroupBoxEV);
    grid->setVerticalSpacing(6);
    LabelESMP = named(new QLabel(QStringLiteral("Sample Rate (ESMP)"), GroupBoxEV), "LabelESMP");
    ComboBoxESMP = codeList(GroupBoxEV, "ComboBoxESMP", kSampleRates);
    LabelEHYS = named(new QLabel(QStringLiteral("Hysteresis (EHYS)"), GroupBoxEV), "LabelEHYS");
    ComboBoxEHYS = codeList(GroupBoxEV, "ComboBoxEHYS", kHysteresis);
    grid->addWidget(LabelESMP, 0, 0);
    grid->addWidget(ComboBoxESMP, 0, 1, Qt::AlignLeft);
    grid->addWidget(LabelEHYS, 1, 0);
    grid->addWidget(ComboBoxEHYS, 1, 1, Qt::AlignLeft);

    ChkBoxEVEN = named(new QCheckBox(QStringLiteral("Event Detect Enable (EVEN)"), GroupBoxEV),
                       "ChkBoxEVEN");
    ChkBoxRTCHLT = named(new QCheckBox(QStringLiteral("RTC Halt on Event (RTCHLT)"), GroupBoxEV),
                         "ChkBoxRTCHLT");
    ChkBoxEVIENB =
        named(new QCheckBox(QStringLiteral("Current Source Disable (EVIENB)"), GroupBoxEV),
              "ChkBoxEVIENB");
    ChkBoxEVBATB = named(
        new QCheckBox(QStringLiteral("Event Detect Disable in Battery Mode (EVBATB)"), GroupBoxEV),
        "ChkBoxEVBATB");
    CheckBoxEVIM =
        named(new QCheckBox(QStringLiteral("Enable Event Pulse Mode Output (EVIM)"), GroupBoxEV),
              "CheckBoxEVIM");
    CheckBoxEVIM->hide();
    int row = 2;
    for (QCheckBox* box : {ChkBoxEVEN, ChkBoxRTCHLT, ChkBoxEVIENB, ChkBoxEVBATB, CheckBoxEVIM})
        grid->addWidget(box, row++, 0, 1, 2);

    BtnWrEvent = named(new QPushButton(QStringLiteral("Write"), GroupBoxEV), "BtnWrEvent");
    BtnRdEvent = named(new QPushButton(QStringLiteral("Read"), GroupBoxEV), "BtnRdEvent");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnWrEvent);
    buttons->addWidget(BtnRdEvent);
    buttons->addStretch(1);
    grid->addLayout(buttons, row, 0, 1, 2);
    return GroupBoxEV;
}

QWidget* EventPage::buildStatus()
{
    GroupBoxEventStatus =
        named(new QGroupBox(QStringLiteral(" Event Status "), this), "GroupBoxEventStatus");
    LedEvent = named(new LedIndicator(GroupBoxEventStatus), "LedEvent");
    setHint(LedEvent, QStringLiteral("Event Status Bit"));
    Label38 =
        named(new QLabel(QStringLiteral("Event Detect (EVT)"), GroupBoxEventStatus), "Label38");
    BtnClrEvent = named(new QPushButton(QStringLiteral("Clear  TStamps/CNTR"), GroupBoxEventStatus),
                        "BtnClrEvent");
    auto* grid = new QGridLayout(GroupBoxEventStatus);
    grid->addWidget(LedEvent, 0, 0);
    grid->addWidget(Label38, 0, 1);
    grid->addWidget(BtnClrEvent, 1, 0, 1, 3, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    return GroupBoxEventStatus;
}

QWidget* EventPage::buildStamps()
{
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("EventStampArea"));
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);

    TimeStampLabel = named(new QLabel(QStringLiteral("Event Time Stamp"), area), "TimeStampLabel");
    TimeStampPnl = eventStampPanel(area, "TimeStampPnl");
    TimeStampPnl1 = eventStampPanel(area, "TimeStampPnl1");
    TimeStampPnl2 = eventStampPanel(area, "TimeStampPnl2");
    TimeStampPnl3 = eventStampPanel(area, "TimeStampPnl3");
    grid->addWidget(TimeStampLabel, 0, 1, Qt::AlignBottom | Qt::AlignHCenter);
    const std::array<QLabel*, 4> panels = stampPanels();
    for (int n = 0; n < kTypeFStamps; ++n)
        grid->addWidget(panels[static_cast<size_t>(n)], n + 1, 1);

    // The index labels stand level with their panels (placeEvixLabels), in a
    // group beside them that spans the heading and the four panels.
    GroupEVTLabels = named(new QGroupBox(QStringLiteral("EVIX0/1"), area), "GroupEVTLabels");
    const char* const evix[4] = {"00", "01", "10", "11"};
    for (int n = 0; n < 4; ++n) {
        const QByteArray name = "LabelEVIX" + QByteArray::number(n);
        auto* label = named(new QLabel(QLatin1String(evix[n]), GroupEVTLabels), name.constData());
        label->setAlignment(Qt::AlignCenter);
        EvixLabels[static_cast<size_t>(n)] = label;
    }
    GroupEVTLabels->setMinimumWidth(
        GroupEVTLabels->fontMetrics().horizontalAdvance(GroupEVTLabels->title()) + 20);
    grid->addWidget(GroupEVTLabels, 0, 0, kTypeFStamps + 1, 1);
    GroupEVTLabels->installEventFilter(this);
    for (QLabel* panel : panels)
        panel->installEventFilter(this);

    Label112 = named(new QLabel(QStringLiteral("00=1st EVT Since RST; 01-11=Last 3 EVTs"), area),
                     "Label112");
    grid->addWidget(Label112, kTypeFStamps + 1, 0, 1, 2);

    auto* counter = new QHBoxLayout;
    Label83 = named(new QLabel(QStringLiteral("Event Counter 0x0B"), area), "Label83");
    txtEVCNT = named(new QLineEdit(area), "txtEVCNT");
    txtEVCNT->setReadOnly(true);
    setHint(txtEVCNT, QStringLiteral("Event  Counter"));
    txtEVCNT->setFixedWidth(txtEVCNT->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    counter->addWidget(Label83);
    counter->addWidget(txtEVCNT);
    counter->addStretch(1);
    grid->addLayout(counter, kTypeFStamps + 2, 0, 1, 2);

    LastEventBtn =
        named(new QPushButton(QStringLiteral("Read Time Stamp(s)"), area), "LastEventBtn");
    grid->addWidget(LastEventBtn, kTypeFStamps + 3, 0, 1, 2, Qt::AlignLeft);

    // Base state: the TypeA / TypeB page.
    for (QWidget* w : std::initializer_list<QWidget*>{TimeStampPnl1, TimeStampPnl2, TimeStampPnl3,
                                                      GroupEVTLabels, Label112, Label83, txtEVCNT})
        w->hide();
    return area;
}

std::array<QLabel*, 4> EventPage::stampPanels() const
{
    return {TimeStampPnl, TimeStampPnl1, TimeStampPnl2, TimeStampPnl3};
}

void EventPage::placeEvixLabels()
{
    const std::array<QLabel*, 4> panels = stampPanels();
    for (size_t n = 0; n < panels.size(); ++n) {
        QLabel* label = EvixLabels[n];
        const QPoint top =
            panels[n]->mapTo(GroupEVTLabels->parentWidget(), QPoint(0, 0)) - GroupEVTLabels->pos();
        label->setGeometry(0, top.y(), GroupEVTLabels->width(), panels[n]->height());
    }
}

bool EventPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) placeEvixLabels();
    return QWidget::eventFilter(watched, event);
}

void EventPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // As when the tab is chosen: the register rows show the chosen section.
    if (RegisterRows* rows = context_.links().registerRows) rows->showChosenSection();
    UpdateEventControls();
}

// ---------------------------------------------------------------------------
// Part choice and the lists

void EventPage::partChosen()
{
    const bool stamps = context_.bus().part().HasTimeStamp != 0;
    LastEventBtn->setVisible(stamps);
    TimeStampLabel->setVisible(stamps);
    TimeStampPnl->setVisible(stamps);
    UpdateEventControls();
}

void EventPage::ChkBoxEVENClick()
{
    UpdateEventControls();
}

void EventPage::UpdateEventControls()
{
    const bool on = ChkBoxEVEN->isChecked();
    ComboBoxESMP->setEnabled(on);
    ComboBoxEHYS->setEnabled(on);
}

bool EventPage::is24Hour()
{
    const auto* pc24 =
        qobject_cast<QAbstractButton*>(context_.control(QStringLiteral("Time24hr24")));
    return pc24 != nullptr && pc24->isChecked();
}

// ---------------------------------------------------------------------------
// Configuration register

void EventPage::BtnWrEventClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<uint8_t> reg = ConfigRegister(type);
    if (!reg) return;
    EventConfig config;
    config.SampleRate = ComboBoxESMP->currentIndex();
    config.Hysteresis = ComboBoxEHYS->currentIndex();
    config.Enable = ChkBoxEVEN->isChecked();
    config.BatteryDisable = ChkBoxEVBATB->isChecked();
    config.Halt = ChkBoxRTCHLT->isChecked();
    config.CurrentOff = ChkBoxEVIENB->isChecked();
    config.PulseMode = CheckBoxEVIM->isChecked();
    // The whole register is the page's: nothing to keep, nothing read first.
    WriteSequence(bus, controlId(sender()), controlId(BtnWrEvent))
        .encode([&] { bus.data.Regs[*reg] = EncodeConfig(type, config); })
        .write(*reg, 1)
        .report();
}

void EventPage::ReadOnShow()
{
    BtnRdEventClick();
}

void EventPage::BtnRdEventClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<uint8_t> reg = ConfigRegister(type);
    if (!reg) return;
    const int32_t result = bus.ReadRegisters(1, *reg, 1);
    if (Succeeded(result)) {
        const ShownConfig shown = DecodeConfig(type, bus.data.Regs[*reg]);
        ComboBoxESMP->setCurrentIndex(shown.SampleRate);
        ComboBoxEHYS->setCurrentIndex(shown.Hysteresis);
        ChkBoxEVEN->setChecked(shown.Enable);
        ChkBoxEVBATB->setChecked(shown.BatteryDisable);
        if (shown.Halt) ChkBoxRTCHLT->setChecked(*shown.Halt);
        if (shown.CurrentOff) ChkBoxEVIENB->setChecked(*shown.CurrentOff);
        if (shown.PulseMode) CheckBoxEVIM->setChecked(*shown.PulseMode);
    }
    bus.ReportResult(controlId(sender()), controlId(BtnRdEvent), result);
}

// ---------------------------------------------------------------------------
// Flag, stamps and counter

// Clear: on TypeA / TypeB the EVT flag in a copy of the status byte (the
// other flags written as 1, which leaves them); on TypeF a write to the
// counter, which clears it and the stamps. What the page shows goes only
// once the chip took the write.
void EventPage::BtnClrEventClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const uint8_t slave = bus.part().RtcAddress;
    const AdapterApi& api = bus.api();
    WriteSequence sequence(bus, controlId(sender()), controlId(BtnClrEvent));
    if (type == TypeA || type == TypeB) {
        uint8_t status = 0;
        sequence
            .step([&] {
                return api.Read(bus.BoardNo, 1, slave, EventCodec::kStatusRegister, &status, 1);
            })
            .encode([&] { status = ClearedStatus(status); })
            .step([&] {
                return api.Write(bus.BoardNo, 1, slave, EventCodec::kStatusRegister, &status, 1);
            });
        if (sequence.ok()) {
            LedEvent->setLit(false);
            TimeStampPnl->clear();
        }
    } else if (type == TypeF) {
        uint8_t count = 0;
        const uint8_t zero = 0;
        sequence.step([&] { return api.Read(bus.BoardNo, 1, slave, kCounterRegister, &count, 1); })
            .step([&] { return api.Write(bus.BoardNo, 1, slave, kCounterRegister, &zero, 1); });
        if (sequence.ok()) {
            for (QLabel* panel : stampPanels())
                panel->clear();
            txtEVCNT->clear();
        }
    } else {
        return;
    }
    sequence.report();
}

void EventPage::LastEventBtnClick()
{
    readStamps(controlId(sender()));
}

void EventPage::LedEventChange()
{
    auto* lamp = qobject_cast<LedIndicator*>(sender());
    if (lamp == nullptr) lamp = LedEvent;
    if (lamp->isLit()) readStamps(controlId(lamp));
}

// The stamps into their panels; a stamp that did not arrive leaves its panel
// as it was. Every transfer runs before the one report of the first failure,
// so no error box (and no polling tick in it) comes between them.
void EventPage::readStamps(const void* sender)
{
    if (!LastEventBtn->isEnabled() || LastEventBtn->isHidden()) return;
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const bool is24 = is24Hour();
    auto text = [&](uint8_t first, int index) {
        return QString::fromStdString(
            StampText(DecodeStamp(&bus.data.Regs[first]), type, index, is24));
    };

    FirstFailure first;
    if (type == TypeB) {
        if (first.keep(bus.ReadRegisters(1, kStampTypeB, kStampBytes)))
            TimeStampPnl->setText(text(kStampTypeB, 0));
    } else if (type == TypeF) {
        const std::array<QLabel*, 4> panels = stampPanels();
        for (int n = 0; n < kTypeFStamps; ++n) {
            // Without the index written the chip would show another stamp.
            bus.data.Regs[kEvixRegister] = static_cast<uint8_t>(n);
            if (first.keep(bus.WriteRegisters(1, kEvixRegister, 1)) &&
                first.keep(bus.ReadRegisters(1, kStampTypeF, kStampBytes)))
                panels[static_cast<size_t>(n)]->setText(text(kStampTypeF, n));
        }
        if (first.keep(bus.ReadRegisters(1, kCounterRegister, 1)))
            txtEVCNT->setText(QString::number(bus.data.Regs[kCounterRegister]));
    } else {
        return;
    }
    bus.ReportResult(sender, controlId(LastEventBtn), first.code());
}
