// Set Clock writes and the drift run: Set from PC writes on the PC's next
// second boundary (the chip's seconds edge then falls on the PC's), and every
// successful write of the chip's time restarts the Graph page's drift run.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <functional>
#include <string>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "clock/PcSchedule.h"
#include "clock/SetClockPage.h"
#include "kvrx_usb.h"
#include "pages/PageLinks.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/FakeDriftAnalysis.h"
#include "support/RecordingAdapter.h"
#include "widgets/RadioGroup.h"

namespace {

SetClockPage& setClockPage(TMainApp& w)
{
    auto* page = qobject_cast<SetClockPage*>(w.page(QStringLiteral("tsSetTime")));
    if (!page) throw std::runtime_error("no Set Clock page");
    return *page;
}

int bcd(uint8_t value)
{
    return (value >> 4) * 10 + (value & 0x0F);
}

// ---- Set from PC on the simulated board ----

// A VK310 with an exact crystal on the manual clock; the PC clock pinned and
// moved in step with the board's.
class SetFromPcEdge : public WindowFixture {
  protected:
    TMainApp* openOnVk310(const QDateTime& pcTime)
    {
        const char* clockMode = std::getenv("KVRX_SIM_CLOCK");
        if (!clockMode || std::string(clockMode) != "manual") return nullptr;
        TMainApp* w = &open(WindowOptions().pcTime(pcTime).stopTimer());
        const AdapterApi& api = w->bus().api();
        if (api.SimSetPart(1, "VK310") != 0) return nullptr;
        SetupPage* setup = w->setupPage();
        setup->DeviceSel->setCurrentIndex(FindPartRow("VK310"));
        w->DeviceSelChange();
        EXPECT_EQ(api.SimSetPpm(1, 0.0), 0);
        EXPECT_EQ(api.SimSetTemperature(1, 25.0), 0);
        setup->VccChecked->setChecked(true);
        w->links().drift = &drift;
        return w;
    }

    // Both clocks move; steps the window waits to run at a moment of the PC
    // clock run at that moment, as a script's advance runs them.
    void advanceMs(qint64 ms)
    {
        while (ms > 0) {
            qint64 step = ms;
            if (const auto due = window().schedule().nextDueMs())
                step = std::clamp<qint64>(*due - clock.counterMs(), 1, ms);
            clock.advanceMs(step);
            ASSERT_EQ(window().bus().api().SimAdvance(static_cast<double>(step) / 1000.0), 0);
            window().schedule().runDue();
            ms -= step;
        }
    }

    int chipSecond()
    {
        uint8_t seconds = 0;
        EXPECT_EQ(window().bus().api().SimPeek(1, 0xDE, 0x00, &seconds), 0);
        return bcd(seconds & 0x7F);
    }

    FakeDriftAnalysis drift;
};

TEST_F(SetFromPcEdge, TheChipsSecondsEdgeFallsOnThePcs)
{
    // Clicks at .400 and, replacing it, at .700: one write, at 12:00:06.000.
    TMainApp* w = openOnVk310(QDateTime(QDate(2024, 3, 7), QTime(12, 0, 5, 400)));
    if (w == nullptr) GTEST_SKIP() << "needs the simulated board on its manual clock";
    SetClockPage& page = setClockPage(*w);
    page.SetTimeFomat->setItemIndex(1);
    drift.restarts = 0;
    const uint8_t untouched = 0x33;
    ASSERT_EQ(w->bus().api().SimPoke(1, 0xDE, 0x00, untouched), 0);

    page.BtnSetRTCfromPC->click();
    // Nothing waits in the handler: the pinned clock has not moved, and the
    // write is still to come.
    EXPECT_TRUE(w->schedule().pending(&page));
    EXPECT_EQ(chipSecond(), 33);
    advanceMs(300);
    page.BtnSetRTCfromPC->click();
    advanceMs(299);
    EXPECT_EQ(chipSecond(), 33);
    EXPECT_EQ(drift.restarts, 0);
    advanceMs(1);
    EXPECT_FALSE(w->schedule().pending(&page));
    EXPECT_EQ(takeRecordedBox(*w), QString());
    EXPECT_EQ(drift.restarts, 1);

    // The PC's second 6 ends at 12:00:07.000; the chip's within 3 ms of it.
    uint8_t hour = 0, minute = 0;
    ASSERT_EQ(w->bus().api().SimPeek(1, 0xDE, 0x02, &hour), 0);
    ASSERT_EQ(w->bus().api().SimPeek(1, 0xDE, 0x01, &minute), 0);
    EXPECT_EQ(bcd(hour & 0x3F), 12);
    EXPECT_EQ(bcd(minute), 0);
    advanceMs(997);
    EXPECT_EQ(clock.now().time(), QTime(12, 0, 6, 997));
    EXPECT_EQ(chipSecond(), 6);
    advanceMs(6);
    EXPECT_EQ(chipSecond(), 7);
}

TEST_F(SetFromPcEdge, OnAWholeSecondItWritesAtOnce)
{
    TMainApp* w = openOnVk310(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
    if (w == nullptr) GTEST_SKIP() << "needs the simulated board on its manual clock";
    SetClockPage& page = setClockPage(*w);
    page.SetTimeFomat->setItemIndex(1);
    drift.restarts = 0;
    page.BtnSetRTCfromPC->click();
    EXPECT_FALSE(w->schedule().pending(&page));
    EXPECT_EQ(drift.restarts, 1);
    uint8_t time[3] = {};
    for (uint32_t r = 0; r < 3; ++r)
        ASSERT_EQ(w->bus().api().SimPeek(1, 0xDE, r, &time[r]), 0);
    EXPECT_EQ(bcd(time[0] & 0x7F), 59);
    EXPECT_EQ(bcd(time[1]), 59);
    EXPECT_EQ(bcd(time[2] & 0x3F), 23);
}

// ---- Every write of the chip's time restarts the drift run ----

class TimeWriteRestarts : public PageFixture {};

struct WriteCase {
    const char* what;
    std::function<void(SetClockPage&)> write;
};

TEST_F(TimeWriteRestarts, OnlyASuccessfulWriteRestartsTheRun)
{
    const WriteCase cases[] = {
        {"Set from PC", [](SetClockPage& p) { p.BtnSetRTCfromPC->click(); }},
        {"Set RTC", [](SetClockPage& p) { p.BtnSetRTC->click(); }},
        {"format change",
         [](SetClockPage& p) { p.SetTimeFomat->setItemIndex(1 - p.SetTimeFomat->itemIndex()); }},
    };
    for (const WriteCase& c : cases) {
        for (const bool fails : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (fails ? ", the chip not answering" : ""));
            openWith("VK310", WindowOptions().pcTime(QDateTime(QDate(2024, 3, 7), QTime(9, 0))));
            FakeDriftAnalysis drift;
            window().links().drift = &drift;
            if (fails) RecordingAdapter::failSlave(rtc(), KVRX_ERR_ADDR_NACK);
            c.write(setClockPage(window()));
            EXPECT_FALSE(window().schedule().pending(&setClockPage(window())));
            EXPECT_EQ(drift.restarts, fails ? 0 : 1);
            window().links().drift = nullptr;
            // Without the Graph page's run there is nothing to restart.
            if (!fails) c.write(setClockPage(window()));
            while (!box().isEmpty()) {
            }
        }
    }
}

} // namespace
