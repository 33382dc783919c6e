// The polling timer's tick against the recording fake adapter, with a pinned
// PC clock: what the display panel, the lamps, the status bar and the graph
// show, and what reached the chip.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/PageTable.h"
#include "app/TMainApp.h"
#include "app/polling/DisplayPanel.h"
#include "app/polling/PollingCycle.h"
#include "app/setup/SetupPage.h"
#include "clock/PcClock.h"
#include "clock/TimeCodec.h"
#include "kvrx_usb.h"
#include "pages/graph/GraphData.h"
#include "support/AppTestSupport.h"
#include "support/RecordingAdapter.h"
#include "support/WindowFixture.h"

// A lamp of a page that is not built yet: only its state.
class StandInLamp : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool lit READ isLit WRITE setLit)
  public:
    using QObject::QObject;
    bool isLit() const { return lit_; }
    void setLit(bool lit) { lit_ = lit; }

  private:
    bool lit_ = false;
};

namespace {

// Every status lamp of every page: the Setup page's and their mirrors.
std::vector<std::string> allLamps()
{
    std::vector<std::string> lamps;
    for (const PageRow& row : Pages()) {
        for (const StatusLamp& lamp : row.Lamps)
            lamps.emplace_back(lamp.Name);
    }
    return lamps;
}
const std::vector<std::string> kAllLamps = allLamps();

const std::vector<std::string> kStatusLabelNames = {
    "LabelRTCF", "LabelBAT", "LabelALM",  "LabelEVT",  "lblAlarm2",  "lblOSCFail",
    "Label53",   "Label54",  "LabelLed8", "LabelLed9", "LabelLed10",
};

// ---- an adapter whose chosen reads fail ----

struct ReadFault {
    uint8_t slave;
    uint32_t sub;
};
std::vector<ReadFault> gReadFaults;
TMainApp* gWindow = nullptr;
std::vector<bool> gTimerActiveInTick;

int32_t readWithFaults(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                       uint32_t count)
{
    for (const ReadFault& f : gReadFaults) {
        if (f.slave == slave && f.sub == sub) return KVRX_ERR_ADDR_NACK;
    }
    return RecordingAdapter::api().Read(board, subLen, slave, sub, buf, count);
}

int32_t runTimeSeeingTimer(uint32_t board, uint32_t* seconds)
{
    if (gWindow) gTimerActiveInTick.push_back(gWindow->pollTimer()->isActive());
    return RecordingAdapter::api().RdRunTime(board, seconds);
}

const AdapterApi& testAdapter()
{
    static const AdapterApi api = [] {
        AdapterApi a = RecordingAdapter::api();
        a.Read = readWithFaults;
        a.RdRunTime = runTimeSeeingTimer;
        return a;
    }();
    return api;
}

// 12 June 2024, 14:30:01 local time: the first tick of a new second.
const QDateTime kStart(QDate(2024, 6, 12), QTime(14, 30, 1));

class PollingCycleTest : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        RecordingAdapter::reset();
        gReadFaults.clear();
        gTimerActiveInTick.clear();
        w = &open(WindowOptions().pcTime(kStart.addSecs(-1)).stopTimer());
        gWindow = w;
        w->bus().setApi(testAdapter());
        w->bus().BoardNo = 1;
        panel = w->displayPanel();
        graph = graphDataOf(*w);
        addMissingControls();
    }

    void TearDown() override
    {
        gWindow = nullptr;
        WindowFixture::TearDown();
    }

    // Lamps of pages not built yet stand in on their (empty) pages.
    void addMissingControls()
    {
        for (const std::string& name : kAllLamps) {
            if (w->findChild<QObject*>(QString::fromStdString(name))) continue;
            const PageRow* row = PageOfLamp(name);
            ASSERT_NE(row, nullptr) << name << " is on no page of the page table";
            auto* lamp = new StandInLamp(w->page(QLatin1String(row->Name)));
            lamp->setObjectName(QString::fromStdString(name));
        }
        for (const std::string& name : kStatusLabelNames) {
            if (w->findChild<QObject*>(QString::fromStdString(name))) continue;
            auto* label = new QLabel(w);
            label->setObjectName(QString::fromStdString(name));
        }
        if (!w->findChild<QObject*>("Time24hr")) {
            auto* group = new QGroupBox(w);
            group->setObjectName("Time24hr");
            auto* layout = new QVBoxLayout(group);
            auto* h12 = new QRadioButton("12-Hour", group);
            layout->addWidget(h12);
            layout->addWidget(new QRadioButton("24-Hour", group));
            h12->setChecked(true);
        }
    }

    QObject* lamp(const std::string& name) const
    {
        QObject* found = w->findChild<QObject*>(QString::fromStdString(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    bool lit(const std::string& name) const { return lamp(name)->property("lit").toBool(); }
    void setLit(const std::string& name, bool on) const { lamp(name)->setProperty("lit", on); }
    std::set<std::string> litLamps() const
    {
        std::set<std::string> on;
        for (const std::string& name : kAllLamps) {
            if (lit(name)) on.insert(name);
        }
        return on;
    }

    void choosePart(const char* name)
    {
        const int row = FindPartRow(name);
        ASSERT_EQ(PartTable[row].PartName, std::string(name));
        w->bus().setPartRow(row);
    }
    const PartInfo& part() { return w->bus().part(); }

    // The chip's time registers, in 24-hour form. Writing the time sets flag
    // bits of the status registers; a test sets those itself.
    void setChipTime(const QDateTime& at)
    {
        const uint8_t slave = part().RtcAddress;
        std::map<uint32_t, uint8_t> kept;
        for (uint32_t sub : {0x07u, 0x08u, 0x09u, 0x0Bu, 0x0Fu, 0x3Fu})
            kept[sub] = RecordingAdapter::registerAt(slave, sub);
        ASSERT_EQ(WriteRtcTime(w->bus(), ToTm(at), true), 0);
        for (const auto& [sub, value] : kept)
            RecordingAdapter::setRegisters(slave, sub, {value});
    }
    void setChipRegister(uint32_t sub, uint8_t value)
    {
        RecordingAdapter::setRegisters(part().RtcAddress, sub, {value});
    }
    // The board sensor's word, high byte first as the sensor sends it.
    void setSensorWord(uint16_t word)
    {
        RecordingAdapter::setRegisters(0x90, 0x00, {uint8_t(word >> 8), uint8_t(word & 0xFF)});
    }

    // A tick at the given PC time.
    void tickAt(const QDateTime& at)
    {
        clock.set(at);
        w->Timer1Timer();
    }
    // Tick at the next sample second (ElapsedSeconds a multiple of six).
    void sampleTickAt(const QDateTime& at)
    {
        w->bus().data.ElapsedSeconds = 5;
        tickAt(at);
        ASSERT_EQ(w->bus().data.ElapsedSeconds, 6u);
    }
    size_t callCount() const { return RecordingAdapter::calls().size(); }

    TMainApp* w = nullptr;
    DisplayPanel* panel = nullptr;
    GraphData* graph = nullptr;
};

// ---- the once-a-second rule ----

TEST_F(PollingCycleTest, WorksOnlyInTheFirstTickOfEachPcSecond)
{
    choosePart("VK320");
    setChipTime(kStart);
    // Ticks every 110 ms over three seconds, starting 50 ms into second 1.
    clock.set(kStart.addMSecs(50));
    uint32_t lastElapsed = w->bus().data.ElapsedSeconds;
    int lastSecond = -1;
    for (int i = 0; i < 28; ++i) {
        const size_t before = callCount();
        const int second = clock.now().time().second();
        w->Timer1Timer();
        const bool worked = callCount() != before;
        const bool newSecond = second != lastSecond;
        EXPECT_EQ(worked, newSecond) << "tick at " << clock.now().toString("ss.zzz").toStdString();
        EXPECT_EQ(w->bus().data.ElapsedSeconds, lastElapsed + (newSecond ? 1 : 0));
        EXPECT_EQ(w->pollingCycle()->clock().LastSecond, second);
        lastElapsed = w->bus().data.ElapsedSeconds;
        lastSecond = second;
        clock.advanceMs(110);
    }
}

TEST_F(PollingCycleTest, TimerIsOffDuringTheTickAndRunsAfterIt)
{
    choosePart("VK320");
    w->pollTimer()->start();
    tickAt(kStart);
    ASSERT_EQ(gTimerActiveInTick.size(), 1u);
    EXPECT_FALSE(gTimerActiveInTick[0]);
    EXPECT_TRUE(w->pollTimer()->isActive());
    EXPECT_EQ(w->pollTimer()->interval(), 110);

    // A tick within the same second does no work but also leaves the timer running.
    w->pollTimer()->stop();
    tickAt(kStart.addMSecs(500));
    EXPECT_EQ(gTimerActiveInTick.size(), 1u);
    EXPECT_TRUE(w->pollTimer()->isActive());
}

// ---- PC and chip time ----

TEST_F(PollingCycleTest, ShowsPcAndChipTimeAndRunningTime)
{
    choosePart("VK320");
    setChipTime(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)));
    RecordingAdapter::setRunTime(90061); // 1 day, 1 hour, 1 minute, 1 second
    tickAt(kStart);
    EXPECT_EQ(panel->PCtime->text().toStdString(), "02:30:01 PM");
    EXPECT_EQ(panel->PCdate->text().toStdString(), "06/12/24");
    EXPECT_EQ(panel->RTCtime->text().toStdString(), "23:59:58");
    EXPECT_EQ(panel->RTCdate->text().toStdString(), "12/31/23");
    EXPECT_EQ(w->statusPanelText(1).toStdString(), " USB: Active");
    EXPECT_EQ(w->statusPanelText(2).toStdString(), " Up 1 Day(s) 01:01:01");
    // The pinned clock's counter does not move during the tick.
    EXPECT_EQ(w->PollingTime->text().toStdString(), " 0.000 mS");
}

