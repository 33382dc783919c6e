// The Port page (tab tsPort, shown with "-r"): the board controller's port P0,
// its pin levels and drive modes as two rows of bit panels (rows 8 and 9 of
// the register page's RowTable), and "I2C Diddle", a raw write or read of any
// run of bytes at any slave address.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "pages/PageContext.h"

class BitPanel;
class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class PortPage : public QWidget, public RawBusTransfer {
    Q_OBJECT
  public:
    // The page offers its raw transfer to the others (PageLinks::rawBus).
    explicit PortPage(PageContext& context, QWidget* parent = nullptr);

    // The page's step of start-up (the shell shows or hides the tab): binds
    // the two port rows into RowTable, colours the legends, clears the bit
    // panels, shows "00" in both hex boxes and disables the mode row's Read.
    void StartUp();

    // Sub-address length of the raw transfers, 0 until a length is chosen.
    int rawAddrLen() const { return RawAddrLen; }

    // The slave, sub-address and count of Write I2C and Read I2C: the last
    // memory, ID or raw transfer's (all 0 until one).
    struct Transfer {
        int Slave = 0;
        int Address = 0;
        int Count = 0;
    };
    const Transfer& transfer() const { return xfer_; }
    void setTransfer(int slave, int address, int count) override;
    void clearReadData() override;

    // Controls keep their designed names (also their objectNames).
    QGroupBox* GroupBox27 = nullptr; // " USB Mother Controller Port "
    QWidget* P0 = nullptr;
    QLabel* LabelP0 = nullptr;
    QLineEdit* HexP0 = nullptr;
    std::array<BitPanel*, 8> P0Bits{}; // P00 .. P07, bit 0 first
    QPushButton* WrBtnP0 = nullptr;
    QPushButton* RdBtnP0 = nullptr;
    QWidget* PM0 = nullptr;
    QLabel* LabelPM0 = nullptr;
    QLineEdit* HexPM0 = nullptr;
    std::array<BitPanel*, 8> PM0Bits{}; // PM00 .. PM07, bit 0 first
    QPushButton* WrBtnPM0 = nullptr;
    QPushButton* RdBtnPM0 = nullptr;
    BitPanel* PortHi = nullptr;
    BitPanel* PortLo = nullptr;
    BitPanel* PortPP = nullptr;
    BitPanel* PortOD = nullptr;

    QGroupBox* GroupBox29 = nullptr; // "I2C Diddle"
    QLineEdit* I2C_Addr1 = nullptr;
    QLineEdit* RegAddr1 = nullptr;
    QLineEdit* RegAddr2 = nullptr;
    QLineEdit* RegAddr3 = nullptr;
    QGroupBox* RadrLenGroup = nullptr; // "Internal Register Address Length"
    QRadioButton* RadrLen = nullptr;
    QRadioButton* RadrLen1 = nullptr;
    QRadioButton* RadrLen2 = nullptr;
    QLineEdit* Read_Qty = nullptr;
    QLineEdit* Wrt_Buff = nullptr;
    QLineEdit* Read_Buf = nullptr;
    QLabel* Label34 = nullptr;
    QPushButton* Button3 = nullptr; // Setup
    QPushButton* Button1 = nullptr; // Write I2C
    QPushButton* Button2 = nullptr; // Read I2C

  public slots:
    void WrBtnP0Click();
    void RdBtnP0Click();
    void WrBtnPM0Click();
    void P00Click();
    void PM00Click();
    void HexP0KeyUp();
    void HexPM0KeyUp();
    void RadrLenClick();
    void RadrLen1Click();
    void RadrLen2Click();
    void Button3Click();
    void Button1Click();
    void Button2Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildPortRow(const char* panel, const char* label, const QString& caption,
                          const char* hex, const char* bitPrefix, std::array<BitPanel*, 8>& bits,
                          const char* write, const char* read, QLabel*& labelOut,
                          QLineEdit*& hexOut, QPushButton*& writeOut, QPushButton*& readOut);
    void buildPortGroup();
    void buildDiddleGroup();
    void connectHandlers();
    void bindRows();
    // The row's bit panels as a byte, and a byte shown in them.
    static uint8_t rowValue(const std::array<BitPanel*, 8>& bits);
    static void showBits(const std::array<BitPanel*, 8>& bits, uint8_t value);
    void bitClick(std::array<BitPanel*, 8>& bits, QLineEdit* hex);
    void hexKeyUp(std::array<BitPanel*, 8>& bits, QLineEdit* hex);
    void writeRow(const std::array<BitPanel*, 8>& bits, QPushButton* button, bool mode);
    void chooseLength(int length);
    // Refusals of the raw transfers go to status panel 3; a refusal still on
    // show gives way to the panel's earlier text with the next action that
    // goes ahead.
    void refuse(const std::string& text);
    void clearRefusal();

    PageContext& context_;
    int RawAddrLen = 0;
    Transfer xfer_;
    QString refusal_;
    QString beforeRefusal_;
};
