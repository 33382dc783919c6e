#include "pages/power/PowerPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/power/PowerCodec.h"
#include "widgets/Controls.h"
#include "widgets/LedIndicator.h"

using namespace PowerCodec;

namespace {

QComboBox* tripList(QWidget* parent, const char* name, const QString& hint)
{
    auto* list = named(new QComboBox(parent), name);
    setHint(list, hint);
    list->setMinimumContentsLength(13); // "Undefined-110"
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return list;
}

LedIndicator* lamp(QWidget* parent, const char* name, const QString& hint)
{
    auto* led = named(new LedIndicator(parent), name);
    setHint(led, hint);
    return led;
}

QLabel* switchStampPanel(QWidget* parent, const char* name)
{
    auto* panel = named(new QLabel(parent), name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setMinimumWidth(
        panel->fontMetrics().horizontalAdvance(QStringLiteral("00/00  - 00:00:00 PM")) + 16);
    return panel;
}

} // namespace

PowerPage::PowerPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsPWR"));

    auto* left = new QVBoxLayout;
    left->addWidget(buildVddGroup());
    left->addWidget(buildBatteryGroup());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(buildStampGroup());
    right->addWidget(buildTrickleGroup());
    right->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(left);
    layout->addLayout(right);
    layout->addStretch(1);

    connect(BtnReadVDDTIP, &QPushButton::clicked, this, &PowerPage::BtnReadVDDTIPClick);
    connect(BtnWriteVDDTIP, &QPushButton::clicked, this, &PowerPage::BtnWriteVDDTIPClick);
    connect(BtnReadBATTRIP, &QPushButton::clicked, this, &PowerPage::BtnReadBATTRIPClick);
    connect(BtnWriteBATTRIP, &QPushButton::clicked, this, &PowerPage::BtnWriteBATTRIPClick);
    connect(BtnReadTimeStamps, &QPushButton::clicked, this, &PowerPage::BtnReadTimeStampsClick);
    connect(BtnClearTStamps, &QPushButton::clicked, this, &PowerPage::BtnClearTStampsClick);
    connect(BtnReadTrickK, &QPushButton::clicked, this, &PowerPage::BtnReadTrickKClick);
    connect(BtnWriteTrick, &QPushButton::clicked, this, &PowerPage::BtnWriteTrickClick);
    // The mode follows whichever of the three changes, a click's or a Read's.
    connect(rbBSW1, &QRadioButton::toggled, this, &PowerPage::rbBSW1Click);
    connect(rbBSW2, &QRadioButton::toggled, this, &PowerPage::rbBSW2Click);
    connect(ChkBSW, &QCheckBox::toggled, this, &PowerPage::ChkBSWClick);
}

// ---------------------------------------------------------------------------
// Building

