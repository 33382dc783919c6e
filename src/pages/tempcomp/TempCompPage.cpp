#include "pages/tempcomp/TempCompPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/graph/DriftLogic.h"
#include "pages/tempcomp/TempCompCodec.h"
#include "pages/trim/TrimCodec.h"
#include "widgets/Controls.h"

using namespace TempCompCodec;

namespace {

QComboBox* list(QWidget* parent, const char* name, std::span<const char* const> items,
                const QString& hint)
{
    auto* box = named(new QComboBox(parent), name);
    box->addItems(itemList(items));
    box->setCurrentIndex(0);
    box->setMaxVisibleItems(16);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setHint(box, hint);
    return box;
}

// A sunken read-only field sized for `widest`, so a new text never resizes it.
QLabel* panel(QWidget* parent, const char* name, const QString& widest)
{
    auto* field = named(new QLabel(parent), name);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setAlignment(Qt::AlignCenter);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(widest) + 12);
    field->setMinimumHeight(field->fontMetrics().height() + 6);
    return field;
}

QLabel* caption(QWidget* parent, const char* name, const QString& text)
{
    return named(new QLabel(text, parent), name);
}

} // namespace

TempCompPage::TempCompPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsTCOMP"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(buildCompColumn(), 0, Qt::AlignTop);
    layout->addSpacing(8);
    layout->addWidget(buildSenseColumn(), 0, Qt::AlignTop);
    layout->addSpacing(8);
    // The advice takes the room beside the sense column: its lines wrap
    // there at full height.
    layout->addWidget(buildAdviceGroup(this), 0, Qt::AlignTop);
    layout->addStretch(1);

    connectHandlers();
}

