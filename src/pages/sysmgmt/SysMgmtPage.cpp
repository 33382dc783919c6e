#include "pages/sysmgmt/SysMgmtPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/sysmgmt/SysMgmtCodec.h"
#include "widgets/Controls.h"
#include "widgets/LedIndicator.h"

using namespace SysMgmtCodec;

namespace {

// The TypeE registers sit behind two-byte sub-addresses.
constexpr uint8_t kTypeESubLen = 2;

QComboBox* readList(QWidget* parent, const char* name, std::span<const char* const> widest)
{
    auto* list = named(new QComboBox(parent), name);
    list->setPlaceholderText(QStringLiteral("Click Read"));
    int longest = 0;
    for (const char* item : widest)
        longest = std::max(longest, static_cast<int>(std::string_view(item).size()));
    list->setMinimumContentsLength(longest);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setCurrentIndex(-1);
    return list;
}

} // namespace

SysMgmtPage::SysMgmtPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsSysMgmt"));

    auto* typeE = new QVBoxLayout;
    typeE->addWidget(buildVtsGroup());
    typeE->addWidget(buildWatchdogGroup());
    typeE->addStretch(1);

    // The TypeE groups and the VK370 group never show together: they share
    // the page's top left corner.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(typeE, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(buildAcGroup(), 0, 0, Qt::AlignTop | Qt::AlignLeft);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);

    connect(BtnReadVTS, &QPushButton::clicked, this, &SysMgmtPage::BtnReadVTSClick);
    connect(BtnWriteVTS, &QPushButton::clicked, this, &SysMgmtPage::BtnWriteVTSClick);
    connect(BtnWatchDogRead, &QPushButton::clicked, this, &SysMgmtPage::BtnWatchDogReadClick);
    connect(BtnWatchDogWrite, &QPushButton::clicked, this, &SysMgmtPage::BtnWatchDogWriteClick);
    connect(BtnReadAC, &QPushButton::clicked, this, &SysMgmtPage::BtnReadACClick);
    connect(BtnWriteAC, &QPushButton::clicked, this, &SysMgmtPage::BtnWriteACClick);
}

// ---------------------------------------------------------------------------
// Building

QGroupBox* SysMgmtPage::buildVtsGroup()
{
    GroupBox36 = named(new QGroupBox(QStringLiteral("VTS / Reset Thresholds"), this), "GroupBox36");
    keepRoom(GroupBox36);
    cboVTS = readList(GroupBox36, "cboVTS", VtsItems());
    BtnReadVTS = named(new QPushButton(QStringLiteral("Read"), GroupBox36), "BtnReadVTS");
    BtnWriteVTS = named(new QPushButton(QStringLiteral("Write"), GroupBox36), "BtnWriteVTS");
    auto* row = new QHBoxLayout(GroupBox36);
    row->addWidget(cboVTS);
    row->addWidget(BtnReadVTS);
    row->addWidget(BtnWriteVTS);
    return GroupBox36;
}

QGroupBox* SysMgmtPage::buildWatchdogGroup()
{
    GroupBox37 = named(new QGroupBox(QStringLiteral("WatchDog Timeout"), this), "GroupBox37");
    keepRoom(GroupBox37);
    // As wide as the VTS list, so the two groups line up.
    cboWatchDog = readList(GroupBox37, "cboWatchDog", VtsItems());
    BtnWatchDogRead = named(new QPushButton(QStringLiteral("Read"), GroupBox37), "BtnWatchDogRead");
    BtnWatchDogWrite =
        named(new QPushButton(QStringLiteral("Write"), GroupBox37), "BtnWatchDogWrite");
    auto* row = new QHBoxLayout(GroupBox37);
    row->addWidget(cboWatchDog);
    row->addWidget(BtnWatchDogRead);
    row->addWidget(BtnWatchDogWrite);
    return GroupBox37;
}

