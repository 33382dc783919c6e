#include "app/setup/SetupPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "PartSelection.h"
#include "app/polling/PollLogic.h"
#include "app/setup/SetupCodec.h"
#include "bus/RtcBus.h"
#include "pages/PageContext.h"
#include "widgets/Controls.h"
#include "widgets/LedIndicator.h"

namespace {

QGroupBox* group(const char* name, const QString& title, QWidget* parent)
{
    return named(new QGroupBox(title, parent), name);
}

// Status group lines: lamp at the left, label beside it, one line every
// kLinePitch pixels from kFirstLine down.
constexpr int kFirstLine = 22;
constexpr int kLinePitch = 21;
constexpr int kLampLeft = 10;
constexpr int kLabelLeft = kLampLeft + LedIndicator::kSize + 6;

// Every caption a status label is given, so the group is wide enough for all.
constexpr std::array<const char*, 6> kWidestStatusCaptions{
    "Oscillator Failure (OSCF)", "RTC Power Fail (RTCF)", "Battery Backup (BAT)",
    "Event Detect (EVT)",        "Alarm Bit (ALM)",       "DST Adjusted"};

// Clear Events: status register and the bits the other buttons leave set.
constexpr uint8_t kEventRegister = 0x07;
constexpr uint8_t kEventFlagBits = 0x0F;

// Read ID: eight ID bytes of the parts with a unique ID.
constexpr uint8_t kIdSlave = 0xDE;
constexpr uint32_t kIdAddress = 0x20;
constexpr uint32_t kIdCount = 8;

} // namespace

SetupPage::SetupPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsSetup"));
    grid_ = new QGridLayout(this);
    grid_->setContentsMargins(4, 4, 4, 4);
    grid_->setHorizontalSpacing(6);
    grid_->setVerticalSpacing(4);

    buildLeftColumn();
    buildStatusGroup();
    buildRightColumn();
    reserveRoom();
    connectHandlers();
}

void SetupPage::reserveRoom()
{
    // The part choice shows and hides groups; the columns keep the width of
    // their widest state so that the window's fixed size fits every part.
    grid_->setColumnMinimumWidth(
        1, std::max(GroupStatus->minimumWidth(), GroupBox25->minimumSizeHint().width()));

    Read_ID_Buf->setVisible(true);
    GroupBox38->layout()->invalidate();
    const int idWidth = GroupBox38->minimumSizeHint().width();
    const int idHeight = GroupBox38->minimumSizeHint().height();
    Read_ID_Buf->setVisible(false);
    QFontMetrics productMetrics(lblProduct->font());
    const int productWidth = productMetrics.horizontalAdvance(QStringLiteral("Not Selected"));
    grid_->setColumnMinimumWidth(2, std::max({Features->width(), idWidth, productWidth}));
    const int rightColumn = grid_->contentsMargins().top() + grid_->contentsMargins().bottom() +
                            lblProduct->sizeHint().height() + Features->height() + idHeight + 8;
    setMinimumHeight(std::max(grid_->totalMinimumSize().height(), rightColumn));
}