QWidget* TempCompPage::buildCompColumn()
{
    auto* column = new QWidget(this);

    GroupBox40 = named(
        new QGroupBox(QStringLiteral(" Digital        Initial Trim  OBh (Read Only)     Analog  "),
                      column),
        "GroupBox40");
    cboIDTR = list(GroupBox40, "cboIDTR", IdtrItems(),
                   QStringLiteral("Indicates / Selects Initial Digital Trim"));
    cboIATR = list(GroupBox40, "cboIATR", IatrItems(),
                   QStringLiteral("Indicates / Selects Initial Analog Trim Value"));
    auto* initial = new QHBoxLayout(GroupBox40);
    initial->addWidget(cboIDTR);
    initial->addStretch(1);
    initial->addWidget(cboIATR);

    GroupBox41 =
        named(new QGroupBox(QStringLiteral("Temp Coefficient  && Gain  (Read Only)"), column),
              "GroupBox41");
    cboALPHA = list(GroupBox41, "cboALPHA", HexItems256(),
                    QStringLiteral("Sets / Indicates Temperature Coeff of crystal."));
    cboBETA = list(GroupBox41, "cboBETA", HexItems32(),
                   QStringLiteral("Sets / Indicates Beta Gain Factor in Hex"));
    lblXTO = caption(GroupBox41, "lblXTO", QStringLiteral("XTO Crystal xfer Temp. 2Ch"));
    cboXTO = list(GroupBox41, "cboXTO", HexItems32(),
                  QStringLiteral("Crystal Turnover Tempearute in Celcius"));
    lblALPHAHOT = caption(GroupBox41, "lblALPHAHOT", QStringLiteral("ALAPHA Hot 2Dh"));
    cboALPHAHOT = list(GroupBox41, "cboALPHAHOT", HexItems256(), QStringLiteral("ALPHA Hot"));
    auto* coefficients = new QGridLayout(GroupBox41);
    coefficients->setVerticalSpacing(4);
    coefficients->addWidget(caption(GroupBox41, "lblALPHA", QStringLiteral("ALPHA 0Ch")), 0, 0);
    coefficients->addWidget(cboALPHA, 0, 1, Qt::AlignLeft);
    coefficients->addWidget(caption(GroupBox41, "lblBETA", QStringLiteral("BETA 0Dh")), 0, 3);
    coefficients->addWidget(cboBETA, 0, 4, Qt::AlignLeft);
    coefficients->addWidget(lblXTO, 1, 0);
    coefficients->addWidget(cboXTO, 1, 1, Qt::AlignLeft);
    coefficients->addWidget(lblALPHAHOT, 1, 3);
    coefficients->addWidget(cboALPHAHOT, 1, 4, Qt::AlignLeft);
    coefficients->setColumnMinimumWidth(2, 12);
    coefficients->setColumnStretch(5, 1);

    auto* finals =
        named(new QGroupBox(QStringLiteral("Final Trim (Read Only)"), column), "GroupFinalTrim");
    pnlFinalATR = panel(finals, "pnlFinalATR", QStringLiteral("DD"));
    setHint(pnlFinalATR, QStringLiteral("Final Analog Trim (0E)"));
    pnlFinalDTR = panel(finals, "pnlFinalDTR", QStringLiteral("DD"));
    setHint(pnlFinalDTR, QStringLiteral("Final Digital Trim (0F)"));
    lblFINALDTRIM = caption(finals, "lblFINALDTRIM", QString());
    lblFINALDTRIM->setMinimumWidth(
        lblFINALDTRIM->fontMetrics().horizontalAdvance(QStringLiteral("TBD (1F) ppm")));
    lblNPPM = caption(finals, "lblNPPM", QStringLiteral("NET PPM 2A/Bh"));
    pnlNPPM = panel(finals, "pnlNPPM", QStringLiteral("DDDD"));
    setHint(pnlNPPM, QStringLiteral("NET P.P.M."));
    auto* finalGrid = new QGridLayout(finals);
    finalGrid->setVerticalSpacing(4);
    finalGrid->addWidget(caption(finals, "lblFinalATR", QStringLiteral("Analog 0Eh")), 0, 0);
    finalGrid->addWidget(pnlFinalATR, 0, 1);
    finalGrid->addWidget(caption(finals, "lblFinalDTR", QStringLiteral("Digital 0Fh")), 0, 3);
    finalGrid->addWidget(pnlFinalDTR, 0, 4);
    finalGrid->addWidget(lblFINALDTRIM, 0, 5);
    finalGrid->addWidget(lblNPPM, 1, 0);
    finalGrid->addWidget(pnlNPPM, 1, 1);
    finalGrid->setColumnMinimumWidth(2, 12);
    finalGrid->setColumnStretch(6, 1);

    BtnRDTemp = named(new QPushButton(QStringLiteral("Read Comp Regs"), column), "BtnRDTemp");
    setHint(BtnRDTemp, QStringLiteral("Reads All Temp Registers (0B-0F)"));
    // The write button sits in a holder of its own: the board connection
    // enables the holder, the TSE rule the button, and it works only with both.
    auto* holder = named(new QWidget(column), "WrTempHolder");
    BtnWRTemp = named(new QPushButton(QStringLiteral("Write Comp Regs"), holder), "BtnWRTemp");
    setHint(BtnWRTemp, QStringLiteral("Writes to TempComp Registers (0B-0D), Disabled if Temp "
                                      "Sense Enable in on."));
    auto* held = new QHBoxLayout(holder);
    held->setContentsMargins(0, 0, 0, 0);
    held->addWidget(BtnWRTemp);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnRDTemp);
    buttons->addWidget(holder);
    buttons->addStretch(1);

    Label95 = caption(column, "Label95",
                      QStringLiteral("Disable Temp Sense to allow Comp regs to be written"));
    QPalette warning = Label95->palette();
    warning.setColor(QPalette::WindowText, Qt::red);
    Label95->setPalette(warning);
    // The window is sized once: the warning's line counts while it is hidden.
    QSizePolicy policy = Label95->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    Label95->setSizePolicy(policy);
    Label95->hide();

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBox40);
    layout->addWidget(GroupBox41);
    layout->addWidget(finals);
    layout->addLayout(buttons);
    layout->addWidget(Label95);
    return column;
}