TEST_F(PollingCycleTest, PcTimeFollowsTheTimeFormatGroup)
{
    choosePart("VK320");
    auto* group = w->findChild<QWidget*>("Time24hr");
    ASSERT_NE(group, nullptr);
    for (QAbstractButton* b : group->findChildren<QAbstractButton*>()) {
        if (b->text() == "24-Hour") b->setChecked(true);
    }
    tickAt(kStart);
    EXPECT_EQ(panel->PCtime->text().toStdString(), "14:30:01");
}

TEST_F(PollingCycleTest, ClockNotSetOnAFreshChipThenTheTimeOnceSet)
{
    // A TypeE part reports a power failure in bit 0 of its status register.
    choosePart("VK360");
    setChipTime(kStart);
    setChipRegister(0x3F, 0x01);
    setSensorWord(0x1900);
    sampleTickAt(kStart);
    EXPECT_EQ(panel->RTCtime->text().toStdString(), "Clock Not Set");
    EXPECT_EQ(panel->RTCdate->text().toStdString(), "Clock Not Set");
    EXPECT_TRUE(lit("LedRTCF"));
    // No sample while the clock is not set.
    EXPECT_TRUE(panel->RTCdev->text().isEmpty());
    EXPECT_TRUE(panel->RTCtemp->text().isEmpty());
    EXPECT_TRUE(graph->points(GraphData::Deviation).isEmpty());
    EXPECT_TRUE(graph->points(GraphData::Temperature).isEmpty());

    // Setting the time clears the flag.
    setChipTime(kStart.addSecs(6));
    setChipRegister(0x3F, 0x00);
    sampleTickAt(kStart.addSecs(6));
    EXPECT_EQ(panel->RTCtime->text().toStdString(), "14:30:07");
    EXPECT_EQ(panel->RTCdate->text().toStdString(), "06/12/24");
    EXPECT_FALSE(lit("LedRTCF"));
    EXPECT_EQ(panel->RTCdev->text().toStdString(), "-00:00:00");
    EXPECT_EQ(graph->points(GraphData::Deviation).size(), 1);
}