void SetupPage::buildLeftColumn()
{
    GroupEvalBoard = group("GroupEvalBoard", QStringLiteral(" Eval Board Select "), this);
    EvalBoardSel = named(new QComboBox(GroupEvalBoard), "EvalBoardSel");
    EvalBoardSel->addItem(QStringLiteral("None Detected"));
    auto* evalLayout = new QVBoxLayout(GroupEvalBoard);
    evalLayout->addWidget(EvalBoardSel);

    GroupDevice = group("GroupDevice", QStringLiteral(" Device Select "), this);
    DeviceSel = named(new QComboBox(GroupDevice), "DeviceSel");
    DeviceSel->setMaxVisibleItems(22);
    auto* deviceLayout = new QVBoxLayout(GroupDevice);
    deviceLayout->addWidget(DeviceSel);

    GroupBussSpeed = group("GroupBussSpeed", QStringLiteral(" I2C Buss Speed "), this);
    BussSpeedSel = named(new QComboBox(GroupBussSpeed), "BussSpeedSel");
    BussSpeedSel->setMaxVisibleItems(19);
    LabelKHz = named(new QLabel(QStringLiteral("KHz"), GroupBussSpeed), "LabelKHz");
    auto* speedLayout = new QHBoxLayout(GroupBussSpeed);
    speedLayout->addWidget(BussSpeedSel, 1);
    speedLayout->addWidget(LabelKHz);

    GroupDeviceControls = group("GroupDeviceControls", QStringLiteral(" Device Controls "), this);
    setHint(GroupDeviceControls, QStringLiteral("Control VCC to RTC"));
    VccChecked =
        named(new QCheckBox(QStringLiteral("VDD Enabled"), GroupDeviceControls), "VccChecked");
    VccChecked->setChecked(false);
    setHint(VccChecked, QStringLiteral("RTC Vcc Switch"));
    auto* controlsLayout = new QVBoxLayout(GroupDeviceControls);
    controlsLayout->addWidget(VccChecked);

    GroupTempCal = group("GroupTempCal", QStringLiteral(" Temperature Calibration "), this);
    setHint(GroupTempCal, QStringLiteral("RTC Temperature Offset"));
    TempCal = named(new QLabel(GroupTempCal), "TempCal");
    TempCal->setFrameShape(QFrame::Panel);
    TempCal->setFrameShadow(QFrame::Sunken);
    TempCal->setAlignment(Qt::AlignCenter);
    TempCal->setMinimumWidth(TempCal->fontMetrics().horizontalAdvance(QStringLiteral("-5.0*C")) +
                             16);
    setHint(TempCal, QStringLiteral("Temperature Offset"));
    CSpinButton1 = named(new QWidget(GroupTempCal), "CSpinButton1");
    CSpinButton1Up = named(new QToolButton(CSpinButton1), "CSpinButton1Up");
    CSpinButton1Up->setArrowType(Qt::UpArrow);
    CSpinButton1Down = named(new QToolButton(CSpinButton1), "CSpinButton1Down");
    CSpinButton1Down->setArrowType(Qt::DownArrow);
    auto* spinLayout = new QVBoxLayout(CSpinButton1);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    for (QToolButton* arrow : {CSpinButton1Up, CSpinButton1Down}) {
        arrow->setFixedSize(16, 11);
        arrow->setAutoRepeat(true);
        spinLayout->addWidget(arrow);
    }
    rbLM75Select = named(new QRadioButton(QStringLiteral("LM75"), GroupTempCal), "rbLM75Select");
    rbLM76Select = named(new QRadioButton(QStringLiteral("LM76"), GroupTempCal), "rbLM76Select");
    rbLM75Select->setChecked(true);
    auto* tempLayout = new QGridLayout(GroupTempCal);
    auto* offsetRow = new QHBoxLayout;
    offsetRow->setSpacing(2);
    offsetRow->addWidget(TempCal, 1);
    offsetRow->addWidget(CSpinButton1);
    tempLayout->addLayout(offsetRow, 0, 0, 1, 2);
    tempLayout->addWidget(rbLM75Select, 1, 0);
    tempLayout->addWidget(rbLM76Select, 1, 1);

    Time24hr = group("Time24hr", QStringLiteral(" PC Time Format "), this);
    Time24hr12 = named(new QRadioButton(QStringLiteral("12-Hour"), Time24hr), "Time24hr12");
    Time24hr24 = named(new QRadioButton(QStringLiteral("24-Hour"), Time24hr), "Time24hr24");
    Time24hr12->setChecked(true);
    auto* formatLayout = new QHBoxLayout(Time24hr);
    formatLayout->addWidget(Time24hr12);
    formatLayout->addWidget(Time24hr24);
    Time24hr->hide();

    int row = 0;
    for (QWidget* box :
         std::initializer_list<QWidget*>{GroupEvalBoard, GroupDevice, GroupBussSpeed,
                                         GroupDeviceControls, GroupTempCal, Time24hr})
        grid_->addWidget(box, row++, 0);
    grid_->setRowStretch(row, 1);
}

