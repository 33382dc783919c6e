#include "pages/interrupt/InterruptPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "PartSelection.h"
#include "bus/HexField.h"
#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/interrupt/InterruptCodec.h"
#include "pages/tempcomp/TempCompCodec.h"
#include "widgets/Controls.h"
#include "widgets/LedIndicator.h"

using namespace InterruptCodec;

namespace {

QLineEdit* timerBox(QWidget* parent, const char* name)
{
    auto* box = named(new QLineEdit(QStringLiteral("01"), parent), name);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("DD")) + 14);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

} // namespace

InterruptPage::InterruptPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsInterrupt"));

    leftColumn_ = new QVBoxLayout;
    leftColumn_->addWidget(buildFreqGroup());
    leftColumn_->addWidget(buildTseRefreshGroup());
    leftColumn_->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(leftColumn_);
    layout->addWidget(buildTimerGroup(), 0, Qt::AlignTop);
    layout->addStretch(1);

    connectHandlers();
}

QGroupBox* InterruptPage::buildFreqGroup()
{
    GroupBox10 = named(new QGroupBox(QStringLiteral(" Frequency Out on Interrupt Pin "), this),
                       "GroupBox10");
    Label25 = named(new QLabel(QStringLiteral("Frequency Out (FO)"), GroupBox10), "Label25");
    FreqOutSel = named(new QComboBox(GroupBox10), "FreqOutSel");
    FreqOutSel->addItems(itemList(DesignFreqItems()));
    FreqOutSel->setCurrentIndex(0);
    FreqOutSel->setMinimumContentsLength(16);
    FreqOutSel->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbFOBATB = named(
        new QCheckBox(QStringLiteral("Disable Frequency Out in Battery Mode (FOBATB)"), GroupBox10),
        "cbFOBATB");
    ChkBA1E = named(new QCheckBox(QStringLiteral("A1E Alarm / IRQ Enable"), GroupBox10), "ChkBA1E");
    ChkBA1E->setEnabled(false);
    ChkBA1E->hide();
    Label99 = named(
        new QLabel(QStringLiteral("First choose \"Alarm1\" from pull-down box above."), GroupBox10),
        "Label99");
    Label99->hide();
    BtnRdInt = named(new QPushButton(QStringLiteral("Read"), GroupBox10), "BtnRdInt");
    BtnWrInt = named(new QPushButton(QStringLiteral("Write"), GroupBox10), "BtnWrInt");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnRdInt);
    buttons->addWidget(BtnWrInt);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout(GroupBox10);
    column->addWidget(Label25);
    column->addWidget(FreqOutSel, 0, Qt::AlignLeft);
    column->addWidget(cbFOBATB);
    column->addWidget(ChkBA1E);
    column->addWidget(Label99);
    column->addSpacing(4);
    column->addLayout(buttons);
    return GroupBox10;
}

