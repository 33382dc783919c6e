#include "pages/dst/DstPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <utility>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "pages/dst/DstCodec.h"
#include "widgets/Controls.h"
#include "widgets/LedIndicator.h"

using namespace DstCodec;

namespace {

template <typename Items>
QComboBox* fieldList(QWidget* parent, const char* name, const Items& items)
{
    auto* list = named(new QComboBox(parent), name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMaxVisibleItems(16);
    for (const auto& item : items)
        list->addItem(QString::fromStdString(std::string(item)));
    list->setCurrentIndex(0);
    return list;
}

// The longest captions the part choice gives the field labels and boxes, so
// a part choice never changes the page's width.
constexpr const char* kWidestDstFieldNames[] = {"Day of Week (DDWF)", "Day of Week (DDWR)",
                                                "Day of Week (DWA)"};

} // namespace

DstPage::DstPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsDST"));

    chkDSTENABLE = named(new QCheckBox(QStringLiteral("DST Enable"), this), "chkDSTENABLE");
    setHint(chkDSTENABLE, QStringLiteral("Master Enable DST Function"));

    gbDSTFWD = buildDirection(true);
    gbDSTREV = buildDirection(false);
    auto* groups = new QHBoxLayout;
    groups->setSpacing(8);
    groups->addWidget(gbDSTFWD, 0, Qt::AlignTop);
    groups->addWidget(gbDSTREV, 0, Qt::AlignTop);
    groups->addStretch(1);

    BtnReadDSTF = named(new QPushButton(QStringLiteral("Read"), this), "BtnReadDSTF");
    setHint(BtnReadDSTF, QStringLiteral("Read DST Registers"));
    BtnWriteDSTF = named(new QPushButton(QStringLiteral("Write"), this), "BtnWriteDSTF");
    setHint(BtnWriteDSTF, QStringLiteral("Write DST Registers"));
    CBSLedDSTCHNG = named(new LedIndicator(this), "CBSLedDSTCHNG");
    setHint(CBSLedDSTCHNG, QStringLiteral("DST Has Changed Indicator"));
    auto* lampLabel = new QLabel(QStringLiteral("DST Forward Adjust"), this);
    setHint(lampLabel, QStringLiteral("DST Has Changed Indicator"));
    auto* controls = new QHBoxLayout;
    controls->setSpacing(8);
    controls->addWidget(BtnReadDSTF);
    controls->addWidget(BtnWriteDSTF);
    controls->addSpacing(16);
    controls->addWidget(CBSLedDSTCHNG);
    controls->addWidget(lampLabel);
    controls->addStretch(1);

