#include "pages/trim/TrimPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

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

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addLayout(column);
    layout->addStretch(1);

    connect(BtnRdXtl, &QPushButton::clicked, this, &TrimPage::BtnRdXtlClick);
    connect(BtnWrXtl, &QPushButton::clicked, this, &TrimPage::BtnWrXtlClick);
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
}
