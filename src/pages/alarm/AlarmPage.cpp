#include "pages/alarm/AlarmPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/alarm/AlarmCodec.h"
#include "widgets/Controls.h"
#include "widgets/LedIndicator.h"

using namespace AlarmCodec;

namespace {

// The right-hand column of each alarm: mode, status, buttons and notes.
constexpr int kSideWidth = 176;

QComboBox* fieldList(QWidget* parent, const char* name, const std::vector<std::string>& items)
{
    auto* list = named(new QComboBox(parent), name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMaxVisibleItems(16);
    for (const std::string& item : items)
        list->addItem(QString::fromStdString(item));
    list->setCurrentIndex(0);
    return list;
}

QLabel* note(QWidget* parent, const char* name, const QString& text, int width)
{
    auto* label = named(new QLabel(text, parent), name);
    label->setWordWrap(true);
    // Its lines at the column's width, fixed: a height that follows the width
    // would make the window's fixed height follow it too.
    label->setFixedSize(width, label->heightForWidth(width));
    QSizePolicy policy = label->sizePolicy();
    policy.setHeightForWidth(false);
    label->setSizePolicy(policy);
    label->hide();
    return label;
}

// The longest field names the part choice gives the labels.
constexpr const char* kWidestFieldNames[] = {"Day of Week (A0DW)", "Day of Week (A1DW)",
                                             "Day of Week (A2DW)", "Day of Week (DWA)"};

constexpr const char* kIrqUsageCaptions[kIrqUsageChoices] = {
    "FOUT        HIGH", "FOUT         A1F", "FOUT        A2F",    "FOUT A1F or A2F",
    "HIGH        HIGH", "HIGH         A1F", " A2F          HIGH", " A2F          A1F"};

} // namespace

AlarmPage::AlarmPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsAlarm"));

