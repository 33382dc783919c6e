// The Setup page: its design state, Clear Events, Read ID, the sensor choice,
// the temperature offset and the lamp widget, against the recording fake adapter.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QToolButton>
#include <memory>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/memory/MemoryPage.h"
#include "pages/port/PortPage.h"
#include "support/AppTestSupport.h"
#include "support/RecordingAdapter.h"
#include "support/WindowFixture.h"
#include "widgets/LedIndicator.h"

namespace {

class SetupPageTest : public WindowFixture {
  protected:
    // On the fake adapter; the calls of start-up are forgotten.
    TMainApp& open(const QString& settings = QString())
    {
        if (!settings.isEmpty()) store.write(settings);
        RecordingAdapter::reset();
        TMainApp& w = WindowFixture::open(WindowOptions().adapter(&RecordingAdapter::api()));
        RecordingAdapter::reset();
        return w;
    }
    SetupPage& page() { return *window().setupPage(); }
};

// ---- design state ----

TEST_F(SetupPageTest, ControlsCarryTheirDesignCaptionsAndHints)
{
    open();
    struct Text {
        const char* control;
        const char* text;
    };
    const Text captions[] = {
        {"GroupEvalBoard", " Eval Board Select "},
        {"GroupBussSpeed", " I2C Buss Speed "},
        {"LabelKHz", "KHz"},
        {"GroupDeviceControls", " Device Controls "},
        {"VccChecked", "VDD Enabled"},
        {"GroupTempCal", " Temperature Calibration "},
        {"rbLM75Select", "LM75"},
        {"rbLM76Select", "LM76"},
        {"GroupStatus", " Status Register "},
        {"GroupBox25", " Clear Events "},
        {"BtnClrAlmEvent", "ALM"},
        {"BtnClrEvtEvent", "EVT"},
        {"BtnClrBatEvent", " BAT"},
        {"BtnClrAllEvents", "All"},
        {"BtnReadID", "Read ID"},
        {"Read_ID_Buf", "FFFFFFFFFFFFFFFF"},
        {"LabelRTCF", "RTC Power Fail (RTCF)"},
        {"LabelBAT", "Battery Backup (BAT)"},
        {"LabelALM", "Alarm Bit (ALM)"},
        {"LabelEVT", "Event Detect (EVT)"},
        {"lblAlarm2", "Alarm0 (AL0)"},
        {"lblOSCFail", "Oscillator Failure (OSCF)"},
        {"LabelLed8", "XOSCF"},
        {"LabelLed9", "ACFAIL"},
        {"LabelLed10", "ACRDY"},
        {"Time24hr", " PC Time Format "},
        {"TempCal", "0.0*C"},
    };
    for (const Text& t : captions) {
        QObject* control = window().findChild<QObject*>(t.control);
        ASSERT_NE(control, nullptr) << t.control;
        const QString shown = control->property("text").isValid()
                                  ? control->property("text").toString()
                                  : control->property("title").toString();
        EXPECT_EQ(shown, t.text) << t.control;
    }

    const Text hints[] = {
        {"GroupDeviceControls", "Control VCC to RTC"},
        {"VccChecked", "RTC Vcc Switch"},
        {"VccSw", "RTC Vcc Switch"},
        {"GroupTempCal", "RTC Temperature Offset"},
        {"TempCal", "Temperature Offset"},
        {"Read_ID_Buf", "Readback of ID Register"},
    };
    for (const Text& t : hints) {
        const QWidget* control = window().findChild<QWidget*>(t.control);
        ASSERT_NE(control, nullptr) << t.control;
        EXPECT_EQ(control->toolTip(), t.text) << t.control;
        EXPECT_EQ(control->statusTip(), t.text) << t.control;
    }

    EXPECT_TRUE(page().rbLM75Select->isChecked());
    EXPECT_FALSE(page().VccChecked->isChecked());
    EXPECT_TRUE(page().Read_ID_Buf->isReadOnly());
    EXPECT_TRUE(page().Read_ID_Buf->isHidden());
    EXPECT_TRUE(page().Time24hr->isHidden());
    EXPECT_TRUE(page().Time24hr12->isChecked());
    EXPECT_FALSE(page().is24Hour());
    EXPECT_EQ(page().Features->rowCount(), 10);
    EXPECT_EQ(page().Features->columnCount(), 2);
    EXPECT_TRUE(page().Features->horizontalHeader()->isHidden());
    EXPECT_TRUE(page().Features->verticalHeader()->isHidden());
}

TEST_F(SetupPageTest, StatusLinesKeepTheirOrderAndLampAndLabelShareALine)
{
    open();
    const std::pair<const char*, const char*> lines[] = {
        {"LedRTCF", "LabelRTCF"}, {"LedBAT", "LabelBAT"},     {"LedALM", "LabelALM"},
        {"LedEVT", "LabelEVT"},   {"LedAlarm2", "lblAlarm2"}, {"LedOSCfail", "lblOSCFail"},
        {"CBSLed2", "Label53"},   {"CBSLed3", "Label54"},     {"CBSLed8", "LabelLed8"},
        {"CBSLed9", "LabelLed9"}, {"CBSLed10", "LabelLed10"},
    };
    int previous = -1;
    for (const auto& [lampName, labelName] : lines) {
        const QWidget* lamp = page().GroupStatus->findChild<LedIndicator*>(lampName);
        const QWidget* label = page().GroupStatus->findChild<QLabel*>(labelName);
        ASSERT_NE(lamp, nullptr) << lampName;
        ASSERT_NE(label, nullptr) << labelName;
        EXPECT_EQ(lamp->y(), label->y()) << lampName;
        EXPECT_EQ(lamp->height(), label->height()) << lampName;
        EXPECT_GT(lamp->y(), previous) << lampName;
        EXPECT_LT(lamp->x() + lamp->width(), label->x()) << lampName;
        // The widest caption fits without clipping.
        EXPECT_LE(label->x() + label->width(), page().GroupStatus->width()) << labelName;
        previous = lamp->y();
    }
    // The two lines the part choice moves sit where its pixel tops expect them.
    EXPECT_EQ(page().LedAlarm2->y(), 106);
    EXPECT_EQ(page().LedOSCfail->y(), 127);
    EXPECT_EQ(page().LedEVT->y(), 85);
    const int widest = page().lblOSCFail->fontMetrics().horizontalAdvance(
        QStringLiteral("Oscillator Failure (OSCF)"));
    EXPECT_GE(page().lblOSCFail->width(), widest);
}

// The window's size is fixed, so the page's columns must not shift with what
// a part shows (the Clear Events group, the ID group).
TEST_F(SetupPageTest, FeaturesGridKeepsItsPlaceWhicheverPartIsChosen)
{
    TMainApp& w = open();
    w.show();
    auto rectOf = [&](const QWidget* widget) {
        return QRect(widget->mapTo(&page(), QPoint(0, 0)), widget->size());
    };
    auto placeFor = [&](const QString& part) {
        QComboBox* list = page().DeviceSel;
        const int row = list->findText(part, Qt::MatchExactly);
        list->setCurrentIndex(row);
        emit list->activated(row);
        page().layout()->activate();
        return rectOf(page().Features);
    };
    // "x,y wxh", readable in a failure message.
    auto text = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4")
            .arg(r.x())
            .arg(r.y())
            .arg(r.width())
            .arg(r.height())
            .toStdString();
    };
    const QRect first = placeFor(QStringLiteral("Not Selected"));
    for (const char* part : {"VK310", "VK340", "VK360", "VK370", "VK382", "Not Selected"})
        EXPECT_EQ(text(placeFor(QLatin1String(part))), text(first)) << part;
    // The ID group lies under the grid, spans it, and stays within the page.
    placeFor(QStringLiteral("VK360"));
    const QRect id = rectOf(page().GroupBox38);
    EXPECT_GE(id.top(), first.bottom());
    EXPECT_LE(id.left(), first.left());
    EXPECT_GE(id.right(), first.right());
    EXPECT_LE(id.right(), page().width());
}