QGroupBox* InterruptPage::buildTimerGroup()
{
    GrpBoxTimer = named(new QGroupBox(QStringLiteral("User Timer Control"), this), "GrpBoxTimer");
    // The window is sized once, for the largest page; the group counts even
    // while the part choice hides it.
    QSizePolicy policy = GrpBoxTimer->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    GrpBoxTimer->setSizePolicy(policy);
    GrpBoxTimer->hide();

    auto* freqLabel = named(new QLabel(QStringLiteral("Timer Clock Freq. (TCLK1:0)"), GrpBoxTimer),
                            "LabelTimerFreq");
    cboTimerFreq = named(new QComboBox(GrpBoxTimer), "cboTimerFreq");
    setHint(cboTimerFreq, QStringLiteral("Sets Timer Frequency of Operation"));
    cboTimerFreq->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* modeLabel =
        named(new QLabel(QStringLiteral("Timer Mode(TMOD1:0)"), GrpBoxTimer), "LabelTmrMode");
    cboTmrMode = named(new QComboBox(GrpBoxTimer), "cboTmrMode");
    setHint(cboTmrMode, QStringLiteral("Selects one of four User Timer Modes"));
    cboTmrMode->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cbTimerEnable =
        named(new QCheckBox(QStringLiteral("Timer Enable"), GrpBoxTimer), "cbTimerEnable");
    chkbTimerTIM =
        named(new QCheckBox(QStringLiteral("Single Event, click to change"), GrpBoxTimer),
              "chkbTimerTIM");
    chkIRQ1E = named(new QCheckBox(QStringLiteral("IRQ1E"), GrpBoxTimer), "chkIRQ1E");
    Label90 =
        named(new QLabel(QStringLiteral("Undefined, click to change"), GrpBoxTimer), "Label90");
    chkIRQ2E = named(new QCheckBox(QStringLiteral("IRQ2E"), GrpBoxTimer), "chkIRQ2E");
    Label91 =
        named(new QLabel(QStringLiteral("UnDefined, click to change"), GrpBoxTimer), "Label91");

    // Each pin's text under its box, indented to the box's caption.
    const int indent = chkIRQ1E->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                       chkIRQ1E->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    Label90->setIndent(indent);
    Label91->setIndent(indent);
    auto* settings = new QVBoxLayout;
    settings->setSpacing(3);
    for (QWidget* control : std::initializer_list<QWidget*>{freqLabel, cboTimerFreq, modeLabel,
                                                            cboTmrMode, cbTimerEnable, chkbTimerTIM,
                                                            chkIRQ1E, Label90, chkIRQ2E, Label91})
        settings->addWidget(control, 0, Qt::AlignLeft);
    settings->insertSpacing(4, 4);
    settings->addStretch(1);

    auto* registers = named(new QGroupBox(QStringLiteral("Timer Registers (Hex)"), GrpBoxTimer),
                            "GroupTimerRegisters");
    tedTimerInitial = timerBox(registers, "tedTimerInitial");
    tedCntReg = timerBox(registers, "tedCntReg");
    tedCntReg->setEnabled(false);
    tedTmrSub = timerBox(registers, "tedTmrSub");
    auto* boxes = new QGridLayout(registers);
    boxes->setVerticalSpacing(4);
    boxes->setHorizontalSpacing(4);
    boxes->addWidget(new QLabel(QStringLiteral("Initial Reg. Counter 0x12"), registers), 0, 0);
    boxes->addWidget(tedTimerInitial, 0, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Counter Reg. (Read Only) 0x13"), registers), 1, 0);
    boxes->addWidget(tedCntReg, 1, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Sub Count Reg.  (Write Only) 0x14"), registers), 2,
                     0);
    boxes->addWidget(tedTmrSub, 2, 1);

    Label92 = named(new QLabel(QString(), GrpBoxTimer), "Label92");
    Label92->setMinimumHeight(Label92->fontMetrics().height());
    QPalette warning = Label92->palette();
    warning.setColor(QPalette::WindowText, Qt::red);
    Label92->setPalette(warning);

    CBSLed11 = named(new LedIndicator(GrpBoxTimer), "CBSLed11");
    auto* lampLabel =
        named(new QLabel(QStringLiteral("Timer Bit (TMR)"), GrpBoxTimer), "LabelLed11");
    auto* lamp = new QHBoxLayout;
    lamp->addWidget(CBSLed11);
    lamp->addWidget(lampLabel);
    lamp->addStretch(1);

    BtnReadTimer = named(new QPushButton(QStringLiteral("Read"), GrpBoxTimer), "BtnReadTimer");
    BtnWriteTimer = named(new QPushButton(QStringLiteral("Write"), GrpBoxTimer), "BtnWriteTimer");
    bntClearTimer =
        named(new QPushButton(QStringLiteral("Clear TMR"), GrpBoxTimer), "bntClearTimer");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnReadTimer);
    buttons->addWidget(BtnWriteTimer);
    buttons->addWidget(bntClearTimer);

    auto* right = new QVBoxLayout;
    right->addWidget(registers);
    right->addWidget(Label92);
    right->addLayout(lamp);
    right->addStretch(1);
    right->addLayout(buttons);

    auto* columns = new QHBoxLayout(GrpBoxTimer);
    columns->addLayout(settings);
    columns->addLayout(right);
    return GrpBoxTimer;
}