TEST_F(PollingCycleTest, AlarmFlagInBitZeroIsNotAClockNotSet)
{
    // TypeG's bit 0 is alarm 1, TypeJ's a power flag that the time still shows with.
    for (const char* name : {"VK380", "VK382"}) {
        choosePart(name);
        setChipTime(kStart);
        setChipRegister(StatusReadsFor(part().TypeCode).Main.Address, 0x01);
        tickAt(kStart.addSecs(w->bus().data.ElapsedSeconds + 1));
        EXPECT_EQ(panel->RTCtime->text().toStdString(), "14:30:01") << name;
        EXPECT_TRUE(lit("LedRTCF")) << name;
    }
}

TEST_F(PollingCycleTest, FailedTimeReadShowsErrorAndTakesNoSample)
{
    choosePart("VK320");
    setChipTime(kStart);
    panel->RTCdev->setText("00:00:01");
    // With the supply on: a failure with the supply off says what to do.
    w->setupPage()->VccChecked->setChecked(true);
    const QString message = w->statusPanelText(3);
    gReadFaults.push_back({part().RtcAddress, 0x00});
    sampleTickAt(kStart);
    EXPECT_EQ(panel->RTCtime->text().toStdString(), "Error");
    EXPECT_EQ(panel->RTCdate->text().toStdString(), "Error");
    EXPECT_EQ(panel->RTCdev->text().toStdString(), "00:00:01");
    EXPECT_TRUE(graph->points(GraphData::Deviation).isEmpty());
    // Nothing of a poll reaches an error box or the message panel.
    EXPECT_EQ(w->statusPanelText(3), message);
}

