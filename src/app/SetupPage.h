// The Setup page: board, part and bus-speed choice, supply check box.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;

class SetupPage : public QWidget {
    Q_OBJECT
  public:
    explicit SetupPage(QWidget* parent = nullptr);

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

    // Left column holds the groups above; the right column is free for the
    // status and feature groups.
    QGridLayout* grid() const { return grid_; }

  private:
    QGridLayout* grid_ = nullptr;
};