QGroupBox* InterruptPage::buildTseRefreshGroup()
{
    gbTSEREFRESH = named(new QGroupBox(QStringLiteral("TSE Refresh"), this), "gbTSEREFRESH");
    // Like the timer group it counts for the window's size while hidden.
    QSizePolicy policy = gbTSEREFRESH->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    gbTSEREFRESH->setSizePolicy(policy);
    gbTSEREFRESH->hide();
    cboTSEREFRESH = named(new QComboBox(gbTSEREFRESH), "cboTSEREFRESH");
    cboTSEREFRESH->addItems(itemList(TseRefreshItems()));
    cboTSEREFRESH->setCurrentIndex(0);
    cboTSEREFRESH->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblTSEREFRESH = named(new QLabel(QStringLiteral("Select how often (in secs) the software "
                                                    "writes the TSE bit to force a temp. update."),
                                     gbTSEREFRESH),
                          "lblTSEREFRESH");
    lblTSEREFRESH->setWordWrap(true);
    // Its lines at a fixed width: a height that follows the width would make
    // the window's fixed height follow it too.
    const int width = lblTSEREFRESH->fontMetrics().horizontalAdvance(
        QStringLiteral("Select how often (in secs) the software writes"));
    lblTSEREFRESH->setFixedSize(width, lblTSEREFRESH->heightForWidth(width));

    auto* row = new QHBoxLayout(gbTSEREFRESH);
    row->addWidget(cboTSEREFRESH, 0, Qt::AlignTop);
    row->addWidget(lblTSEREFRESH, 0, Qt::AlignTop);
    row->addStretch(1);
    return gbTSEREFRESH;
}

void InterruptPage::connectHandlers()
{
    connect(BtnWrInt, &QPushButton::clicked, this, &InterruptPage::BtnWrIntClick);
    connect(BtnRdInt, &QPushButton::clicked, this, &InterruptPage::BtnRdIntClick);
    connect(FreqOutSel, &QComboBox::activated, this, &InterruptPage::FreqOutSelChange);
    connect(BtnReadTimer, &QPushButton::clicked, this, &InterruptPage::BtnReadTimerClick);
    connect(BtnWriteTimer, &QPushButton::clicked, this, &InterruptPage::BtnWriteTimerClick);
    connect(bntClearTimer, &QPushButton::clicked, this, &InterruptPage::bntClearTimerClick);
    // The texts follow the boxes whoever changes them, a click or a Read.
    connect(chkIRQ1E, &QCheckBox::toggled, this, &InterruptPage::chkIRQ1EClick);
    connect(chkIRQ2E, &QCheckBox::toggled, this, &InterruptPage::chkIRQ2EClick);
    connect(chkbTimerTIM, &QCheckBox::toggled, this, &InterruptPage::chkbTimerTIMClick);
    connect(cboTmrMode, &QComboBox::activated, this, &InterruptPage::cboTmrModeChange);
    connect(cboTimerFreq, &QComboBox::activated, this, &InterruptPage::cboTimerFreqChange);
    connect(cboTSEREFRESH, &QComboBox::activated, this, &InterruptPage::cboTSEREFRESHChange);
}

void InterruptPage::partChosen()
{
    // Every part choice stops the TSE refresh.
    tseRefreshPeriod_ = 0;
    tseRefreshCount_ = 0;
    const RtcBus& bus = context_.bus();
    if (TypeBlockFor(bus.partRow()) != TypeBlock::NoneAB) return;
    // The family block selects the entry.
    FreqOutSel->clear();
    FreqOutSel->addItems(itemList(FreqItemsOfPart(bus.part().PartName)));
    FreqOutSel->setCurrentIndex(-1);
    const FreqCaptions captions = FreqCaptionsOfPart(bus.part().PartName);
    if (captions.Group != nullptr) GroupBox10->setTitle(QString::fromLatin1(captions.Group));
    if (captions.Label != nullptr) Label25->setText(QString::fromLatin1(captions.Label));
}

void InterruptPage::refuse(const QString& why)
{
    context_.setStatusPanelText(3, QLatin1Char(' ') + why);
}

// ---------------------------------------------------------------------------
// Frequency out

void InterruptPage::BtnWrIntClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<uint8_t> reg = FreqRegister(type);
    if (!reg) return;
    const int index = FreqOutSel->currentIndex();
    if (index < 0) {
        refuse(QStringLiteral("Choose a frequency first; nothing was written"));
        return;
    }
    const FreqChoice choice{index, cbFOBATB->isChecked(), ChkBA1E->isChecked()};
    // The write's own failure is reported as well: the chip would not have
    // taken the choice.
    WriteSequence(bus, controlId(sender()), controlId(BtnWrInt), context_.unlocker())
        .read(*reg, 1)
        .encode([&] { bus.data.Regs[*reg] = EncodeFreq(type, bus.data.Regs[*reg], choice); })
        .write(*reg, 1)
        .report();
}