QWidget* TempCompPage::buildSenseColumn()
{
    auto* column = new QWidget(this);

    auto* sense =
        named(new QGroupBox(QStringLiteral("Temp Sense Control 0Dh"), column), "GroupTempSense");
    chkTSE = named(new QCheckBox(QStringLiteral("Temp Sense Enable"), sense), "chkTSE");
    setHint(chkTSE, QStringLiteral("Temp Sense Enable.  Turn Off when updating  Comp Regs  "));
    chkBTSE =
        named(new QCheckBox(QStringLiteral("Battery Mode Temp Sense Enable"), sense), "chkBTSE");
    chkBTSR =
        named(new QCheckBox(QStringLiteral("Battery Mode Temp Sense Period"), sense), "chkBTSR");
    setHint(chkBTSR, QStringLiteral("Selects 1 or 10 Minute Sampling in Battery Mode"));
    pnlTMODE = panel(sense, "pnlTMODE", QStringLiteral("10 Minute"));
    auto* mode = new QHBoxLayout;
    mode->addWidget(caption(sense, "lblTMODE", QStringLiteral("Battery Mode Sensing")));
    mode->addWidget(pnlTMODE);
    mode->addStretch(1);
    auto* senseColumn = new QVBoxLayout(sense);
    senseColumn->setSpacing(4);
    senseColumn->addWidget(chkTSE);
    senseColumn->addWidget(chkBTSE);
    senseColumn->addWidget(chkBTSR);
    senseColumn->addLayout(mode);

    auto* kelvin = named(new QGroupBox(QStringLiteral("Temperature 28h-29h (Read Only)"), column),
                         "GroupKelvin");
    MSBDegreesK = panel(kelvin, "MSBDegreesK", QStringLiteral("DD"));
    setHint(MSBDegreesK, QStringLiteral("Kelvin MSB (29)"));
    LSBDegreesK = panel(kelvin, "LSBDegreesK", QStringLiteral("DD"));
    setHint(LSBDegreesK, QStringLiteral("Kelvin LSB (28)"));
    PnlKtoC = panel(kelvin, "PnlKtoC", QStringLiteral("-273.00*C "));
    setHint(PnlKtoC, QStringLiteral("Temperature in Celsius"));
    auto* kelvinGrid = new QGridLayout(kelvin);
    kelvinGrid->setVerticalSpacing(4);
    kelvinGrid->addWidget(caption(kelvin, "lblKelvin", QStringLiteral("Half Kelvin MSB / LSB")), 0,
                          0);
    kelvinGrid->addWidget(MSBDegreesK, 0, 1);
    kelvinGrid->addWidget(LSBDegreesK, 0, 2);
    kelvinGrid->addWidget(caption(kelvin, "lblKtoC", QStringLiteral("Degrees Celsius")), 1, 0);
    kelvinGrid->addWidget(PnlKtoC, 1, 1, 1, 2);
    kelvinGrid->setColumnStretch(3, 1);

    BtnRdTempMode =
        named(new QPushButton(QStringLiteral("Read Mode / Temp"), column), "BtnRdTempMode");
    setHint(BtnRdTempMode, QStringLiteral("Read Beta / Mode Register (0D)"));
    BtnWrTempMode = named(new QPushButton(QStringLiteral("Write Mode"), column), "BtnWrTempMode");
    setHint(BtnWrTempMode, QStringLiteral("Write to  Beta / Enable Register (0D)"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnRdTempMode);
    buttons->addWidget(BtnWrTempMode);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sense);
    layout->addWidget(kelvin);
    layout->addLayout(buttons);
    return column;
}

QWidget* TempCompPage::buildAdviceGroup(QWidget* parent)
{
    GroupInitialAdvice =
        named(new QGroupBox(QStringLiteral(" Trim Advice "), parent), "GroupInitialAdvice");
    InitialTrimAdvice = named(new QLabel(GroupInitialAdvice), "InitialTrimAdvice");
    InitialTrimAdvice->setWordWrap(true);
    InitialTrimAdvice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    InitialTrimAdvice->setFixedWidth(
        InitialTrimAdvice->fontMetrics().horizontalAdvance(QStringLiteral("the initial analog trim is")) +
        8);
    InitialTrimAdvice->setMinimumHeight(InitialTrimAdvice->fontMetrics().lineSpacing() * 8);
    BtnUseInitialAdvice = named(
        new QPushButton(QStringLiteral("Use advised trim"), GroupInitialAdvice), "BtnUseInitialAdvice");
    setHint(BtnUseInitialAdvice,
            QStringLiteral("Select the advised initial trim; Write Comp Regs sends it"));
    auto* layout = new QVBoxLayout(GroupInitialAdvice);
    layout->addWidget(InitialTrimAdvice);
    auto* row = new QHBoxLayout;
    row->addWidget(BtnUseInitialAdvice);
    row->addStretch(1);
    layout->addLayout(row);
    clearAdvice();
    return GroupInitialAdvice;
}