void SetupPage::buildStatusGroup()
{
    GroupStatus = group("GroupStatus", QStringLiteral(" Status Register "), this);

    struct Line {
        LedIndicator** lamp;
        const char* lampName;
        QLabel** label;
        const char* labelName;
        const char* caption;
    };
    const Line lines[] = {
        {&LedRTCF, "LedRTCF", &LabelRTCF, "LabelRTCF", "RTC Power Fail (RTCF)"},
        {&LedBAT, "LedBAT", &LabelBAT, "LabelBAT", "Battery Backup (BAT)"},
        {&LedALM, "LedALM", &LabelALM, "LabelALM", "Alarm Bit (ALM)"},
        {&LedEVT, "LedEVT", &LabelEVT, "LabelEVT", "Event Detect (EVT)"},
        {&LedAlarm2, "LedAlarm2", &lblAlarm2, "lblAlarm2", "Alarm0 (AL0)"},
        {&LedOSCfail, "LedOSCfail", &lblOSCFail, "lblOSCFail", "Oscillator Failure (OSCF)"},
        {&CBSLed2, "CBSLed2", &Label53, "Label53", "Oscillator Failure (OSCF)"},
        {&CBSLed3, "CBSLed3", &Label54, "Label54", "Oscillator Failure (OSCF)"},
        {&CBSLed8, "CBSLed8", &LabelLed8, "LabelLed8", "XOSCF"},
        {&CBSLed9, "CBSLed9", &LabelLed9, "LabelLed9", "ACFAIL"},
        {&CBSLed10, "CBSLed10", &LabelLed10, "LabelLed10", "ACRDY"},
    };

    const QFontMetrics metrics(font());
    int labelWidth = 0;
    for (const char* caption : kWidestStatusCaptions)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(QLatin1String(caption)));
    labelWidth += 6;

    int top = kFirstLine;
    for (const Line& line : lines) {
        *line.lamp = named(new LedIndicator(GroupStatus), line.lampName);
        (*line.lamp)->move(kLampLeft, top);
        *line.label = named(new QLabel(QLatin1String(line.caption), GroupStatus), line.labelName);
        (*line.label)->setGeometry(kLabelLeft, top, labelWidth, LedIndicator::kSize);
        top += kLinePitch;
    }
    // Lines of the design that the part choice hides until a family needs them.
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{Label53, Label54, CBSLed2, CBSLed3, CBSLed8, CBSLed9,
                                         CBSLed10, LabelLed8, LabelLed9, LabelLed10})
        hidden->hide();
    GroupStatus->setMinimumSize(kLabelLeft + labelWidth + 6,
                                top - kLinePitch + LedIndicator::kSize + 8);

    GroupBox25 = group("GroupBox25", QStringLiteral(" Clear Events "), this);
    BtnClrAlmEvent = named(new QPushButton(QStringLiteral("ALM"), GroupBox25), "BtnClrAlmEvent");
    BtnClrEvtEvent = named(new QPushButton(QStringLiteral("EVT"), GroupBox25), "BtnClrEvtEvent");
    BtnClrBatEvent = named(new QPushButton(QStringLiteral(" BAT"), GroupBox25), "BtnClrBatEvent");
    BtnClrAllEvents = named(new QPushButton(QStringLiteral("All"), GroupBox25), "BtnClrAllEvents");
    auto* clearLayout = new QHBoxLayout(GroupBox25);
    clearLayout->setSpacing(3);
    for (QPushButton* button : {BtnClrAlmEvent, BtnClrEvtEvent, BtnClrBatEvent, BtnClrAllEvents}) {
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral(" BAT")) +
                                8);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        clearLayout->addWidget(button);
    }

    // The buttons' preferred width would widen the column whenever the group
    // is shown, moving the Features grid with the part; the column keeps the
    // status group's width instead (its minimum still fits the buttons).
    GroupBox25->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    grid_->addWidget(GroupStatus, 0, 1, 4, 1, Qt::AlignTop);
    grid_->addWidget(GroupBox25, 4, 1, 1, 1, Qt::AlignTop);
}

