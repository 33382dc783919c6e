#include "pages/memory/MemoryPage.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "kvrx_usb.h"
#include "pages/memory/MemoryCodec.h"
#include "widgets/Controls.h"

using namespace MemoryCodec;

namespace {

constexpr int kAddressColumnWidth = 46;
constexpr int kByteColumnWidth = 24;
constexpr int kRowHeight = 18;
constexpr int kCellRoom = 8; // a cell's margin either side of its text, both together

QLineEdit* memoryHexBox(QWidget* parent, const char* name, const QString& text, int digits)
{
    auto* box = named(new QLineEdit(text, parent), name);
    box->setMaxLength(digits);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(digits + 1, u'D')) + 12);
    box->setAlignment(Qt::AlignCenter);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,%1}").arg(digits)), box));
    // Hexadecimal shows in upper case throughout the page.
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        const int at = box->cursorPosition();
        box->setText(text.toUpper());
        box->setCursorPosition(at);
    });
    return box;
}

} // namespace

MemoryPage::MemoryPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsMemory"));
    context_.links().userMemory = this;

    EepromGrid = named(new QTableWidget(0, kGridColumns, this), "EepromGrid");
    setHint(EepromGrid, QStringLiteral("Single Click to Set single byte Read Address, Double "
                                       "Click to Set Single Byte Write Address."));
    // Row 0 of the grid is its fixed header: kept in the model (as the
    // design numbers rows) but shown by the header, which does not scroll.
    // The design's column widths and line height, grown where larger fonts
    // need more room for the texts.
    const QFontMetrics font = EepromGrid->fontMetrics();
    const int addressWidth = std::max(
        {kAddressColumnWidth,
         font.horizontalAdvance(QString::fromStdString(CellText(0, 0))) + kCellRoom,
         font.horizontalAdvance(QString::fromStdString(CellText(0, kGridColumns - 1))) +
             kCellRoom});
    const int byteWidth =
        std::max(kByteColumnWidth, font.horizontalAdvance(QStringLiteral("00")) + kCellRoom);
    const int rowHeight = std::max(kRowHeight, font.height() + 2);
    EepromGrid->verticalHeader()->hide();
    EepromGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    EepromGrid->verticalHeader()->setDefaultSectionSize(rowHeight);
    EepromGrid->verticalHeader()->setMinimumSectionSize(rowHeight);
    EepromGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    EepromGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    EepromGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    EepromGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QStringList headers;
    for (int c = 0; c < kGridColumns; ++c) {
        headers << QString::fromStdString(CellText(0, c));
        const bool address = c == 0 || c == kGridColumns - 1;
        EepromGrid->setColumnWidth(c, address ? addressWidth : byteWidth);
    }
    EepromGrid->setHorizontalHeaderLabels(headers);
    // Wide enough for all eighteen columns beside the scroll bar: the grid
    // never scrolls sideways.
    EepromGrid->setFixedWidth(EepromGrid->horizontalHeader()->length() +
                              style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                              2 * EepromGrid->frameWidth() + 4);

    auto* left = new QVBoxLayout;
    left->addWidget(EepromGrid, 1);
    left->addWidget(new QLabel(QStringLiteral("(Click A Cell above to select ADDR)"), this));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(left);
    layout->addWidget(buildControls(), 0, Qt::AlignTop);
    layout->addStretch(1);

    layoutGrid(31);

    connect(BtnRdEeprom, &QPushButton::clicked, this, &MemoryPage::BtnRdEepromClick);
    connect(BtnWrEeprom, &QPushButton::clicked, this, &MemoryPage::BtnWrEepromClick);
    connect(EepromGrid, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { EepromSelectCell(row, column); });
    connect(EepromGrid, &QTableWidget::cellClicked, this, &MemoryPage::EePromClick);
    connect(EepromGrid, &QTableWidget::cellDoubleClicked, this, &MemoryPage::EePromDBLClick);
    connect(BtnRdByte, &QPushButton::clicked, this, &MemoryPage::BtnRdByteClick);
    connect(BtnWriteByte, &QPushButton::clicked, this, &MemoryPage::BtnWriteByteClick);
    connect(BtnReadBP, &QPushButton::clicked, this, &MemoryPage::BtnReadBPClick);
    connect(BtnWrBP, &QPushButton::clicked, this, &MemoryPage::BtnWrBPClick);
}