TEST_F(PollingCycleTest, FailedRunTimeBlanksChipFieldsAndSwitchesLampsOff)
{
    choosePart("VK320");
    setChipTime(kStart);
    tickAt(kStart);
    ASSERT_FALSE(panel->RTCtime->text().isEmpty());
    panel->RTCdev->setText("00:00:01");
    panel->RTCtemp->setText("25.0000*C (77.00*F)");
    for (const std::string& name : kAllLamps)
        setLit(name, true);

    RecordingAdapter::failCall(callCount() + 1, KVRX_ERR_NOT_ATTACHED);
    const size_t before = callCount();
    tickAt(kStart.addSecs(1));
    // Only the running-time question went to the board.
    EXPECT_EQ(callCount(), before + 1);
    EXPECT_EQ(panel->PCtime->text().toStdString(), "02:30:02 PM");
    for (QLabel* field : {panel->RTCtime, panel->RTCdate, panel->RTCdev, panel->RTCtemp})
        EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
    EXPECT_TRUE(w->statusPanelText(2).isEmpty());
    EXPECT_EQ(w->statusPanelText(1), " USB: Disconnect");
    // The lamps a dead board switches off; the power-management, DST and system
    // management mirrors are not among them.
    EXPECT_EQ(litLamps(),
              (std::set<std::string>{"CBSLed5", "CBSLed6", "CBSLed7", "CBSLedVDDTRIP",
                                     "CBSLed85BTRIP", "CBSLed75BTRIP", "CBSLedDSTCHNG"}));
}

// Panel 1 says the board is gone only when the adapter says so; a running
// time that failed once, as a transfer can, leaves it.
TEST_F(PollingCycleTest, ConnectionPanelFollowsWhatTheRunTimeFailureMeans)
{
    const struct {
        int32_t failure;
        const char* panel;
    } cases[] = {{KVRX_ERR_NOT_ATTACHED, " USB: Disconnect"},
                 {KVRX_ERR_NOT_OPEN, " USB: Disconnect"},
                 {KVRX_ERR_TIMEOUT, " USB: Active"},
                 {KVRX_ERR_IO, " USB: Active"}};
    choosePart("VK320");
    setChipTime(kStart);
    QDateTime at = kStart;
    for (const auto& c : cases) {
        tickAt(at);
        ASSERT_EQ(w->statusPanelText(1), " USB: Active");
        RecordingAdapter::failCall(callCount() + 1, c.failure);
        at = at.addSecs(1);
        tickAt(at);
        EXPECT_EQ(w->statusPanelText(1), c.panel) << c.failure;
        at = at.addSecs(1);
    }
}

TEST_F(PollingCycleTest, PollingSwitchedOffTouchesNoBoardAndGreysTheLabels)
{
    choosePart("VK320");
    setChipTime(kStart);
    tickAt(kStart);
    setLit("LedALM", true);
    // The switch also runs the supply handler, which follows the unticked VccChecked.
    size_t before = callCount();
    panel->PollingEnable->setChecked(false);
    ASSERT_EQ(callCount(), before + 1);
    EXPECT_EQ(RecordingAdapter::calls().back().op, AdapterOp::VccOff);
    EXPECT_EQ(RecordingAdapter::calls().back().board, 1u);
    before = callCount();
    tickAt(kStart.addSecs(1));
    EXPECT_EQ(callCount(), before);
    EXPECT_EQ(panel->PCtime->text().toStdString(), "02:30:02 PM");
    EXPECT_TRUE(panel->RTCtime->text().isEmpty());
    EXPECT_FALSE(lit("LedALM"));
    for (const std::string& name : kStatusLabelNames)
        EXPECT_FALSE(w->findChild<QWidget*>(QString::fromStdString(name))->isEnabled()) << name;

    panel->PollingEnable->setChecked(true);
    tickAt(kStart.addSecs(2));
    EXPECT_EQ(panel->RTCtime->text().toStdString(), "14:30:01");
    for (const std::string& name : kStatusLabelNames)
        EXPECT_TRUE(w->findChild<QWidget*>(QString::fromStdString(name))->isEnabled()) << name;
}

