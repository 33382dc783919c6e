#include "pages/port/PortPage.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <vector>

#include "bus/HexField.h"
#include "bus/RtcBus.h"
#include "pages/PageContext.h"
#include "pages/port/PortCodec.h"
#include "registers/RegistersCodec.h"
#include "widgets/BitPanel.h"
#include "widgets/Controls.h"

using RegistersCodec::ClearColour;
using RegistersCodec::SetColour;

namespace {

constexpr int kPortRow = 8; // RowTable rows of the port page
constexpr int kModeRow = 9;
constexpr int kPortBitWidth = 52;
constexpr int kPortButtonWidth = 46;
constexpr int kLegendWidth = 104;

QLineEdit* portHexBox(QWidget* parent, const char* name, const QString& text, int digits)
{
    auto* box = named(new QLineEdit(text, parent), name);
    box->setMaxLength(digits);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,%1}").arg(digits)), box));
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(digits, u'W')) + 18);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

} // namespace

PortPage::PortPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsPort"));
    context_.links().rawBus = this;
    buildPortGroup();
    buildDiddleGroup();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(GroupBox27);
    layout->addWidget(GroupBox29);
    layout->addStretch(1);

    connectHandlers();
}

QWidget* PortPage::buildPortRow(const char* panel, const char* label, const QString& caption,
                                const char* hex, const char* bitPrefix,
                                std::array<BitPanel*, 8>& bits, const char* write, const char* read,
                                QLabel*& labelOut, QLineEdit*& hexOut, QPushButton*& writeOut,
                                QPushButton*& readOut)
{
    auto* frame = named(new QFrame(GroupBox27), panel);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    labelOut = named(new QLabel(caption, frame), label);
    labelOut->setFixedWidth(labelOut->fontMetrics().horizontalAdvance(QStringLiteral("Mode")) + 8);
    labelOut->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    hexOut = named(new QLineEdit(QStringLiteral("00"), frame), hex);
    hexOut->setMaxLength(2);
    hexOut->setFixedWidth(30);
    hexOut->setAlignment(Qt::AlignCenter);
    // Pasted text cannot get round the key filter with anything but hex digits.
    hexOut->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,2}")), hexOut));
    hexOut->installEventFilter(this);

    auto* line = new QHBoxLayout(frame);
    line->setContentsMargins(2, 2, 2, 2);
    line->setSpacing(3);
    line->addWidget(labelOut);
    line->addWidget(hexOut);
    for (int bit = 7; bit >= 0; --bit) {
        auto* bitPanel = new BitPanel(QStringLiteral("Bit%1").arg(bit), frame);
        bitPanel->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(bitPrefix)).arg(bit));
        bitPanel->setFixedWidth(kPortBitWidth);
        bitPanel->setColour(ClearColour);
        setHint(bitPanel, QStringLiteral("%1 bit %2: %3")
                              .arg(QLatin1String(bitPrefix))
                              .arg(bit)
                              .arg(QLatin1String(std::string_view(bitPrefix) == "P0"
                                                     ? PortCodec::kLevelBitMeaning
                                                     : PortCodec::kModeBitMeaning)));
        bits[static_cast<size_t>(bit)] = bitPanel;
        line->addWidget(bitPanel);
    }
    writeOut = named(new QPushButton(QStringLiteral("Write"), frame), write);
    readOut = named(new QPushButton(QStringLiteral("Read"), frame), read);
    for (QPushButton* button : {writeOut, readOut}) {
        button->setFixedWidth(kPortButtonWidth);
        line->addWidget(button);
    }
    return frame;
}

