// The System management page (tab tsSysMgmt): the reset threshold (VTS) and
// watchdog time-out of the TypeE supervisors, and the VK370 AC mains input
// with its status lamps and failure counter.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "pages/PageContext.h"

class LedIndicator;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class SysMgmtPage : public QWidget {
    Q_OBJECT
  public:
    explicit SysMgmtPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupBox36 = nullptr; // "VTS / Reset Thresholds"
    QComboBox* cboVTS = nullptr;
    QPushButton* BtnReadVTS = nullptr;
    QPushButton* BtnWriteVTS = nullptr;
    QGroupBox* GroupBox37 = nullptr; // "WatchDog Timeout"
    QComboBox* cboWatchDog = nullptr;
    QPushButton* BtnWatchDogRead = nullptr;
    QPushButton* BtnWatchDogWrite = nullptr;

    QGroupBox* GroupACMGMT = nullptr; // "AC Managment" (VK370)
    QRadioButton* rb50HZ = nullptr;
    QRadioButton* rb60HZ = nullptr;
    QCheckBox* chkDisableAC = nullptr;
    QRadioButton* rbTime2 = nullptr;
    QRadioButton* rbTime4 = nullptr;
    QRadioButton* rbTime8 = nullptr;
    QRadioButton* rbTime16 = nullptr;
    QRadioButton* rbACF0 = nullptr;
    QRadioButton* rbACF1 = nullptr;
    QRadioButton* rbACF2 = nullptr;
    QRadioButton* rbACF3 = nullptr;
    QRadioButton* rbACFC0 = nullptr;
    QRadioButton* rbACFC1 = nullptr;
    QRadioButton* rbACFC2 = nullptr;
    QRadioButton* rbACFC3 = nullptr;
    QRadioButton* rbACMIN0 = nullptr;
    QRadioButton* rbACMIN1 = nullptr;
    LedIndicator* CBSLed5 = nullptr; // XOSCF
    LedIndicator* CBSLed6 = nullptr; // ACFAIL
    LedIndicator* CBSLed7 = nullptr; // ACRDY
    QLineEdit* txtACCNT = nullptr;
    QPushButton* BtnReadAC = nullptr;
    QPushButton* BtnWriteAC = nullptr;

  public slots:
    void BtnReadVTSClick();
    void BtnWriteVTSClick();
    void BtnWatchDogReadClick();
    void BtnWatchDogWriteClick();
    void BtnReadACClick();
    void BtnWriteACClick();
    // The AC lamps share the event lamp's change handler: when one lights,
    // the event page reads its time stamps.
    void AcLampChange(bool lit);

  private:
    QGroupBox* buildVtsGroup();
    QGroupBox* buildWatchdogGroup();
    QGroupBox* buildAcGroup();
    // A radio group of the AC group: a titled box of buttons whose ids are
    // their field values.
    QGroupBox* radioGroup(const QString& title, QButtonGroup*& group,
                          std::initializer_list<QRadioButton**> buttons,
                          std::initializer_list<const char*> names,
                          std::initializer_list<const char*> captions);
    // A refusal that writes nothing, in status panel 3.
    void refuse(const QString& why);
    // The selected field value of a radio group, -1 for none.
    static int selected(const QButtonGroup* group);
    static void select(QButtonGroup* group, int value);

    PageContext& context_;
    QButtonGroup* freqGroup_ = nullptr;
    QButtonGroup* recoveryGroup_ = nullptr;
    QButtonGroup* cyclesGroup_ = nullptr;
    QButtonGroup* criterionGroup_ = nullptr;
    QButtonGroup* minimumGroup_ = nullptr;
};