QWidget* MemoryPage::buildControls()
{
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    BtnRdEeprom = named(new QPushButton(QStringLiteral("Read All"), panel), "BtnRdEeprom");
    setHint(BtnRdEeprom, QStringLiteral("Click to Read all Memory Locations"));
    BtnWrEeprom = named(new QPushButton(QStringLiteral("Write All"), panel), "BtnWrEeprom");
    setHint(BtnWrEeprom, QStringLiteral("Click to Write to all Memory Locations"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnRdEeprom);
    buttons->addWidget(BtnWrEeprom);
    buttons->addStretch(1);
    column->addLayout(buttons);

    GroupFill =
        named(new QGroupBox(QStringLiteral("Write All (Fill) Options"), panel), "GroupFill");
    rbFillDAAD = named(new QRadioButton(QStringLiteral("Data = Adr"), GroupFill), "rbFillDAAD");
    setHint(rbFillDAAD, QStringLiteral("Write Data - Address Pattern to all locations"));
    rbFillDAAD->setChecked(true);
    rbFillExplicit =
        named(new QRadioButton(QStringLiteral("Explicit1"), GroupFill), "rbFillExplicit");
    rbExplicit2 = named(new QRadioButton(QStringLiteral("Explicit2"), GroupFill), "rbExplicit2");
    rbChkbrd = named(new QRadioButton(QStringLiteral("Checkerboard"), GroupFill), "rbChkbrd");
    teWrt1 = memoryHexBox(GroupFill, "teWrt1", QStringLiteral("00"), 2);
    teWrt2 = memoryHexBox(GroupFill, "teWrt2", QStringLiteral("FF"), 2);
    teChk1 = memoryHexBox(GroupFill, "teChk1", QStringLiteral("55"), 2);
    teChk2 = memoryHexBox(GroupFill, "teChk2", QStringLiteral("AA"), 2);
    auto* fill = new QGridLayout(GroupFill);
    fill->addWidget(rbFillDAAD, 0, 0);
    fill->addWidget(rbFillExplicit, 1, 0);
    fill->addWidget(teWrt1, 1, 1);
    fill->addWidget(rbExplicit2, 2, 0);
    fill->addWidget(teWrt2, 2, 1);
    fill->addWidget(rbChkbrd, 3, 0);
    fill->addWidget(teChk1, 3, 1);
    fill->addWidget(teChk2, 3, 2);
    fill->setColumnStretch(3, 1);
    column->addWidget(GroupFill);

    GroupBox35 = named(new QGroupBox(QStringLiteral("Byte  R/W"), panel), "GroupBox35");
    teRdAdr = memoryHexBox(GroupBox35, "teRdAdr", QStringLiteral("01FF"), 4);
    teRdAdr->setReadOnly(true);
    teWrAdr = memoryHexBox(GroupBox35, "teWrAdr", QStringLiteral("01FF"), 4);
    teWrAdr->setReadOnly(true);
    teRdData = memoryHexBox(GroupBox35, "teRdData", QStringLiteral("00"), 2);
    teRdData->setReadOnly(true);
    teRdData->setEnabled(false);
    setHint(teRdData, QStringLiteral("Value Read Back during single byte read operations"));
    teWrData = memoryHexBox(GroupBox35, "teWrData", QStringLiteral("DD"), 2);
    setHint(teWrData, QStringLiteral("Value Written during Single Byte Writes"));
    BtnRdByte = named(new QPushButton(QStringLiteral("Read"), GroupBox35), "BtnRdByte");
    setHint(BtnRdByte, QStringLiteral("Click to read location at Grid Selected Location"));
    BtnWriteByte = named(new QPushButton(QStringLiteral("Write"), GroupBox35), "BtnWriteByte");
    setHint(BtnWriteByte, QStringLiteral("Click to write single byte to Write-Adr Location"));
    auto* bytes = new QGridLayout(GroupBox35);
    bytes->addWidget(new QLabel(QStringLiteral("Read-Adr"), GroupBox35), 0, 0);
    bytes->addWidget(teRdAdr, 0, 1);
    bytes->addWidget(teRdData, 0, 2);
    bytes->addWidget(BtnRdByte, 0, 3);
    bytes->addWidget(new QLabel(QStringLiteral("Write-Adr"), GroupBox35), 1, 0);
    bytes->addWidget(teWrAdr, 1, 1);
    bytes->addWidget(teWrData, 1, 2);
    bytes->addWidget(BtnWriteByte, 1, 3);
    bytes->setColumnStretch(4, 1);
    GroupBox35->hide();
    BtnRdByte->hide();
    BtnWriteByte->hide();
    column->addWidget(GroupBox35);

    Label40 = named(new QLabel(QStringLiteral("EEprom-Protect"), panel), "Label40");
    cboEEProtect = named(new QComboBox(panel), "cboEEProtect");
    cboEEProtect->setMinimumContentsLength(9);
    BtnReadBP = named(new QPushButton(QStringLiteral("Read BP"), panel), "BtnReadBP");
    setHint(BtnReadBP, QStringLiteral("Click to read EEPROM Protection Settings"));
    BtnWrBP = named(new QPushButton(QStringLiteral("Write BP"), panel), "BtnWrBP");
    setHint(BtnWrBP, QStringLiteral("Click to Set EEPROM Write Protect."));
    auto* protect = new QGridLayout;
    protect->addWidget(Label40, 0, 0);
    protect->addWidget(cboEEProtect, 0, 1);
    protect->addWidget(BtnReadBP, 1, 0);
    protect->addWidget(BtnWrBP, 1, 1, Qt::AlignLeft);
    protect->setColumnStretch(2, 1);
    column->addLayout(protect);
    column->addStretch(1);
    return panel;
}

void MemoryPage::layoutGrid(int lastLine)
{
    gridLines_ = lastLine + 1;
    EepromGrid->clearContents();
    EepromGrid->setRowCount(GridRows(lastLine));
    for (int r = 0; r < EepromGrid->rowCount(); ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(CellText(r, c)));
            item->setTextAlignment(Qt::AlignCenter);
            if (r == 0 || c == 0 || c == kGridColumns - 1)
                item->setBackground(EepromGrid->palette().button());
            EepromGrid->setItem(r, c, item);
        }
    }
    // The header shows row 0 and stays put while the lines scroll.
    EepromGrid->setRowHidden(0, true);
}