void PortPage::buildPortGroup()
{
    GroupBox27 =
        named(new QGroupBox(QStringLiteral(" USB Mother Controller Port "), this), "GroupBox27");
    P0 = buildPortRow("P0", "LabelP0", QStringLiteral("IO"), "HexP0", "P0", P0Bits, "WrBtnP0",
                      "RdBtnP0", LabelP0, HexP0, WrBtnP0, RdBtnP0);
    PM0 = buildPortRow("PM0", "LabelPM0", QStringLiteral("Mode"), "HexPM0", "PM0", PM0Bits,
                       "WrBtnPM0", "RdBtnPM0", LabelPM0, HexPM0, WrBtnPM0, RdBtnPM0);

    PortHi = named(new BitPanel(QStringLiteral("1 (High)"), GroupBox27), "PortHi");
    PortLo = named(new BitPanel(QStringLiteral("0 (Low)"), GroupBox27), "PortLo");
    PortPP = named(new BitPanel(QStringLiteral("1 (Push-Pull)"), GroupBox27), "PortPP");
    PortOD = named(new BitPanel(QStringLiteral("0 (Open-Drain)"), GroupBox27), "PortOD");
    for (BitPanel* legend : {PortHi, PortLo, PortPP, PortOD})
        legend->setMinimumWidth(kLegendWidth);

    auto* grid = new QGridLayout(GroupBox27);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(P0, 0, 0);
    grid->addWidget(PortHi, 0, 1);
    grid->addWidget(PortLo, 0, 2);
    grid->addWidget(PM0, 1, 0);
    grid->addWidget(PortPP, 1, 1);
    grid->addWidget(PortOD, 1, 2);
    grid->setColumnStretch(3, 1);
}

