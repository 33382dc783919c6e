#include "registers/RegistersPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>

#include "bus/RtcBus.h"
#include "registers/RegistersCodec.h"
#include "widgets/BitPanel.h"
#include "widgets/Controls.h"

using namespace RegistersCodec;

namespace {

// Column widths shared by the header line and the rows, so they line up: the
// design's widths, grown where larger fonts need more room for the captions.
constexpr int kNameWidth = 112;
constexpr int kHexWidth = 30;
constexpr int kBitWidth = 64;
constexpr int kButtonWidth = 46;
constexpr int kRowSpacing = 3;
constexpr int kRowMargin = 2;
constexpr int kCaptionRoom = 4; // a caption's room either side, both sides together
const QString kByteOperation = QStringLiteral("Byte Operation");

struct Columns {
    int name;
    int hex;
    int bit;
    int button;
};

Columns columnsFor(const QFontMetrics& font)
{
    auto needs = [&font](const QString& text) {
        return font.horizontalAdvance(text) + kCaptionRoom;
    };
    Columns c{};
    c.name = std::max(kNameWidth, needs(QStringLiteral("Register")));
    c.hex = std::max({kHexWidth, needs(QStringLiteral("Hex")), needs(QStringLiteral("00"))});
    c.bit = std::max(kBitWidth, needs(QStringLiteral("Bit 0")));
    // The two buttons under "Byte Operation" share its width.
    c.button = std::max({kButtonWidth, needs(QStringLiteral("Write")) + kCaptionRoom,
                         (needs(kByteOperation) - kRowSpacing + 1) / 2});
    return c;
}

QLabel* headerLabel(QWidget* parent, const QString& text, int width, Qt::Alignment align)
{
    auto* label = new QLabel(text, parent);
    label->setFixedWidth(width);
    label->setAlignment(align | Qt::AlignVCenter);
    return label;
}

} // namespace

RegistersPage::RegistersPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsReg"));

    SectionSel = named(new QComboBox(this), "SectionSel");
    SectionSel->setMinimumWidth(360);
    SectionSel->setMaxVisibleItems(12);
    setHint(SectionSel, QStringLiteral("Select Device Section"));

    auto* top = new QHBoxLayout;
    top->addWidget(SectionSel);
    top->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(1);
    layout->addLayout(top);
    layout->addSpacing(2);
    layout->addWidget(buildHeader());
    for (int r = 0; r < kPageRows; ++r)
        layout->addWidget(buildRow(r));
    layout->addStretch(1);
    layout->addWidget(buildFooter());

    BuildRowTable();
    context_.links().registerRows = this;

    connect(SectionSel, &QComboBox::activated, this, &RegistersPage::SectionSelChange);
    for (int r = 0; r < kPageRows; ++r) {
        for (BitPanel* panel : Bit[static_cast<size_t>(r)])
            connect(panel, &BitPanel::clicked, this, &RegistersPage::BitClick);
        connect(WrBtn[static_cast<size_t>(r)], &QPushButton::clicked, this,
                &RegistersPage::WrBtn0Click);
        connect(RdBtn[static_cast<size_t>(r)], &QPushButton::clicked, this,
                &RegistersPage::RdBtn0Click);
    }
    connect(LogicTrue, &BitPanel::clicked, this, &RegistersPage::BitClick);
    connect(LogicFalse, &BitPanel::clicked, this, &RegistersPage::BitClick);
    connect(PageRdBtn, &QPushButton::clicked, this, &RegistersPage::PageRdBtnClick);
    connect(PageWrBtn, &QPushButton::clicked, this, &RegistersPage::PageWrBtnClick);
    connect(BtnUnlock, &QPushButton::clicked, this, &RegistersPage::BtnUnlockClick);

    context_.setUnlocker([this](const void* sender) { return unlock(sender); });
}

QWidget* RegistersPage::buildHeader()
{
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("RegHeader"));
    auto* line = new QHBoxLayout(header);
    // The rows' frames add their margin and frame line on each side.
    line->setContentsMargins(kRowMargin + 1, 0, kRowMargin + 1, 0);
    line->setSpacing(kRowSpacing);
    const Columns columns = columnsFor(header->fontMetrics());
    line->addWidget(headerLabel(header, QStringLiteral("Register"), columns.name, Qt::AlignRight));
    line->addWidget(headerLabel(header, QStringLiteral("Hex"), columns.hex, Qt::AlignHCenter));
    for (int bit = 7; bit >= 0; --bit)
        line->addWidget(
            headerLabel(header, QStringLiteral("Bit %1").arg(bit), columns.bit, Qt::AlignHCenter));
    line->addWidget(headerLabel(header, kByteOperation, 2 * columns.button + kRowSpacing,
                                Qt::AlignHCenter));
    line->addStretch(1);
    return header;
}