QGroupBox* SysMgmtPage::radioGroup(const QString& title, QButtonGroup*& group,
                                   std::initializer_list<QRadioButton**> buttons,
                                   std::initializer_list<const char*> names,
                                   std::initializer_list<const char*> captions)
{
    auto* box = new QGroupBox(title, GroupACMGMT);
    auto* column = new QVBoxLayout(box);
    column->setSpacing(2);
    group = new QButtonGroup(box);
    int value = 0;
    auto name = names.begin();
    auto caption = captions.begin();
    for (QRadioButton** button : buttons) {
        *button = named(new QRadioButton(QLatin1String(*caption), box), *name);
        group->addButton(*button, value++);
        column->addWidget(*button);
        ++name;
        ++caption;
    }
    column->addStretch(1);
    return box;
}

QGroupBox* SysMgmtPage::buildAcGroup()
{
    GroupACMGMT = named(new QGroupBox(QStringLiteral("AC Managment"), this), "GroupACMGMT");
    keepRoom(GroupACMGMT);
    GroupACMGMT->hide();

    // Field value 1 is 50 Hz (AC5060 set).
    QGroupBox* freq = radioGroup(QStringLiteral("AC Freq. Select"), freqGroup_, {&rb60HZ, &rb50HZ},
                                 {"rb60HZ", "rb50HZ"}, {"60 HZ", "50 HZ"});
    freq->setObjectName(QStringLiteral("GroupACFreq"));
    const QString freqHint = QStringLiteral("0=60HZ AC Freq., 1=50HZ AC Freq.");
    setHint(rb50HZ, freqHint);
    setHint(rb60HZ, freqHint);
    QGroupBox* recovery = radioGroup(QStringLiteral("AC Recovery Period"), recoveryGroup_,
                                     {&rbTime2, &rbTime4, &rbTime8, &rbTime16},
                                     {"rbTime2", "rbTime4", "rbTime8", "rbTime16"},
                                     {"2 Sec.", "4 Sec.", "8 Sec.", "16 Sec."});
    recovery->setObjectName(QStringLiteral("GroupACRecovery"));
    setHint(recovery, QStringLiteral("Recovery Time after AC Input Fails"));
    QGroupBox* cycles = radioGroup(
        QStringLiteral("AC Failure Cycles"), cyclesGroup_, {&rbACF0, &rbACF1, &rbACF2, &rbACF3},
        {"rbACF0", "rbACF1", "rbACF2", "rbACF3"}, {"Disabled", "1/1", "6/5", "12/10"});
    cycles->setObjectName(QStringLiteral("GroupACCycles"));
    QGroupBox* criterion =
        radioGroup(QStringLiteral("AC Fail Criterion"), criterionGroup_,
                   {&rbACFC0, &rbACFC1, &rbACFC2, &rbACFC3},
                   {"rbACFC0", "rbACFC1", "rbACFC2", "rbACFC3"}, {"ACFPx1", "ACFPx2", "1", "2"});
    criterion->setObjectName(QStringLiteral("GroupACCriterion"));
    QGroupBox* minimum =
        radioGroup(QStringLiteral("AC Minimum"), minimumGroup_, {&rbACMIN0, &rbACMIN1},
                   {"rbACMIN0", "rbACMIN1"}, {" 5% VDD", "10% VDD"});
    minimum->setObjectName(QStringLiteral("GroupACMinimum"));

    chkDisableAC =
        named(new QCheckBox(QStringLiteral("Disable AC ( Crystal Sole Source Timing Input.)"),
                            GroupACMGMT),
              "chkDisableAC");
    setHint(chkDisableAC, QStringLiteral("0 = AC Enabled, 1= Xtal Only-AC Not used"));

    // Status lamps, hidden until the part choice or a Read shows them.
    auto* lamps = new QGridLayout;
    lamps->setHorizontalSpacing(4);
    const struct {
        LedIndicator** lamp;
        const char* name;
        const char* label;
        const char* labelName;
    } lampRows[] = {{&CBSLed5, "CBSLed5", "XOSCF", "LabelLed5"},
                    {&CBSLed6, "CBSLed6", "ACFAIL", "LabelLed6"},
                    {&CBSLed7, "CBSLed7", "ACRDY", "LabelLed7"}};
    int column = 0;
    for (const auto& row : lampRows) {
        *row.lamp = named(new LedIndicator(GroupACMGMT), row.name);
        (*row.lamp)->hide();
        connect(*row.lamp, &LedIndicator::changed, this, &SysMgmtPage::AcLampChange);
        lamps->addWidget(*row.lamp, 0, column);
        lamps->addWidget(named(new QLabel(QLatin1String(row.label), GroupACMGMT), row.labelName), 0,
                         column + 1);
        lamps->setColumnMinimumWidth(column + 1, 56);
        column += 2;
    }

    txtACCNT = named(new QLineEdit(GroupACMGMT), "txtACCNT");
    txtACCNT->setReadOnly(true);
    setHint(txtACCNT, QStringLiteral("AC Failure Counter"));
    txtACCNT->setFixedWidth(txtACCNT->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 14);
    auto* counterLabel =
        named(new QLabel(QStringLiteral("AC Counter 0x0A"), GroupACMGMT), "LabelACCNT");

    BtnReadAC = named(new QPushButton(QStringLiteral("Read"), GroupACMGMT), "BtnReadAC");
    BtnWriteAC = named(new QPushButton(QStringLiteral("Write"), GroupACMGMT), "BtnWriteAC");

    auto* groups = new QHBoxLayout;
    for (QGroupBox* box : {freq, recovery, cycles, criterion, minimum})
        groups->addWidget(box, 0, Qt::AlignTop);

    auto* bottom = new QHBoxLayout;
    bottom->addLayout(lamps);
    bottom->addSpacing(16);
    bottom->addWidget(counterLabel);
    bottom->addWidget(txtACCNT);
    bottom->addStretch(1);
    bottom->addWidget(BtnReadAC);
    bottom->addWidget(BtnWriteAC);

    auto* box = new QVBoxLayout(GroupACMGMT);
    box->addLayout(groups);
    box->addWidget(chkDisableAC);
    box->addSpacing(4);
    box->addLayout(bottom);
    return GroupACMGMT;
}

