// The daylight saving page (tab tsDST, TypeD and TypeF): when the chip moves
// its clock forward and back, read from and written to its eight DST
// registers, and the lamp of the chip's DSTADJ flag.
#pragma once

#include <QWidget>

#include "pages/PageContext.h"

class LedIndicator;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace DstCodec {
struct DstFields;
struct DstPageState;
} // namespace DstCodec

class DstPage : public QWidget {
    Q_OBJECT
  public:
    explicit DstPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // Controls keep their designed names (also their objectNames).
    QCheckBox* chkDSTENABLE = nullptr;
    QGroupBox* gbDSTFWD = nullptr;
    QLabel* Label63 = nullptr;
    QLabel* Label80 = nullptr;
    QLabel* Label64 = nullptr;
    QLabel* Label62 = nullptr;
    QLabel* Label61 = nullptr;
    QComboBox* cboDSTFMonth = nullptr;
    QComboBox* cboWKForward = nullptr;
    QComboBox* cboDSTFDWA = nullptr;
    QComboBox* cboDSTFDATE = nullptr;
    QComboBox* cboDSTFHours = nullptr;
    QCheckBox* chkDSTDOWFOR = nullptr;
    QGroupBox* gbDSTREV = nullptr;
    QLabel* Label69 = nullptr;
    QLabel* Label81 = nullptr;
    QLabel* Label70 = nullptr;
    QLabel* Label68 = nullptr;
    QLabel* Label67 = nullptr;
    QComboBox* cboDSTRMonth = nullptr;
    QComboBox* cboWeekReverse = nullptr;
    QComboBox* cboDSTRDWA = nullptr;
    QComboBox* cboDSTRDATE = nullptr;
    QComboBox* cboDSTRHours = nullptr;
    QCheckBox* chkDSTDOWREV = nullptr;
    QPushButton* BtnReadDSTF = nullptr;
    QPushButton* BtnWriteDSTF = nullptr;
    LedIndicator* CBSLedDSTCHNG = nullptr;

  public slots:
    void BtnReadDSTFClick();
    void BtnWriteDSTFClick();
    // The lamp's change event: the event page's time-stamp read, as for its
    // own event lamp, once the lamp has lit.
    void CBSLedDSTCHNGChange(bool lit);

  private:
    // One direction's controls.
    struct Direction {
        QComboBox* Month;
        QComboBox* Week;
        QComboBox* Weekday;
        QComboBox* Date;
        QComboBox* Hours;
        QCheckBox* DayOfWeekMode;
    };

    QGroupBox* buildDirection(bool forward);
    Direction forward() const;
    Direction reverse() const;
    DstCodec::DstPageState pageState() const;
    void show(const DstCodec::DstPageState& state);

    PageContext& context_;
};
