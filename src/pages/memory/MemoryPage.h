// The memory page (tab tsMemory): the part's user EEPROM or SRAM as a grid of
// bytes, sixteen to a line; Read All, Write All with its fill patterns, the
// single byte picked in the grid, and the EEPROM's block protection.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "pages/PageContext.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

class MemoryPage : public QWidget, public PartChoiceStep, public UserMemory {
    Q_OBJECT
  public:
    // The page offers its address length to the others (PageLinks::userMemory).
    explicit MemoryPage(PageContext& context, QWidget* parent = nullptr);

    // The grid takes the chosen part's lines; the address length and the
    // selected cell take the family's (MemoryCodec::PartShapeFor).
    void partChosen() override;

    // Sub-address length of the memory transfers (1 unless 2 was set).
    uint8_t addressLength() const;
    void setAddressLength(int length) override;
    // The grid cell selected last: {row, column}.
    std::array<int, 2> gridCell() const { return {gridRow_, gridColumn_}; }
    // Lines of the grid, the header row not counted.
    int gridLines() const { return gridLines_; }

    // The page's reads when it is shown: the whole memory into the grid and,
    // for TypeE, the block protection; a failure goes to the status bar.
    void ReadOnShow();

    // Controls keep their designed names (also their objectNames).
    QTableWidget* EepromGrid = nullptr;
    QPushButton* BtnRdEeprom = nullptr;
    QPushButton* BtnWrEeprom = nullptr;
    QGroupBox* GroupFill = nullptr;
    QRadioButton* rbFillDAAD = nullptr;
    QRadioButton* rbFillExplicit = nullptr;
    QRadioButton* rbExplicit2 = nullptr;
    QRadioButton* rbChkbrd = nullptr;
    QLineEdit* teWrt1 = nullptr;
    QLineEdit* teWrt2 = nullptr;
    QLineEdit* teChk1 = nullptr;
    QLineEdit* teChk2 = nullptr;
    QGroupBox* GroupBox35 = nullptr;
    QLineEdit* teRdAdr = nullptr;
    QLineEdit* teWrAdr = nullptr;
    QLineEdit* teRdData = nullptr;
    QLineEdit* teWrData = nullptr;
    QPushButton* BtnRdByte = nullptr;
    QPushButton* BtnWriteByte = nullptr;
    QLabel* Label40 = nullptr;
    QComboBox* cboEEProtect = nullptr;
    QPushButton* BtnReadBP = nullptr;
    QPushButton* BtnWrBP = nullptr;

  public slots:
    void BtnRdEepromClick();
    void BtnWrEepromClick();
    void EepromSelectCell(int row, int column);
    void EePromClick();
    void EePromDBLClick();
    void BtnRdByteClick();
    void BtnWriteByteClick();
    void BtnReadBPClick();
    void BtnWrBPClick();

  private:
    QWidget* buildControls();
    void layoutGrid(int lastLine);
    // Read All's and Read BP's transfers; from: the click's sender (null: a
    // step, whose failure goes to the status bar).
    void readGrid(const QObject* from);
    void readProtection(const QObject* from);
    uint32_t memorySize() const;
    void noteTransfer(uint32_t address, uint32_t count);
    // Reads a fill or data box; a box without a byte opens an error box
    // naming it and gives nullopt.
    std::optional<uint8_t> boxValue(QLineEdit* box, const void* sender, const char* what);
    void clearReadBuf();
    // Waits for the memory to finish its write cycle: it does not answer
    // until then. The window keeps painting and its timers run. Returns the
    // last poll's result (0: the memory answers again).
    int32_t waitForAck();
    // Waits until the last line's write cycle should be over, as far as the
    // timings seen so far tell (not at all before a try's cost is known).
    void waitOutWriteCycle();
    // One line of Write All, tried again while a busy EEPROM does not
    // acknowledge it, up to the acknowledge timeout.
    int32_t writeLine(uint8_t subLen, uint32_t address, const uint8_t* bytes, bool eeprom);
    // Write All's pacing: when the last line's write started and what it took,
    // and what a refused try costs on this board (0 until one was refused).
    QElapsedTimer lineStart_;
    int64_t lineCostNs_ = 0;
    int64_t tryCostNs_ = 0;

    PageContext& context_;
    int gridLines_ = 0;
    int addressLength_ = 0;
    int gridRow_ = 0;
    int gridColumn_ = 0;
};