    auto* alarms = new QHBoxLayout;
    alarms->setSpacing(8);
    alarms->addWidget(buildAlarm(1), 0, Qt::AlignTop);
    alarms->addWidget(buildAlarm(2), 0, Qt::AlignTop);
    alarms->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(alarms);
    layout->addWidget(buildIrqUsage(), 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(BtnWrAlarm, &QPushButton::clicked, this, &AlarmPage::BtnWrAlarmClick);
    connect(BtnRdAlarm, &QPushButton::clicked, this, &AlarmPage::BtnRdAlarmClick);
    connect(BtnClrAlarm, &QPushButton::clicked, this, &AlarmPage::BtnClrAlarmClick);
    connect(cbIM, &QCheckBox::toggled, this, &AlarmPage::cbIMClick);
    connect(aDay, &QComboBox::activated, this, &AlarmPage::aDayChange);
    connect(aWeek, &QComboBox::activated, this, &AlarmPage::aWeekChange);

    connect(BtnWriteAlarm0, &QPushButton::clicked, this, &AlarmPage::BtnWriteAlarm0Click);
    connect(BtnRdAlarm0, &QPushButton::clicked, this, &AlarmPage::BtnRdAlarm0Click);
    connect(BtnClrAlarm0, &QPushButton::clicked, this, &AlarmPage::BtnClrAlarm0Click);
    connect(cbIM0, &QCheckBox::toggled, this, &AlarmPage::cbIM0Click);
    connect(aDay0, &QComboBox::activated, this, &AlarmPage::aDay0Change);
    connect(aWeek0, &QComboBox::activated, this, &AlarmPage::aWeek0Change);

    connect(Btn_Write_IRQ_Mode, &QPushButton::clicked, this, &AlarmPage::Btn_Write_IRQ_ModeClick);
    connect(Btn_Read_IRQ_Mode, &QPushButton::clicked, this, &AlarmPage::Btn_Read_IRQ_ModeClick);
}

// ---------------------------------------------------------------------------
// Building

QWidget* AlarmPage::buildAlarm(int number)
{
    const bool first = number == 1;
    auto* column = new QWidget(this);
    column->setObjectName(first ? QStringLiteral("Alarm1Column") : QStringLiteral("Alarm2Column"));
    auto* box = new QVBoxLayout(column);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(4);

    auto* heading =
        named(new QLabel(first ? QStringLiteral("Alarm 1") : QStringLiteral("Alarm 0"), column),
              first ? "lblAlarm" : "lblAlarm0");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    box->addWidget(heading);

    // The six match fields.
    auto* regs = named(new QGroupBox(QStringLiteral(" Alarm Registers "), column),
                       first ? "GroupAlarmRegs" : "GroupBox32");
    auto* grid = new QGridLayout(regs);
    grid->setVerticalSpacing(4);
    const char* const labelNames[2][6] = {
        {"Label26", "Label27", "Label28", "Label29", "Label30", "Label31"},
        {"Label44", "Label45", "Label46", "Label47", "Label48", "Label49"}};
    const char* const listNames[2][6] = {
        {"aSeconds", "aMinutes", "aHours", "aDay", "aMonth", "aWeek"},
        {"aSeconds0", "aMinutes0", "aHours0", "aDay0", "aMonth0", "aWeek0"}};
    const char* const captions[6] = {"Seconds (SCA)", "Minutes (MNA)", "Hours (HRA)",
                                     "Day (DTA)",     "Month (MOA)",   "Day of Week (DWA)"};
    std::vector<std::string> weekItems(kWeekFromZero.begin(), kWeekFromZero.end());
    const std::vector<std::string> items[6] = {
        SecondItems(),           SecondItems(), AlarmCodec::HourItems(),
        AlarmCodec::DateItems(), MonthItems(),  weekItems};
    const int set = first ? 0 : 1;
    std::array<QLabel*, 6> labels{};
    std::array<QComboBox*, 6> lists{};
    for (int f = 0; f < 6; ++f) {
        labels[static_cast<size_t>(f)] =
            named(new QLabel(QLatin1String(captions[f]), regs), labelNames[set][f]);
        lists[static_cast<size_t>(f)] = fieldList(regs, listNames[set][f], items[f]);
        grid->addWidget(labels[static_cast<size_t>(f)], f, 0);
        grid->addWidget(lists[static_cast<size_t>(f)], f, 1);
    }
    // Wide enough for every family's field names, so a part choice never
    // changes the page's width.
    int widest = 0;
    for (const char* name : kWidestFieldNames)
        widest = std::max(widest, labels[0]->fontMetrics().horizontalAdvance(QLatin1String(name)));
    grid->setColumnMinimumWidth(0, widest + 2);
    // Mode, status, buttons and notes beside the fields.
    auto* side = new QVBoxLayout;
    side->setSpacing(4);
    auto* mode = named(new QGroupBox(QStringLiteral(" Alarm Mode "), column),
                       first ? "GroupBox11" : "GroupBox31");
    auto* im = named(new QCheckBox(QStringLiteral("Repetitive Event (IM)"), mode),
                     first ? "cbIM" : "cbIM0");
    auto* enable =
        named(new QCheckBox(
                  first ? QStringLiteral("Enable (ALE1)") : QStringLiteral("Enable (ALE0)"), mode),
              first ? "cbALME" : "cbALME0");
    auto* modeBox = new QVBoxLayout(mode);
    modeBox->addWidget(im);
    modeBox->addWidget(enable);
    side->addWidget(mode);

    auto* status = named(new QGroupBox(QStringLiteral(" Alarm Status "), column),
                         first ? "GroupAlarmStatus" : "GroupBox33");
    auto* lamp = named(new LedIndicator(status), first ? "LedAlarm" : "LedAlarm0");
    auto* lampLabel = named(
        new QLabel(first ? QStringLiteral("Alarm Bit (ALM1)") : QStringLiteral("Alarm Bit (ALM0)"),
                   status),
        first ? "Label39" : "Label50");
    auto* clear = named(new QPushButton(QStringLiteral("Manual Clear Event"), status),
                        first ? "BtnClrAlarm" : "BtnClrAlarm0");
    auto* statusGrid = new QGridLayout(status);
    statusGrid->addWidget(lamp, 0, 0);
    statusGrid->addWidget(lampLabel, 0, 1);
    statusGrid->addWidget(clear, 1, 0, 1, 2);
    statusGrid->setColumnStretch(1, 1);
    side->addWidget(status);
    // The column keeps its width, grown where larger fonts need more room.
    const int sideWidth = std::max(
        {kSideWidth, mode->minimumSizeHint().width(), status->minimumSizeHint().width()});
    mode->setFixedWidth(sideWidth);
    status->setFixedWidth(sideWidth);

    auto* write = named(new QPushButton(QStringLiteral("Write"), column),
                        first ? "BtnWrAlarm" : "BtnWriteAlarm0");
    auto* read = named(new QPushButton(QStringLiteral("Read"), column),
                       first ? "BtnRdAlarm" : "BtnRdAlarm0");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(write);
    buttons->addWidget(read);
    side->addLayout(buttons);

    QLabel* every = note(column, first ? "Label97" : "Label98",
                         first ? QStringLiteral("If all Regs =  \"Ignore\" then Alarm triggers "
                                                "every second.")
                               : QStringLiteral("If all Regs =  \"Ignore\" then Alarm triggers "
                                                "every minute."),
                         sideWidth);
    QLabel* one = note(column, first ? "Label113" : "Label114",
                       QStringLiteral("Set only one of Day or Day of Week"), sideWidth);
    side->addWidget(every);
    side->addWidget(one);
    side->addStretch(1);

    auto* body = new QHBoxLayout;
    body->setSpacing(6);
    body->addWidget(regs, 0, Qt::AlignTop);
    body->addLayout(side);
    box->addLayout(body);
    box->addStretch(1);

    if (first) {
        lblAlarm = heading;
        GroupAlarmRegs = regs;
        Label26 = labels[0], Label27 = labels[1], Label28 = labels[2];
        Label29 = labels[3], Label30 = labels[4], Label31 = labels[5];
        aSeconds = lists[0], aMinutes = lists[1], aHours = lists[2];
        aDay = lists[3], aMonth = lists[4], aWeek = lists[5];
        GroupBox11 = mode;
        cbIM = im;
        cbALME = enable;
        GroupAlarmStatus = status;
        LedAlarm = lamp;
        Label39 = lampLabel;
        BtnClrAlarm = clear;
        BtnWrAlarm = write;
        BtnRdAlarm = read;
        Label97 = every;
        Label113 = one;
    } else {
        lblAlarm0 = heading;
        GroupBox32 = regs;
        Label44 = labels[0], Label45 = labels[1], Label46 = labels[2];
        Label47 = labels[3], Label48 = labels[4], Label49 = labels[5];
        aSeconds0 = lists[0], aMinutes0 = lists[1], aHours0 = lists[2];
        aDay0 = lists[3], aMonth0 = lists[4], aWeek0 = lists[5];
        GroupBox31 = mode;
        cbIM0 = im;
        cbALME0 = enable;
        GroupBox33 = status;
        LedAlarm0 = lamp;
        Label50 = lampLabel;
        BtnClrAlarm0 = clear;
        BtnWriteAlarm0 = write;
        BtnRdAlarm0 = read;
        Label98 = every;
        Label114 = one;
    }
    return column;
}

QGroupBox* AlarmPage::buildIrqUsage()
{
    GBox_AlarmModes =
        named(new QGroupBox(QStringLiteral("IRQ Usage Select"), this), "GBox_AlarmModes");
    irqUsage_ = new QButtonGroup(GBox_AlarmModes);
    auto* grid = new QGridLayout(GBox_AlarmModes);
    grid->setHorizontalSpacing(14);
    // Four columns of two choices, each column under its pin heading.
    constexpr int kColumns = 4;
    for (int c = 0; c < kColumns; ++c) {
        auto* heading = new QLabel(QStringLiteral("IRQ1/FOUT   IRQ2"), GBox_AlarmModes);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, 0, c);
    }
    for (int v = 0; v < kIrqUsageChoices; ++v) {
        const QByteArray name = "RBAlarm" + QByteArray::number(v);
        auto* button = named(new QRadioButton(QLatin1String(kIrqUsageCaptions[v]), GBox_AlarmModes),
                             name.constData());
        irqUsage_->addButton(button, v);
        grid->addWidget(button, 1 + v / kColumns, v % kColumns);
        RBAlarm[static_cast<size_t>(v)] = button;
    }
    RBAlarm[0]->setChecked(true);
    Btn_Write_IRQ_Mode =
        named(new QPushButton(QStringLiteral("Write"), GBox_AlarmModes), "Btn_Write_IRQ_Mode");
    Btn_Read_IRQ_Mode =
        named(new QPushButton(QStringLiteral("Read"), GBox_AlarmModes), "Btn_Read_IRQ_Mode");
    grid->addWidget(Btn_Write_IRQ_Mode, 1, kColumns);
    grid->addWidget(Btn_Read_IRQ_Mode, 2, kColumns);
    GBox_AlarmModes->hide();
    return GBox_AlarmModes;
}

