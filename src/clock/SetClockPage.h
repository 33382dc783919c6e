// The Set Clock page (tab tsSetTime): sets the chip's clock from the PC clock
// or from the picked date and time, sets the PC clock from the chip, loads the
// chip's time into the pickers and switches the chip between 12- and 24-hour
// form.
#pragma once

#include <QDateTime>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <ctime>

class PageContext;
class QCalendarWidget;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class RadioGroup;

class SetClockPage : public QWidget {
    Q_OBJECT
  public:
    explicit SetClockPage(PageContext& context, QWidget* parent = nullptr);

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupSelection = nullptr; // "Time and Date Selection "
    RadioGroup* SetTimeFomat = nullptr;  // "12-Hour", "24-Hour"
    QCalendarWidget* Calendar = nullptr;
    QLabel* LabelSetTime = nullptr;
    QLineEdit* SetHr = nullptr;
    QLineEdit* SetMin = nullptr;
    QLineEdit* SetSec = nullptr;
    QLineEdit* SetAP = nullptr;
    QWidget* CSpinButton2 = nullptr; // holds the two arrows below
    QToolButton* CSpinButton2Up = nullptr;
    QToolButton* CSpinButton2Down = nullptr;
    QLabel* Label96 = nullptr;
    QGroupBox* GroupAdjustSelection = nullptr; // " Adjust RTC from Time and Date Selection "
    QPushButton* BtnGetRTC = nullptr;
    QPushButton* BtnSetRTC = nullptr;
    QGroupBox* GroupAdjustFromPC = nullptr; // " Adjust RTC from PC Clock "
    QPushButton* BtnSetRTCfromPC = nullptr;
    QGroupBox* GroupSetPC = nullptr; // "Set PC Time from EVAL Board"
    QPushButton* BtnSetRTCtoPC = nullptr;

    // The page's step of start-up: today's date and the PC's time of day.
    void StartUp();
    // The page's reads when it is shown: the chip's date and time into the
    // pickers and its 12/24-hour form into the format, as Get RTC loads them
    // but without rewriting the chip; a clock that is not set leaves them.
    void ReadOnShow();

    // The time boxes in the form the format selector shows.
    void SetTimeEdits(int hour, int minute, int second);
    void GetTimeEdits(int& hour, int& minute, int& second) const;

    bool is24Hour() const;
    // The time box entered last; null before any.
    QLineEdit* focusedTimeField() const { return FocusedTimeField; }

  public slots:
    // sender: the object whose event started the action (null: a program step).
    void BtnSetRTCfromPCClick(QObject* sender);
    void BtnSetRTCClick(QObject* sender);
    void BtnSetRTCtoPCClick(QObject* sender);
    void BtnGetRTCClick(QObject* sender);
    void SetTimeFomatClick();
    void SetHrChange();
    void SetMinChange(QLineEdit* box);
    void SetAPChange();
    void SetHrExit(QLineEdit* box);
    void SetHrEnter(QLineEdit* box);
    void CSpinButton2UpClick();
    void CSpinButton2DownClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildSelectionGroup();
    void buildButtonGroups();
    void connectHandlers();
    // Key filters; true when the key was handled (dropped or turned into text).
    bool SetMinKeyPress(QKeyEvent* key);
    bool SetAPKeyPress(QKeyEvent* key);
    void spin(bool up);
    // Applies the exit rule to a time box that holds fewer than two characters.
    void finishTimeBoxes();
    void writeEnablePreStep(QObject* sender, QPushButton* button);
    // Set from PC's write of the PC time `at`, a whole second; sender as
    // ReportResult takes it.
    void writeTimeFromPc(const void* sender, const QDateTime& at);
    // Every successful write of the chip's time restarts the drift run.
    void timeWritten();

    PageContext& context_;
    QPointer<QLineEdit> FocusedTimeField;
    // The format follows the chip's form (read on showing): no rewrite.
    bool followingChip_ = false;
};