void PortPage::buildDiddleGroup()
{
    GroupBox29 = named(new QGroupBox(QStringLiteral("I2C Diddle"), this), "GroupBox29");
    setHint(GroupBox29, QStringLiteral("User Basic I2C Write / Read Panel"));

    I2C_Addr1 = portHexBox(GroupBox29, "I2C_Addr1", QStringLiteral("AE"), 2);
    setHint(I2C_Addr1, QStringLiteral("I2C Slave Device Address (Hex)"));
    RegAddr1 = portHexBox(GroupBox29, "RegAddr1", QStringLiteral("00"), 2);
    setHint(RegAddr1, QStringLiteral("Sub Address LSB Byte (Hex)"));
    RegAddr2 = portHexBox(GroupBox29, "RegAddr2", QStringLiteral("00"), 2);
    setHint(RegAddr2, QStringLiteral("Sub Address 2nd Byte Value (Hex)"));
    RegAddr3 = portHexBox(GroupBox29, "RegAddr3", QStringLiteral("00"), 2);
    setHint(RegAddr3, QStringLiteral("Sub Address Third Byte Value (Hex)"));
    Read_Qty = portHexBox(GroupBox29, "Read_Qty", QStringLiteral("01"), 4);
    setHint(Read_Qty, QStringLiteral("Number of Bytes to Transfer (Hex)"));

    RadrLenGroup =
        named(new QGroupBox(QStringLiteral("Internal Register Address Length"), GroupBox29),
              "RadrLenGroup");
    RadrLen = named(new QRadioButton(QStringLiteral("1"), RadrLenGroup), "RadrLen");
    setHint(RadrLen, QStringLiteral("Sub Address is 1 Byte Long"));
    RadrLen1 = named(new QRadioButton(QStringLiteral("2"), RadrLenGroup), "RadrLen1");
    setHint(RadrLen1, QStringLiteral("Sub Address is 2 bytes long"));
    RadrLen2 = named(new QRadioButton(QStringLiteral("3"), RadrLenGroup), "RadrLen2");
    setHint(RadrLen2, QStringLiteral("Sub Address is 3 bytes long"));
    auto* lengths = new QHBoxLayout(RadrLenGroup);
    lengths->setContentsMargins(8, 2, 8, 4);
    for (QRadioButton* button : {RadrLen, RadrLen1, RadrLen2})
        lengths->addWidget(button);
    // The buttons alone are narrower than the group's title.
    RadrLenGroup->setMinimumWidth(
        RadrLenGroup->fontMetrics().horizontalAdvance(RadrLenGroup->title()) + 24);

    Button3 = named(new QPushButton(QStringLiteral("Setup"), GroupBox29), "Button3");
    setHint(Button3,
            QStringLiteral("Click Here to setup Sub Address Lenght, Value and Transfer Count"));
    Button1 = named(new QPushButton(QStringLiteral("Write I2C"), GroupBox29), "Button1");
    setHint(Button1, QStringLiteral("CLick to perform I2C Write of Data"));
    Button2 = named(new QPushButton(QStringLiteral("Read I2C"), GroupBox29), "Button2");
    setHint(Button2, QStringLiteral("Click to perfrom I2C Read"));

    // The data boxes and their ruler share a fixed-pitch font, so the ruler
    // counts the bytes of both boxes.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Label34 = named(new QLabel(QStringLiteral("01020304050607080910111213141516"), GroupBox29),
                    "Label34");
    setHint(Label34, QStringLiteral("Character Counter Label"));
    Wrt_Buff = named(new QLineEdit(QStringLiteral("0102030405060708090A"), GroupBox29), "Wrt_Buff");
    setHint(Wrt_Buff, QStringLiteral("Data to be Written to Device"));
    Read_Buf = named(new QLineEdit(QStringLiteral("0102030405060708090A"), GroupBox29), "Read_Buf");
    setHint(Read_Buf, QStringLiteral("Data Read from Device"));
    for (QWidget* widget : std::initializer_list<QWidget*>{Label34, Wrt_Buff, Read_Buf})
        widget->setFont(fixed);
    // Room for 64 characters: 32 bytes before the box scrolls.
    const int dataWidth = QFontMetrics(fixed).horizontalAdvance(QString(64, u'0')) + 12;
    Wrt_Buff->setFixedWidth(dataWidth);
    Read_Buf->setFixedWidth(dataWidth);
    // The ruler's first character stands over the boxes' first character.
    Label34->setIndent(Wrt_Buff->textMargins().left() + 3);

    auto* addresses = new QHBoxLayout;
    addresses->setSpacing(6);
    addresses->addWidget(new QLabel(QStringLiteral("ADR 0x"), GroupBox29));
    addresses->addWidget(I2C_Addr1);
    addresses->addSpacing(10);
    addresses->addWidget(new QLabel(QStringLiteral("Reg Adr 0x"), GroupBox29));
    // High byte first, as they go out on the bus.
    addresses->addWidget(RegAddr3);
    addresses->addWidget(RegAddr2);
    addresses->addWidget(RegAddr1);
    addresses->addSpacing(10);
    addresses->addWidget(RadrLenGroup);
    addresses->addSpacing(10);
    addresses->addWidget(new QLabel(QStringLiteral("Rd / Wrt Byte Qty (HEX)"), GroupBox29));
    addresses->addWidget(Read_Qty);
    addresses->addSpacing(10);
    addresses->addWidget(Button3);
    addresses->addStretch(1);

    auto* data = new QGridLayout;
    data->setHorizontalSpacing(8);
    data->setVerticalSpacing(4);
    data->addWidget(Label34, 0, 0);
    data->addWidget(Wrt_Buff, 1, 0);
    data->addWidget(Button1, 1, 1);
    data->addWidget(Read_Buf, 2, 0);
    data->addWidget(Button2, 2, 1);
    data->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(GroupBox29);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(6);
    layout->addLayout(addresses);
    layout->addLayout(data);
}

void PortPage::connectHandlers()
{
    for (BitPanel* panel : P0Bits)
        connect(panel, &BitPanel::clicked, this, &PortPage::P00Click);
    for (BitPanel* panel : PM0Bits)
        connect(panel, &BitPanel::clicked, this, &PortPage::PM00Click);
    connect(WrBtnP0, &QPushButton::clicked, this, &PortPage::WrBtnP0Click);
    connect(RdBtnP0, &QPushButton::clicked, this, &PortPage::RdBtnP0Click);
    connect(WrBtnPM0, &QPushButton::clicked, this, &PortPage::WrBtnPM0Click);
    connect(RadrLen, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadrLenClick();
    });
    connect(RadrLen1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadrLen1Click();
    });
    connect(RadrLen2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadrLen2Click();
    });
    connect(Button3, &QPushButton::clicked, this, &PortPage::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &PortPage::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &PortPage::Button2Click);
    // The read box shows hex in upper case, also what the user types into it.
    connect(Read_Buf, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int cursor = Read_Buf->cursorPosition();
        Read_Buf->setText(upper);
        Read_Buf->setCursorPosition(cursor);
    });
}

