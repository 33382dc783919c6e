// The Setup page: board, part and bus-speed choice, the supply check box, the
// temperature calibration and sensor choice, the status group with its lamps,
// Clear Events, Read ID, the product label and the Features grid.
#pragma once

#include <QWidget>

#include "pages/PageContext.h"

class LedIndicator;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QToolButton;

class SetupPage : public QWidget, public PartChoiceStep {
    Q_OBJECT
  public:
    explicit SetupPage(PageContext& context, QWidget* parent = nullptr);

    // The product label, the ID group of the parts that have one and the
    // Features grid follow the chosen part.
    void partChosen() override;

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupEvalBoard = nullptr;
    QComboBox* EvalBoardSel = nullptr;
    QGroupBox* GroupDevice = nullptr;
    QComboBox* DeviceSel = nullptr;
    QGroupBox* GroupBussSpeed = nullptr;
    QComboBox* BussSpeedSel = nullptr;
    QLabel* LabelKHz = nullptr;
    QGroupBox* GroupDeviceControls = nullptr;
    QCheckBox* VccChecked = nullptr;

    QGroupBox* GroupTempCal = nullptr;
    QLabel* TempCal = nullptr;
    QWidget* CSpinButton1 = nullptr; // holds the two arrows below
    QToolButton* CSpinButton1Up = nullptr;
    QToolButton* CSpinButton1Down = nullptr;
    QRadioButton* rbLM75Select = nullptr;
    QRadioButton* rbLM76Select = nullptr;

    // Status group: lamps and their labels, placed by pixel so that the part
    // choice can move lines within the group.
    QGroupBox* GroupStatus = nullptr;
    LedIndicator* LedRTCF = nullptr;
    LedIndicator* LedBAT = nullptr;
    LedIndicator* LedALM = nullptr;
    LedIndicator* LedEVT = nullptr;
    LedIndicator* LedAlarm2 = nullptr;
    LedIndicator* LedOSCfail = nullptr;
    LedIndicator* CBSLed2 = nullptr;
    LedIndicator* CBSLed3 = nullptr;
    LedIndicator* CBSLed8 = nullptr;
    LedIndicator* CBSLed9 = nullptr;
    LedIndicator* CBSLed10 = nullptr;
    QLabel* LabelRTCF = nullptr;
    QLabel* LabelBAT = nullptr;
    QLabel* LabelALM = nullptr;
    QLabel* LabelEVT = nullptr;
    QLabel* lblAlarm2 = nullptr;
    QLabel* lblOSCFail = nullptr;
    QLabel* Label53 = nullptr;
    QLabel* Label54 = nullptr;
    QLabel* LabelLed8 = nullptr;
    QLabel* LabelLed9 = nullptr;
    QLabel* LabelLed10 = nullptr;

    QGroupBox* GroupBox25 = nullptr; // " Clear Events "
    QPushButton* BtnClrAlmEvent = nullptr;
    QPushButton* BtnClrEvtEvent = nullptr;
    QPushButton* BtnClrBatEvent = nullptr;
    QPushButton* BtnClrAllEvents = nullptr;

    QGroupBox* GroupBox38 = nullptr; // ID bytes of the parts that have them
    QPushButton* BtnReadID = nullptr;
    QLineEdit* Read_ID_Buf = nullptr;

    QLabel* lblProduct = nullptr;
    QTableWidget* Features = nullptr;

    // Hidden: the PC display's time format, kept equal to the Set Clock
    // page's format choice.
    QGroupBox* Time24hr = nullptr;
    QRadioButton* Time24hr12 = nullptr; // "12-Hour"
    QRadioButton* Time24hr24 = nullptr; // "24-Hour"
    bool is24Hour() const;

    QGridLayout* grid() const { return grid_; }

  public slots:
    // sender: the object whose event started the action (null: a program step).
    void BtnClrAlmEventClick(QObject* sender);
    void BtnClrEvtEventClick(QObject* sender);
    void BtnClrBatEventClick(QObject* sender);
    void BtnClrAllEventsClick(QObject* sender);
    void BtnReadIDClick(QObject* sender);
    void rbLM75SelectClick();
    void rbLM76SelectClick();
    void CSpinButton1UpClick();
    void CSpinButton1DownClick();
    void ShowTempOffset();

  private:
    void buildLeftColumn();
    void buildStatusGroup();
    void buildRightColumn();
    void reserveRoom();
    void clearEvents(QObject* sender, QPushButton* button, uint8_t keepMask,
                     std::initializer_list<LedIndicator*> lamps);

    void connectHandlers();

    PageContext& context_;
    QGridLayout* grid_ = nullptr;
};