// ---- deviation, temperature, graph ----

struct DeviationCase {
    qint64 chipAheadSeconds;
    const char* shown;
};

TEST_F(PollingCycleTest, DeviationShowsChipMinusPcWithWholeDaysInFront)
{
    const DeviationCase cases[] = {
        {0, "-00:00:00"},        {3605, "01:00:05"}, {25 * 3600, "1d 01:00:00"},
        {-65, "-00:01:05"},      {1, "00:00:01"},    {-(2 * 86400 + 7384), "-2d 02:03:04"},
        {86400 - 1, "23:59:59"}, {86400 + 5, "1d 00:00:05"},
    };
    choosePart("VK320");
    QDateTime pc = kStart;
    for (const DeviationCase& c : cases) {
        setChipTime(pc.addSecs(c.chipAheadSeconds));
        sampleTickAt(pc);
        EXPECT_EQ(panel->RTCdev->text().toStdString(), c.shown) << c.chipAheadSeconds;
        ASSERT_FALSE(graph->points(GraphData::Deviation).isEmpty());
        EXPECT_DOUBLE_EQ(graph->points(GraphData::Deviation).last().y(),
                         static_cast<double>(c.chipAheadSeconds))
            << c.chipAheadSeconds;
        pc = pc.addSecs(10);
    }
}

struct SensorCase {
    int sensor;
    uint16_t word;
    int32_t offset;
    const char* shown;
    double celsius;
};

TEST_F(PollingCycleTest, SensorWordsAndOffsetsOnThePanel)
{
    const SensorCase cases[] = {
        {75, 0xFF80, 0, "-0.5000*C (31.10*F)", -0.5},
        {76, 0x0C80, 0, "25.0000*C (77.00*F)", 25.0},
        {75, 0x1900, 15, "26.5000*C (79.70*F)", 26.5},
        {75, 0x1780, 0, "23.5000*C (74.30*F)", 23.5},
        {76, 0xE480, -5, "-55.5000*C (-67.90*F)", -55.5},
        {75, 0x0000, -50, "-5.0000*C (23.00*F)", -5.0},
    };
    choosePart("VK320");
    QDateTime at = kStart;
    for (const SensorCase& c : cases) {
        w->bus().TempSensor = c.sensor;
        w->bus().data.TempOffset = c.offset;
        setSensorWord(c.word);
        setChipTime(at);
        sampleTickAt(at);
        at = at.addSecs(1);
        EXPECT_EQ(panel->RTCtemp->text().toStdString(), c.shown) << c.sensor << " " << c.word;
        ASSERT_FALSE(graph->points(GraphData::Temperature).isEmpty());
        EXPECT_DOUBLE_EQ(graph->points(GraphData::Temperature).last().y(), c.celsius);
    }
    // The sensor is read at its own address with a one-byte sub-address.
    const std::vector<AdapterCall> transfers = RecordingAdapter::transfers();
    bool sensorRead = false;
    for (const AdapterCall& t : transfers) {
        if (t.slave != 0x90) continue;
        sensorRead = true;
        EXPECT_EQ(t.op, AdapterOp::Read);
        EXPECT_EQ(t.subLen, 1);
        EXPECT_EQ(t.sub, 0u);
        EXPECT_EQ(t.count, 2u);
    }
    EXPECT_TRUE(sensorRead);
}

