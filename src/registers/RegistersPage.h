// The register rows page (tab tsReg): the section list and the unlock
// controls of TypeE parts. The register rows themselves come with the page's
// transfers.
#pragma once

#include <QWidget>

#include "PartSelection.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class RtcBus;

class RegistersPage : public QWidget {
    Q_OBJECT
  public:
    // Makes BtnUnlock the bus's unlock control.
    explicit RegistersPage(RtcBus& bus, QWidget* parent = nullptr);

    // Controls keep their designed names (also their objectNames).
    QComboBox* SectionSel = nullptr;
    QPushButton* BtnUnlock = nullptr;
    QCheckBox* ChkAutoUnlock = nullptr;
    QLabel* Label52 = nullptr;
    QLabel* Label115 = nullptr;

    // This page's part of the part choice: no base state of its own, and per
    // family the unlock controls (shown for TypeE only) and Label52 (always
    // hidden; the TypeE transfers show it).
    static const PageSettingsTable& partSettings();

  public slots:
    void BtnUnlockClick();

  private:
    RtcBus& bus_;
};