// ---------------------------------------------------------------------------
// Start-up

void PortPage::bindRows()
{
    // The register page's hex key filter serves the port rows' hex boxes too.
    RegisterRows* registers = context_.links().registerRows;
    if (registers == nullptr) return;
    RegisterRowControls port;
    port.Panel = P0;
    port.Name = LabelP0;
    port.Hex = HexP0;
    port.Bits = P0Bits;
    port.Write = WrBtnP0;
    port.Read = RdBtnP0;
    registers->BindRow(kPortRow, port);
    RegisterRowControls mode;
    mode.Panel = PM0;
    mode.Name = LabelPM0;
    mode.Hex = HexPM0;
    mode.Bits = PM0Bits;
    mode.Write = WrBtnPM0;
    mode.Read = RdBtnPM0;
    registers->BindRow(kModeRow, mode);
}

void PortPage::StartUp()
{
    bindRows();
    PortHi->setColour(SetColour);
    PortPP->setColour(SetColour);
    PortLo->setColour(ClearColour);
    PortOD->setColour(ClearColour);
    showBits(P0Bits, 0);
    showBits(PM0Bits, 0);
    HexP0->setText(QStringLiteral("00"));
    HexPM0->setText(QStringLiteral("00"));
    RdBtnPM0->setEnabled(false);
}

// ---------------------------------------------------------------------------
// Port rows

uint8_t PortPage::rowValue(const std::array<BitPanel*, 8>& bits)
{
    std::array<uint32_t, 8> colours{};
    for (size_t bit = 0; bit < 8; ++bit)
        colours[bit] = bits[bit]->colour();
    return RegistersCodec::BitsValue(colours);
}

void PortPage::showBits(const std::array<BitPanel*, 8>& bits, uint8_t value)
{
    for (int bit = 0; bit < 8; ++bit)
        bits[static_cast<size_t>(bit)]->setColour(RegistersCodec::BitColour(value, bit));
}

void PortPage::bitClick(std::array<BitPanel*, 8>& bits, QLineEdit* hex)
{
    const int bit = indexOf(bits, sender());
    if (bit < 0) return;
    BitPanel* panel = bits[static_cast<size_t>(bit)];
    if (!panel->isEnabled()) return;
    panel->setColour(panel->colour() == ClearColour ? SetColour : ClearColour);
    hex->setText(QString::fromStdString(HexByte(rowValue(bits))));
}

void PortPage::P00Click()
{
    bitClick(P0Bits, HexP0);
}

void PortPage::PM00Click()
{
    bitClick(PM0Bits, HexPM0);
}

void PortPage::hexKeyUp(std::array<BitPanel*, 8>& bits, QLineEdit* hex)
{
    // An emptied box stands for no value: the panels stay as they are.
    const std::optional<uint8_t> value = ParseHexByte(hex->text().toStdString());
    if (value) showBits(bits, *value);
}

void PortPage::HexP0KeyUp()
{
    hexKeyUp(P0Bits, HexP0);
}

void PortPage::HexPM0KeyUp()
{
    hexKeyUp(PM0Bits, HexPM0);
}

bool PortPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        if (watched == HexP0) HexP0KeyUp();
        if (watched == HexPM0) HexPM0KeyUp();
    }
    return QWidget::eventFilter(watched, event);
}

void PortPage::writeRow(const std::array<BitPanel*, 8>& bits, QPushButton* button, bool mode)
{
    RtcBus& bus = context_.bus();
    const uint8_t value = rowValue(bits);
    const int32_t result =
        mode ? bus.api().PortMode(bus.BoardNo, value) : bus.api().PortOut(bus.BoardNo, value);
    bus.ReportResult(controlId(sender()), controlId(button), result);
}

void PortPage::WrBtnP0Click()
{
    writeRow(P0Bits, WrBtnP0, false);
}

void PortPage::WrBtnPM0Click()
{
    writeRow(PM0Bits, WrBtnPM0, true);
}