// ---------------------------------------------------------------------------
// Helpers

void SysMgmtPage::refuse(const QString& why)
{
    context_.setStatusPanelText(3, QLatin1Char(' ') + why);
}

int SysMgmtPage::selected(const QButtonGroup* group)
{
    return group->checkedId();
}

void SysMgmtPage::select(QButtonGroup* group, int value)
{
    if (QAbstractButton* button = group->button(value)) button->setChecked(true);
}

// ---------------------------------------------------------------------------
// TypeE: reset threshold and watchdog

void SysMgmtPage::ReadOnShow()
{
    BtnReadVTSClick();
    BtnWatchDogReadClick();
    BtnReadACClick();
}

void SysMgmtPage::BtnReadVTSClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeE) return;
    const int32_t result = bus.ReadRegisters(kTypeESubLen, kPwrRegister, 1);
    if (Succeeded(result)) {
        uint8_t& image = bus.data.Regs[kPwrRegister];
        cboVTS->setCurrentIndex(VtsIndex(image));
        image = VtsImage(image);
    }
    bus.ReportResult(controlId(sender()), controlId(BtnReadVTS), result);
}

void SysMgmtPage::BtnWriteVTSClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeE) return;
    const std::optional<int> entry =
        SysMgmtCodec::WritableEntry(cboVTS->currentIndex(), VtsItems());
    if (!entry) {
        refuse(QStringLiteral("Choose a reset threshold first (Read shows the chip's); nothing "
                              "was written"));
        return;
    }
    WriteSequence(bus, controlId(sender()), controlId(BtnWriteVTS), context_.unlocker())
        .read(kPwrRegister, 1)
        .encode(
            [&] { bus.data.Regs[kPwrRegister] = EncodeVts(bus.data.Regs[kPwrRegister], *entry); })
        .write(kPwrRegister, 1)
        .report();
}

