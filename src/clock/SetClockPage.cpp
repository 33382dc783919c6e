#include "clock/SetClockPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "StatusLayout.h"
#include "bus/RtcBus.h"
#include "clock/PcClock.h"
#include "clock/PcSchedule.h"
#include "clock/SetClockCodec.h"
#include "clock/TimeCodec.h"
#include "pages/PageContext.h"
#include "widgets/Controls.h"
#include "widgets/RadioGroup.h"

namespace {

std::string text(const QLineEdit* box)
{
    return box->text().toStdString();
}

void setText(QLineEdit* box, const std::string& value)
{
    box->setText(QString::fromStdString(value));
}

// Reads the status byte whose bit 0 says the chip's clock is not set (or
// lost its power): the family's own status register; TypeG's bit 0 is an
// alarm flag, so its status counts as 0.
int32_t readClockStatus(const RtcBus& bus, uint8_t& clockStatus)
{
    const PartType type = bus.part().TypeCode;
    const StatusRead& read = StatusReadsFor(type).Main;
    uint8_t bytes[2] = {};
    int32_t result = 0;
    if (read.Count > 0)
        result = bus.api().Read(bus.BoardNo, read.SubLen, bus.part().RtcAddress, read.Address,
                                bytes, std::min<uint32_t>(read.Count, 2));
    clockStatus = Succeeded(result) && type != TypeG ? bytes[0] : 0;
    return result;
}

} // namespace

SetClockPage::SetClockPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("tsSetTime"));
    buildSelectionGroup();
    buildButtonGroups();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(GroupSelection, 0, Qt::AlignTop);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(GroupAdjustSelection);
    buttons->addWidget(GroupAdjustFromPC);
    buttons->addWidget(GroupSetPC);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connectHandlers();
}

void SetClockPage::buildSelectionGroup()
{
    GroupSelection =
        named(new QGroupBox(QStringLiteral("Time and Date Selection "), this), "GroupSelection");

    Calendar = named(new QCalendarWidget(GroupSelection), "Calendar");
    Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHint(Calendar, QStringLiteral("Select date to set RTC"));

    SetTimeFomat = named(new RadioGroup(QStringLiteral(" Time Format (MIL) "),
                                        {QStringLiteral("12-Hour"), QStringLiteral("24-Hour")},
                                        GroupSelection),
                         "SetTimeFomat");
    SetTimeFomat->setItemIndex(0);
    setHint(SetTimeFomat, QStringLiteral("Select 12 / 24 HR format. Set AM/PM Invisible when in "
                                         "24hour Mode."));

    LabelSetTime = named(new QLabel(QStringLiteral("Set Time"), GroupSelection), "LabelSetTime");
    auto box = [this](const char* name) {
        auto* edit = named(new QLineEdit(GroupSelection), name);
        edit->setAlignment(Qt::AlignCenter);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("PM")) + 16);
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->installEventFilter(this);
        return edit;
    };
    SetHr = box("SetHr");
    SetMin = box("SetMin");
    SetSec = box("SetSec");
    SetAP = box("SetAP");

    CSpinButton2 = named(new QWidget(GroupSelection), "CSpinButton2");
    setHint(CSpinButton2, QStringLiteral("Click HR,MIN,SEC, [AM / PM if 12-hour] to scroll."));
    CSpinButton2Up = named(new QToolButton(CSpinButton2), "CSpinButton2Up");
    CSpinButton2Up->setArrowType(Qt::UpArrow);
    CSpinButton2Down = named(new QToolButton(CSpinButton2), "CSpinButton2Down");
    CSpinButton2Down->setArrowType(Qt::DownArrow);
    auto* spinLayout = new QVBoxLayout(CSpinButton2);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    for (QToolButton* arrow : {CSpinButton2Up, CSpinButton2Down}) {
        // Clicking an arrow leaves the box it works on focused.
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setFixedSize(16, 11);
        arrow->setAutoRepeat(true);
        setHint(arrow, CSpinButton2->toolTip());
        spinLayout->addWidget(arrow);
    }

    Label96 =
        named(new QLabel(QStringLiteral("This part supports 24-hour format only."), GroupSelection),
              "Label96");
    Label96->setWordWrap(true);
    Label96->hide();

    auto* timeRow = new QHBoxLayout;
    timeRow->setSpacing(2);
    timeRow->addWidget(SetHr);
    timeRow->addWidget(new QLabel(QStringLiteral(":"), GroupSelection));
    timeRow->addWidget(SetMin);
    timeRow->addWidget(new QLabel(QStringLiteral(":"), GroupSelection));
    timeRow->addWidget(SetSec);
    timeRow->addSpacing(4);
    timeRow->addWidget(SetAP);
    timeRow->addWidget(CSpinButton2);
    timeRow->addStretch(1);

    auto* side = new QVBoxLayout;
    side->addWidget(SetTimeFomat);
    side->addSpacing(6);
    side->addWidget(LabelSetTime);
    side->addLayout(timeRow);
    side->addSpacing(6);
    side->addWidget(Label96);
    side->addStretch(1);
    // Label96 wraps within the width the time row needs.
    Label96->setFixedWidth(std::max(SetTimeFomat->sizeHint().width(), timeRow->sizeHint().width()));

    auto* layout = new QHBoxLayout(GroupSelection);
    layout->addWidget(Calendar, 0, Qt::AlignTop);
    layout->addLayout(side);
}