void InterruptPage::ReadOnShow()
{
    BtnRdIntClick();
    BtnReadTimerClick();
}

void InterruptPage::BtnRdIntClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<uint8_t> reg = FreqRegister(type);
    if (!reg) return;
    const int32_t result = bus.ReadRegisters(bus.subAddressLength(), *reg, 1);
    if (Succeeded(result)) {
        const FreqShown shown = DecodeFreq(type, bus.data.Regs[*reg]);
        // A code the family's list has no entry for shows no entry.
        FreqOutSel->setCurrentIndex(shown.Index < FreqOutSel->count() ? shown.Index : -1);
        if (shown.Fobatb) cbFOBATB->setChecked(*shown.Fobatb);
        if (shown.A1e) ChkBA1E->setChecked(*shown.A1e);
        if (shown.A1eUsable) ChkBA1E->setEnabled(*shown.A1eUsable);
        if (shown.NewImage) bus.data.Regs[*reg] = *shown.NewImage;
    }
    bus.ReportResult(controlId(sender()), controlId(BtnRdInt), result);
}

void InterruptPage::FreqOutSelChange()
{
    ChkBA1E->setEnabled(A1eUsable(FreqOutSel->currentIndex()));
}

// ---------------------------------------------------------------------------
// User timer (VK390)

void InterruptPage::chkIRQ1EClick()
{
    Label90->setText(QString::fromLatin1(Irq1eText(chkIRQ1E->isChecked())));
}

void InterruptPage::chkIRQ2EClick()
{
    Label91->setText(QString::fromLatin1(Irq2eText(chkIRQ2E->isChecked())));
}

void InterruptPage::chkbTimerTIMClick()
{
    chkbTimerTIM->setText(QString::fromLatin1(TimText(chkbTimerTIM->isChecked(), SetBy::Click)));
}

void InterruptPage::checkClockSource(bool afterModeChange)
{
    const std::string message =
        ClockSourceMessage(cboTimerFreq->currentIndex(), cboTmrMode->currentIndex(),
                           afterModeChange ? CheckAfter::ModeChange : CheckAfter::ClockOrRead);
    Label92->setText(QString::fromStdString(message));
}

void InterruptPage::cboTmrModeChange()
{
    checkClockSource(true);
}

void InterruptPage::cboTimerFreqChange()
{
    checkClockSource(false);
}

void InterruptPage::BtnReadTimerClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeK) return;
    const void* from = controlId(sender());
    // INT, TMRC and the register after them.
    int32_t result = bus.ReadRegisters(1, kIntRegister, 3);
    if (!Succeeded(result)) {
        bus.ReportResult(from, controlId(BtnReadTimer), result);
        return;
    }
    const TimerSetup setup = DecodeTimer(bus.data.Regs[kIntRegister], bus.data.Regs[kTmrcRegister]);
    cbTimerEnable->setChecked(setup.Enable);
    chkIRQ1E->setChecked(setup.Irq1e);
    chkIRQ2E->setChecked(setup.Irq2e);
    chkIRQ1EClick();
    chkIRQ2EClick();
    chkbTimerTIM->setChecked(setup.Periodic);
    chkbTimerTIM->setText(QString::fromLatin1(TimText(setup.Periodic, SetBy::Read)));
    cboTimerFreq->setCurrentIndex(setup.Clock);
    cboTmrMode->setCurrentIndex(setup.Mode);

    // Each box shows its own register; a failed read stops there and leaves
    // the boxes it did not reach as they were.
    const uint8_t slave = bus.part().RtcAddress;
    const struct {
        uint8_t reg;
        QLineEdit* box;
    } boxes[] = {
        {kTdatRegister, tedTimerInitial}, {kTvalRegister, tedCntReg}, {kTsubRegister, tedTmrSub}};
    bool initialShown = false;
    for (const auto& b : boxes) {
        uint8_t value = 0;
        result = bus.api().Read(bus.BoardNo, 1, slave, b.reg, &value, 1);
        if (!Succeeded(result)) break;
        b.box->setText(QString::fromStdString(TimerHex(value)));
        initialShown = true;
    }
    // A failed read of the initial value keeps the message line with the
    // boxes as they were; past it the message follows the lists just read.
    if (initialShown) checkClockSource(false);
    bus.ReportResult(from, controlId(BtnReadTimer), result);
}