void SetupPage::buildRightColumn()
{
    lblProduct = named(new QLabel(QStringLiteral("Product"), this), "lblProduct");
    QFont productFont = lblProduct->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.4);
    lblProduct->setFont(productFont);
    lblProduct->setAlignment(Qt::AlignCenter);

    Features = named(new QTableWidget(10, 2, this), "Features");
    Features->horizontalHeader()->hide();
    Features->verticalHeader()->hide();
    Features->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Features->setSelectionMode(QAbstractItemView::NoSelection);
    Features->setFocusPolicy(Qt::NoFocus);
    Features->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Features->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = Features->fontMetrics().height() + 4;
    for (int r = 0; r < Features->rowCount(); ++r) {
        Features->setRowHeight(r, rowHeight);
        for (int c = 0; c < Features->columnCount(); ++c)
            Features->setItem(r, c, new QTableWidgetItem);
    }
    const QFontMetrics metrics = Features->fontMetrics();
    const int nameWidth = metrics.horizontalAdvance(QStringLiteral("Battery Backup")) + 12;
    const int valueWidth = metrics.horizontalAdvance(QStringLiteral("1024 Byte(s)")) + 12;
    Features->setColumnWidth(0, nameWidth);
    Features->setColumnWidth(1, valueWidth);
    const int frame = 2 * Features->frameWidth();
    Features->setFixedSize(nameWidth + valueWidth + frame, rowHeight * 10 + frame);

    GroupBox38 = group("GroupBox38", QStringLiteral("ID00 - ID07"), this);
    BtnReadID = named(new QPushButton(QStringLiteral("Read ID"), GroupBox38), "BtnReadID");
    Read_ID_Buf =
        named(new QLineEdit(QStringLiteral("FFFFFFFFFFFFFFFF"), GroupBox38), "Read_ID_Buf");
    Read_ID_Buf->setReadOnly(true);
    setHint(Read_ID_Buf, QStringLiteral("Readback of ID Register"));
    Read_ID_Buf->setMinimumWidth(
        Read_ID_Buf->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDDDDDDDDDD")) + 12);
    Read_ID_Buf->hide();
    auto* idLayout = new QVBoxLayout(GroupBox38);
    idLayout->addWidget(BtnReadID);
    idLayout->addWidget(Read_ID_Buf);
    GroupBox38->hide();

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addWidget(lblProduct);
    column->addWidget(Features, 0, Qt::AlignHCenter);
    // Under the Features grid and as wide, rather than stretched across the page.
    GroupBox38->setMinimumWidth(Features->width());
    column->addWidget(GroupBox38, 0, Qt::AlignHCenter);
    column->addStretch(1);
    grid_->addLayout(column, 0, 2, 6, 1);
    grid_->setColumnStretch(2, 1);
}

bool SetupPage::is24Hour() const
{
    return Time24hr24->isChecked();
}

// ---------------------------------------------------------------------------
// Handlers

void SetupPage::connectHandlers()
{
    connect(BtnClrAlmEvent, &QPushButton::clicked, this,
            [this] { BtnClrAlmEventClick(BtnClrAlmEvent); });
    connect(BtnClrEvtEvent, &QPushButton::clicked, this,
            [this] { BtnClrEvtEventClick(BtnClrEvtEvent); });
    connect(BtnClrBatEvent, &QPushButton::clicked, this,
            [this] { BtnClrBatEventClick(BtnClrBatEvent); });
    connect(BtnClrAllEvents, &QPushButton::clicked, this,
            [this] { BtnClrAllEventsClick(BtnClrAllEvents); });
    connect(BtnReadID, &QPushButton::clicked, this, [this] { BtnReadIDClick(BtnReadID); });
    // A program-set choice runs the handler as a click does.
    connect(rbLM75Select, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbLM75SelectClick();
    });
    connect(rbLM76Select, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbLM76SelectClick();
    });
    connect(CSpinButton1Up, &QToolButton::clicked, this, &SetupPage::CSpinButton1UpClick);
    connect(CSpinButton1Down, &QToolButton::clicked, this, &SetupPage::CSpinButton1DownClick);
}