void SetClockPage::buildButtonGroups()
{
    auto button = [](QGroupBox* group, const char* name, const char* caption, const char* hint) {
        auto* b = named(new QPushButton(QLatin1String(caption), group), name);
        setHint(b, QLatin1String(hint));
        return b;
    };
    GroupAdjustSelection =
        named(new QGroupBox(QStringLiteral(" Adjust RTC from Time and Date Selection "), this),
              "GroupAdjustSelection");
    BtnGetRTC = button(GroupAdjustSelection, "BtnGetRTC", "Get RTC Date and Time",
                       "Load Date and Time selection with data from RTC");
    BtnSetRTC = button(GroupAdjustSelection, "BtnSetRTC", "Set RTC Date and Time",
                       "Set RTC with selected Date and Time value");
    auto* selection = new QVBoxLayout(GroupAdjustSelection);
    selection->addWidget(BtnGetRTC);
    selection->addWidget(BtnSetRTC);

    GroupAdjustFromPC = named(new QGroupBox(QStringLiteral(" Adjust RTC from PC Clock "), this),
                              "GroupAdjustFromPC");
    BtnSetRTCfromPC =
        button(GroupAdjustFromPC, "BtnSetRTCfromPC", "Write RTC Eval Board from PC Clock",
               "Set RTC Time and Date from PC Clock");
    (new QVBoxLayout(GroupAdjustFromPC))->addWidget(BtnSetRTCfromPC);

    GroupSetPC =
        named(new QGroupBox(QStringLiteral("Set PC Time from EVAL Board"), this), "GroupSetPC");
    BtnSetRTCtoPC = button(GroupSetPC, "BtnSetRTCtoPC", "Set PC Time and Date from RTC Eval Board",
                           "Set PC Clock Time and Date from RTC");
    (new QVBoxLayout(GroupSetPC))->addWidget(BtnSetRTCtoPC);
}

void SetClockPage::connectHandlers()
{
    connect(BtnGetRTC, &QPushButton::clicked, this, [this] { BtnGetRTCClick(BtnGetRTC); });
    connect(BtnSetRTC, &QPushButton::clicked, this, [this] { BtnSetRTCClick(BtnSetRTC); });
    connect(BtnSetRTCfromPC, &QPushButton::clicked, this,
            [this] { BtnSetRTCfromPCClick(BtnSetRTCfromPC); });
    connect(BtnSetRTCtoPC, &QPushButton::clicked, this,
            [this] { BtnSetRTCtoPCClick(BtnSetRTCtoPC); });
    // Every change of the selection, a click's or the program's.
    connect(SetTimeFomat, &RadioGroup::clicked, this, &SetClockPage::SetTimeFomatClick);
    connect(SetHr, &QLineEdit::textChanged, this, &SetClockPage::SetHrChange);
    connect(SetMin, &QLineEdit::textChanged, this, [this] { SetMinChange(SetMin); });
    connect(SetSec, &QLineEdit::textChanged, this, [this] { SetMinChange(SetSec); });
    connect(SetAP, &QLineEdit::textChanged, this, &SetClockPage::SetAPChange);
    connect(CSpinButton2Up, &QToolButton::clicked, this, &SetClockPage::CSpinButton2UpClick);
    connect(CSpinButton2Down, &QToolButton::clicked, this, &SetClockPage::CSpinButton2DownClick);
}