void MemoryPage::partChosen()
{
    const PartShape shape = PartShapeFor(context_.bus().part().TypeCode);
    gridRow_ = shape.GridRow;
    gridColumn_ = shape.GridColumn;
    addressLength_ = shape.AddressLength;
    // Parts without user memory leave the line count as it was; their page is hidden.
    if (shape.LastLine) layoutGrid(*shape.LastLine);
}

void MemoryPage::setAddressLength(int length)
{
    addressLength_ = length;
}

uint32_t MemoryPage::memorySize() const
{
    return MemorySize(gridLines_ - 1);
}

uint8_t MemoryPage::addressLength() const
{
    return static_cast<uint8_t>(addressLength_ == 2 ? 2 : 1);
}

void MemoryPage::noteTransfer(uint32_t address, uint32_t count)
{
    if (RawBusTransfer* raw = context_.links().rawBus)
        raw->setTransfer(kMemSlave, static_cast<int>(address), static_cast<int>(count));
}

std::optional<uint8_t> MemoryPage::boxValue(QLineEdit* box, const void* sender, const char* what)
{
    const std::optional<uint8_t> value = BoxByte(box->text().toStdString());
    if (!value && sender) {
        context_.bus().sink().errorBox(QStringLiteral("%1 holds no hexadecimal byte (00 to FF).")
                                           .arg(QLatin1String(what))
                                           .toStdString());
    }
    return value;
}