QWidget* RegistersPage::buildRow(int r)
{
    const size_t i = static_cast<size_t>(r);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Byte%1").arg(r));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Byte[i] = panel;
    const Columns columns = columnsFor(panel->fontMetrics());

    Name[i] = new QLabel(panel);
    Name[i]->setObjectName(QStringLiteral("Name%1").arg(r));
    Name[i]->setFixedWidth(columns.name);
    Name[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Hex[i] = new QLineEdit(QStringLiteral("00"), panel);
    Hex[i]->setObjectName(QStringLiteral("Hex%1").arg(r));
    Hex[i]->setMaxLength(2);
    Hex[i]->setFixedWidth(columns.hex);
    Hex[i]->setAlignment(Qt::AlignCenter);
    // Pasted text cannot get round the key filter with anything but hex digits.
    Hex[i]->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,2}")), Hex[i]));
    Hex[i]->installEventFilter(this);

    auto* line = new QHBoxLayout(panel);
    line->setContentsMargins(kRowMargin, kRowMargin, kRowMargin, kRowMargin);
    line->setSpacing(kRowSpacing);
    line->addWidget(Name[i]);
    line->addWidget(Hex[i]);
    for (int bit = 7; bit >= 0; --bit) {
        auto* bitPanel = new BitPanel(QStringLiteral("Bit%1").arg(bit), panel);
        bitPanel->setObjectName(QStringLiteral("Bit%1%2").arg(r).arg(bit));
        bitPanel->setFixedWidth(columns.bit);
        bitPanel->setColour(UnknownColour);
        Bit[i][static_cast<size_t>(bit)] = bitPanel;
        line->addWidget(bitPanel);
    }
    WrBtn[i] = new QPushButton(QStringLiteral("Write"), panel);
    WrBtn[i]->setObjectName(QStringLiteral("WrBtn%1").arg(r));
    RdBtn[i] = new QPushButton(QStringLiteral("Read"), panel);
    RdBtn[i]->setObjectName(QStringLiteral("RdBtn%1").arg(r));
    WrBtn[i]->installEventFilter(this);
    for (QPushButton* button : {WrBtn[i], RdBtn[i]}) {
        button->setFixedWidth(columns.button);
        line->addWidget(button);
    }
    line->addStretch(1);
    return panel;
}

QWidget* RegistersPage::buildFooter()
{
    auto* footer = new QWidget(this);
    auto* line = new QHBoxLayout(footer);
    line->setContentsMargins(0, 0, 0, 0);

    PageOp = named(new QGroupBox(QStringLiteral(" Page Operation "), footer), "PageOp");
    setHint(PageOp, QStringLiteral("Write/Read the current page (Section)"));
    PageRdBtn = named(new QPushButton(QStringLiteral("Read"), PageOp), "PageRdBtn");
    PageWrBtn = named(new QPushButton(QStringLiteral("Write"), PageOp), "PageWrBtn");
    PageWrBtn->installEventFilter(this);
    auto* pageOp = new QHBoxLayout(PageOp);
    pageOp->setContentsMargins(6, 2, 6, 4);
    pageOp->addWidget(PageRdBtn);
    pageOp->addWidget(PageWrBtn);

    GroupBox23 = named(new QGroupBox(QStringLiteral(" Logic Key "), footer), "GroupBox23");
    setHint(GroupBox23, QStringLiteral("Logic Key for the above Bits"));
    LogicTrue = named(new BitPanel(QStringLiteral("1 (True)"), GroupBox23), "LogicTrue");
    LogicFalse = named(new BitPanel(QStringLiteral("0 (False)"), GroupBox23), "LogicFalse");
    LogicTrue->setColour(SetColour);
    LogicFalse->setColour(ClearColour);
    auto* legend = new QHBoxLayout(GroupBox23);
    legend->setContentsMargins(6, 2, 6, 4);
    for (BitPanel* panel : {LogicTrue, LogicFalse}) {
        panel->setFixedWidth(columnsFor(panel->fontMetrics()).bit + 10);
        legend->addWidget(panel);
    }

    BtnUnlock = named(new QPushButton(QStringLiteral("Unlock"), footer), "BtnUnlock");
    Label115 = named(new QLabel(QStringLiteral("Ack Trys "), footer), "Label115");
    Label115->setMinimumWidth(
        Label115->fontMetrics().horizontalAdvance(QStringLiteral("Ack Trys 30")) + 4);
    ChkAutoUnlock =
        named(new QCheckBox(QStringLiteral("Enable Auto Unlock"), footer), "ChkAutoUnlock");
    setHint(ChkAutoUnlock, QStringLiteral("Enables Automatic Unlock during Register writes. "
                                          "Writes 0x2 then 0x6 to status register (0x3F)"));
    Label52 = named(new QLabel(QStringLiteral("Set WEL/RWEL"), footer), "Label52");

    line->addWidget(PageOp);
    line->addWidget(GroupBox23);
    line->addSpacing(12);
    line->addWidget(BtnUnlock);
    line->addWidget(Label115);
    line->addSpacing(12);
    line->addWidget(ChkAutoUnlock);
    line->addWidget(Label52);
    line->addStretch(1);
    return footer;
}