// ---------------------------------------------------------------------------
// Shared steps

AlarmPage::AlarmControls AlarmPage::controls(int number) const
{
    if (number == 1)
        return {1,          {aSeconds, aMinutes, aHours, aDay, aMonth, aWeek},
                cbIM,       cbALME,
                LedAlarm,   BtnWrAlarm,
                BtnRdAlarm, BtnClrAlarm};
    return {2,           {aSeconds0, aMinutes0, aHours0, aDay0, aMonth0, aWeek0},
            cbIM0,       cbALME0,
            LedAlarm0,   BtnWriteAlarm0,
            BtnRdAlarm0, BtnClrAlarm0};
}

AlarmFields AlarmPage::fieldsOf(const AlarmControls& alarm) const
{
    return {alarm.Lists[0]->currentIndex(), alarm.Lists[1]->currentIndex(),
            alarm.Lists[2]->currentIndex(), alarm.Lists[3]->currentIndex(),
            alarm.Lists[4]->currentIndex(), alarm.Lists[5]->currentIndex()};
}

void AlarmPage::show(const AlarmControls& alarm, const ShownFields& shown)
{
    const std::optional<int> values[6] = {shown.Seconds, shown.Minutes, shown.Hours,
                                          shown.Date,    shown.Month,   shown.Weekday};
    for (size_t f = 0; f < 6; ++f) {
        if (values[f]) alarm.Lists[f]->setCurrentIndex(*values[f]);
    }
}