// ---- Clear Events ----

struct ClearCase {
    const char* button;
    uint8_t status;
    uint8_t written;
    std::vector<const char*> cleared; // lamps switched off
    std::vector<const char*> kept;    // lamps left lit
};

const ClearCase kClears[] = {
    {"BtnClrAllEvents", 0x0E, 0x01, {"LedEVT", "LedALM", "LedBAT"}, {"LedRTCF"}},
    {"BtnClrAlmEvent", 0x0E, 0x0B, {"LedALM"}, {"LedEVT", "LedBAT", "LedRTCF"}},
    {"BtnClrEvtEvent", 0x0E, 0x07, {"LedEVT"}, {"LedALM", "LedBAT", "LedRTCF"}},
    {"BtnClrBatEvent", 0x0E, 0x0D, {"LedBAT"}, {"LedALM", "LedEVT", "LedRTCF"}},
    // Bits 4 to 7 go back as read; bits 0 to 3 other than the cleared are set.
    {"BtnClrAlmEvent", 0xA0, 0xAB, {"LedALM"}, {"LedEVT", "LedBAT"}},
    {"BtnClrAllEvents", 0xFF, 0xF1, {"LedEVT", "LedALM", "LedBAT"}, {"LedRTCF"}},
};

void lightAll(SetupPage& page)
{
    for (LedIndicator* lamp : {page.LedRTCF, page.LedBAT, page.LedALM, page.LedEVT})
        lamp->setLit(true);
}