// ---------------------------------------------------------------------------
// The time boxes

bool SetClockPage::is24Hour() const
{
    return SetTimeFomat->itemIndex() == 1;
}

void SetClockPage::SetTimeEdits(int hour, int minute, int second)
{
    const TimeEditTexts boxes = TimeEditsFor(hour, minute, second, is24Hour());
    setText(SetAP, boxes.AmPm);
    setText(SetHr, boxes.Hour);
    setText(SetMin, boxes.Minute);
    setText(SetSec, boxes.Second);
}

void SetClockPage::GetTimeEdits(int& hour, int& minute, int& second) const
{
    const TimeOfDay t =
        TimeFromEdits({text(SetHr), text(SetMin), text(SetSec), text(SetAP)}, is24Hour());
    hour = t.Hour;
    minute = t.Minute;
    second = t.Second;
}

void SetClockPage::StartUp()
{
    const QDateTime now = context_.pcClock().now();
    Calendar->setSelectedDate(now.date());
    SetTimeEdits(now.time().hour(), now.time().minute(), now.time().second());
}

void SetClockPage::SetHrChange()
{
    const std::string typed = text(SetHr);
    if (!TimeBoxComplete(typed)) return; // the second digit may follow
    if (const auto clamped = ClampHour(typed, is24Hour())) setText(SetHr, *clamped);
}

void SetClockPage::SetMinChange(QLineEdit* box)
{
    const std::string typed = text(box);
    if (!TimeBoxComplete(typed)) return;
    if (const auto clamped = ClampMinuteOrSecond(typed)) setText(box, *clamped);
}

void SetClockPage::SetAPChange()
{
    if (is24Hour() && !SetAP->text().isEmpty()) SetAP->clear();
}

void SetClockPage::SetHrExit(QLineEdit* box)
{
    // The box's range rule, also for a single digit or an empty box, then two digits.
    const std::string typed = text(box);
    const std::optional<std::string> clamped =
        box == SetHr ? ClampHour(typed, is24Hour()) : ClampMinuteOrSecond(typed);
    setText(box, TwoDigits(TimeBoxValue(clamped.value_or(typed))));
}

void SetClockPage::finishTimeBoxes()
{
    for (QLineEdit* box : {SetHr, SetMin, SetSec})
        if (!TimeBoxComplete(text(box))) SetHrExit(box);
}

void SetClockPage::SetHrEnter(QLineEdit* box)
{
    FocusedTimeField = box;
}