    auto* note = new QLabel(
        QStringLiteral("Note: Fwd and Rev Times must be >= 1hr after current RTC time"), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(6);
    layout->addWidget(chkDSTENABLE);
    layout->addLayout(groups);
    layout->addLayout(controls);
    layout->addWidget(note);
    layout->addStretch(1);

    connect(BtnReadDSTF, &QPushButton::clicked, this, &DstPage::BtnReadDSTFClick);
    connect(BtnWriteDSTF, &QPushButton::clicked, this, &DstPage::BtnWriteDSTFClick);
    connect(CBSLedDSTCHNG, &LedIndicator::changed, this, &DstPage::CBSLedDSTCHNGChange);
}

QGroupBox* DstPage::buildDirection(bool forward)
{
    auto* group = named(new QGroupBox(forward ? QStringLiteral("DST Forward Control")
                                              : QStringLiteral("DST Reverse Control "),
                                      this),
                        forward ? "gbDSTFWD" : "gbDSTREV");
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(4);

    auto label = [group](const char* name, const char* caption) {
        return named(new QLabel(QLatin1String(caption), group), name);
    };
    QLabel* month = label(forward ? "Label63" : "Label69", "Month (MOA)");
    QLabel* week = label(forward ? "Label80" : "Label81", forward ? "Week " : "Week");
    QLabel* weekday = label(forward ? "Label64" : "Label70", "Day of Week (DWA)");
    QLabel* date = label(forward ? "Label62" : "Label68", "Date (DTA)");
    QLabel* hours = label(forward ? "Label61" : "Label67", "Hours (HRA)");

    QComboBox* monthList = fieldList(group, forward ? "cboDSTFMonth" : "cboDSTRMonth", kMonthList);
    // The week lists are loaded by the part choice.
    auto* weekList = named(new QComboBox(group), forward ? "cboWKForward" : "cboWeekReverse");
    weekList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QComboBox* weekdayList = fieldList(group, forward ? "cboDSTFDWA" : "cboDSTRDWA", kWeekdayList);
    QComboBox* dateList =
        fieldList(group, forward ? "cboDSTFDATE" : "cboDSTRDATE", DstCodec::DateItems());
    QComboBox* hourList =
        fieldList(group, forward ? "cboDSTFHours" : "cboDSTRHours", DstCodec::HourItems());
    auto* mode = named(new QCheckBox(QStringLiteral("Day of Week Enable"), group),
                       forward ? "chkDSTDOWFOR" : "chkDSTDOWREV");

    const std::pair<QLabel*, QComboBox*> rows[] = {{month, monthList},
                                                   {week, weekList},
                                                   {weekday, weekdayList},
                                                   {date, dateList},
                                                   {hours, hourList}};
    // One width for the five lists, the widest one's.
    int listWidth = 0;
    for (const auto& [caption, list] : rows)
        listWidth = std::max(listWidth, list->sizeHint().width());
    int row = 0;
    for (const auto& [caption, list] : rows) {
        list->setMinimumWidth(listWidth);
        grid->addWidget(caption, row, 0);
        grid->addWidget(list, row, 1, Qt::AlignLeft);
        ++row;
    }
    grid->addWidget(mode, row, 0, 1, 2);
    int widest = 0;
    for (const char* name : kWidestDstFieldNames)
        widest = std::max(widest, month->fontMetrics().horizontalAdvance(QLatin1String(name)));
    grid->setColumnMinimumWidth(0, widest + 2);
    // Room for the longer caption of the mode box, whichever the part choice gives.
    group->setMinimumWidth(
        mode->sizeHint().width() - mode->fontMetrics().horizontalAdvance(mode->text()) +
        mode->fontMetrics().horizontalAdvance(QStringLiteral("Select Week/Day of Week vs. Date")) +
        grid->contentsMargins().left() + grid->contentsMargins().right());

    if (forward) {
        Label63 = month, Label80 = week, Label64 = weekday, Label62 = date, Label61 = hours;
        cboDSTFMonth = monthList, cboWKForward = weekList, cboDSTFDWA = weekdayList;
        cboDSTFDATE = dateList, cboDSTFHours = hourList;
        chkDSTDOWFOR = mode;
    } else {
        Label69 = month, Label81 = week, Label70 = weekday, Label68 = date, Label67 = hours;
        cboDSTRMonth = monthList, cboWeekReverse = weekList, cboDSTRDWA = weekdayList;
        cboDSTRDATE = dateList, cboDSTRHours = hourList;
        chkDSTDOWREV = mode;
    }
    return group;
}

DstPage::Direction DstPage::forward() const
{
    return {cboDSTFMonth, cboWKForward, cboDSTFDWA, cboDSTFDATE, cboDSTFHours, chkDSTDOWFOR};
}

DstPage::Direction DstPage::reverse() const
{
    return {cboDSTRMonth, cboWeekReverse, cboDSTRDWA, cboDSTRDATE, cboDSTRHours, chkDSTDOWREV};
}

DstPageState DstPage::pageState() const
{
    auto fields = [](const Direction& d) {
        return DstFields{d.Month->currentIndex(),   d.Week->currentIndex(),
                         d.Weekday->currentIndex(), d.Date->currentIndex(),
                         d.Hours->currentIndex(),   d.DayOfWeekMode->isChecked()};
    };
    return {chkDSTENABLE->isChecked(), fields(forward()), fields(reverse())};
}

void DstPage::show(const DstPageState& state)
{
    // The boxes and week lists first, then the forward lists, then the reverse.
    chkDSTENABLE->setChecked(state.Enable);
    cboWKForward->setCurrentIndex(state.Forward.Week);
    cboWeekReverse->setCurrentIndex(state.Reverse.Week);
    chkDSTDOWFOR->setChecked(state.Forward.DayOfWeekMode);
    chkDSTDOWREV->setChecked(state.Reverse.DayOfWeekMode);
    const std::pair<Direction, DstFields> directions[] = {{forward(), state.Forward},
                                                          {reverse(), state.Reverse}};
    for (const auto& [d, f] : directions) {
        d.Month->setCurrentIndex(f.Month);
        d.Weekday->setCurrentIndex(f.Weekday);
        d.Date->setCurrentIndex(f.Date);
        d.Hours->setCurrentIndex(f.Hours);
    }
}

// ---------------------------------------------------------------------------
// Read and Write

void DstPage::ReadOnShow()
{
    BtnReadDSTFClick();
}

void DstPage::BtnReadDSTFClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<uint8_t> start = BlockStart(bus.part().TypeCode);
    if (!start) return;
    int32_t result = bus.ReadRegisters(1, *start, kBlockLength);
    if (!Succeeded(result)) {
        cboDSTFHours->setCurrentIndex(0);
    } else {
        // The hours are in the clock's form. Without it they are read in
        // 24-hour form, and the failure is what the read reports.
        uint8_t clockHour = 0;
        const int32_t hourResult =
            bus.api().Read(bus.BoardNo, 1, bus.part().RtcAddress, kClockHour, &clockHour, 1);
        const std::optional<uint8_t> form =
            !Succeeded(hourResult) ? std::nullopt : std::optional<uint8_t>(clockHour);
        Block block{};
        std::copy_n(&bus.data.Regs[*start], kBlockLength, block.begin());
        show(DecodeBlock(block, TwelveHourForm(form)));
        result = hourResult;
    }
    bus.ReportResult(controlId(sender()), controlId(BtnReadDSTF), result);
}

void DstPage::BtnWriteDSTFClick()
{
    RtcBus& bus = context_.bus();
    const std::optional<uint8_t> start = BlockStart(bus.part().TypeCode);
    if (!start) return;
    // The chip's own values stand in for lists without a selection; without
    // them nothing is written, and the user learns that it was not.
    WriteSequence(bus, controlId(sender()), controlId(BtnWriteDSTF))
        .read(*start, kBlockLength)
        .encode([&] {
            uint8_t* image = &bus.data.Regs[*start];
            Block chip{};
            std::copy_n(image, kBlockLength, chip.begin());
            const Block bytes = EncodeBlock(pageState(), chip);
            std::copy(bytes.begin(), bytes.end(), image);
        })
        .write(*start, kBlockLength)
        .report();
}

// ---------------------------------------------------------------------------
// The lamp

void DstPage::CBSLedDSTCHNGChange(bool lit)
{
    if (!lit) return;
    // As for its own event lamp, the event page reads its time stamps; the
    // read is not the user's click, so a failure lands in the status bar.
    if (EventStamps* stamps = context_.links().eventStamps) stamps->readStamps(nullptr);
}