void AlarmPage::showIrqUsage(uint8_t control)
{
    if (QAbstractButton* button = irqUsage_->button(IrqUsageOf(control))) button->setChecked(true);
}

void AlarmPage::keepOneOfDayOrDate(int number, QComboBox* chosen, QComboBox* other)
{
    const PartType type = context_.bus().part().TypeCode;
    const bool pairShared = type == TypeG || (number == 2 && type == TypeH);
    if (pairShared && chosen->currentIndex() > 0) other->setCurrentIndex(0);
}

// Write: the control register's mode bits (read-modify-write), then the block.
void AlarmPage::writeAlarm(const AlarmControls& alarm, const void* sender)
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const AlarmLayout* layout = FindAlarmLayout(type, alarm.Number);
    if (layout == nullptr) return;
    context_.setStatusPanelText(3, QStringLiteral(" "));

    WriteSequence sequence(bus, sender, controlId(alarm.Write), context_.unlocker());
    sequence.read(layout->Control, 1);
    if (!layout->IrqUsageControl) {
        sequence
            .encode([&] {
                uint8_t& control = bus.data.Regs[layout->Control];
                control = WithModeBits(*layout, control, alarm.Im->isChecked(),
                                       alarm.Enable->isChecked());
            })
            .write(layout->Control, 1);
    }
    // Where the chip cannot be trusted to have the control byte it expects,
    // nothing is written; elsewhere the block goes out all the same.
    if (!sequence.ok() && layout->WriteNeedsControl) {
        sequence.report();
        return;
    }
    sequence.carryOn();

    const AlarmFields chosen = fieldsOf(alarm);
    const AlarmFields fields = OneOfDayOrDate(*layout, chosen);
    if (fields.Weekday != chosen.Weekday) alarm.Lists[5]->setCurrentIndex(fields.Weekday);
    EncodeBlock(*layout, fields, &bus.data.Regs[layout->Block]);
    const uint8_t head = std::min(layout->FirstTransfer, layout->WriteCount);
    sequence.write(layout->Block, head);
    // The block's second part goes as well, whatever became of its first.
    if (head < layout->WriteCount)
        sequence.carryOn().write(static_cast<uint8_t>(layout->Block + head),
                                 layout->WriteCount - head);
    sequence.report();
}