void RegistersPage::BuildRowTable()
{
    for (int r = 0; r < kPageRows; ++r) {
        const size_t i = static_cast<size_t>(r);
        RowControls& row = RowTable[i];
        row.Panel = Byte[i];
        row.Name = Name[i];
        row.Hex = Hex[i];
        row.Bits = Bit[i];
        row.Write = WrBtn[i];
        row.Read = RdBtn[i];
    }
}

bool RegistersPage::BindRow(int index, const RowControls& controls)
{
    if (index < kPageRows || index >= kRowTableSize) return false;
    bool complete =
        controls.Panel && controls.Name && controls.Hex && controls.Write && controls.Read;
    for (BitPanel* panel : controls.Bits)
        complete = complete && panel != nullptr;
    if (!complete) return false;
    RowTable[static_cast<size_t>(index)] = controls;
    controls.Hex->installEventFilter(this);
    return true;
}

bool RegistersPage::boardOpen() const
{
    return context_.bus().BoardNo != 0;
}

// ---------------------------------------------------------------------------
// Showing a section

void RegistersPage::ShowSection(int n)
{
    RtcBus& bus = context_.bus();
    const std::optional<SectionView> section = Section(bus.part().RegisterMap, n);
    if (section) {
        bus.data.PageStart = section->PageStart;
        writesBarred_ = section->WritesBarred;
        const bool reads = RowReadsAllowed(bus.part(), boardOpen());
        const bool writes = RowWritesAllowed(bus.part(), boardOpen(), section->WritesBarred);
        const int count = static_cast<int>(section->Rows.size());
        for (int r = 0; r < count; ++r) {
            const size_t i = static_cast<size_t>(r);
            const RowView& view = section->Rows[i];
            Byte[i]->show();
            setHint(Byte[i], QString::fromStdString(view.Hint));
            Name[i]->setText(QString::fromStdString(view.Name));
            WrBtn[i]->setEnabled(writes);
            RdBtn[i]->setEnabled(reads);
            for (int bit = 0; bit < 8; ++bit) {
                BitPanel* panel = Bit[i][static_cast<size_t>(bit)];
                panel->setText(QString::fromStdString(view.BitCaptions[static_cast<size_t>(bit)]));
                setHint(panel, QString::fromStdString(view.BitHints[static_cast<size_t>(bit)]));
                panel->setEnabled(((view.Mask >> bit) & 1) != 0);
                panel->setColour(UnknownColour);
            }
            ShowRowHex(r, bus.data.Regs[view.Address]);
        }
        bus.data.PageCount = count;
        for (int r = count; r < kPageRows; ++r)
            Byte[static_cast<size_t>(r)]->hide();
    }
    LogicTrue->setColour(SetColour);
    LogicFalse->setColour(ClearColour);
}

void RegistersPage::SectionSelChange()
{
    ShowSection(SectionSel->currentIndex());
    PageWrBtn->setEnabled(boardOpen() && !writesBarred_);
}

void RegistersPage::partChosen()
{
    const RtcBus& bus = context_.bus();
    if (bus.part().TypeCode != TypeNone) {
        QStringList captions;
        for (const MapSection& section : MapSections(bus.part().RegisterMap))
            captions << QString::fromLatin1(section.Header->Caption);
        SectionSel->clear();
        SectionSel->addItems(captions);
        SectionSel->setCurrentIndex(0);
    }
    // The page Write follows the section as a choice in the list makes it, so a
    // read-only section shown before does not leave it disabled.
    ShowSection(0);
    PageWrBtn->setEnabled(boardOpen() && !writesBarred_);
}

