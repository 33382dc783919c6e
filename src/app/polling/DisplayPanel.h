// The display panel at the left of the window: PC and chip time and date, the
// deviation, the board temperature, the polling switch and the poll duration.
// The polling cycle fills it once a second.
#pragma once

#include <QFrame>

class QCheckBox;
class QLabel;

class DisplayPanel : public QFrame {
    Q_OBJECT
  public:
    explicit DisplayPanel(QWidget* parent = nullptr);

    // Empties the chip's time, date, deviation and temperature.
    void blankChipFields();

    bool pollingEnabled() const;

    // Controls, named as designed (also their objectNames).
    QLabel* LabelPC = nullptr; // caption over the PC fields
    QLabel* PCtime = nullptr;
    QLabel* PCdate = nullptr;
    QLabel* LabelRTC = nullptr; // caption over the chip fields
    QLabel* RTCtime = nullptr;
    QLabel* RTCdate = nullptr;
    QLabel* Label42 = nullptr;
    QLabel* RTCdev = nullptr;
    QLabel* Label4 = nullptr; // sensor caption, set at start-up and by the sensor choice
    QLabel* RTCtemp = nullptr;
    QCheckBox* PollingEnable = nullptr;
    QLabel* PollingTime = nullptr;
};
