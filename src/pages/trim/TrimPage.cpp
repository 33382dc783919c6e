#include "pages/trim/TrimPage.h"

#include <QComboBox>
#include <algorithm>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/trim/TrimCodec.h"
#include "widgets/Controls.h"

using namespace TrimCodec;

namespace {

// Width of the three groups: the longest digital trim entry with room to spare.
constexpr int kListChars = 18;

QComboBox* trimList(QGroupBox* group, const char* name, std::span<const char* const> items,
                    int selected)
{
    auto* list = named(new QComboBox(group), name);
    for (const char* item : items)
        list->addItem(QString::fromLatin1(item));
    list->setCurrentIndex(selected);
    list->setMaxVisibleItems(16);
    list->setMinimumContentsLength(kListChars);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(10, 6, 10, 8);
    layout->addWidget(list);
    return list;
}

} // namespace

TrimPage::TrimPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsComp"));

    GroupBox16 =
        named(new QGroupBox(QStringLiteral(" Analog Timing Register (ATR) "), this), "GroupBox16");
    ComboBoxATR = trimList(GroupBox16, "ComboBoxATR", AtrItems(), kAtrNominalEntry);
    GroupBox17 =
        named(new QGroupBox(QStringLiteral(" Battery Mode Register (BMATR) "), this), "GroupBox17");
    ComboBoxBMATR = trimList(GroupBox17, "ComboBoxBMATR", BmatrItems(), kBmatrNominalEntry);
    // The part choice loads the family's list.
    GroupBox18 =
        named(new QGroupBox(QStringLiteral("Digital Trim Setting (DTR<3:0>)"), this), "GroupBox18");
    ComboBoxDTR = trimList(GroupBox18, "ComboBoxDTR", {}, -1);

    BtnRdXtl = named(new QPushButton(QStringLiteral("Read"), this), "BtnRdXtl");
    setHint(BtnRdXtl, QStringLiteral("Cick to read ATR / DTR Present Settings"));
    BtnWrXtl = named(new QPushButton(QStringLiteral("Write"), this), "BtnWrXtl");
    setHint(BtnWrXtl, QStringLiteral("Click to Write ATR / DTR Selected Settings"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnRdXtl);
    buttons->addWidget(BtnWrXtl);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    column->addWidget(GroupBox16);
    column->addWidget(GroupBox17);
    column->addWidget(GroupBox18);
    column->addSpacing(4);
    column->addLayout(buttons);
    column->addStretch(1);

    GroupBoxAdvice = named(new QGroupBox(QStringLiteral(" Trim Advice "), this), "GroupBoxAdvice");
    TrimAdvice = named(new QLabel(GroupBoxAdvice), "TrimAdvice");
    TrimAdvice->setWordWrap(true);
    TrimAdvice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the longest lines: the measured rate with a fine trim entry,
    // and the better lever's, each with its residual.
    int longest = 0;
    for (const char* line : {"Measured +999.9 ppm: digital trim \"-12.207 PPM\" leaves +999.9 ppm",
                             "the analog trim is the better lever: \"20.25 pF\" leaves -999.9 ppm"})
        longest = std::max(longest, TrimAdvice->fontMetrics().horizontalAdvance(QString::fromLatin1(line)));
    TrimAdvice->setFixedWidth(longest + 8);
    TrimAdvice->setMinimumHeight(TrimAdvice->fontMetrics().lineSpacing() * 4);
    BtnUseAdvice = named(new QPushButton(QStringLiteral("Use advised trim"), GroupBoxAdvice),
                         "BtnUseAdvice");
    setHint(BtnUseAdvice, QStringLiteral("Select the advised trim in the lists; Write sends it"));
    auto* advice = new QVBoxLayout(GroupBoxAdvice);
    advice->addWidget(TrimAdvice);
    auto* useRow = new QHBoxLayout;
    useRow->addWidget(BtnUseAdvice);
    useRow->addStretch(1);
    advice->addLayout(useRow);
    clearAdvice();

    auto* side = new QVBoxLayout;
    side->addWidget(GroupBoxAdvice);
    side->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(16);
    layout->addLayout(column);
    layout->addLayout(side);
    layout->addStretch(1);

    connect(BtnRdXtl, &QPushButton::clicked, this, &TrimPage::BtnRdXtlClick);
    connect(BtnWrXtl, &QPushButton::clicked, this, &TrimPage::BtnWrXtlClick);
    connect(BtnUseAdvice, &QPushButton::clicked, this, &TrimPage::BtnUseAdviceClick);
}

void TrimPage::polled()
{
    refreshAdvice();
}

void TrimPage::partChosen()
{
    inEffect_.reset();
    clearAdvice();
}

void TrimPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshAdvice();
}

TrimChoice TrimPage::inEffect() const
{
    if (inEffect_) return *inEffect_;
    return {ComboBoxATR->currentIndex(), ComboBoxBMATR->currentIndex(),
            ComboBoxDTR->currentIndex()};
}

void TrimPage::clearAdvice()
{
    advice_.reset();
    for (QComboBox* list : {ComboBoxATR, ComboBoxBMATR, ComboBoxDTR})
        list->setProperty("advised", QVariant());
    TrimAdvice->setText(QString::fromLatin1(kNoAdviceText));
    BtnUseAdvice->setEnabled(false);
}