void RegistersPage::showChosenSection()
{
    ShowSection(SectionSel->currentIndex());
}

// ---------------------------------------------------------------------------
// Row helpers

void RegistersPage::ShowRowBits(int row, uint8_t value)
{
    for (int bit = 0; bit < 8; ++bit)
        Bit[static_cast<size_t>(row)][static_cast<size_t>(bit)]->setColour(BitColour(value, bit));
}

uint8_t RegistersPage::RowBitsValue(int row) const
{
    std::array<uint32_t, 8> colours{};
    for (int bit = 0; bit < 8; ++bit)
        colours[static_cast<size_t>(bit)] =
            Bit[static_cast<size_t>(row)][static_cast<size_t>(bit)]->colour();
    return BitsValue(colours);
}

void RegistersPage::ShowRowHex(int row, uint8_t value)
{
    Hex[static_cast<size_t>(row)]->setText(QString::fromStdString(HexByte(value)));
}

int RegistersPage::RowAddress(int row) const
{
    const std::optional<uint8_t> address =
        AddressFromName(Name[static_cast<size_t>(row)]->text().toStdString());
    return address ? *address : -1;
}

void RegistersPage::StoreRowValue(int row, uint8_t value)
{
    const int address = RowAddress(row);
    if (address >= 0) context_.bus().data.Regs[address] = value;
}

void RegistersPage::showRowValue(int row, uint8_t value)
{
    ShowRowBits(row, value);
    ShowRowHex(row, value);
}

// ---------------------------------------------------------------------------
// Editing in the image

void RegistersPage::BitClick()
{
    const QObject* clicked = sender();
    int row = -1;
    int bit = -1;
    for (int r = 0; r < kPageRows && row < 0; ++r) {
        const int b = indexOf(Bit[static_cast<size_t>(r)], clicked);
        if (b >= 0) {
            row = r;
            bit = b;
        }
    }
    // The legend panels share the handler and end here.
    if (row < 0) return;
    if (!Bit[static_cast<size_t>(row)][static_cast<size_t>(bit)]->isEnabled()) return;
    const uint8_t value = ToggleBit(RowBitsValue(row), bit);
    showRowValue(row, value);
    StoreRowValue(row, value);
}

void RegistersPage::HexEditKeyPress(char& key)
{
    const std::optional<char> passed = HexKey(key);
    if (passed) {
        key = *passed;
        return;
    }
    key = 0;
    QApplication::beep();
}

int RegistersPage::rowOfHexBox(const QObject* box, int rows) const
{
    for (int r = 0; r < rows; ++r) {
        if (static_cast<const QObject*>(RowTable[static_cast<size_t>(r)].Hex) == box) return r;
    }
    return -1;
}

void RegistersPage::HexEditKeyUp(QObject* sender)
{
    const int row = rowOfHexBox(sender, kPageRows);
    if (row < 0) return;
    // The text stays as typed. An emptied box or one without a hex number
    // stands for no value: the image and the colours stay as they are.
    const std::optional<uint8_t> value =
        ParseHexByte(Hex[static_cast<size_t>(row)]->text().toStdString());
    if (!value) return;
    ShowRowBits(row, *value);
    StoreRowValue(row, *value);
}