TEST_F(PollingCycleTest, EverySixthSecondOneTemperatureAndOnePointPerSeries)
{
    // A fresh window restarted the graph at start-up: the first points come at 6 s.
    choosePart("VK320");
    ASSERT_EQ(w->bus().data.ElapsedSeconds, 0u);
    setSensorWord(0x1900);
    std::vector<double> expectX;
    for (int s = 1; s <= 13; ++s) {
        const QDateTime at = kStart.addSecs(s - 1);
        setChipTime(at.addSecs(2));
        const size_t before = callCount();
        tickAt(at);
        bool sensorRead = false;
        for (size_t i = before; i < callCount(); ++i)
            sensorRead = sensorRead || RecordingAdapter::calls()[i].slave == 0x90;
        EXPECT_EQ(sensorRead, s % 6 == 0) << "second " << s;
        if (s % 6 == 0) expectX.push_back(s / 3600.0);
        if (s == 5) {
            EXPECT_TRUE(panel->RTCtemp->text().isEmpty());
            EXPECT_TRUE(panel->RTCdev->text().isEmpty());
        }
    }
    EXPECT_EQ(panel->RTCtemp->text().toStdString(), "25.0000*C (77.00*F)");
    EXPECT_EQ(panel->RTCdev->text().toStdString(), "00:00:02");
    for (int series : {GraphData::Deviation, GraphData::Temperature}) {
        const QList<QPointF>& points = graph->points(series);
        ASSERT_EQ(points.size(), static_cast<qsizetype>(expectX.size())) << series;
        for (size_t i = 0; i < expectX.size(); ++i) {
            EXPECT_DOUBLE_EQ(points[i].x(), expectX[i]);
            EXPECT_DOUBLE_EQ(points[i].y(), series == GraphData::Deviation ? 2.0 : 25.0);
        }
    }
}

TEST_F(PollingCycleTest, FailedSensorReadShowsErrorAndAddsNoTemperaturePoint)
{
    choosePart("VK320");
    setChipTime(kStart.addSecs(-3));
    RecordingAdapter::failSlave(0x90, KVRX_ERR_ADDR_NACK);
    sampleTickAt(kStart);
    EXPECT_EQ(panel->RTCtemp->text().toStdString(), "Error");
    EXPECT_EQ(panel->RTCdev->text().toStdString(), "-00:00:03");
    ASSERT_EQ(graph->points(GraphData::Deviation).size(), 1);
    EXPECT_DOUBLE_EQ(graph->points(GraphData::Deviation)[0].y(), -3.0);
    EXPECT_TRUE(graph->points(GraphData::Temperature).isEmpty());
}

// ---- status lamps ----

// One flag raised in the chip, as the tick reads it per family: the register,
// the sub-address length and the second byte or read all take part. Which bit
// lights which lamp is PollLogic's; here the lamps of the window follow it.
struct FlagCase {
    const char* part;
    uint32_t sub; // status register
    int bit;
    std::set<std::string> lamps; // lit by that bit alone
    std::set<std::string> kept;  // lamps outside the family's row: they keep their state
};

const FlagCase kFlagCases[] = {
    {"VK310", 0x07, 2, {"LedALM", "LedAlarm"}, {"LedAlarm2", "CBSLed8", "CBSLedVDDTRIP"}},
    {"VK320", 0x07, 3, {"LedEVT", "LedEvent"}, {"CBSLed11", "LedAlarm0"}},
    {"VK340", 0x01, 7, {"CBSLed8"}, {"LedEvent", "CBSLed9", "CBSLed11"}},
    {"VK350", 0x07, 3, {"LedEVT", "CBSLedVDDTRIP"}, {"LedEvent", "CBSLed8"}},
    {"VK360", 0x3F, 5, {"LedAlarm0", "LedAlarm2"}, {"CBSLed2", "CBSLed11"}},
    {"VK370", 0x09, 1, {"CBSLed6", "CBSLed9"}, {"LedEvent", "CBSLed11"}},
    {"VK380", 0x0F, 1, {"LedBAT", "LedAlarm0"}, {"LedEVT", "LedOSCfail"}},
    {"VK381", 0x07, 2, {"LedALM", "LedAlarm"}, {"LedEvent", "LedAlarm2"}},
    {"VK382", 0x07, 0, {"LedRTCF"}, {"LedBAT", "LedALM", "LedAlarm"}},
    {"VK390", 0x07, 3, {"LedEVT", "CBSLed11"}, {"LedEvent", "CBSLed9"}},
};

