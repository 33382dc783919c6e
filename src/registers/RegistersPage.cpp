#include "registers/RegistersPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/PageContext.h"
#include "bus/RtcBus.h"
#include "widgets/Controls.h"

RegistersPage::RegistersPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context)
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

    auto* unlockRow = new QHBoxLayout;
    unlockRow->addWidget(BtnUnlock);
    unlockRow->addWidget(Label115);
    unlockRow->addStretch(1);
    unlockRow->addWidget(ChkAutoUnlock);
    unlockRow->addWidget(Label52);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addLayout(unlockRow);

    context_.setUnlocker([this](const void* sender) { unlock(sender); });
    connect(BtnUnlock, &QPushButton::clicked, this, &RegistersPage::BtnUnlockClick);
}

void RegistersPage::BtnUnlockClick()
{
    unlock(static_cast<const QObject*>(sender()));
}

void RegistersPage::unlock(const void* sender)
{
    const int tries = context_.bus().UnlockPart(sender, static_cast<const QObject*>(BtnUnlock));
    if (tries > 0) Label115->setText(QStringLiteral("Ack Trys %1").arg(tries));
}