bool RegistersPage::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (rowOfHexBox(watched, kRowTableSize) < 0) break;
        auto* press = static_cast<QKeyEvent*>(event);
        const QString text = press->text();
        // Keys that type nothing (arrows, Delete, Home, ...) edit as usual,
        // and Tab moves on.
        if (text.size() != 1 || text[0] == u'\t') break;
        const QChar typed = text[0];
        char key = typed.unicode() < 0x80 ? static_cast<char>(typed.unicode()) : char(1);
        HexEditKeyPress(key);
        if (key == 0) return true;
        if (QChar(key) == typed) break;
        // The box gets the character the filter made of the key.
        QKeyEvent replaced(QEvent::KeyPress, press->key(), press->modifiers(), QString(QChar(key)),
                           press->isAutoRepeat(), static_cast<ushort>(press->count()));
        QApplication::sendEvent(watched, &replaced);
        return true;
    }
    case QEvent::KeyRelease:
        if (rowOfHexBox(watched, kPageRows) >= 0) HexEditKeyUp(watched);
        break;
    case QEvent::EnabledChange: {
        // Writes of a read-only section stay barred, also when the board
        // connection enables every board control again.
        auto* button = qobject_cast<QWidget*>(watched);
        const bool write = watched == PageWrBtn || indexOf(WrBtn, watched) >= 0;
        if (write && writesBarred_ && button->isEnabled()) button->setEnabled(false);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Transfers

uint8_t RegistersPage::prepareTransfer()
{
    const PartType type = context_.bus().part().TypeCode;
    const bool typeE = SubAddressLength(type) == 2;
    ChkAutoUnlock->setVisible(typeE);
    Label52->setVisible(typeE);
    return SubAddressLength(type);
}

void RegistersPage::RdBtn0Click()
{
    const QObject* button = sender();
    const int k = indexOf(RdBtn, button);
    if (k < 0) return;
    RtcBus& bus = context_.bus();
    const std::optional<uint8_t> address = RowRegister(bus.data.PageStart, bus.data.PageCount, k);
    if (!address) return;
    const uint8_t subLen = prepareTransfer();
    const int32_t result = bus.ReadRegisters(subLen, *address, 1);
    if (Succeeded(result)) showRowValue(k, bus.data.Regs[*address]);
    bus.ReportResult(controlId(button), controlId(RdBtn[static_cast<size_t>(k)]), result);
    confirm(button, RdBtn[static_cast<size_t>(k)], result, RegistersDone(*address, 1, false));
}

void RegistersPage::WrBtn0Click()
{
    const QObject* button = sender();
    const int k = indexOf(WrBtn, button);
    if (k < 0) return;
    RtcBus& bus = context_.bus();
    const std::optional<uint8_t> address = RowRegister(bus.data.PageStart, bus.data.PageCount, k);
    if (!address) return;
    prepareTransfer();
    const int32_t result =
        WriteSequence(bus, controlId(button), controlId(WrBtn[static_cast<size_t>(k)]), unlocker())
            .write(*address, 1)
            .report();
    confirm(button, WrBtn[static_cast<size_t>(k)], result, RegistersDone(*address, 1, true));
}

void RegistersPage::PageRdBtnClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<RegisterRun> page = PageRun(bus.data.PageStart, bus.data.PageCount);
    if (!page) return;
    const uint8_t subLen = prepareTransfer();
    const int32_t result = bus.ReadRegisters(subLen, page->Address, page->Count);
    if (Succeeded(result)) {
        for (int r = 0; r < static_cast<int>(page->Count); ++r)
            showRowValue(r, bus.data.Regs[page->Address + r]);
    }
    bus.ReportResult(controlId(sender()), controlId(PageRdBtn), result);
    confirm(sender(), PageRdBtn, result, RegistersDone(page->Address, page->Count, false));
}

void RegistersPage::ReadOnShow()
{
    PageRdBtnClick();
}

void RegistersPage::PageWrBtnClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<RegisterRun> page = PageRun(bus.data.PageStart, bus.data.PageCount);
    if (!page) return;
    prepareTransfer();
    // Every register of the section, read-only ones included, in one transfer.
    const int32_t result = WriteSequence(bus, controlId(sender()), controlId(PageWrBtn), unlocker())
                               .write(page->Address, page->Count)
                               .report();
    confirm(sender(), PageWrBtn, result, RegistersDone(page->Address, page->Count, true));
}

void RegistersPage::confirm(const QObject* clicked, const QObject* button, int32_t result,
                            const std::string& done)
{
    // After a click of the button itself; a step's read says nothing.
    if (clicked != nullptr && clicked == button && Succeeded(result))
        context_.setStatusPanelText(3, QString::fromStdString(done));
}

WriteSequence::Unlock RegistersPage::unlocker()
{
    if (!UnlockBeforeWrite(context_.bus().part().TypeCode, ChkAutoUnlock->isChecked())) return {};
    return context_.unlocker();
}

// ---------------------------------------------------------------------------
// Write enable

void RegistersPage::BtnUnlockClick()
{
    unlock(controlId(sender()));
}

int32_t RegistersPage::unlock(const void* sender)
{
    const RtcBus::UnlockResult done = context_.bus().UnlockPart(sender, controlId(BtnUnlock));
    if (done.Tries > 0) Label115->setText(QStringLiteral("Ack Trys %1").arg(done.Tries));
    return done.Code;
}
