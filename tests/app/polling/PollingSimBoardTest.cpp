// The polling cycle end to end on the simulated evaluation board: a fresh chip
// after the supply comes on, its time once set, and the samples that follow.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/TMainApp.h"
#include "app/polling/DisplayPanel.h"
#include "app/setup/SetupPage.h"
#include "clock/PcClock.h"
#include "clock/TimeCodec.h"
#include "pages/graph/GraphData.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

std::string str(const QString& s)
{
    return s.toStdString();
}

// A window on the simulated board's manual clock with a VK320 in the socket,
// the PC clock pinned at 2024-06-12 14:30:01; null (and the test skipped)
// where there is no such board.
class SimBoardWindow : public WindowFixture {
  protected:
    TMainApp* openOnVk320()
    {
        const char* clockMode = std::getenv("KVRX_SIM_CLOCK");
        if (!clockMode || std::string(clockMode) != "manual") return nullptr;
        TMainApp* w = &open(
            WindowOptions().pcTime(QDateTime(QDate(2024, 6, 12), QTime(14, 30, 1))).stopTimer());
        return w->bus().api().SimSetPart(1, "VK320") == 0 ? w : nullptr;
    }
};

class PollingSimBoard : public SimBoardWindow {};

TEST_F(PollingSimBoard, FreshChipThenTimeSetThenSamples)
{
    TMainApp* w = openOnVk320();
    if (w == nullptr) GTEST_SKIP() << "needs the simulated board on its manual clock";
    const AdapterApi& api = w->bus().api();
    // Start-up connected the first board.
    ASSERT_EQ(w->bus().BoardNo, 1u);
    SetupPage* setup = w->setupPage();
    setup->DeviceSel->setCurrentIndex(FindPartRow("VK320"));
    w->DeviceSelChange();
    ASSERT_EQ(std::string(w->bus().part().PartName), "VK320");
    // At 25 degrees with no crystal error of its own the chip keeps exact time.
    ASSERT_EQ(api.SimSetPpm(1, 0.0), 0);
    ASSERT_EQ(api.SimSetTemperature(1, 25.0), 0);
    setup->VccChecked->setChecked(true);

    DisplayPanel* panel = w->displayPanel();
    QObject* ledRtcf = w->findChild<QObject*>("LedRTCF");
    ASSERT_NE(ledRtcf, nullptr);

    // A chip that never had power reports its clock as not set.
    w->Timer1Timer();
    EXPECT_EQ(str(panel->PCtime->text()), "02:30:01 PM");
    EXPECT_EQ(str(panel->RTCtime->text()), "Clock Not Set");
    EXPECT_EQ(str(panel->RTCdate->text()), "Clock Not Set");
    EXPECT_TRUE(ledRtcf->property("lit").toBool());
    EXPECT_EQ(str(w->statusPanelText(1)), " USB: Active");
    EXPECT_EQ(str(w->statusPanelText(2)).rfind(" Up 0 Day(s) 00:00:", 0), 0u)
        << str(w->statusPanelText(2));

    // Set the chip from the PC at the start of a second; both clocks then move together.
    auto nextSecond = [&] {
        clock.advanceMs(1000);
        ASSERT_EQ(api.SimAdvance(1.0), 0);
    };
    nextSecond();
    ASSERT_EQ(WriteRtcTime(w->bus(), ToTm(clock.now()), true), 0);
    for (int s = 2; s <= 12; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        w->Timer1Timer();
        ASSERT_EQ(w->bus().data.ElapsedSeconds, static_cast<uint32_t>(s));
        EXPECT_EQ(str(panel->RTCtime->text()), str(clock.now().toString("HH:mm:ss")));
        EXPECT_EQ(str(panel->RTCdate->text()), "06/12/24");
        EXPECT_FALSE(ledRtcf->property("lit").toBool());
        if (s == 6 || s == 12) {
            EXPECT_EQ(str(panel->RTCdev->text()), "-00:00:00");
            EXPECT_EQ(str(panel->RTCtemp->text()), "25.0000*C (77.00*F)");
        }
        if (s < 12) nextSecond();
    }
    for (int series : {GraphData::Deviation, GraphData::Temperature}) {
        const QList<QPointF>& points = graphDataOf(*w)->points(series);
        ASSERT_EQ(points.size(), 2) << series;
        EXPECT_DOUBLE_EQ(points[0].x(), 6 / 3600.0);
        EXPECT_DOUBLE_EQ(points[1].x(), 12 / 3600.0);
        for (const QPointF& p : points)
            EXPECT_DOUBLE_EQ(p.y(), series == GraphData::Deviation ? 0.0 : 25.0);
    }
}

} // namespace

namespace {

class PollingAdvice : public SimBoardWindow {};

// With the supply off the chip fields say "Error" and panel 3 says why and
// what to do; once the supply is on, a fresh chip's "Clock Not Set" points to
// the Set Clock page; once set, the advice goes.
TEST_F(PollingAdvice, SupplyOffThenClockNotSetSayWhatToDo)
{
    TMainApp* w = openOnVk320();
    if (w == nullptr) GTEST_SKIP() << "needs the simulated board on its manual clock";
    const AdapterApi& api = w->bus().api();
    SetupPage* setup = w->setupPage();
    setup->DeviceSel->setCurrentIndex(FindPartRow("VK320"));
    w->DeviceSelChange();
    ASSERT_FALSE(setup->VccChecked->isChecked());
    DisplayPanel* panel = w->displayPanel();

    w->Timer1Timer();
    EXPECT_EQ(str(panel->RTCtime->text()), "Error");
    EXPECT_EQ(str(w->statusPanelText(3)),
              " No supply to the RTC: tick VDD Enabled on the Setup page");

    // The advice is put there once: a page's own text that follows it stands.
    w->setStatusPanelText(3, " Registers 0x00-0x07 read");
    clock.advanceMs(1000);
    w->Timer1Timer();
    EXPECT_EQ(str(w->statusPanelText(3)), " Registers 0x00-0x07 read");

    // Switching the supply on: the fresh chip's clock is not set.
    w->setStatusPanelText(3, " No supply to the RTC: tick VDD Enabled on the Setup page");
    setup->VccChecked->setChecked(true);
    clock.advanceMs(1000);
    ASSERT_EQ(api.SimAdvance(1.0), 0);
    w->Timer1Timer();
    ASSERT_EQ(str(panel->RTCtime->text()), "Clock Not Set");
    EXPECT_EQ(str(w->statusPanelText(3)), " Clock Not Set: the Set Clock page sets the chip's time");

    // Set: the time shows and the advice goes.
    ASSERT_EQ(WriteRtcTime(w->bus(), ToTm(clock.now()), true), 0);
    clock.advanceMs(1000);
    ASSERT_EQ(api.SimAdvance(1.0), 0);
    w->Timer1Timer();
    EXPECT_NE(str(panel->RTCtime->text()), "Clock Not Set");
    EXPECT_EQ(str(w->statusPanelText(3)), " ");
}

} // namespace
