// The Crystal trim page (tab tsComp): the crystal's analog trim (load
// capacitance), its battery-mode offset and the digital trim, read from and
// written to the chip per family; and the trim that cancels the rate the
// Graph page's drift run measured.
#pragma once

#include <QWidget>
#include <optional>

#include "pages/PageContext.h"
#include "pages/graph/DriftLogic.h"
#include "pages/trim/TrimCodec.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TrimPage : public QWidget, public PollStep, public PartChoiceStep {
    Q_OBJECT
  public:
    explicit TrimPage(PageContext& context, QWidget* parent = nullptr);

    // Once a second: the advice follows the drift run's estimate.
    void polled() override;
    // The lists are the new part's: what the chip had in effect is unknown.
    void partChosen() override;

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupBox16 = nullptr; // ATR
    QComboBox* ComboBoxATR = nullptr;
    QGroupBox* GroupBox17 = nullptr; // BMATR
    QComboBox* ComboBoxBMATR = nullptr;
    QGroupBox* GroupBox18 = nullptr; // DTR
    QComboBox* ComboBoxDTR = nullptr;
    QPushButton* BtnRdXtl = nullptr;
    QPushButton* BtnWrXtl = nullptr;
    QGroupBox* GroupBoxAdvice = nullptr; // " Trim Advice "
    QLabel* TrimAdvice = nullptr;
    QPushButton* BtnUseAdvice = nullptr; // "Use advised trim"

  public slots:
    void BtnRdXtlClick();
    void BtnWrXtlClick();
    // Selects the advised entry of the list that leaves the smaller residual
    // and puts the other list back to the entry in effect; writes nothing.
    void BtnUseAdviceClick();
    // The advice from the drift run's estimate and the trim in effect; each
    // list's advised entry in its "advised" property (none: invalid).
    void refreshAdvice();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void clearAdvice();
    // The entries the chip has in effect: the last read's or write's, else
    // the lists' own.
    TrimCodec::TrimChoice inEffect() const;

    PageContext& context_;
    std::optional<TrimCodec::TrimChoice> inEffect_;
    std::optional<DriftLogic::TrimAdvice> advice_;
};