void TempCompPage::polled()
{
    refreshAdvice();
}

void TempCompPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshAdvice();
}

TempCompPage::InitialTrims TempCompPage::inEffect() const
{
    if (inEffect_) return *inEffect_;
    return {cboIDTR->currentIndex(), cboIATR->currentIndex()};
}

void TempCompPage::clearAdvice()
{
    advised_.reset();
    cboIDTR->setProperty("advised", QVariant());
    cboIATR->setProperty("advised", QVariant());
    InitialTrimAdvice->setText(QString::fromLatin1(TrimCodec::kNoAdviceText));
    BtnUseInitialAdvice->setEnabled(false);
}

// Both initial trims are lists of corrections in ppm: the digital one says
// so ("+32 ppm"), the analog one counts steps of one ppm ("+32" to "-31").
void TempCompPage::refreshAdvice()
{
    const DriftAnalysis* drift = context_.links().drift;
    if (!drift || context_.bus().part().TypeCode != TypeD) return clearAdvice();
    const DriftLogic::DriftFigures figures = drift->figures();
    if (!figures.RatePpm || !figures.IntervalPpm) return clearAdvice();

    const InitialTrims now = inEffect();
    const auto advise = [&](std::span<const char* const> items, int entry, double& residual) {
        if (entry < 0 || static_cast<size_t>(entry) >= items.size()) return -1;
        DriftLogic::TrimNow trims;
        trims.Dtr = items;
        trims.DtrEntry = entry;
        const DriftLogic::TrimAdvice advice = DriftLogic::Advise(*figures.RatePpm, trims);
        residual = advice.DtrResidual;
        return advice.DtrEntry;
    };
    double digitalLeft = 0.0, analogLeft = 0.0;
    const InitialTrims advised{advise(IdtrItems(), now.Idtr, digitalLeft),
                               advise(IatrItems(), now.Iatr, analogLeft)};
    if (advised.Idtr < 0 && advised.Iatr < 0) return clearAdvice();
    advised_ = advised;
    analogBetter_ =
        advised.Iatr >= 0 && (advised.Idtr < 0 || std::fabs(analogLeft) < std::fabs(digitalLeft));

    std::vector<TrimCodec::ListAdvice> lines;
    if (advised.Idtr >= 0)
        lines.push_back({"initial digital trim", IdtrItems()[advised.Idtr], digitalLeft});
    const int better = analogBetter_ ? static_cast<int>(lines.size()) : 0;
    if (advised.Iatr >= 0)
        lines.push_back({"initial analog trim", IatrItems()[advised.Iatr], analogLeft});
    const auto text = [](int entry, std::span<const char* const> items) {
        return entry >= 0 ? QVariant(QString::fromLatin1(items[entry])) : QVariant();
    };
    cboIDTR->setProperty("advised", text(advised.Idtr, IdtrItems()));
    cboIATR->setProperty("advised", text(advised.Iatr, IatrItems()));
    InitialTrimAdvice->setText(
        QString::fromStdString(TrimCodec::AdviceText(*figures.RatePpm, lines, better)));
    BtnUseInitialAdvice->setEnabled(true);
}

void TempCompPage::BtnUseInitialAdviceClick()
{
    refreshAdvice();
    if (!advised_) return;
    // One lever: both advised entries at once would cancel the rate twice.
    const InitialTrims now = inEffect();
    if (advised_->Idtr >= 0) cboIDTR->setCurrentIndex(analogBetter_ ? now.Idtr : advised_->Idtr);
    if (advised_->Iatr >= 0) cboIATR->setCurrentIndex(analogBetter_ ? advised_->Iatr : now.Iatr);
}