void PortPage::RdBtnP0Click()
{
    RtcBus& bus = context_.bus();
    uint8_t value = 0;
    const int32_t result = bus.api().PortIn(bus.BoardNo, &value);
    if (Succeeded(result)) {
        HexP0->setText(QString::fromStdString(HexByte(value)));
        showBits(P0Bits, value);
    }
    bus.ReportResult(controlId(sender()), controlId(RdBtnP0), result);
}

// ---------------------------------------------------------------------------
// Raw bus

void PortPage::chooseLength(int length)
{
    RawAddrLen = length;
    RegAddr1->setVisible(length >= 1);
    RegAddr2->setVisible(length >= 2);
    RegAddr3->setVisible(length >= 3);
}

void PortPage::RadrLenClick()
{
    chooseLength(1);
}

void PortPage::RadrLen1Click()
{
    chooseLength(2);
}

void PortPage::RadrLen2Click()
{
    chooseLength(3);
}

void PortPage::refuse(const std::string& text)
{
    // What the panel showed before the first of a run of refusals comes back
    // with the next action that goes ahead.
    if (refusal_.isEmpty() || context_.statusPanelText(3) != refusal_)
        beforeRefusal_ = context_.statusPanelText(3);
    refusal_ = QString::fromStdString(text);
    context_.setStatusPanelText(3, refusal_);
}

void PortPage::clearRefusal()
{
    if (!refusal_.isEmpty() && context_.statusPanelText(3) == refusal_)
        context_.setStatusPanelText(3, beforeRefusal_);
    refusal_.clear();
}

void PortPage::Button3Click()
{
    PortCodec::SetupBoxes boxes;
    boxes.Slave = I2C_Addr1->text().toStdString();
    boxes.Addr1 = RegAddr1->text().toStdString();
    boxes.Addr2 = RegAddr2->text().toStdString();
    boxes.Addr3 = RegAddr3->text().toStdString();
    boxes.Count = Read_Qty->text().toStdString();
    const PortCodec::SetupResult setup = PortCodec::SetupFromBoxes(boxes, RawAddrLen);
    if (!setup.Settings) {
        refuse(setup.Refusal);
        return;
    }
    clearRefusal();
    setTransfer(setup.Settings->Slave, setup.Settings->Address, setup.Settings->Count);
}

void PortPage::setTransfer(int slave, int address, int count)
{
    xfer_ = {slave, address, count};
}

void PortPage::clearReadData()
{
    Read_Buf->clear();
}

void PortPage::Button1Click()
{
    RtcBus& bus = context_.bus();
    const int count = xfer_.Count;
    const PortCodec::WriteData data =
        PortCodec::WriteBytesFor(Wrt_Buff->text().toStdString(), count);
    if (!data.Bytes) {
        refuse(data.Refusal);
        return;
    }
    clearRefusal();
    Read_Buf->clear();
    const int32_t result = bus.api().Write(
        bus.BoardNo, static_cast<uint8_t>(RawAddrLen), static_cast<uint8_t>(xfer_.Slave),
        static_cast<uint32_t>(xfer_.Address), data.Bytes->data(), static_cast<uint32_t>(count));
    bus.ReportResult(controlId(sender()), controlId(Button1), result);
}

void PortPage::Button2Click()
{
    RtcBus& bus = context_.bus();
    const int count = xfer_.Count;
    const std::string refusal = PortCodec::ReadRefusal(count);
    if (!refusal.empty()) {
        refuse(refusal);
        return;
    }
    clearRefusal();
    Read_Buf->clear();
    std::vector<uint8_t> buffer(PortCodec::kReadBufferBytes);
    const int32_t result = bus.api().Read(
        bus.BoardNo, static_cast<uint8_t>(RawAddrLen), static_cast<uint8_t>(xfer_.Slave),
        static_cast<uint32_t>(xfer_.Address), buffer.data(), static_cast<uint32_t>(count));
    if (Succeeded(result)) {
        buffer.resize(static_cast<size_t>(count));
        Read_Buf->setText(QString::fromStdString(PortCodec::HexBytes(buffer)));
    }
    bus.ReportResult(controlId(sender()), controlId(Button2), result);
}