TEST_F(SetupPageTest, ClearEventsWritesTheStatusBackWithItsFlagsCleared)
{
    TMainApp& w = open(QStringLiteral("Device=VK311\n"));
    const uint8_t slave = w.bus().part().RtcAddress;
    for (const ClearCase& c : kClears) {
        SCOPED_TRACE(c.button);
        RecordingAdapter::reset();
        RecordingAdapter::setRegisters(slave, 0x07, {c.status});
        lightAll(page());
        w.findChild<QPushButton*>(c.button)->click();

        const std::vector<AdapterCall> transfers = RecordingAdapter::transfers();
        ASSERT_EQ(transfers.size(), 2u);
        EXPECT_EQ(transfers[0].op, AdapterOp::Read);
        EXPECT_EQ(transfers[1].op, AdapterOp::Write);
        for (const AdapterCall& t : transfers) {
            EXPECT_EQ(t.board, 1u);
            EXPECT_EQ(t.slave, slave);
            EXPECT_EQ(t.subLen, 1);
            EXPECT_EQ(t.sub, 0x07u);
            EXPECT_EQ(t.count, 1u);
        }
        EXPECT_EQ(transfers[1].data, std::vector<uint8_t>{c.written});
        for (const char* lamp : c.cleared)
            EXPECT_FALSE(w.findChild<LedIndicator*>(lamp)->isLit()) << lamp;
        for (const char* lamp : c.kept)
            EXPECT_TRUE(w.findChild<LedIndicator*>(lamp)->isLit()) << lamp;
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

TEST_F(SetupPageTest, ClearEventsFailuresWriteNothingAndReport)
{
    TMainApp& w = open(QStringLiteral("Device=VK311\n"));
    const uint8_t slave = w.bus().part().RtcAddress;

    // A failed read: no write, lamps as they were, a box for the clicked button.
    RecordingAdapter::reset();
    RecordingAdapter::failSlave(slave, KVRX_ERR_ADDR_NACK);
    lightAll(page());
    page().BtnClrAllEvents->click();
    ASSERT_EQ(RecordingAdapter::transfers().size(), 1u);
    EXPECT_TRUE(page().LedALM->isLit());
    EXPECT_TRUE(page().LedEVT->isLit());
    EXPECT_TRUE(page().LedBAT->isLit());
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(takeRecordedBox(w), "Communication error Occured\rFake result 4");

    // A failed write is the last result and is reported.
    RecordingAdapter::reset();
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnClrEvtEvent->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 2u);
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(takeRecordedBox(w), "Communication error Occured\rFake result 5");

    // Run as another action's step, the failure goes to the status bar.
    RecordingAdapter::reset();
    RecordingAdapter::failSlave(slave, KVRX_ERR_ADDR_NACK);
    page().BtnClrBatEventClick(nullptr);
    EXPECT_EQ(recordedBoxCount(w), 0u);
    EXPECT_EQ(w.statusPanelText(3), " Fake result 4");
}

// ---- Read ID ----

TEST_F(SetupPageTest, ReadIdShowsTheEightBytesAndLeavesTheTransferForTheRawBusPage)
{
    TMainApp& w = open(QStringLiteral("Device=VK360\n"));
    RecordingAdapter::setRegisters(0xDE, 0x20, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF});
    auto* memory = qobject_cast<MemoryPage*>(w.page("tsMemory"));
    ASSERT_NE(memory, nullptr);
    memory->setAddressLength(1);
    page().BtnReadID->click();

    const std::vector<AdapterCall> transfers = RecordingAdapter::transfers();
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].op, AdapterOp::Read);
    EXPECT_EQ(transfers[0].board, 1u);
    EXPECT_EQ(transfers[0].slave, 0xDE);
    EXPECT_EQ(transfers[0].subLen, 2);
    EXPECT_EQ(transfers[0].sub, 0x20u);
    EXPECT_EQ(transfers[0].count, 8u);
    EXPECT_EQ(page().Read_ID_Buf->text(), "0123456789ABCDEF");
    EXPECT_FALSE(page().Read_ID_Buf->isHidden());
    // The raw bus page picks the transfer up; the memory page takes the ID
    // parts' address length.
    auto* port = qobject_cast<PortPage*>(w.page("tsPort"));
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->transfer().Slave, 0xDE);
    EXPECT_EQ(port->transfer().Address, 0x20);
    EXPECT_EQ(port->transfer().Count, 8);
    EXPECT_EQ(memory->addressLength(), 2);
    EXPECT_EQ(recordedBoxCount(w), 0u);

    // A failed read leaves the box empty and opens the error box.
    RecordingAdapter::reset();
    RecordingAdapter::failSlave(0xDE, KVRX_ERR_ADDR_NACK);
    page().BtnReadID->click();
    EXPECT_EQ(page().Read_ID_Buf->text(), "");
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(takeRecordedBox(w), "Communication error Occured\rFake result 4");
}