void TrimPage::refreshAdvice()
{
    const DriftAnalysis* drift = context_.links().drift;
    const std::optional<TrimLayout> layout = LayoutOf(context_.bus().part().TypeCode);
    if (!drift || !layout) return clearAdvice();
    const DriftLogic::DriftFigures figures = drift->figures();
    if (!figures.RatePpm || !figures.IntervalPpm) return clearAdvice();

    const TrimChoice now = inEffect();
    DriftLogic::TrimNow trims;
    const std::span<const char* const> dtr = DtrItems(layout->List);
    if (now.Dtr >= 0 && static_cast<size_t>(now.Dtr) < dtr.size()) {
        trims.Dtr = dtr;
        trims.DtrEntry = now.Dtr;
    }
    if (layout->HasAtr && now.Atr >= 0 && static_cast<size_t>(now.Atr) < AtrItems().size()) {
        trims.Atr = AtrItems();
        trims.AtrEntry = now.Atr;
    }
    const DriftLogic::TrimAdvice advice = DriftLogic::Advise(*figures.RatePpm, trims);
    if (advice.DtrEntry < 0 && advice.AtrEntry < 0) return clearAdvice();
    advice_ = advice;

    std::vector<ListAdvice> lines;
    int better = 0;
    if (advice.DtrEntry >= 0)
        lines.push_back({"digital trim", dtr[advice.DtrEntry], advice.DtrResidual});
    if (advice.AtrEntry >= 0) {
        if (advice.AnalogBetter) better = static_cast<int>(lines.size());
        lines.push_back({"analog trim", AtrItems()[advice.AtrEntry], advice.AtrResidual});
    }
    const auto advised = [](int entry, std::span<const char* const> items) {
        return entry >= 0 ? QVariant(QString::fromLatin1(items[entry])) : QVariant();
    };
    ComboBoxDTR->setProperty("advised", advised(advice.DtrEntry, dtr));
    ComboBoxATR->setProperty("advised", advised(advice.AtrEntry, AtrItems()));
    ComboBoxBMATR->setProperty("advised", QVariant());
    TrimAdvice->setText(QString::fromStdString(AdviceText(*figures.RatePpm, lines, better)));
    BtnUseAdvice->setEnabled(true);
}

void TrimPage::BtnUseAdviceClick()
{
    refreshAdvice();
    if (!advice_) return;
    // One lever: both advised entries at once would cancel the rate twice.
    const TrimChoice now = inEffect();
    const bool analog = advice_->AnalogBetter;
    if (advice_->DtrEntry >= 0) ComboBoxDTR->setCurrentIndex(analog ? now.Dtr : advice_->DtrEntry);
    if (advice_->AtrEntry >= 0) ComboBoxATR->setCurrentIndex(analog ? advice_->AtrEntry : now.Atr);
}

void TrimPage::ReadOnShow()
{
    BtnRdXtlClick();
}

void TrimPage::BtnRdXtlClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<TrimLayout> layout = LayoutOf(bus.part().TypeCode);
    if (!layout) return;
    const uint8_t subLen = bus.subAddressLength();
    // The first failure stops the read: a field whose register was not read
    // would show whatever the image held before.
    int32_t result = 0;
    for (const TrimTransfer& t : layout->Read) {
        result = bus.ReadRegisters(subLen, t.Register, t.Count);
        if (!Succeeded(result)) break;
    }
    if (Succeeded(result)) {
        const TrimShown shown = Decode(*layout, bus.data.Regs);
        if (shown.Atr) ComboBoxATR->setCurrentIndex(*shown.Atr);
        if (shown.Bmatr) ComboBoxBMATR->setCurrentIndex(*shown.Bmatr);
        ComboBoxDTR->setCurrentIndex(shown.Dtr < ComboBoxDTR->count() ? shown.Dtr : -1);
        if (shown.DtrImage) bus.data.Regs[layout->DtrRegister] = *shown.DtrImage;
        inEffect_ = TrimChoice{shown.Atr.value_or(ComboBoxATR->currentIndex()),
                               shown.Bmatr.value_or(ComboBoxBMATR->currentIndex()), shown.Dtr};
        refreshAdvice();
    }
    bus.ReportResult(controlId(sender()), controlId(BtnRdXtl), result);
}

void TrimPage::BtnWrXtlClick()
{
    RtcBus& bus = context_.bus();
    const PartType type = bus.part().TypeCode;
    const std::optional<TrimLayout> layout = LayoutOf(type);
    if (!layout) return;
    const TrimChoice choice{ComboBoxATR->currentIndex(), ComboBoxBMATR->currentIndex(),
                            ComboBoxDTR->currentIndex()};
    if (!Complete(*layout, choice)) {
        context_.setStatusPanelText(
            3, QStringLiteral(" Choose an entry in every trim list first; nothing was written"));
        return;
    }
    // Reads of the bits a write keeps come first; the image is filled before
    // the first write. The first failure stops the write and is reported, so
    // no byte goes out built on a register that was not read.
    WriteSequence sequence(bus, controlId(sender()), controlId(BtnWrXtl), context_.unlocker());
    bool encoded = false;
    for (const TrimTransfer& t : layout->Write) {
        if (!t.Write) {
            sequence.read(t.Register, t.Count);
            continue;
        }
        if (!encoded) {
            sequence.encode([&] { Encode(*layout, choice, bus.data.Regs); });
            encoded = true;
        }
        sequence.write(t.Register, t.Count);
    }
    sequence.report();
    if (!sequence.ok()) return;
    // The chip runs at the new trim: the run starts afresh to confirm it.
    inEffect_ = choice;
    if (DriftAnalysis* drift = context_.links().drift) drift->restart();
    refreshAdvice();
}