void TempCompPage::connectHandlers()
{
    connect(BtnRDTemp, &QPushButton::clicked, this, &TempCompPage::BtnRDTempClick);
    connect(BtnWRTemp, &QPushButton::clicked, this, &TempCompPage::BtnWRTempClick);
    connect(BtnRdTempMode, &QPushButton::clicked, this, &TempCompPage::BtnRdTempModeClick);
    connect(BtnWrTempMode, &QPushButton::clicked, this, &TempCompPage::BtnWrTempModeClick);
    // A read ticks the box as a click does, and the warning follows either.
    connect(chkTSE, &QCheckBox::toggled, this, &TempCompPage::chkTSEClick);
    connect(BtnUseInitialAdvice, &QPushButton::clicked, this,
            &TempCompPage::BtnUseInitialAdviceClick);
}

void TempCompPage::partChosen()
{
    const std::optional<GroupCaptions> captions =
        GroupCaptionsOfPart(context_.bus().part().PartName);
    if (captions) {
        GroupBox40->setTitle(QString::fromLatin1(captions->Initial));
        GroupBox41->setTitle(QString::fromLatin1(captions->Coefficients));
    }
    chkTSEClick();
    inEffect_.reset();
    clearAdvice();
}

void TempCompPage::refuse(const QString& why)
{
    context_.setStatusPanelText(3, QLatin1Char(' ') + why);
}

void TempCompPage::showSenseMode(uint8_t beta)
{
    const SenseMode mode = DecodeSenseMode(beta);
    chkTSE->setChecked(mode.Tse);
    chkBTSE->setChecked(mode.Btse);
    chkBTSR->setChecked(mode.Btsr);
}

void TempCompPage::showBatterySenseText()
{
    const SenseMode mode{chkTSE->isChecked(), chkBTSE->isChecked(), chkBTSR->isChecked()};
    pnlTMODE->setText(QString::fromLatin1(BatterySenseText(mode)));
}

void TempCompPage::applyWriteRule()
{
    BtnWRTemp->setEnabled(!chkTSE->isChecked());
}

void TempCompPage::chkTSEClick()
{
    BtnWRTemp->setEnabled(true);
    if (!TseLocksCompWrite(context_.bus().part().PartName)) return;
    Label95->setVisible(chkTSE->isChecked());
    applyWriteRule();
}

// ---------------------------------------------------------------------------
// Compensation registers

void TempCompPage::ReadOnShow()
{
    BtnRDTempClick();
    BtnRdTempModeClick();
}

void TempCompPage::BtnRDTempClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeD) return;
    // Both runs or nothing: the controls show one state of the chip.
    int32_t result = bus.ReadRegisters(1, kItrRegister, kCompCount);
    if (Succeeded(result)) result = bus.ReadRegisters(1, kNppmRegister, kUpperCount);
    if (Succeeded(result)) {
        uint8_t* regs = bus.data.Regs;
        showSenseMode(regs[kBetaRegister]);
        showBatterySenseText();
        applyWriteRule();

        CompSetup setup;
        DecodeComp(regs[kItrRegister], regs[kAlphaRegister], regs[kBetaRegister], setup);
        DecodeUpper(regs[kXtoRegister], regs[kAlphaHotRegister], setup);
        cboBETA->setCurrentIndex(setup.Beta);
        cboALPHA->setCurrentIndex(setup.Alpha);
        pnlNPPM->setText(QString::fromStdString(
            HexWord(static_cast<uint16_t>(regs[kNppmRegister + 1] << 8 | regs[kNppmRegister]))));
        cboXTO->setCurrentIndex(setup.Xto);
        cboALPHAHOT->setCurrentIndex(setup.AlphaHot);
        cboIDTR->setCurrentIndex(setup.Idtr);
        cboIATR->setCurrentIndex(setup.Iatr);
        inEffect_ = InitialTrims{setup.Idtr, setup.Iatr};
        refreshAdvice();

        pnlFinalDTR->setText(QString::fromStdString(HexByte(regs[kFdtrRegister])));
        pnlFinalATR->setText(QString::fromStdString(HexByte(regs[kFatrRegister])));
        regs[kFdtrRegister] &= 0x1F;
        lblFINALDTRIM->setText(QString::fromStdString(FinalDigitalTrimText(regs[kFdtrRegister])));
    }
    bus.ReportResult(controlId(sender()), controlId(BtnRDTemp), result);
}

