// The register rows page (tab tsReg): the section list and the unlock
// controls of TypeE parts. The register rows themselves come with the page's
// transfers.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class PageContext;
class QPushButton;

class RegistersPage : public QWidget {
    Q_OBJECT
  public:
    // The page's unlock does the write-enable step of every page.
    explicit RegistersPage(PageContext& context, QWidget* parent = nullptr);

    // Controls keep their designed names (also their objectNames).
    QComboBox* SectionSel = nullptr;
    QPushButton* BtnUnlock = nullptr;
    QCheckBox* ChkAutoUnlock = nullptr;
    QLabel* Label52 = nullptr;
    QLabel* Label115 = nullptr;

    // Write enable with BtnUnlock as its control: a failure opens the box only
    // when Unlock was clicked; the tries show in Label115.
    void unlock(const void* sender);

  public slots:
    void BtnUnlockClick();

  private:
    PageContext& context_;
};
