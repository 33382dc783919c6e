// The Power management page (tab tsPWR): the VDD brown-out trip level and the
// battery trip levels of the TypeD and TypeF supervisors with their lamps,
// RESEAL or the switch-over hysteresis, the TypeF I2C-on-battery and VDD
// monitor switches and trickle charger, and the two switch-over time stamps.
#pragma once

#include <QWidget>
#include <cstdint>

#include "pages/PageContext.h"

class LedIndicator;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class PowerPage : public QWidget {
    Q_OBJECT
  public:
    explicit PowerPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // Controls keep their designed names (also their objectNames).
    QGroupBox* gbVDDTRIP = nullptr;
    QComboBox* cboVDDTRIP = nullptr;
    QCheckBox* ChkI2CBAT = nullptr;
    QCheckBox* ChkLVENB = nullptr;
    QPushButton* BtnReadVDDTIP = nullptr;
    QPushButton* BtnWriteVDDTIP = nullptr;
    LedIndicator* CBSLedVDDTRIP = nullptr;
    QCheckBox* ChkBSW = nullptr;
    QRadioButton* rbBSW1 = nullptr; // "Standard"
    QRadioButton* rbBSW2 = nullptr; // "Low Power "

    QGroupBox* gbBATTRIP = nullptr;
    QComboBox* cbo85BATLEVEL = nullptr;
    QComboBox* cbo75BATLEVEL = nullptr;
    QCheckBox* CHKresealb = nullptr;
    QCheckBox* ChkBHYS = nullptr;
    QPushButton* BtnReadBATTRIP = nullptr;
    QPushButton* BtnWriteBATTRIP = nullptr;
    LedIndicator* CBSLed85BTRIP = nullptr;
    LedIndicator* CBSLed75BTRIP = nullptr;

    QGroupBox* gbTVS2B = nullptr;
    QLabel* pnlTIMESTAMP1 = nullptr; // first VDD to battery
    QLabel* Panel5 = nullptr;        // last battery to VDD
    QPushButton* BtnReadTimeStamps = nullptr;
    QPushButton* BtnClearTStamps = nullptr;

    QGroupBox* GroupTrick = nullptr;
    QComboBox* cboTrick = nullptr;
    QCheckBox* ChkTrickEN = nullptr;
    QPushButton* BtnReadTrickK = nullptr;
    QPushButton* BtnWriteTrick = nullptr;

  public slots:
    void BtnReadVDDTIPClick();
    void BtnWriteVDDTIPClick();
    void BtnReadBATTRIPClick();
    void BtnWriteBATTRIPClick();
    void BtnReadTimeStampsClick();
    void BtnClearTStampsClick();
    void BtnReadTrickKClick();
    void BtnWriteTrickClick();
    void rbBSW1Click();
    void rbBSW2Click();
    void ChkBSWClick();

  private:
    QGroupBox* buildVddGroup();
    QGroupBox* buildBatteryGroup();
    QGroupBox* buildStampGroup();
    QGroupBox* buildTrickleGroup();
    // A refusal that writes nothing, in status panel 3.
    void refuse(const QString& why);
    // The PC time format of the Setup page: 24-hour or 12-hour.
    bool pcTime24();

    PageContext& context_;
};