// Read: mode bits (or the IRQ usage), the block, and for the families whose
// alarm hour follows the clock's form, the clock's hour register.
void AlarmPage::readAlarm(const AlarmControls& alarm, const void* sender)
{
    RtcBus& bus = context_.bus();
    const AlarmLayout* layout = FindAlarmLayout(bus.part().TypeCode, alarm.Number);
    if (layout == nullptr) return;
    context_.setStatusPanelText(3, QStringLiteral("Cleared "));
    const uint8_t sub = bus.subAddressLength();

    int32_t result = bus.ReadRegisters(sub, layout->Control, 1);
    if (!Succeeded(result)) {
        bus.ReportResult(sender, controlId(alarm.Read), result);
        return;
    }
    uint8_t& control = bus.data.Regs[layout->Control];
    if (layout->IrqUsageControl) {
        control = static_cast<uint8_t>(IrqUsageOf(control));
        showIrqUsage(control);
    } else {
        const ModeBits bits = ModeBitsOf(*layout, control);
        if (bits.Im) alarm.Im->setChecked(*bits.Im);
        if (bits.Enable) alarm.Enable->setChecked(*bits.Enable);
    }

    // A block that did not arrive is not shown: the lists keep what they showed.
    const uint8_t head = std::min(layout->FirstTransfer, layout->ReadCount);
    result = bus.ReadRegisters(sub, layout->Block, head);
    if (Succeeded(result) && head < layout->ReadCount) {
        result = bus.ReadRegisters(sub, static_cast<uint8_t>(layout->Block + head),
                                   layout->ReadCount - head);
    }
    if (!Succeeded(result)) {
        bus.ReportResult(sender, controlId(alarm.Read), result);
        return;
    }

    // Without the clock's hour form the hour list keeps its selection.
    std::optional<uint8_t> clockHour;
    if (layout->Hours == AlarmHours::ClockMil) {
        uint8_t hour = 0;
        result =
            bus.api().Read(bus.BoardNo, sub, bus.part().RtcAddress, layout->ClockHour, &hour, 1);
        if (Succeeded(result)) clockHour = hour;
    }
    show(alarm, DecodeBlock(*layout, &bus.data.Regs[layout->Block], clockHour));
    bus.ReportResult(sender, controlId(alarm.Read), result);
}