void MemoryPage::clearReadBuf()
{
    // The raw bus page's data box, once that page is built.
    if (RawBusTransfer* raw = context_.links().rawBus) raw->clearReadData();
}

// ---------------------------------------------------------------------------
// Read All and Write All

void MemoryPage::BtnRdEepromClick()
{
    context_.setStatusPanelText(3, QStringLiteral(" "));
    readGrid(sender());
}

void MemoryPage::readGrid(const QObject* from)
{
    RtcBus& bus = context_.bus();
    BtnWrEeprom->setEnabled(false);
    BtnRdEeprom->setEnabled(false);
    const uint8_t subLen = addressLength();
    for (int line = 0; line < gridLines_; ++line) {
        const uint32_t address = static_cast<uint32_t>(line) * kLineBytes;
        uint8_t bytes[kLineBytes] = {};
        const int32_t result =
            bus.api().Read(bus.BoardNo, subLen, kMemSlave, address, bytes, kLineBytes);
        noteTransfer(address, kLineBytes);
        if (Succeeded(result)) {
            for (int i = 0; i < kLineBytes; ++i)
                EepromGrid->item(line + 1, i + 1)->setText(QString::fromStdString(Hex2(bytes[i])));
        }
        bus.ReportResult(controlId(from), controlId(BtnRdEeprom), result);
        if (!Succeeded(result)) break;
    }
    BtnWrEeprom->setEnabled(true);
    BtnRdEeprom->setEnabled(true);
}

void MemoryPage::ReadOnShow()
{
    // The whole memory is at most a few hundred bytes, a line a transfer:
    // the grid shows all of it, and a TypeE part's block protection.
    if (gridLines_ <= 0) return;
    readGrid(nullptr);
    readProtection(nullptr);
}

int32_t MemoryPage::waitForAck()
{
    RtcBus& bus = context_.bus();
    QElapsedTimer waited;
    waited.start();
    int32_t result;
    do {
        // A read without address bytes: the memory acknowledges its slave
        // address only once the write cycle is over.
        uint8_t scratch = 0;
        QElapsedTimer attempt;
        attempt.start();
        result = bus.api().Read(bus.BoardNo, 0, kMemSlave, 0, &scratch, 1);
        // What a refused try costs on this board paces the lines of Write All.
        if (result == KVRX_ERR_ADDR_NACK) tryCostNs_ = attempt.nsecsElapsed();
        if (Succeeded(result)) return 0;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } while (waited.elapsed() < kAckTimeoutMs);
    return result;
}

