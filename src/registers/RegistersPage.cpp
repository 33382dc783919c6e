#include "registers/RegistersPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "bus/RtcBus.h"
#include "widgets/Controls.h"

namespace {

// Only TypeE parts need the write-enable sequence, so only their block shows
// the unlock controls.
constexpr ControlSetting kUnlockHidden[] = {
    Hide("BtnUnlock"),
    Hide("Label115"),
    Hide("ChkAutoUnlock"),
    Hide("Label52"),
};

constexpr ControlSetting kUnlockShown[] = {
    Show("BtnUnlock"),
    Show("Label115"),
    Show("ChkAutoUnlock"),
    Hide("Label52"),
};

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kRegistersPageSettings = {
    SettingList(),
    {SettingList(kUnlockHidden), kUnlockShown, kUnlockHidden, kUnlockHidden, kUnlockHidden,
     kUnlockHidden, kUnlockHidden, kUnlockHidden, kUnlockHidden},
};

} // namespace

RegistersPage::RegistersPage(RtcBus& bus, QWidget* parent) : QWidget(parent), bus_(bus)
{
    setObjectName(QStringLiteral("tsReg"));

    SectionSel = named(new QComboBox(this), "SectionSel");
    SectionSel->setMinimumWidth(320);
    SectionSel->setMaxVisibleItems(12);
    setHint(SectionSel, QStringLiteral("Select Device Section"));

    BtnUnlock = named(new QPushButton(QStringLiteral("Unlock"), this), "BtnUnlock");
    Label115 = named(new QLabel(QStringLiteral("Ack Trys "), this), "Label115");
    ChkAutoUnlock =
        named(new QCheckBox(QStringLiteral("Enable Auto Unlock"), this), "ChkAutoUnlock");
    setHint(ChkAutoUnlock, QStringLiteral("Enables Automatic Unlock during Register writes. "
                                          "Writes 0x2 then 0x6 to status register (0x3F)"));
    Label52 = named(new QLabel(QStringLiteral("Set WEL/RWEL"), this), "Label52");

    auto* top = new QHBoxLayout;
    top->addWidget(SectionSel);
    top->addStretch(1);

    auto* unlock = new QHBoxLayout;
    unlock->addWidget(BtnUnlock);
    unlock->addWidget(Label115);
    unlock->addStretch(1);
    unlock->addWidget(ChkAutoUnlock);
    unlock->addWidget(Label52);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addLayout(unlock);

    bus_.unlockButton = static_cast<const QObject*>(BtnUnlock);
    connect(BtnUnlock, &QPushButton::clicked, this, &RegistersPage::BtnUnlockClick);
}

const PageSettingsTable& RegistersPage::partSettings()
{
    return kRegistersPageSettings;
}

void RegistersPage::BtnUnlockClick()
{
    bus_.UnlockPart(sender());
}