QGroupBox* PowerPage::buildVddGroup()
{
    gbVDDTRIP = named(new QGroupBox(QStringLiteral("VDD Trip Level"), this), "gbVDDTRIP");
    cboVDDTRIP = tripList(gbVDDTRIP, "cboVDDTRIP",
                          QStringLiteral("Sets / Indicates VDD Voltage Trip Level"));
    ChkI2CBAT =
        named(new QCheckBox(QStringLiteral("EN I2C in Bat Mode (I2CBAT)"), gbVDDTRIP), "ChkI2CBAT");
    ChkLVENB = named(new QCheckBox(QStringLiteral("Disable Low VDD Monitor (LVENB)"), gbVDDTRIP),
                     "ChkLVENB");
    setHint(ChkLVENB, QStringLiteral("1, VDD monitor is disabled and LV pin always stays high"));
    BtnReadVDDTIP = named(new QPushButton(QStringLiteral("Read"), gbVDDTRIP), "BtnReadVDDTIP");
    BtnWriteVDDTIP = named(new QPushButton(QStringLiteral("Write"), gbVDDTRIP), "BtnWriteVDDTIP");
    CBSLedVDDTRIP =
        lamp(gbVDDTRIP, "CBSLedVDDTRIP", QStringLiteral("Indicates VDD Trip Level has occurred."));
    auto* lampLabel = named(new QLabel(QStringLiteral("Low VDD Trip"), gbVDDTRIP), "LabelVDDTRIP");

    // The battery switch mode: one setting shown three ways.
    ChkBSW = named(new QCheckBox(QStringLiteral("Battery Switch Over Mode"), gbVDDTRIP), "ChkBSW");
    rbBSW1 = named(new QRadioButton(QStringLiteral("Standard"), gbVDDTRIP), "rbBSW1");
    rbBSW2 = named(new QRadioButton(QStringLiteral("Low Power "), gbVDDTRIP), "rbBSW2");

    auto* grid = new QGridLayout(gbVDDTRIP);
    grid->setVerticalSpacing(4);
    grid->addWidget(cboVDDTRIP, 0, 0);
    auto* lampRow = new QHBoxLayout;
    lampRow->addWidget(CBSLedVDDTRIP);
    lampRow->addWidget(lampLabel);
    lampRow->addStretch(1);
    grid->addLayout(lampRow, 0, 1);
    grid->addWidget(ChkI2CBAT, 1, 0, 1, 2);
    grid->addWidget(ChkLVENB, 2, 0, 1, 2);
    auto* mode = new QHBoxLayout;
    mode->addWidget(ChkBSW);
    mode->addWidget(rbBSW1);
    mode->addWidget(rbBSW2);
    mode->addStretch(1);
    grid->addLayout(mode, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnReadVDDTIP);
    buttons->addWidget(BtnWriteVDDTIP);
    grid->addLayout(buttons, 4, 0, 1, 2);
    return gbVDDTRIP;
}

QGroupBox* PowerPage::buildBatteryGroup()
{
    gbBATTRIP = named(
        new QGroupBox(QStringLiteral(
                          "      85% Level      Battery Trip Level Selection       75% Level     "),
                      this),
        "gbBATTRIP");
    cbo85BATLEVEL = tripList(gbBATTRIP, "cbo85BATLEVEL",
                             QStringLiteral("Sets / Indicates 85% Voltage Trip Level"));
    cbo75BATLEVEL = tripList(gbBATTRIP, "cbo75BATLEVEL",
                             QStringLiteral("Sets / Indicates 75% Voltage Trip Leve"));
    CHKresealb = named(new QCheckBox(QStringLiteral("RESEAL battery"), gbBATTRIP), "CHKresealb");
    setHint(CHKresealb, QStringLiteral("Disconnect Battery Until Next VDD power up."));
    ChkBHYS =
        named(new QCheckBox(QStringLiteral("Enable Battery Switch Over Hysteresis"), gbBATTRIP),
              "ChkBHYS");
    BtnReadBATTRIP = named(new QPushButton(QStringLiteral("Read"), gbBATTRIP), "BtnReadBATTRIP");
    setHint(BtnReadBATTRIP, QStringLiteral("Read Battery Trip Level Register"));
    BtnWriteBATTRIP = named(new QPushButton(QStringLiteral("Write"), gbBATTRIP), "BtnWriteBATTRIP");
    setHint(BtnWriteBATTRIP, QStringLiteral("Write Battery Trip Level Register"));
    CBSLed85BTRIP =
        lamp(gbBATTRIP, "CBSLed85BTRIP", QStringLiteral("Indicates 85% Trip Level has occurred."));
    CBSLed75BTRIP =
        lamp(gbBATTRIP, "CBSLed75BTRIP", QStringLiteral("Indicates 75% Trip Level has occurred."));

    auto* grid = new QGridLayout(gbBATTRIP);
    grid->setVerticalSpacing(4);
    grid->addWidget(cbo85BATLEVEL, 0, 0);
    grid->addWidget(cbo75BATLEVEL, 0, 1);
    const struct {
        LedIndicator* led;
        const char* caption;
        const char* name;
    } lamps[] = {{CBSLed85BTRIP, "85% Trip", "Label85BTRIP"},
                 {CBSLed75BTRIP, "75% Trip", "Label75BTRIP"}};
    int column = 0;
    for (const auto& l : lamps) {
        auto* row = new QHBoxLayout;
        row->addWidget(l.led);
        row->addWidget(named(new QLabel(QLatin1String(l.caption), gbBATTRIP), l.name));
        row->addStretch(1);
        grid->addLayout(row, 1, column++);
    }
    // RESEAL (TypeD) and the hysteresis (TypeF) share the line: bit 6.
    auto* bit6 = new QHBoxLayout;
    bit6->addWidget(CHKresealb);
    bit6->addWidget(ChkBHYS);
    bit6->addStretch(1);
    grid->addLayout(bit6, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnReadBATTRIP);
    buttons->addWidget(BtnWriteBATTRIP);
    grid->addLayout(buttons, 3, 0, 1, 2);
    return gbBATTRIP;
}