std::optional<uint8_t> InterruptPage::timerBoxByte(const QLineEdit* box, const char* caption)
{
    const std::optional<uint8_t> value = ParseHexByte(box->text().toStdString());
    if (!value) {
        refuse(QStringLiteral("%1 \"%2\" is not one or two hexadecimal digits (00 to FF); "
                              "nothing was written")
                   .arg(QLatin1String(caption), box->text()));
    }
    return value;
}

void InterruptPage::BtnWriteTimerClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeK) return;
    const void* from = controlId(sender());

    // Everything the write needs is checked before the first byte goes out,
    // so a refused box never leaves the timer half set up.
    const std::optional<uint8_t> initial = timerBoxByte(tedTimerInitial, "Initial Reg. Counter");
    if (!initial) return;
    const std::optional<uint8_t> sub = timerBoxByte(tedTmrSub, "Sub Count Reg.");
    if (!sub) return;
    if (cboTimerFreq->currentIndex() < 0 || cboTmrMode->currentIndex() < 0) {
        refuse(QStringLiteral("Choose the timer clock and mode first; nothing was written"));
        return;
    }

    TimerSetup setup;
    setup.Irq1e = chkIRQ1E->isChecked();
    setup.Irq2e = chkIRQ2E->isChecked();
    setup.Enable = cbTimerEnable->isChecked();
    setup.Periodic = chkbTimerTIM->isChecked();
    setup.Clock = cboTimerFreq->currentIndex();
    setup.Mode = cboTmrMode->currentIndex();
    // INT and TMRC, then the initial value and the sub-count; the first
    // failure stops the write and is reported.
    const uint8_t slave = bus.part().RtcAddress;
    WriteSequence(bus, from, controlId(BtnWriteTimer))
        .read(kIntRegister, 2)
        .encode([&] {
            const TimerBytes bytes =
                EncodeTimer(bus.data.Regs[kIntRegister], bus.data.Regs[kTmrcRegister], setup);
            bus.data.Regs[kIntRegister] = bytes.Int;
            bus.data.Regs[kTmrcRegister] = bytes.Tmrc;
        })
        .write(kIntRegister, 2)
        .step([&] { return bus.api().Write(bus.BoardNo, 1, slave, kTdatRegister, &*initial, 1); })
        .step([&] { return bus.api().Write(bus.BoardNo, 1, slave, kTsubRegister, &*sub, 1); })
        .report();
}

void InterruptPage::bntClearTimerClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeK) return;
    const uint8_t slave = bus.part().RtcAddress;
    uint8_t status = 0;
    WriteSequence sequence(bus, controlId(sender()), controlId(bntClearTimer));
    sequence
        .step([&] {
            return bus.api().Read(bus.BoardNo, 1, slave, InterruptCodec::kStatusRegister, &status,
                                  1);
        })
        .encode([&] { status = StatusClearingTmr(status); })
        .step([&] {
            return bus.api().Write(bus.BoardNo, 1, slave, InterruptCodec::kStatusRegister, &status,
                                   1);
        });
    if (sequence.ok()) CBSLed11->setLit(false);
    // Reported like every other button's failure: a flag left set would
    // otherwise look cleared until the next tick.
    sequence.report();
}

// ---------------------------------------------------------------------------
// TSE refresh (TypeD)

void InterruptPage::cboTSEREFRESHChange()
{
    tseRefreshPeriod_ = std::max(0, cboTSEREFRESH->currentIndex());
    tseRefreshCount_ = 0;
}

void InterruptPage::polled()
{
    RtcBus& bus = context_.bus();
    if (!TseRefreshDue(tseRefreshPeriod_, tseRefreshCount_)) return;
    if (auto* shown = qobject_cast<QLabel*>(context_.control(QStringLiteral("PollingTime"))))
        shown->setText(QStringLiteral("TSE Refresh"));
    // Read-modify-write: the byte also holds BETA and the battery-mode bits.
    // A write of TSE makes the chip take a new temperature reading.
    using namespace TempCompCodec;
    // No click started it, so a failure shows in the status bar, not in a box
    // that would come back every few seconds.
    WriteSequence(bus, nullptr, controlId(cboTSEREFRESH))
        .read(kBetaRegister, 1)
        .encode([&] { bus.data.Regs[kBetaRegister] |= kTse; })
        .write(kBetaRegister, 1)
        .report();
}
