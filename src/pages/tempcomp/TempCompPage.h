// The temperature compensation page (tab tsTCOMP, TypeD parts): the initial
// trims and the crystal's coefficients the chip compensates with, its final
// trims and net correction, the sensing bits TSE, BTSE and BTSR, and the
// temperature the chip last measured; and the initial trim that cancels the
// rate the Graph page's drift run measured.
#pragma once

#include <QWidget>
#include <optional>

#include "pages/PageContext.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TempCompPage : public QWidget, public PartChoiceStep, public PollStep {
    Q_OBJECT
  public:
    explicit TempCompPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // VK350's own group captions; the TSE warning and the write button as the
    // TSE box stands for the chosen part.
    void partChosen() override;
    // Once a second: the advice follows the drift run's estimate.
    void polled() override;

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
    QGroupBox* GroupInitialAdvice = nullptr; // " Trim Advice "
    QLabel* InitialTrimAdvice = nullptr;
    QPushButton* BtnUseInitialAdvice = nullptr; // "Use advised trim"

  public slots:
    void BtnRDTempClick();
    void BtnWRTempClick();
    void BtnRdTempModeClick();
    void BtnWrTempModeClick();
    void chkTSEClick();
    // Selects the advised entry of the initial trim list that leaves the
    // smaller residual, the other back at its entry in effect; writes nothing.
    void BtnUseInitialAdviceClick();
    // The advice from the drift run's estimate and the initial trims in
    // effect; each list's advised entry in its "advised" property.
    void refreshAdvice();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* buildAdviceGroup(QWidget* parent);
    void clearAdvice();
    // The initial trims the chip has: the last read's or write's, else the lists'.
    struct InitialTrims {
        int Idtr = -1;
        int Iatr = -1;
    };
    InitialTrims inEffect() const;

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
    std::optional<InitialTrims> inEffect_;
    // The advised entries (-1: none) and whether the analog one leaves less.
    std::optional<InitialTrims> advised_;
    bool analogBetter_ = false;
};
