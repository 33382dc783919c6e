// The Alarm page (tab tsAlarm): the first alarm's six match fields, its mode
// bits, flag lamp and clear button; on dual-alarm parts the second alarm
// beside it; on TypeG the IRQ usage choice of the two interrupt pins.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

#include "pages/PageContext.h"

class LedIndicator;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace AlarmCodec {
struct AlarmLayout;
struct AlarmFields;
struct ShownFields;
} // namespace AlarmCodec

class AlarmPage : public QWidget {
    Q_OBJECT
  public:
    explicit AlarmPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // Controls keep their designed names (also their objectNames).
    QLabel* lblAlarm = nullptr;
    QGroupBox* GroupAlarmRegs = nullptr;
    QLabel* Label26 = nullptr;
    QLabel* Label27 = nullptr;
    QLabel* Label28 = nullptr;
    QLabel* Label29 = nullptr;
    QLabel* Label30 = nullptr;
    QLabel* Label31 = nullptr;
    QComboBox* aSeconds = nullptr;
    QComboBox* aMinutes = nullptr;
    QComboBox* aHours = nullptr;
    QComboBox* aDay = nullptr;
    QComboBox* aMonth = nullptr;
    QComboBox* aWeek = nullptr;
    QGroupBox* GroupBox11 = nullptr;
    QCheckBox* cbIM = nullptr;
    QCheckBox* cbALME = nullptr;
    QGroupBox* GroupAlarmStatus = nullptr;
    LedIndicator* LedAlarm = nullptr;
    QLabel* Label39 = nullptr;
    QPushButton* BtnClrAlarm = nullptr;
    QPushButton* BtnWrAlarm = nullptr;
    QPushButton* BtnRdAlarm = nullptr;
    QLabel* Label97 = nullptr;
    QLabel* Label113 = nullptr;

    QLabel* lblAlarm0 = nullptr;
    QGroupBox* GroupBox32 = nullptr;
    QLabel* Label44 = nullptr;
    QLabel* Label45 = nullptr;
    QLabel* Label46 = nullptr;
    QLabel* Label47 = nullptr;
    QLabel* Label48 = nullptr;
    QLabel* Label49 = nullptr;
    QComboBox* aSeconds0 = nullptr;
    QComboBox* aMinutes0 = nullptr;
    QComboBox* aHours0 = nullptr;
    QComboBox* aDay0 = nullptr;
    QComboBox* aMonth0 = nullptr;
    QComboBox* aWeek0 = nullptr;
    QGroupBox* GroupBox31 = nullptr;
    QCheckBox* cbIM0 = nullptr;
    QCheckBox* cbALME0 = nullptr;
    QGroupBox* GroupBox33 = nullptr;
    LedIndicator* LedAlarm0 = nullptr;
    QLabel* Label50 = nullptr;
    QPushButton* BtnClrAlarm0 = nullptr;
    QPushButton* BtnWriteAlarm0 = nullptr;
    QPushButton* BtnRdAlarm0 = nullptr;
    QLabel* Label98 = nullptr;
    QLabel* Label114 = nullptr;

    QGroupBox* GBox_AlarmModes = nullptr;
    std::array<QRadioButton*, 8> RBAlarm{}; // RBAlarm0 .. RBAlarm7
    QPushButton* Btn_Write_IRQ_Mode = nullptr;
    QPushButton* Btn_Read_IRQ_Mode = nullptr;

  public slots:
    void BtnWrAlarmClick();
    void BtnRdAlarmClick();
    void BtnClrAlarmClick();
    void cbIMClick();
    void aDayChange();
    void aWeekChange();

    void BtnWriteAlarm0Click();
    void BtnRdAlarm0Click();
    void BtnClrAlarm0Click();
    void cbIM0Click();
    void aDay0Change();
    void aWeek0Change();

    void Btn_Write_IRQ_ModeClick();
    void Btn_Read_IRQ_ModeClick();

  private:
    // One alarm's controls, so both alarms share the handlers' steps.
    struct AlarmControls {
        int Number = 1;
        std::array<QComboBox*, 6> Lists{}; // seconds, minutes, hours, date, month, week
        QCheckBox* Im = nullptr;
        QCheckBox* Enable = nullptr;
        LedIndicator* Lamp = nullptr;
        QPushButton* Write = nullptr;
        QPushButton* Read = nullptr;
        QPushButton* Clear = nullptr;
    };

    QWidget* buildAlarm(int number);
    QGroupBox* buildIrqUsage();

    AlarmControls controls(int number) const;
    AlarmCodec::AlarmFields fieldsOf(const AlarmControls& alarm) const;
    void show(const AlarmControls& alarm, const AlarmCodec::ShownFields& shown);
    void showIrqUsage(uint8_t control);
    // The other list of a date / day-of-week pair goes to "Ignore" when one
    // gets a value, on the families whose alarm byte holds only one of them.
    void keepOneOfDayOrDate(int number, QComboBox* chosen, QComboBox* other);

    void writeAlarm(const AlarmControls& alarm, const void* sender);
    void readAlarm(const AlarmControls& alarm, const void* sender);
    void clearAlarm(const AlarmControls& alarm, const void* sender);

    PageContext& context_;
    QButtonGroup* irqUsage_ = nullptr;
};