bool SetClockPage::SetMinKeyPress(QKeyEvent* key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false; // copy, paste, undo
    if (key->key() == Qt::Key_Backspace) return false;
    const QString typed = key->text();
    if (typed.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false; // moving, not typing
    if (TimeBoxAcceptsKey(typed.front().unicode())) return false;
    QApplication::beep();
    return true;
}

bool SetClockPage::SetAPKeyPress(QKeyEvent* key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    const QString typed = key->text();
    char16_t ch = 0;
    if (key->key() == Qt::Key_Backspace)
        ch = u'\b';
    else if (!typed.isEmpty())
        ch = typed.front().unicode();
    if (ch == 0) return false;
    const AmPmKey result = AmPmKeyPress(ch, is24Hour());
    if (result.NewText) setText(SetAP, *result.NewText);
    if (result.Beep) QApplication::beep();
    return true;
}

bool SetClockPage::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    const bool timeBox = box == SetHr || box == SetMin || box == SetSec;
    if (box == nullptr || (!timeBox && box != SetAP)) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        return timeBox ? SetMinKeyPress(key) : SetAPKeyPress(key);
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Entering and leaving a box within the window; the window itself
        // losing or regaining the focus, or a menu popping up, is neither.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
        if (event->type() == QEvent::FocusIn)
            SetHrEnter(box);
        else if (timeBox)
            SetHrExit(box);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void SetClockPage::spin(bool up)
{
    QLineEdit* box = FocusedTimeField;
    if (box == nullptr) return; // no box entered yet
    if (box == SetAP)
        setText(SetAP, SpinAmPm(text(SetAP)));
    else
        setText(box, SpinTimeBox(text(box), up));
}

void SetClockPage::CSpinButton2UpClick()
{
    spin(true);
}

void SetClockPage::CSpinButton2DownClick()
{
    spin(false);
}

// ---------------------------------------------------------------------------
// The format

void SetClockPage::SetTimeFomatClick()
{
    const bool to24 = is24Hour();
    // The PC display follows.
    const QString pcFormat = to24 ? QStringLiteral("Time24hr24") : QStringLiteral("Time24hr12");
    if (auto* radio = qobject_cast<QAbstractButton*>(context_.control(pcFormat)))
        radio->setChecked(true);

    const HourAndAmPm converted = ConvertHourForFormat(text(SetHr), text(SetAP), to24);
    if (to24) {
        SetAP->clear();
        SetAP->hide();
    } else {
        setText(SetAP, converted.AmPm);
        SetAP->show();
    }
    setText(SetHr, converted.Hour);

    // The chip changes form with the page. A chip whose clock is not set
    // keeps that flag: rewriting its time would pass it off as set.
    // A rewrite that fails leaves the chip in its old form: status panel 3
    // says why, as for any step that no button of its own started.
    RtcBus& bus = context_.bus();
    uint8_t clockStatus = 0;
    if (!followingChip_ && bus.BoardNo != 0 &&
        FormatChangeRewritesChip(bus.part().TypeCode, to24)) {
        int32_t result = readClockStatus(bus, clockStatus);
        if (Succeeded(result) && (clockStatus & 0x01) == 0) {
            std::tm t{};
            bool was24 = false;
            result = ReadRtcTime(bus, t, was24);
            if (Succeeded(result)) {
                result = WriteRtcTime(bus, t, to24);
                if (Succeeded(result)) timeWritten();
            }
        }
        bus.ReportResult(nullptr, controlId(SetTimeFomat), result);
    }
    SetHrChange();
}

// ---------------------------------------------------------------------------
// The buttons

void SetClockPage::writeEnablePreStep(QObject* sender, QPushButton* button)
{
    if (const auto result = WriteEnablePreStep(context_.bus()))
        context_.bus().ReportResult(controlId(sender), controlId(button), *result);
}

void SetClockPage::BtnSetRTCfromPCClick(QObject* sender)
{
    writeEnablePreStep(sender, BtnSetRTCfromPC);
    // A write starts the chip's second: written on the PC's next second
    // boundary with that boundary's time, the chip runs in step with the PC.
    // The window goes on painting while it waits; a second click replaces
    // the waiting write.
    PcClock& pc = context_.pcClock();
    const QDateTime now = pc.now();
    const qint64 counter = pc.counterMs();
    const int toBoundary = now.time().msec() == 0 ? 0 : 1000 - now.time().msec();
    const QDateTime boundary = now.addMSecs(toBoundary);
    const void* from = controlId(sender);
    if (toBoundary == 0) {
        context_.schedule().cancel(this);
        writeTimeFromPc(from, boundary);
        return;
    }
    context_.schedule().runAt(this, counter + toBoundary,
                              [this, from, boundary] { writeTimeFromPc(from, boundary); });
}

void SetClockPage::writeTimeFromPc(const void* sender, const QDateTime& at)
{
    RtcBus& bus = context_.bus();
    const auto* pc24 = qobject_cast<QAbstractButton*>(context_.control("Time24hr24"));
    const bool is24 = pc24 != nullptr ? pc24->isChecked() : is24Hour();
    const int32_t result = WriteRtcTime(bus, ToTm(at), is24);
    bus.ReportResult(sender, controlId(BtnSetRTCfromPC), result);
    if (Succeeded(result)) timeWritten();
}

void SetClockPage::timeWritten()
{
    // What the drift run measured before no longer tells the chip's rate.
    if (DriftAnalysis* drift = context_.links().drift) drift->restart();
}

void SetClockPage::BtnSetRTCClick(QObject* sender)
{
    RtcBus& bus = context_.bus();
    writeEnablePreStep(sender, BtnSetRTC);
    // No tick between reading and writing the chip's time.
    QTimer* timer = context_.pollTimer();
    const bool polling = timer != nullptr && timer->isActive();
    if (timer != nullptr) timer->stop();

    std::tm chip{};
    bool chip24 = false;
    const int32_t readResult = ReadRtcTime(bus, chip, chip24);

    // A box still being typed into takes its rules as leaving it would.
    finishTimeBoxes();
    const QDate date = Calendar->selectedDate();
    std::tm t{};
    t.tm_year = date.year() - 1900;
    t.tm_mon = date.month() - 1;
    t.tm_mday = date.day();
    GetTimeEdits(t.tm_hour, t.tm_min, t.tm_sec);
    // The chip's day of week stays; without it, the picked date's.
    t.tm_wday = Succeeded(readResult) ? chip.tm_wday : date.dayOfWeek() % 7;
    const int32_t result = WriteRtcTime(bus, t, is24Hour());
    if (Succeeded(result)) timeWritten();

    if (polling) timer->start();
    bus.ReportResult(controlId(sender), controlId(BtnSetRTC), result);
    // The write went on with the picked date's day of week; status panel 3
    // says why the chip's own was not kept (after the write's confirmation,
    // which would otherwise hide it).
    bus.ReportResult(nullptr, controlId(BtnSetRTC), readResult);
}

void SetClockPage::BtnSetRTCtoPCClick(QObject* sender)
{
    RtcBus& bus = context_.bus();
    uint8_t clockStatus = 0;
    int32_t result = readClockStatus(bus, clockStatus);
    std::tm t{};
    bool is24 = false;
    if (Succeeded(result) && (clockStatus & 0x01) == 0) result = ReadRtcTime(bus, t, is24);
    if (!Succeeded(result)) {
        bus.ReportResult(controlId(sender), controlId(BtnSetRTCtoPC), result);
        return;
    }
    const QDateTime chip(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday),
                         QTime(t.tm_hour, t.tm_min, t.tm_sec));
    // A chip that lost its time would set the PC to nonsense.
    if ((clockStatus & 0x01) != 0 || !chip.isValid()) {
        context_.setStatusPanelText(
            3, QStringLiteral(" PC clock not set: the RTC's clock is not set"));
        return;
    }
    const std::string when = chip.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    QPointer<SetClockPage> self(this);
    context_.pcClock().setLocalTime(chip, [self, when](const PcClockSetResult& outcome) {
        if (self)
            self->context_.setStatusPanelText(
                3, QString::fromStdString(PcClockSetText(outcome, when)));
    });
}

void SetClockPage::ReadOnShow()
{
    // Get RTC's reads, with the format following the chip's own form: the
    // chip already has it, so nothing is written back.
    followingChip_ = true;
    BtnGetRTCClick(nullptr);
    followingChip_ = false;
}

void SetClockPage::BtnGetRTCClick(QObject* sender)
{
    RtcBus& bus = context_.bus();
    uint8_t clockStatus = 0;
    int32_t result = readClockStatus(bus, clockStatus);
    // A clock that is not set leaves the pickers as they are.
    if (Succeeded(result) && (clockStatus & 0x01) == 0) {
        std::tm t{};
        bool chip24 = false;
        result = ReadRtcTime(bus, t, chip24);
        if (Succeeded(result)) {
            // Runs the format change when the form differs.
            SetTimeFomat->setItemIndex(chip24 ? 1 : 0);
            Calendar->setSelectedDate(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday));
            SetTimeEdits(t.tm_hour, t.tm_min, t.tm_sec);
        }
    }
    bus.ReportResult(controlId(sender), controlId(BtnGetRTC), result);
}
