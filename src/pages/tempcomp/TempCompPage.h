// The temperature compensation page (tab tsTCOMP, TypeD parts): the initial
// trims and the crystal's coefficients the chip compensates with, its final
// trims and net correction, the sensing bits TSE, BTSE and BTSR, and the
// temperature the chip last measured.
#pragma once

#include <QWidget>

#include "pages/PageContext.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TempCompPage : public QWidget, public PartChoiceStep {
    Q_OBJECT
  public:
    explicit TempCompPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // VK350's own group captions; the TSE warning and the write button as the
    // TSE box stands for the chosen part.
    void partChosen() override;

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupBox40 = nullptr; // initial trim
    QComboBox* cboIDTR = nullptr;
    QComboBox* cboIATR = nullptr;
    QGroupBox* GroupBox41 = nullptr; // coefficients and gain
    QComboBox* cboALPHA = nullptr;
    QComboBox* cboBETA = nullptr;
    QLabel* lblXTO = nullptr;
    QComboBox* cboXTO = nullptr;
    QLabel* lblALPHAHOT = nullptr;
    QComboBox* cboALPHAHOT = nullptr;
    QLabel* pnlFinalATR = nullptr;
    QLabel* pnlFinalDTR = nullptr;
    QLabel* lblFINALDTRIM = nullptr;
    QLabel* lblNPPM = nullptr;
    QLabel* pnlNPPM = nullptr;
    QPushButton* BtnRDTemp = nullptr;
    QPushButton* BtnWRTemp = nullptr;
    QLabel* Label95 = nullptr; // VK350: no writes while sensing

    QCheckBox* chkTSE = nullptr;
    QCheckBox* chkBTSE = nullptr;
    QCheckBox* chkBTSR = nullptr;
    QLabel* pnlTMODE = nullptr;
    QPushButton* BtnRdTempMode = nullptr;
    QPushButton* BtnWrTempMode = nullptr;
    QLabel* MSBDegreesK = nullptr;
    QLabel* LSBDegreesK = nullptr;
    QLabel* PnlKtoC = nullptr;

  public slots:
    void BtnRDTempClick();
    void BtnWRTempClick();
    void BtnRdTempModeClick();
    void BtnWrTempModeClick();
    void chkTSEClick();

  private:
    QWidget* buildCompColumn();
    QWidget* buildSenseColumn();
    void connectHandlers();

    // The three boxes from BETA, and the text that follows them.
    void showSenseMode(uint8_t beta);
    void showBatterySenseText();
    // BtnWRTemp enabled exactly while TSE is not ticked.
    void applyWriteRule();
    // A refusal that writes nothing, in status panel 3.
    void refuse(const QString& why);

    PageContext& context_;
};