void SysMgmtPage::BtnWatchDogReadClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeE) return;
    const int32_t result = bus.ReadRegisters(kTypeESubLen, kBlRegister, 1);
    if (Succeeded(result)) {
        uint8_t& image = bus.data.Regs[kBlRegister];
        cboWatchDog->setCurrentIndex(WatchdogIndex(image));
        image = WatchdogImage(image);
    }
    bus.ReportResult(controlId(sender()), controlId(BtnWatchDogRead), result);
}

void SysMgmtPage::BtnWatchDogWriteClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeE) return;
    const std::optional<int> entry =
        SysMgmtCodec::WritableEntry(cboWatchDog->currentIndex(), WatchdogItems());
    if (!entry) {
        refuse(QStringLiteral("Choose a watchdog time-out first (Read shows the chip's); nothing "
                              "was written"));
        return;
    }
    WriteSequence(bus, controlId(sender()), controlId(BtnWatchDogWrite), context_.unlocker())
        .read(kBlRegister, 1)
        .encode([&] {
            bus.data.Regs[kBlRegister] = EncodeWatchdog(bus.data.Regs[kBlRegister], *entry);
        })
        .write(kBlRegister, 1)
        .report();
}

// ---------------------------------------------------------------------------
// VK370: AC mains input

void SysMgmtPage::BtnReadACClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeF) return;
    const void* from = controlId(sender());
    int32_t result = bus.ReadRegisters(1, kAcInRegister, 2);
    if (!Succeeded(result)) {
        bus.ReportResult(from, controlId(BtnReadAC), result);
        return;
    }
    const AcSetup setup = DecodeAc(bus.data.Regs[kAcInRegister], bus.data.Regs[kAcInRegister + 1]);
    chkDisableAC->setChecked(setup.AcDisabled);
    (setup.Hz50 ? rb50HZ : rb60HZ)->setChecked(true);
    select(criterionGroup_, setup.FailCriterion);
    select(recoveryGroup_, setup.RecoveryPeriod);
    select(cyclesGroup_, setup.FailureCycles);
    select(minimumGroup_, setup.AcMinimum);

    // The status and the counter show only what the chip answered: after a
    // failed read the image holds older bytes, which would pass for new.
    result = bus.ReadRegisters(1, kSracRegister, 2);
    if (Succeeded(result)) {
        const AcStatus status =
            DecodeAcStatus(bus.data.Regs[kSracRegister], bus.data.Regs[kSracRegister + 1]);
        for (LedIndicator* lamp : {CBSLed5, CBSLed6, CBSLed7})
            lamp->show();
        CBSLed5->setLit(status.Xoscf);
        CBSLed6->setLit(status.AcFail);
        // Lit from the bit, as the polling cycle lights this lamp and the
        // Setup page's ACRDY lamp.
        CBSLed7->setLit(status.AcReady);
        txtACCNT->setText(QString::number(status.Counter));
    }
    bus.ReportResult(from, controlId(BtnReadAC), result);
}

void SysMgmtPage::BtnWriteACClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeF) return;
    AcSetup setup;
    setup.Hz50 = rb50HZ->isChecked();
    setup.AcDisabled = chkDisableAC->isChecked();
    setup.RecoveryPeriod = selected(recoveryGroup_);
    setup.FailureCycles = selected(cyclesGroup_);
    setup.FailCriterion = selected(criterionGroup_);
    setup.AcMinimum = selected(minimumGroup_);
    WriteSequence(bus, controlId(sender()), controlId(BtnWriteAC))
        .read(kAcInRegister, 2)
        .encode([&] {
            const AcBytes bytes = EncodeAc(bus.data.Regs[kAcInRegister + 1], setup);
            bus.data.Regs[kAcInRegister] = bytes.AcIn;
            bus.data.Regs[kAcInRegister + 1] = bytes.Ftr;
        })
        .write(kAcInRegister, 2)
        .report();
}

void SysMgmtPage::AcLampChange(bool lit)
{
    if (!lit) return;
    // Not the user's click: a failure of the read lands in the status bar.
    if (EventStamps* stamps = context_.links().eventStamps) stamps->readStamps(nullptr);
}