TEST_F(PollingCycleTest, EachFamilysFlagsLightItsLampsAndLeaveOthersAlone)
{
    for (const FlagCase& c : kFlagCases) {
        SCOPED_TRACE(std::string(c.part) + " register " + std::to_string(c.sub) + " bit " +
                     std::to_string(c.bit));
        RecordingAdapter::reset();
        choosePart(c.part);
        setChipTime(kStart);
        // All status bytes clear but the one bit under test: the bit alone
        // lights exactly its lamps.
        for (uint32_t sub : {0x01u, 0x07u, 0x08u, 0x09u, 0x0Bu, 0x0Fu, 0x3Fu}) {
            const uint8_t kept =
                sub == 0x01 ? RecordingAdapter::registerAt(part().RtcAddress, sub) & 0x7F : 0;
            setChipRegister(sub, kept);
        }
        setChipRegister(c.sub,
                        RecordingAdapter::registerAt(part().RtcAddress, c.sub) | (1u << c.bit));
        for (const std::string& name : kAllLamps)
            setLit(name, false);
        tickAt(kStart.addSecs(w->bus().data.ElapsedSeconds + 1));
        EXPECT_EQ(litLamps(), c.lamps);

        // With every flag clear, the family's lamps go dark and the others
        // keep their state.
        setChipRegister(c.sub, RecordingAdapter::registerAt(part().RtcAddress, c.sub) &
                                   static_cast<uint8_t>(~(1u << c.bit)));
        for (const std::string& name : kAllLamps)
            setLit(name, true);
        tickAt(kStart.addSecs(w->bus().data.ElapsedSeconds + 1));
        const std::set<std::string> lit = litLamps();
        for (const std::string& name : c.lamps)
            EXPECT_FALSE(lit.count(name)) << name;
        for (const std::string& name : c.kept)
            EXPECT_TRUE(lit.count(name)) << name;
    }
}

TEST_F(PollingCycleTest, StatusReadsUseTheFamilysRegistersAndSubAddressLength)
{
    struct ReadCase {
        const char* part;
        std::vector<std::pair<uint32_t, uint32_t>> reads; // (sub, count) before the time read
        uint8_t subLen;
    };
    const ReadCase cases[] = {
        {"VK310", {{0x07, 1}}, 1},
        {"VK320", {{0x07, 1}}, 1},
        {"VK340", {{0x0B, 1}, {0x01, 1}}, 1},
        {"VK350", {{0x07, 1}}, 1},
        {"VK360", {{0x3F, 1}}, 2},
        {"VK370", {{0x08, 2}}, 1},
        {"VK380", {{0x0F, 1}}, 1},
        {"VK381", {{0x07, 1}}, 1},
        {"VK382", {{0x07, 1}}, 1},
        {"VK390", {{0x07, 1}, {0x01, 1}}, 1},
    };
    for (const ReadCase& c : cases) {
        RecordingAdapter::reset();
        choosePart(c.part);
        tickAt(kStart.addSecs(w->bus().data.ElapsedSeconds + 1));
        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        ASSERT_GE(t.size(), c.reads.size() + 1) << c.part;
        for (size_t i = 0; i < c.reads.size(); ++i) {
            EXPECT_EQ(t[i].op, AdapterOp::Read) << c.part;
            EXPECT_EQ(t[i].slave, part().RtcAddress) << c.part;
            EXPECT_EQ(t[i].subLen, c.subLen) << c.part;
            EXPECT_EQ(t[i].sub, c.reads[i].first) << c.part;
            EXPECT_EQ(t[i].count, c.reads[i].second) << c.part;
        }
        // Then the time registers, and nothing is written.
        EXPECT_EQ(t[c.reads.size()].count, 7u) << c.part;
        for (const AdapterCall& call : t)
            EXPECT_EQ(call.op, AdapterOp::Read) << c.part;
    }
}

TEST_F(PollingCycleTest, FailedStatusReadSwitchesLampsOffAndStillShowsTheTime)
{
    choosePart("VK370");
    setChipTime(kStart);
    for (const std::string& name : kAllLamps)
        setLit(name, true);
    gReadFaults.push_back({part().RtcAddress, 0x08});
    tickAt(kStart);
    // A failed read counts as 0: no "Clock Not Set".
    EXPECT_EQ(panel->RTCtime->text().toStdString(), "14:30:01");
    EXPECT_EQ(litLamps(), (std::set<std::string>{"CBSLed11", "CBSLedVDDTRIP", "CBSLed85BTRIP",
                                                 "CBSLed75BTRIP", "CBSLedDSTCHNG"}));
}

TEST_F(PollingCycleTest, FailedSecondStatusReadCountsAsZero)
{
    choosePart("VK340");
    setChipTime(kStart);
    setChipRegister(0x0B, 0x00);
    setLit("CBSLed8", true);
    gReadFaults.push_back({part().RtcAddress, 0x01});
    tickAt(kStart);
    EXPECT_FALSE(lit("CBSLed8"));
    EXPECT_EQ(panel->RTCtime->text().toStdString(), "14:30:01");
}

} // namespace

#include "PollingCycleTest.moc"
