// The Interrupt page (tab tsInterrupt): what the chip drives on its interrupt
// / frequency-output pin, read and written per family, the VK390 user timer
// (mode, clock, events, interrupt pins, its registers and TMR flag), and the
// TSE refresh of the TypeD parts, which the polling cycle runs as the page's
// own step.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "pages/PageContext.h"

class LedIndicator;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class InterruptPage : public QWidget, public PartChoiceStep, public PollStep {
    Q_OBJECT
  public:
    explicit InterruptPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // The TypeA and TypeB parts' frequency list and captions (VK331's differ).
    void partChosen() override;
    // Once a second: TSE written every TseRefreshPeriod seconds.
    void polled() override;
    // The TSE refresh's period (0: off) and the seconds counted towards it.
    int tseRefreshPeriod() const { return tseRefreshPeriod_; }
    int tseRefreshCount() const { return tseRefreshCount_; }

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupBox10 = nullptr; // frequency out on the interrupt pin
    QLabel* Label25 = nullptr;
    QComboBox* FreqOutSel = nullptr;
    QCheckBox* cbFOBATB = nullptr;
    QCheckBox* ChkBA1E = nullptr;
    QLabel* Label99 = nullptr;
    QPushButton* BtnRdInt = nullptr;
    QPushButton* BtnWrInt = nullptr;

    QGroupBox* GrpBoxTimer = nullptr; // "User Timer Control" (VK390)
    QComboBox* cboTimerFreq = nullptr;
    QComboBox* cboTmrMode = nullptr;
    QCheckBox* cbTimerEnable = nullptr;
    QCheckBox* chkbTimerTIM = nullptr;
    QCheckBox* chkIRQ1E = nullptr;
    QCheckBox* chkIRQ2E = nullptr;
    QLabel* Label90 = nullptr;
    QLabel* Label91 = nullptr;
    QLineEdit* tedTimerInitial = nullptr;
    QLineEdit* tedCntReg = nullptr;
    QLineEdit* tedTmrSub = nullptr;
    QLabel* Label92 = nullptr;
    LedIndicator* CBSLed11 = nullptr;
    QPushButton* BtnReadTimer = nullptr;
    QPushButton* BtnWriteTimer = nullptr;
    QPushButton* bntClearTimer = nullptr;

    QGroupBox* gbTSEREFRESH = nullptr; // "TSE Refresh" (TypeD)
    QComboBox* cboTSEREFRESH = nullptr;
    QLabel* lblTSEREFRESH = nullptr;

  public slots:
    void BtnWrIntClick();
    void BtnRdIntClick();
    void FreqOutSelChange();
    void BtnReadTimerClick();
    void BtnWriteTimerClick();
    void bntClearTimerClick();
    void chkIRQ1EClick();
    void chkIRQ2EClick();
    void chkbTimerTIMClick();
    void cboTmrModeChange();
    void cboTimerFreqChange();
    void cboTSEREFRESHChange();

  private:
    QGroupBox* buildFreqGroup();
    QGroupBox* buildTimerGroup();
    QGroupBox* buildTseRefreshGroup();
    void connectHandlers();
    // The clock-source check into Label92.
    void checkClockSource(bool afterModeChange);
    // A refusal that writes nothing, in status panel 3.
    void refuse(const QString& why);
    // A timer box's byte, or nullopt after refusing it by its caption.
    std::optional<uint8_t> timerBoxByte(const QLineEdit* box, const char* caption);

    PageContext& context_;
    // The TSE refresh: every how many seconds (0: off), and the seconds counted.
    int tseRefreshPeriod_ = 0;
    int tseRefreshCount_ = 0;
    // The frequency group and, under it, the TSE refresh group.
    QVBoxLayout* leftColumn_ = nullptr;
};