QGroupBox* PowerPage::buildStampGroup()
{
    gbTVS2B = named(new QGroupBox(QStringLiteral("    Power Switch Over Time Stamps   "), this),
                    "gbTVS2B");
    pnlTIMESTAMP1 = switchStampPanel(gbTVS2B, "pnlTIMESTAMP1");
    Panel5 = switchStampPanel(gbTVS2B, "Panel5");
    BtnReadTimeStamps =
        named(new QPushButton(QStringLiteral("Read Time Stamps"), gbTVS2B), "BtnReadTimeStamps");
    BtnClearTStamps = named(new QPushButton(QStringLiteral("CLRTS Clear Time Stamps"), gbTVS2B),
                            "BtnClearTStamps");

    auto* grid = new QGridLayout(gbTVS2B);
    grid->setVerticalSpacing(4);
    grid->addWidget(named(new QLabel(QStringLiteral("First VDD to VBAT"), gbTVS2B), "LabelStamp1"),
                    0, 0);
    grid->addWidget(pnlTIMESTAMP1, 0, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Last VBAT to VDD"), gbTVS2B), "LabelStamp2"),
                    1, 0);
    grid->addWidget(Panel5, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnReadTimeStamps);
    buttons->addWidget(BtnClearTStamps);
    grid->addLayout(buttons, 2, 0, 1, 2);
    return gbTVS2B;
}

QGroupBox* PowerPage::buildTrickleGroup()
{
    GroupTrick =
        named(new QGroupBox(QStringLiteral("Trickle Charger Control"), this), "GroupTrick");
    keepRoom(GroupTrick);
    cboTrick = named(new QComboBox(GroupTrick), "cboTrick");
    cboTrick->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ChkTrickEN = named(new QCheckBox(QStringLiteral("Enable "), GroupTrick), "ChkTrickEN");
    BtnReadTrickK = named(new QPushButton(QStringLiteral("Read"), GroupTrick), "BtnReadTrickK");
    BtnWriteTrick = named(new QPushButton(QStringLiteral("Write"), GroupTrick), "BtnWriteTrick");
    for (const char* item : TrickleItems())
        cboTrick->addItem(QLatin1String(item));

    auto* row = new QHBoxLayout(GroupTrick);
    row->addWidget(cboTrick);
    row->addWidget(ChkTrickEN);
    row->addStretch(1);
    row->addWidget(BtnReadTrickK);
    row->addWidget(BtnWriteTrick);
    return GroupTrick;
}

// ---------------------------------------------------------------------------
// Helpers

void PowerPage::refuse(const QString& why)
{
    context_.setStatusPanelText(3, QLatin1Char(' ') + why);
}

bool PowerPage::pcTime24()
{
    const auto* button = qobject_cast<QAbstractButton*>(context_.control("Time24hr24"));
    return button != nullptr && button->isChecked();
}

// ---------------------------------------------------------------------------
// Battery switch mode

void PowerPage::rbBSW1Click()
{
    if (!rbBSW1->isChecked()) return;
    ChkBSW->setChecked(true);
    cboVDDTRIP->setEnabled(true);
}

void PowerPage::rbBSW2Click()
{
    if (!rbBSW2->isChecked()) return;
    ChkBSW->setChecked(false);
    cboVDDTRIP->setEnabled(false);
}

