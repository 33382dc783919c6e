// The Crystal trim page (tab tsComp): the crystal's analog trim (load
// capacitance), its battery-mode offset and the digital trim, read from and
// written to the chip per family.
#pragma once

#include <QWidget>

#include "pages/PageContext.h"

class QComboBox;
class QGroupBox;
class QPushButton;

class TrimPage : public QWidget {
    Q_OBJECT
  public:
    explicit TrimPage(PageContext& context, QWidget* parent = nullptr);

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

  public slots:
    void BtnRdXtlClick();
    void BtnWrXtlClick();

  private:
    PageContext& context_;
};