void MemoryPage::waitOutWriteCycle()
{
    if (!lineStart_.isValid()) return;
    // Wait out the previous line's write cycle without a try that the chip
    // would refuse; the window keeps painting meanwhile.
    const int64_t delay = FirstTryDelayNs(lineStart_.nsecsElapsed(), lineCostNs_, tryCostNs_);
    QElapsedTimer pause;
    pause.start();
    while (pause.nsecsElapsed() < delay)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int32_t MemoryPage::writeLine(uint8_t subLen, uint32_t address, const uint8_t* bytes, bool eeprom)
{
    RtcBus& bus = context_.bus();
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        // While the EEPROM stores the line before, it does not acknowledge
        // its address and takes nothing: the write goes again as soon as it
        // answers, so each line follows its predecessor's write cycle closely.
        QElapsedTimer attempt;
        attempt.start();
        const int32_t result =
            bus.api().Write(bus.BoardNo, subLen, kMemSlave, address, bytes, kLineBytes);
        if (result == KVRX_ERR_ADDR_NACK) tryCostNs_ = attempt.nsecsElapsed();
        if (Succeeded(result)) {
            lineStart_ = attempt;
            lineCostNs_ = attempt.nsecsElapsed();
        }
        if (!eeprom || result != KVRX_ERR_ADDR_NACK || waited.elapsed() >= kAckTimeoutMs)
            return result;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void MemoryPage::BtnWrEepromClick()
{
    RtcBus& bus = context_.bus();
    const void* from = controlId(sender());
    FillValues values;
    Fill fill = Fill::DataIsAddress;
    std::optional<uint8_t> value;
    if (rbFillExplicit->isChecked()) {
        fill = Fill::Explicit1;
        if (!(value = boxValue(teWrt1, BtnWrEeprom, "Explicit1"))) return;
        values.Explicit1 = *value;
    } else if (rbExplicit2->isChecked()) {
        fill = Fill::Explicit2;
        if (!(value = boxValue(teWrt2, BtnWrEeprom, "Explicit2"))) return;
        values.Explicit2 = *value;
    } else if (rbChkbrd->isChecked()) {
        fill = Fill::Checkerboard;
        if (!(value = boxValue(teChk1, BtnWrEeprom, "Checkerboard"))) return;
        values.Even = *value;
        if (!(value = boxValue(teChk2, BtnWrEeprom, "Checkerboard"))) return;
        values.Odd = *value;
    }

    BtnWrEeprom->setEnabled(false);
    BtnRdEeprom->setEnabled(false);
    context_.setStatusPanelText(3, QStringLiteral(" "));
    // No polling tick between the lines: the chip stays off the bus during
    // each write cycle, and the tick would show that as an error.
    QTimer* timer = context_.pollTimer();
    const bool polling = timer != nullptr && timer->isActive();
    if (timer != nullptr) timer->stop();

    const uint8_t subLen = addressLength();
    const bool eeprom = bus.part().TypeCode == TypeE;
    WriteSequence sequence(bus, from, controlId(BtnWrEeprom), context_.unlocker());
    for (int line = 0; line < gridLines_ && sequence.ok(); ++line) {
        const uint32_t address = static_cast<uint32_t>(line) * kLineBytes;
        const std::array<uint8_t, kLineBytes> bytes = FillLine(fill, values, address);
        if (eeprom) {
            // Each line gets its own write-enable step: a part whose latch
            // clears with the write cycle would otherwise acknowledge the
            // following lines and drop them. The chip is off the bus until the
            // line before is stored; until a refused try has shown what a try
            // costs, wait for its acknowledge, then wait out the cycle by the
            // clock, so the step's acknowledge poll finds the chip answering.
            if (line > 0 && tryCostNs_ == 0) waitForAck();
            waitOutWriteCycle();
            sequence.unlock();
            if (!sequence.ok()) break;
        }
        sequence.step([&] { return writeLine(subLen, address, bytes.data(), eeprom); });
        noteTransfer(address, kLineBytes);
        // The last line is done once the EEPROM answers again.
        if (eeprom && line == gridLines_ - 1) sequence.step([&] { return waitForAck(); });
    }
    sequence.report();

    if (polling) timer->start();
    BtnWrEeprom->setEnabled(true);
    BtnRdEeprom->setEnabled(true);
}

// ---------------------------------------------------------------------------
// The byte picked in the grid

void MemoryPage::EepromSelectCell(int row, int column)
{
    gridRow_ = row;
    gridColumn_ = column;
}

void MemoryPage::EePromClick()
{
    const std::optional<uint32_t> address = CellAddress(gridRow_, gridColumn_, memorySize());
    BtnRdByte->show();
    GroupBox35->show();
    BtnWriteByte->show();
    if (!address) {
        context_.setStatusPanelText(3, QStringLiteral(" No memory byte at that cell"));
        return;
    }
    const QString text = QString::fromStdString(Hex4(*address));
    teRdAdr->setText(text);
    teWrAdr->setText(text);
}

void MemoryPage::EePromDBLClick()
{
    const std::optional<uint32_t> address = CellAddress(gridRow_, gridColumn_, memorySize());
    BtnWriteByte->show();
    if (!address) {
        context_.setStatusPanelText(3, QStringLiteral(" No memory byte at that cell"));
        return;
    }
    teWrAdr->setText(QString::fromStdString(Hex4(*address)));
}

void MemoryPage::BtnRdByteClick()
{
    RtcBus& bus = context_.bus();
    clearReadBuf();
    const std::optional<uint32_t> address =
        ParseAddress(teRdAdr->text().toStdString(), memorySize());
    if (!address) {
        bus.sink().errorBox(QStringLiteral("Read-Adr %1 is outside the memory.")
                                .arg(teRdAdr->text())
                                .toStdString());
        return;
    }
    uint8_t value = 0;
    const int32_t result =
        bus.api().Read(bus.BoardNo, addressLength(), kMemSlave, *address, &value, 1);
    noteTransfer(*address, 1);
    if (Succeeded(result)) {
        // The byte shows in its own cell, wherever the selection has moved.
        const auto [row, column] = CellOf(*address);
        if (QTableWidgetItem* item = EepromGrid->item(row, column))
            item->setText(QString::fromStdString(Hex2(value)));
        teRdData->setText(QString::fromStdString(Hex2(value)));
    }
    bus.ReportResult(controlId(sender()), controlId(BtnRdByte), result);
}

void MemoryPage::BtnWriteByteClick()
{
    RtcBus& bus = context_.bus();
    clearReadBuf();
    const std::optional<uint8_t> value = boxValue(teWrData, BtnWriteByte, "The data box");
    if (!value) return;
    const std::optional<uint32_t> address =
        ParseAddress(teWrAdr->text().toStdString(), memorySize());
    if (!address) {
        bus.sink().errorBox(QStringLiteral("Write-Adr %1 is outside the memory.")
                                .arg(teWrAdr->text())
                                .toStdString());
        return;
    }
    const uint8_t byte = *value;
    // Without the write-enable latch a TypeE EEPROM acknowledges the byte and
    // drops it, so the write would look done and store nothing.
    WriteSequence sequence(bus, controlId(sender()), controlId(BtnWriteByte), context_.unlocker());
    sequence.unlock();
    if (sequence.ok()) {
        sequence.step([&] {
            return bus.api().Write(bus.BoardNo, addressLength(), kMemSlave, *address, &byte, 1);
        });
        noteTransfer(*address, 1);
    }
    // The EEPROM is off the bus until it has stored the byte; the write is
    // done (and the next action finds the chip answering) once it answers.
    if (bus.part().TypeCode == TypeE) sequence.step([&] { return waitForAck(); });
    sequence.report();
}

// ---------------------------------------------------------------------------
// Block protection (TypeE)

void MemoryPage::BtnReadBPClick()
{
    readProtection(sender());
}

void MemoryPage::readProtection(const QObject* from)
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeE) return;
    const int32_t result = bus.ReadRegisters(2, kProtectRegister, 1);
    if (Succeeded(result)) {
        bus.data.Regs[kProtectRegister] &= 0xE0;
        cboEEProtect->setCurrentIndex(ProtectLevel(bus.data.Regs[kProtectRegister]));
    }
    bus.ReportResult(controlId(from), controlId(BtnReadBP), result);
}

void MemoryPage::BtnWrBPClick()
{
    RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeE) return;
    const int level = std::max(0, cboEEProtect->currentIndex());
    WriteSequence(bus, controlId(sender()), controlId(BtnWrBP), context_.unlocker())
        .read(kProtectRegister, 1)
        .encode([&] {
            bus.data.Regs[kProtectRegister] =
                WithProtectLevel(bus.data.Regs[kProtectRegister], level);
        })
        .write(kProtectRegister, 1)
        .report();
}