void TempCompPage::BtnWRTempClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeD) return;
    const void* from = controlId(sender());
    for (const QComboBox* box : {cboIDTR, cboIATR, cboALPHA, cboBETA, cboXTO, cboALPHAHOT}) {
        if (box->currentIndex() < 0) {
            refuse(QStringLiteral("Choose an entry in every list first; nothing was written"));
            return;
        }
    }

    CompSetup setup;
    setup.Idtr = cboIDTR->currentIndex();
    setup.Iatr = cboIATR->currentIndex();
    setup.Alpha = cboALPHA->currentIndex();
    setup.Beta = cboBETA->currentIndex();
    setup.Xto = cboXTO->currentIndex();
    setup.AlphaHot = cboALPHAHOT->currentIndex();
    const SenseMode mode{chkTSE->isChecked(), chkBTSE->isChecked(), chkBTSR->isChecked()};
    const CompBytes bytes = EncodeComp(setup, mode);
    uint8_t* regs = bus.data.Regs;
    // FATR and FDTR go back as the chip has them; the chip ignores them anyway.
    // The writes' failures are reported as the read's: the chip did not take
    // the setup.
    WriteSequence sequence(bus, from, controlId(BtnWRTemp));
    sequence.read(kItrRegister, kCompCount)
        .encode([&] {
            regs[kXtoRegister] = bytes.Xto;
            regs[kAlphaHotRegister] = bytes.AlphaHot;
        })
        .write(kXtoRegister, kXtoCount)
        // BETA goes last of the run: with TSE set its write starts a reading,
        // which then finds the new coefficients.
        .encode([&] {
            regs[kItrRegister] = bytes.Itr;
            regs[kAlphaRegister] = bytes.Alpha;
            regs[kBetaRegister] = bytes.Beta;
        })
        .write(kItrRegister, kCompCount);
    showBatterySenseText();
    applyWriteRule();
    sequence.report();
    if (!sequence.ok()) return;
    // The chip runs at the new initial trims: the run starts afresh to confirm it.
    inEffect_ = InitialTrims{setup.Idtr, setup.Iatr};
    if (DriftAnalysis* drift = context_.links().drift) drift->restart();
    refreshAdvice();
}

// ---------------------------------------------------------------------------
// Sensing mode and temperature

void TempCompPage::BtnRdTempModeClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeD) return;
    int32_t result = bus.ReadRegisters(1, kBetaRegister, 1);
    if (Succeeded(result)) {
        showSenseMode(bus.data.Regs[kBetaRegister]);
        showBatterySenseText();
        if (TseLocksCompWrite(bus.part().PartName)) applyWriteRule();
        result = bus.ReadRegisters(1, kKelvinRegister, kKelvinCount);
    }
    if (Succeeded(result)) {
        const uint8_t low = bus.data.Regs[kKelvinRegister];
        const uint8_t high = bus.data.Regs[kKelvinRegister + 1];
        MSBDegreesK->setText(QString::fromStdString(HexByte(high)));
        LSBDegreesK->setText(QString::fromStdString(HexByte(low)));
        PnlKtoC->setText(QString::fromStdString(KelvinCelsiusText(low, high)));
    }
    bus.ReportResult(controlId(sender()), controlId(BtnRdTempMode), result);
}

void TempCompPage::BtnWrTempModeClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeD) return;
    // BETA4..0 keep the chip's value.
    const SenseMode mode{chkTSE->isChecked(), chkBTSE->isChecked(), chkBTSR->isChecked()};
    uint8_t& beta = bus.data.Regs[kBetaRegister];
    WriteSequence sequence(bus, controlId(sender()), controlId(BtnWrTempMode));
    sequence.read(kBetaRegister, 1)
        .encode([&] { beta = EncodeSenseMode(beta, mode); })
        .write(kBetaRegister, 1);
    showBatterySenseText();
    sequence.report();
}