void SetupPage::clearEvents(QObject* sender, QPushButton* button, uint8_t keepMask,
                            std::initializer_list<LedIndicator*> lamps)
{
    RtcBus& bus = context_.bus();
    const uint8_t slave = bus.part().RtcAddress;
    uint8_t work = 0;
    int32_t result = bus.api().Read(bus.BoardNo, 1, slave, kEventRegister, &work, 1);
    if (Succeeded(result)) {
        // Writing 1 leaves a flag alone; only the cleared bits reset flags.
        work = static_cast<uint8_t>((work | kEventFlagBits) & keepMask);
        result = bus.api().Write(bus.BoardNo, 1, slave, kEventRegister, &work, 1);
        for (LedIndicator* lamp : lamps)
            lamp->setLit(false);
    }
    bus.ReportResult(controlId(sender), controlId(button), result);
}

void SetupPage::BtnClrAlmEventClick(QObject* sender)
{
    clearEvents(sender, BtnClrAlmEvent, 0xFB, {LedALM});
}

void SetupPage::BtnClrEvtEventClick(QObject* sender)
{
    clearEvents(sender, BtnClrEvtEvent, 0xF7, {LedEVT});
}

void SetupPage::BtnClrBatEventClick(QObject* sender)
{
    clearEvents(sender, BtnClrBatEvent, 0xFD, {LedBAT});
}

void SetupPage::BtnClrAllEventsClick(QObject* sender)
{
    clearEvents(sender, BtnClrAllEvents, 0xF1, {LedEVT, LedALM, LedBAT});
}

void SetupPage::BtnReadIDClick(QObject* sender)
{
    RtcBus& bus = context_.bus();
    Read_ID_Buf->clear();
    // The memory transfers take the ID parts' address length, and the raw
    // bus page picks up this transfer.
    PageLinks& links = context_.links();
    if (links.userMemory != nullptr) links.userMemory->setAddressLength(2);
    if (links.rawBus != nullptr) links.rawBus->setTransfer(kIdSlave, kIdAddress, kIdCount);
    uint8_t bytes[kIdCount] = {};
    const int32_t result = bus.api().Read(bus.BoardNo, 2, kIdSlave, kIdAddress, bytes, kIdCount);
    if (Succeeded(result)) {
        QString text;
        for (const uint8_t byte : bytes)
            text += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        Read_ID_Buf->setText(text);
        Read_ID_Buf->show();
    }
    bus.ReportResult(controlId(sender), controlId(BtnReadID), result);
}

void SetupPage::partChosen()
{
    const RtcBus& bus = context_.bus();
    const PartInfo& part = bus.part();
    lblProduct->setText(QString::fromLatin1(part.PartName));
    if (SetupCodec::HasIdGroup(part)) {
        GroupBox38->setTitle(QLatin1String(SetupCodec::kIdGroupCaption));
        GroupBox38->show();
    }
    const auto rows = FeatureRows(bus.partRow());
    for (int r = 0; r < kFeatureRows && r < Features->rowCount(); ++r) {
        const FeatureRow& feature = rows[static_cast<size_t>(r)];
        const QString cells[2] = {QString::fromStdString(feature.Name),
                                  QString::fromStdString(feature.Value)};
        for (int c = 0; c < 2 && c < Features->columnCount(); ++c) {
            QTableWidgetItem* item = Features->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                Features->setItem(r, c, item);
            }
            item->setText(cells[c]);
        }
    }
}

void SetupPage::rbLM75SelectClick()
{
    context_.bus().TempSensor = 75;
    if (QWidget* label = context_.control(QStringLiteral("Label4")))
        label->setProperty("text", QStringLiteral("LM75 Temperature"));
}

void SetupPage::rbLM76SelectClick()
{
    context_.bus().TempSensor = 76;
    if (QWidget* label = context_.control(QStringLiteral("Label4")))
        label->setProperty("text", QStringLiteral("LM76 Temperature"));
}

void SetupPage::CSpinButton1UpClick()
{
    int32_t& offset = context_.bus().data.TempOffset;
    offset = TempOffsetUp(offset);
    ShowTempOffset();
}

void SetupPage::CSpinButton1DownClick()
{
    int32_t& offset = context_.bus().data.TempOffset;
    offset = TempOffsetDown(offset);
    ShowTempOffset();
}

void SetupPage::ShowTempOffset()
{
    TempCal->setText(QString::fromStdString(TempOffsetText(context_.bus().data.TempOffset)));
}