// Clear: the flag is cleared in a copy of the status byte; the other flags are
// written as 1, which leaves them.
void AlarmPage::clearAlarm(const AlarmControls& alarm, const void* sender)
{
    RtcBus& bus = context_.bus();
    const AlarmLayout* layout = FindAlarmLayout(bus.part().TypeCode, alarm.Number);
    if (layout == nullptr || !layout->HasFlag) return;
    const uint8_t sub = bus.subAddressLength();
    const uint8_t slave = bus.part().RtcAddress;

    uint8_t status = 0;
    WriteSequence sequence(bus, sender, controlId(alarm.Clear));
    sequence
        .step([&] { return bus.api().Read(bus.BoardNo, sub, slave, layout->Status, &status, 1); })
        .encode([&] { status = ClearedStatus(*layout, status); })
        .step([&] { return bus.api().Write(bus.BoardNo, sub, slave, layout->Status, &status, 1); });
    if (sequence.ok()) alarm.Lamp->setLit(false);
    sequence.report();
}

void AlarmPage::ReadOnShow()
{
    const int alarms = context_.bus().part().AlarmCount;
    if (alarms >= 1) readAlarm(controls(1), nullptr);
    if (alarms >= 2) readAlarm(controls(2), nullptr);
    Btn_Read_IRQ_ModeClick(); // TypeG only
}

// ---------------------------------------------------------------------------
// First alarm

void AlarmPage::BtnWrAlarmClick()
{
    writeAlarm(controls(1), controlId(sender()));
}

void AlarmPage::BtnRdAlarmClick()
{
    readAlarm(controls(1), controlId(sender()));
}

void AlarmPage::BtnClrAlarmClick()
{
    clearAlarm(controls(1), controlId(sender()));
}

void AlarmPage::cbIMClick()
{
    // One IM bit serves both alarms.
    if (cbIM0->isChecked() != cbIM->isChecked()) cbIM0->setChecked(cbIM->isChecked());
}

void AlarmPage::aDayChange()
{
    keepOneOfDayOrDate(1, aDay, aWeek);
}

void AlarmPage::aWeekChange()
{
    keepOneOfDayOrDate(1, aWeek, aDay);
}

// ---------------------------------------------------------------------------
// Second alarm

void AlarmPage::BtnWriteAlarm0Click()
{
    writeAlarm(controls(2), controlId(sender()));
}

void AlarmPage::BtnRdAlarm0Click()
{
    readAlarm(controls(2), controlId(sender()));
}

void AlarmPage::BtnClrAlarm0Click()
{
    clearAlarm(controls(2), controlId(sender()));
}

void AlarmPage::cbIM0Click()
{
    if (cbIM->isChecked() != cbIM0->isChecked()) cbIM->setChecked(cbIM0->isChecked());
}

void AlarmPage::aDay0Change()
{
    keepOneOfDayOrDate(2, aDay0, aWeek0);
}

void AlarmPage::aWeek0Change()
{
    keepOneOfDayOrDate(2, aWeek0, aDay0);
}

// ---------------------------------------------------------------------------
// IRQ usage (TypeG)

void AlarmPage::Btn_Write_IRQ_ModeClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeG) return;
    uint8_t& control = bus.data.Regs[kIrqUsageRegister];
    const int usage = std::max(0, irqUsage_->checkedId());
    WriteSequence(bus, controlId(sender()), controlId(Btn_Write_IRQ_Mode))
        .read(kIrqUsageRegister, 1)
        .encode([&] { control = WithIrqUsage(control, usage); })
        .write(kIrqUsageRegister, 1)
        .report();
}

void AlarmPage::Btn_Read_IRQ_ModeClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeG) return;
    const int32_t result = bus.ReadRegisters(1, kIrqUsageRegister, 1);
    if (Succeeded(result)) {
        uint8_t& control = bus.data.Regs[kIrqUsageRegister];
        control = static_cast<uint8_t>(IrqUsageOf(control));
        showIrqUsage(control);
    }
    bus.ReportResult(controlId(sender()), controlId(Btn_Read_IRQ_Mode), result);
}
