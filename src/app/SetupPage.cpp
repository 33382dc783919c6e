#include "app/SetupPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QGroupBox* group(const char* name, const QString& title, QWidget* parent)
{
    auto* box = named(new QGroupBox(title, parent), name);
    return box;
}

} // namespace

SetupPage::SetupPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsSetup"));

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
    GroupDeviceControls->setToolTip(QStringLiteral("Control VCC to RTC"));
    GroupDeviceControls->setStatusTip(GroupDeviceControls->toolTip());
    VccChecked =
        named(new QCheckBox(QStringLiteral("VDD Enabled"), GroupDeviceControls), "VccChecked");
    VccChecked->setChecked(false);
    VccChecked->setToolTip(QStringLiteral("RTC Vcc Switch"));
    VccChecked->setStatusTip(VccChecked->toolTip());
    auto* controlsLayout = new QVBoxLayout(GroupDeviceControls);
    controlsLayout->addWidget(VccChecked);

    grid_ = new QGridLayout(this);
    grid_->addWidget(GroupEvalBoard, 0, 0);
    grid_->addWidget(GroupDevice, 1, 0);
    grid_->addWidget(GroupBussSpeed, 2, 0);
    grid_->addWidget(GroupDeviceControls, 3, 0);
    grid_->setRowStretch(4, 1);
    grid_->setColumnStretch(1, 1);
    grid_->setColumnMinimumWidth(0, 170);
}