// ---- sensor and offset ----

TEST_F(SetupPageTest, SensorChoiceSetsTheFormatAndTheTemperatureCaption)
{
    TMainApp& w = open();
    page().rbLM76Select->click();
    EXPECT_EQ(w.bus().TempSensor, 76);
    EXPECT_EQ(w.Label4->text(), "LM76 Temperature");
    // Set from the program, the choice runs the same handler.
    page().rbLM75Select->setChecked(true);
    EXPECT_EQ(w.bus().TempSensor, 75);
    EXPECT_EQ(w.Label4->text(), "LM75 Temperature");
    EXPECT_TRUE(RecordingAdapter::calls().empty());
}

TEST_F(SetupPageTest, SpinButtonStepsTheOffsetWithinFiveDegrees)
{
    struct Case {
        int saved;
        const char* shownAtStart;
        bool up;
        int after;
        const char* shown;
    };
    const Case cases[] = {
        {0, "0.0*C", true, 1, "0.1*C"},        {0, "0.0*C", false, -1, "-0.1*C"},
        {49, "4.9*C", true, 50, "5.0*C"},      {50, "5.0*C", true, 50, "5.0*C"},
        {-50, "-5.0*C", false, -50, "-5.0*C"}, {-14, "-1.4*C", false, -15, "-1.5*C"},
        {-50, "-5.0*C", true, -49, "-4.9*C"},  {15, "1.5*C", false, 14, "1.4*C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        TMainApp& w = open(QStringLiteral("TempCal=%1\n").arg(c.saved));
        EXPECT_EQ(page().TempCal->text(), c.shownAtStart);
        (c.up ? page().CSpinButton1Up : page().CSpinButton1Down)->click();
        EXPECT_EQ(w.bus().data.TempOffset, c.after);
        EXPECT_EQ(page().TempCal->text(), c.shown);
        window_.reset();
    }
}

// ---- lamp widget ----

TEST(LedIndicator, ReportsOnlyRealChanges)
{
    ensureApp();
    LedIndicator lamp;
    QSignalSpy spy(&lamp, &LedIndicator::changed);
    EXPECT_FALSE(lamp.isLit());
    lamp.setLit(false);
    EXPECT_TRUE(spy.isEmpty());
    lamp.setLit(true);
    lamp.setLit(true);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_TRUE(spy.at(0).at(0).toBool());
    // Through the property, as the part choice and scripts set it.
    lamp.setProperty("lit", false);
    ASSERT_EQ(spy.size(), 2);
    EXPECT_FALSE(spy.at(1).at(0).toBool());
    EXPECT_FALSE(lamp.property("lit").toBool());
}

} // namespace