void PowerPage::ChkBSWClick()
{
    (ChkBSW->isChecked() ? rbBSW1 : rbBSW2)->setChecked(true);
}

// ---------------------------------------------------------------------------
// VDD trip level

void PowerPage::ReadOnShow()
{
    BtnReadVDDTIPClick();
    BtnReadBATTRIPClick();
    BtnReadTimeStampsClick();
    BtnReadTrickKClick();
}

void PowerPage::BtnReadVDDTIPClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<PowerRegisters> regs = RegistersOf(type);
    if (!regs) return;
    const int32_t result = bus.ReadRegisters(1, regs->Vdd, 1);
    if (Succeeded(result)) {
        const VddShown shown = DecodeVdd(type, bus.data.Regs[regs->Vdd]);
        cboVDDTRIP->setCurrentIndex(shown.Trip);
        (shown.LowPower ? rbBSW2 : rbBSW1)->setChecked(true);
        if (shown.I2cBat) ChkI2CBAT->setChecked(*shown.I2cBat);
        if (shown.Lvenb) ChkLVENB->setChecked(*shown.Lvenb);
    }
    bus.ReportResult(controlId(sender()), controlId(BtnReadVDDTIP), result);
}

void PowerPage::BtnWriteVDDTIPClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<PowerRegisters> regs = RegistersOf(type);
    if (!regs) return;
    const std::optional<int> trip =
        PowerCodec::WritableEntry(cboVDDTRIP->currentIndex(), VddTripItems());
    if (!trip) {
        refuse(QStringLiteral("Choose a VDD trip level first (Read shows the chip's); nothing "
                              "was written"));
        return;
    }

    // Every write's failure is reported, the first one of the sequence: a
    // trip level the chip never took must not look set.
    WriteSequence sequence(bus, controlId(sender()), controlId(BtnWriteVDDTIP));
    const VddChoice choice{*trip, ChkI2CBAT->isChecked(), ChkLVENB->isChecked()};
    sequence.read(regs->Vdd, 1)
        .encode(
            [&] { bus.data.Regs[regs->Vdd] = EncodeVdd(type, bus.data.Regs[regs->Vdd], choice); })
        .write(regs->Vdd, 1);
    // The switch mode goes on even when the VDD byte could not be read.
    if (regs->SwitchMode) {
        const uint8_t reg = *regs->SwitchMode;
        sequence.carryOn()
            .read(reg, 1)
            .encode([&] {
                bus.data.Regs[reg] = EncodeSwitchMode(bus.data.Regs[reg], rbBSW2->isChecked());
            })
            .write(reg, 1);
    }
    sequence.report();
}

// ---------------------------------------------------------------------------
// Battery trip levels

void PowerPage::BtnReadBATTRIPClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<PowerRegisters> regs = RegistersOf(bus.part().TypeCode);
    if (!regs) return;
    const int32_t result = bus.ReadRegisters(1, regs->Battery, 1);
    // Nothing changes on a failed read: the image byte is not the chip's.
    if (Succeeded(result)) {
        const BatteryShown shown = DecodeBattery(bus.data.Regs[regs->Battery]);
        cbo75BATLEVEL->setCurrentIndex(shown.Level75);
        cbo85BATLEVEL->setCurrentIndex(shown.Level85);
        ChkBHYS->setChecked(shown.Bit6);
        CHKresealb->setChecked(shown.Bit6);
    }
    bus.ReportResult(controlId(sender()), controlId(BtnReadBATTRIP), result);
}

void PowerPage::BtnWriteBATTRIPClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<PowerRegisters> regs = RegistersOf(type);
    if (!regs) return;
    const std::optional<int> level85 =
        PowerCodec::WritableEntry(cbo85BATLEVEL->currentIndex(), Battery85Items());
    const std::optional<int> level75 =
        PowerCodec::WritableEntry(cbo75BATLEVEL->currentIndex(), Battery75Items());
    if (!level85 || !level75) {
        refuse(QStringLiteral("Choose both battery trip levels first (Read shows the chip's); "
                              "nothing was written"));
        return;
    }
    const bool bit6 = type == TypeF ? ChkBHYS->isChecked() : CHKresealb->isChecked();
    WriteSequence(bus, controlId(sender()), controlId(BtnWriteBATTRIP))
        .read(regs->Battery, 1)
        .encode([&] {
            bus.data.Regs[regs->Battery] =
                EncodeBattery(bus.data.Regs[regs->Battery], *level85, *level75, bit6);
        })
        .write(regs->Battery, 1)
        .report();
}

// ---------------------------------------------------------------------------
// Switch-over time stamps

void PowerPage::BtnReadTimeStampsClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<PowerRegisters> regs = RegistersOf(bus.part().TypeCode);
    if (!regs) return;
    const bool hour24 = pcTime24();
    const struct {
        uint8_t reg;
        QLabel* panel;
        StampPanel which;
    } stamps[] = {{regs->StampToBattery, pnlTIMESTAMP1, StampPanel::First},
                  {regs->StampToSupply, Panel5, StampPanel::Last}};
    // Both stamps are tried; one report, of the first failure, so a click
    // never opens two boxes. A panel whose read failed keeps its text.
    FirstFailure first;
    for (const auto& s : stamps) {
        if (!first.keep(bus.ReadRegisters(1, s.reg, 5))) continue;
        std::array<uint8_t, 5> bytes{};
        std::copy_n(bus.data.Regs + s.reg, 5, bytes.begin());
        s.panel->setText(QString::fromStdString(StampText(DecodeStamp(bytes), hour24, s.which)));
    }
    bus.ReportResult(controlId(sender()), controlId(BtnReadTimeStamps), first.code());
}

void PowerPage::BtnClearTStampsClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<PowerRegisters> regs = RegistersOf(bus.part().TypeCode);
    if (!regs) return;
    WriteSequence sequence(bus, controlId(sender()), controlId(BtnClearTStamps));
    uint8_t& vdd = bus.data.Regs[regs->Vdd];
    sequence.read(regs->Vdd, 1);
    if (sequence.ok()) {
        sequence.encode([&] { vdd = WithClrts(vdd, true); }).write(regs->Vdd, 1);
        // CLRTS goes back to 0 even when setting it failed: a half-done
        // clear must not leave the bit up.
        sequence.carryOn().encode([&] { vdd = WithClrts(vdd, false); }).write(regs->Vdd, 1);
    }
    sequence.report();
}

// ---------------------------------------------------------------------------
// Trickle charger (TypeF)

void PowerPage::BtnReadTrickKClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<PowerRegisters> regs = RegistersOf(bus.part().TypeCode);
    if (!regs || !regs->Trickle) return;
    const int32_t result = bus.ReadRegisters(1, *regs->Trickle, 1);
    if (Succeeded(result)) {
        const TrickleShown shown = DecodeTrickle(bus.data.Regs[*regs->Trickle]);
        cboTrick->setCurrentIndex(shown.Resistor);
        ChkTrickEN->setChecked(shown.Enabled);
    }
    bus.ReportResult(controlId(sender()), controlId(BtnReadTrickK), result);
}

void PowerPage::BtnWriteTrickClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<PowerRegisters> regs = RegistersOf(bus.part().TypeCode);
    if (!regs || !regs->Trickle) return;
    const std::optional<int> resistor =
        PowerCodec::WritableEntry(cboTrick->currentIndex(), TrickleItems());
    if (!resistor) {
        refuse(QStringLiteral("Choose a charge resistor first; nothing was written"));
        return;
    }
    const uint8_t reg = *regs->Trickle;
    // Reported like any failure: a charger setting the chip never took must
    // not look set.
    WriteSequence(bus, controlId(sender()), controlId(BtnWriteTrick))
        .read(reg, 1)
        .encode([&] { bus.data.Regs[reg] = EncodeTrickle(*resistor, ChkTrickEN->isChecked()); })
        .write(reg, 1)
        .report();
}
