// The Event page (tab tsEvent): the event-detect configuration register, the
// event flag's lamp and clear button, and the time stamps (one on TypeB, the
// first event since reset and the last three with the event counter on TypeF),
// read on request and when the lamp lights.
#pragma once

#include <QWidget>
#include <array>

#include "pages/PageContext.h"

class LedIndicator;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class EventPage : public QWidget, public PartChoiceStep, public EventStamps {
    Q_OBJECT
  public:
    // The page offers its time stamps to the others (PageLinks::eventStamps).
    explicit EventPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // The stamp controls follow the part's time-stamp flag; then the lists
    // follow the enable box.
    void partChosen() override;

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupBoxEV = nullptr; // " Event Detection Register (EV) "
    QLabel* LabelESMP = nullptr;
    QComboBox* ComboBoxESMP = nullptr;
    QLabel* LabelEHYS = nullptr;
    QComboBox* ComboBoxEHYS = nullptr;
    QCheckBox* ChkBoxEVEN = nullptr;
    QCheckBox* ChkBoxRTCHLT = nullptr;
    QCheckBox* ChkBoxEVIENB = nullptr;
    QCheckBox* ChkBoxEVBATB = nullptr;
    QCheckBox* CheckBoxEVIM = nullptr;
    QPushButton* BtnWrEvent = nullptr;
    QPushButton* BtnRdEvent = nullptr;

    QGroupBox* GroupBoxEventStatus = nullptr; // " Event Status "
    LedIndicator* LedEvent = nullptr;
    QLabel* Label38 = nullptr;
    QPushButton* BtnClrEvent = nullptr;

    QLabel* TimeStampLabel = nullptr;
    QLabel* TimeStampPnl = nullptr;
    QLabel* TimeStampPnl1 = nullptr;
    QLabel* TimeStampPnl2 = nullptr;
    QLabel* TimeStampPnl3 = nullptr;
    QGroupBox* GroupEVTLabels = nullptr; // "EVIX0/1"
    std::array<QLabel*, 4> EvixLabels{}; // "00", "01", "10", "11"
    QLabel* Label112 = nullptr;
    QLabel* Label83 = nullptr;
    QLineEdit* txtEVCNT = nullptr;
    QPushButton* LastEventBtn = nullptr;

  public slots:
    void BtnWrEventClick();
    void BtnRdEventClick();
    void BtnClrEventClick();
    void LastEventBtnClick();
    // Runs on a change of LedEvent, or of any lamp whose changed signal is
    // connected here: when the lamp has just lit, the stamps are read with
    // the lamp as the sender.
    void LedEventChange();
    // ChkBoxEVEN's click and ComboBoxESMP's change.
    void ChkBoxEVENClick();
    void UpdateEventControls();

  protected:
    // The page coming to the front shows the register section chosen on the
    // register page and brings the lists in line with the enable box.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildConfiguration();
    QWidget* buildStatus();
    QWidget* buildStamps();
    // The EVIX labels stand level with the panel of their index.
    void placeEvixLabels();
    std::array<QLabel*, 4> stampPanels() const;
    bool is24Hour();

    void readStamps(const void* sender) override;

    PageContext& context_;
};
