// The register rows page (tab tsReg): one section of the selected part's
// register map at a time, as up to eight rows of name, hex box and bit panels
// with a Write and a Read button each; the page Write and Read; the unlock
// controls of TypeE parts.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "bus/WriteSequence.h"
#include "pages/PageContext.h"

class BitPanel;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class RegistersPage : public QWidget, public PartChoiceStep, public RegisterRows {
    Q_OBJECT
  public:
    // The page's unlock does the write-enable step of every page; the page
    // offers its rows to the others (PageLinks::registerRows).
    explicit RegistersPage(PageContext& context, QWidget* parent = nullptr);

    // Shows what is on the chip: the page's reads that write nothing, run as
    // a step (no sender), so a failure goes to the status bar.
    void ReadOnShow();

    // One row of RowTable: thirteen controls, bit panels bit 0 first.
    using RowControls = RegisterRowControls;
    // Rows 0 to 7 are this page's; rows 8 and 9 are the port page's.
    static constexpr int kRowTableSize = 10;
    const RowControls& row(int index) const { return RowTable[static_cast<size_t>(index)]; }

    // Binds rows 0 to 7 to the page's own controls (done once, as the page is built).
    void BuildRowTable();
    // Binds row 8 or 9 to another page's controls; their hex box gets the hex
    // key filter. False, and nothing bound, for any other row or a missing control.
    bool BindRow(int index, const RowControls& controls) override;

    // Section n (from 0) of the selected part's map in the rows. Without such
    // a section the rows stay as they were.
    void ShowSection(int n);
    // The section chosen in SectionSel.
    void showChosenSection() override;

    // Row helpers, rows 0 to 7.
    void ShowRowBits(int row, uint8_t value);
    uint8_t RowBitsValue(int row) const;
    void ShowRowHex(int row, uint8_t value);
    // The register address the row's name ends with; -1 for a row showing none.
    int RowAddress(int row) const;
    void StoreRowValue(int row, uint8_t value);

    // The part choice fills the section list with the chosen part's sections
    // ("Not Selected" leaves it as it was) and shows section 0.
    void partChosen() override;

    // Write enable with BtnUnlock as its control: a failure opens the box only
    // when Unlock was clicked; the tries show in Label115. Returns the result.
    int32_t unlock(const void* sender);
    // The write-enable step of a row or page write: only with auto unlock on.
    WriteSequence::Unlock unlocker();

    // The hex key filter: key becomes the character to type, or 0 when it is
    // dropped (with a beep).
    void HexEditKeyPress(char& key);
    // After a key is released in a hex box: the row's bits and image byte
    // follow the box's text when it is a hex number.
    void HexEditKeyUp(QObject* sender);

    // Controls keep their designed names (also their objectNames).
    QComboBox* SectionSel = nullptr;
    std::array<QWidget*, 8> Byte{};
    std::array<QLabel*, 8> Name{};
    std::array<QLineEdit*, 8> Hex{};
    std::array<std::array<BitPanel*, 8>, 8> Bit{}; // [row][bit]: Bit07 is Bit[0][7]
    std::array<QPushButton*, 8> WrBtn{};
    std::array<QPushButton*, 8> RdBtn{};
    QGroupBox* PageOp = nullptr;
    QPushButton* PageRdBtn = nullptr;
    QPushButton* PageWrBtn = nullptr;
    QGroupBox* GroupBox23 = nullptr;
    BitPanel* LogicTrue = nullptr;
    BitPanel* LogicFalse = nullptr;
    QPushButton* BtnUnlock = nullptr;
    QCheckBox* ChkAutoUnlock = nullptr;
    QLabel* Label52 = nullptr;
    QLabel* Label115 = nullptr;

  public slots:
    void SectionSelChange();
    void BitClick();
    void RdBtn0Click();
    void WrBtn0Click();
    void PageRdBtnClick();
    void PageWrBtnClick();
    void BtnUnlockClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The status bar's confirmation of a row or page transfer after a click
    // of button itself (clicked: the click's sender).
    void confirm(const QObject* clicked, const QObject* button, int32_t result,
                 const std::string& done);
    QWidget* buildRow(int row);
    QWidget* buildHeader();
    QWidget* buildFooter();
    int rowOfHexBox(const QObject* box, int rows) const;
    bool boardOpen() const;
    // Sub-address length of every transfer here; shows the auto-unlock
    // controls for TypeE parts and hides them for the others.
    uint8_t prepareTransfer();
    void showRowValue(int row, uint8_t value);

    PageContext& context_;
    std::array<RowControls, kRowTableSize> RowTable{};
    bool writesBarred_ = false; // the section on show is read only
};
