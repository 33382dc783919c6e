// The Crystal trim page's advice: from the rate the drift run measured and
// the trims in effect, each list's entry that cancels it, which one is the
// better lever, "Use advised trim" and the run's restart after a Write; and
// on the simulated board, that the advised trim written really leaves the
// chip within a step of the list.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "clock/PcClock.h"
#include "clock/TimeCodec.h"
#include "kvrx_usb.h"
#include "pages/PageLinks.h"
#include "pages/graph/DriftLogic.h"
#include "pages/trim/TrimCodec.h"
#include "pages/trim/TrimPage.h"
#include "support/AppTestSupport.h"
#include "support/CommaLocale.h"
#include "support/PageFixture.h"
#include "support/FakeDriftAnalysis.h"
#include "support/RecordingAdapter.h"

namespace {

std::string advised(const QComboBox* list)
{
    const QVariant v = list->property("advised");
    return v.isValid() ? v.toString().toStdString() : "(none)";
}

// ---- The text ----

struct TextCase {
    double rate;
    std::vector<TrimCodec::ListAdvice> lists;
    int better;
    const char* text;
};

TEST(TrimAdviceText, SaysEachListsEntryAndTheBetterLever)
{
    const TextCase cases[] = {
        {17.3,
         {{"digital trim", "-17 PPM", 0.3}},
         0,
         "Measured +17.3 ppm: digital trim \"-17 PPM\" leaves +0.3 ppm"},
        // The lists' padding blanks go; a residual that rounds to nothing has no minus.
        {-43.04,
         {{"digital trim", "  0 PPM (default)", -0.04}, {"analog trim", "4.50 pF", 2.25}},
         0,
         "Measured -43.0 ppm: digital trim \"0 PPM (default)\" leaves +0.0 ppm\n"
         "analog trim \"4.50 pF\" leaves +2.3 ppm"},
        {20.0,
         {{"digital trim", "-60 PPM ", -0.345}, {"analog trim", "17.50 pF", -0.02}},
         1,
         "Measured +20.0 ppm: digital trim \"-60 PPM\" leaves -0.3 ppm\n"
         "the analog trim is the better lever: \"17.50 pF\" leaves +0.0 ppm"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TrimCodec::AdviceText(c.rate, c.lists, c.better), c.text);
    }
    // The user's decimal comma does not reach the numbers.
    CommaLocale comma;
    if (!comma.ok()) GTEST_SKIP() << comma.why();
    EXPECT_EQ(TrimCodec::AdviceText(cases[0].rate, cases[0].lists, 0), cases[0].text);
}

// ---- The page on the recording adapter ----

class TrimAdvice : public PageFixture {
  protected:
    TrimPage& page() { return pageOn<TrimPage>("tsComp"); }
    // The part chosen and its trims read from the chip's registers.
    void readChip(const char* part, const std::vector<std::pair<uint32_t, uint8_t>>& registers)
    {
        choose(part);
        for (const auto& [sub, value] : registers)
            RecordingAdapter::setRegisters(rtc(), sub, {value});
        page().BtnRdXtl->click();
        ASSERT_EQ(box(), QString());
    }
    FakeDriftAnalysis drift;
};

struct AdviceCase {
    const char* part;
    std::vector<std::pair<uint32_t, uint8_t>> chip; // the trims in effect
    double rate;
    const char* dtr; // the advised entries
    const char* atr; // "(none)" where the part has no analog trim
    const char* text;
    // After "Use advised trim": one lever moved, the other as the chip has it.
    const char* useDtr;
    const char* useAtr;
};

// Worked by hand from the lists' texts: a digital entry adds its ppm; a load
// capacitance C pulls the crystal by 1000/(1+C) - 1000/13.5 ppm.
const AdviceCase kAdvice[] = {
    // 16.50 pF pulls -16.93 ppm, 16.75 pF -17.74.
    {"VK310",
     {{0x0A, 0x00}, {0x0B, 0x00}},
     17.3,
     "-20 PPM",
     "16.50 pF",
     "Measured +17.3 ppm: digital trim \"-20 PPM\" leaves -2.7 ppm\n"
     "the analog trim is the better lever: \"16.50 pF\" leaves +0.4 ppm",
     "  0 PPM (default)",
     "16.50 pF"},
    // Measured with +20 PPM in effect: taking it back leaves -2.7.
    {"VK320",
     {{0x0A, 0x00}, {0x0B, 0x01}},
     17.3,
     "  0 PPM (default)",
     "16.50 pF",
     "Measured +17.3 ppm: digital trim \"0 PPM (default)\" leaves -2.7 ppm\n"
     "the analog trim is the better lever: \"16.50 pF\" leaves +0.4 ppm",
     "+20 PPM",
     "16.50 pF"},
    // The digital trim the better lever: from 14.50 pF in effect (-9.56 ppm)
    // the analog trim reaches no further than 20.25 pF (-27.02 ppm).
    {"VK310",
     {{0x0A, 0x08}, {0x0B, 0x00}},
     60.0,
     "-60 PPM ",
     "20.25 pF",
     "Measured +60.0 ppm: digital trim \"-60 PPM\" leaves +0.0 ppm\n"
     "analog trim \"20.25 pF\" leaves +42.5 ppm",
     "-60 PPM ",
     "14.50 pF"},
    // Ten fine steps of 2.0345 ppm, or 17.50 pF (-20.02 ppm).
    {"VK390",
     {{0x0A, 0x00}, {0x0B, 0x00}},
     20.0,
     "-20.345 PPM",
     "17.50 pF",
     "Measured +20.0 ppm: digital trim \"-20.345 PPM\" leaves -0.3 ppm\n"
     "the analog trim is the better lever: \"17.50 pF\" leaves +0.0 ppm",
     "0.000 PPM",
     "17.50 pF"},
    // 9.00 pF pulls +25.93 ppm.
    {"VK360",
     {{0x12, 0x00}, {0x13, 0x00}},
     -26.0,
     "+30 PPM",
     "9.00 pF",
     "Measured -26.0 ppm: digital trim \"+30 PPM\" leaves +4.0 ppm\n"
     "the analog trim is the better lever: \"9.00 pF\" leaves -0.1 ppm",
     "  0 PPM",
     "9.00 pF"},
    // No analog trim on this part.
    {"VK370",
     {{0x14, 0x00}},
     -43.0,
     "+40 PPM",
     "(none)",
     "Measured -43.0 ppm: digital trim \"+40 PPM\" leaves -3.0 ppm",
     "+40 PPM",
     nullptr},
};

TEST_F(TrimAdvice, EachListsEntryFromTheTrimInEffect)
{
    openWith("VK310");
    window().links().drift = &drift;
    for (const AdviceCase& c : kAdvice) {
        SCOPED_TRACE(std::string(c.part) + " at " + std::to_string(c.rate));
        drift.measured(c.rate);
        readChip(c.part, c.chip);
        TrimPage& p = page();
        // Lists changed but not written do not move what is in effect.
        pick(p.ComboBoxDTR, 3);
        if (p.ComboBoxATR->isVisibleTo(&p)) pick(p.ComboBoxATR, 60);
        p.polled();
        EXPECT_EQ(advised(p.ComboBoxDTR), c.dtr);
        EXPECT_EQ(advised(p.ComboBoxATR), c.atr);
        EXPECT_EQ(advised(p.ComboBoxBMATR), "(none)");
        EXPECT_EQ(p.TrimAdvice->text().toStdString(), c.text);
        ASSERT_TRUE(p.BtnUseAdvice->isEnabled());

        RecordingAdapter::reset();
        p.BtnUseAdvice->click();
        EXPECT_EQ(p.ComboBoxDTR->currentText().toStdString(), c.useDtr);
        if (c.useAtr) {
            EXPECT_EQ(p.ComboBoxATR->currentText().toStdString(), c.useAtr);
        }
        EXPECT_TRUE(RecordingAdapter::transfers().empty()) << "Use advised trim writes nothing";
    }
}

TEST_F(TrimAdvice, NoneWithoutARateAndItsInterval)
{
    openWith("VK310");
    TrimPage& p = page();
    const auto expectNone = [&](const char* why) {
        SCOPED_TRACE(why);
        p.polled();
        EXPECT_EQ(advised(p.ComboBoxDTR), "(none)");
        EXPECT_EQ(advised(p.ComboBoxATR), "(none)");
        EXPECT_FALSE(p.BtnUseAdvice->isEnabled());
        EXPECT_EQ(p.TrimAdvice->text(),
                  QStringLiteral("Trim advice: no rate measured yet (the Graph page measures it)"));
        const int dtr = p.ComboBoxDTR->currentIndex();
        p.BtnUseAdvice->click();
        EXPECT_EQ(p.ComboBoxDTR->currentIndex(), dtr);
    };
    expectNone("no drift run");
    window().links().drift = &drift;
    drift.measured(std::nullopt, std::nullopt);
    expectNone("no rate yet");
    drift.measured(12.0, std::nullopt);
    expectNone("a rate without its interval");
    // Once there is one, and gone again when the run restarts.
    drift.measured(12.0);
    p.polled();
    EXPECT_EQ(advised(p.ComboBoxDTR), "-20 PPM");
    drift.measured(std::nullopt, std::nullopt);
    expectNone("the run restarted");
}

TEST_F(TrimAdvice, ASuccessfulWriteRestartsTheRun)
{
    for (const char* part : {"VK310", "VK340", "VK360", "VK370"}) {
        for (const bool fails : {false, true}) {
            SCOPED_TRACE(std::string(part) + (fails ? ", the chip not answering" : ""));
            openWith(part);
            FakeDriftAnalysis run;
            window().links().drift = &run;
            if (fails) RecordingAdapter::failSlave(rtc(), KVRX_ERR_ADDR_NACK);
            page().BtnWrXtl->click();
            EXPECT_EQ(run.restarts, fails ? 0 : 1);
            EXPECT_EQ(box(), fails ? failureBox(KVRX_ERR_ADDR_NACK) : QString());
            window().links().drift = nullptr;
            page().BtnWrXtl->click(); // no run to restart
        }
    }
}

// ---- The advised trim on the simulated board ----

// The chip's rate over a simulated hour, timed on its seconds edge every few
// seconds by the drift analysis's own search and fit, each read taking half a
// millisecond of the board's manual clock. The chip's time was written at
// `start`, a whole second; `now` is the board's clock in seconds since then
// (it moves on).
double measuredRatePpm(TMainApp& w, const QDateTime& start, double& now)
{
    const AdapterApi& api = w.bus().api();
    const double epochMs = static_cast<double>(start.toMSecsSinceEpoch());
    const auto runTo = [&](double seconds) {
        if (seconds <= now) return;
        EXPECT_EQ(api.SimAdvance(seconds - now), 0);
        now = seconds;
    };
    const auto pcMs = [&] { return epochMs + now * 1000.0; };
    const auto chipSecond = [&] {
        std::tm t{};
        bool is24 = false;
        EXPECT_EQ(ReadRtcTime(w.bus(), t, is24), 0);
        const QDateTime at(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday),
                           QTime(t.tm_hour, t.tm_min, t.tm_sec));
        return at.toMSecsSinceEpoch() / 1000;
    };
    DriftLogic::EdgeSearch search;
    DriftLogic::RateFit fit;
    const double end = now + 3600.0;
    while (now < end) {
        runTo(now + (search.NextReadPcMs(pcMs()) - pcMs()) / 1000.0);
        DriftLogic::EdgeRead read;
        read.PcBeforeMs = pcMs();
        read.ChipSecond = chipSecond();
        runTo(now + 0.0005);
        read.PcAfterMs = pcMs();
        if (const auto sample = search.Feed(read)) {
            if (sample->UncertaintyMs <= DriftLogic::kSettledMs)
                fit.Add(now, sample->OffsetMs);
            runTo(now + 4.5);
        }
    }
    return fit.RatePpm().value_or(NAN);
}

struct SignCase {
    const char* part;
    double ppm;  // the crystal's own error
    double step; // the step of the list the advice moves, at the advised entry
};

TEST_F(TrimAdvice, TheAdvisedTrimWrittenLeavesLessThanAStep)
{
    const char* clockMode = std::getenv("KVRX_SIM_CLOCK");
    if (!clockMode || std::string(clockMode) != "manual")
        GTEST_SKIP() << "needs the simulated board on its manual clock";
    // 0.25 pF near 16.5 to 17.5 pF moves the rate by 0.8 to 0.9 ppm.
    const SignCase cases[] = {
        {"VK310", 20.0, 20.0},  // "-20 PPM"
        {"VK320", 17.0, 0.9},   // the analog trim: "16.50 pF"
        {"VK340", 17.0, 0.9},   // the analog trim beside the fine list
        {"VK390", 20.0, 0.9},   // the analog trim: "17.50 pF"
        {"VK360", 20.0, 10.0},  // "-20 PPM"
        {"VK370", -23.0, 10.0}, // "+20 PPM"
    };
    for (const SignCase& c : cases) {
        SCOPED_TRACE(c.part);
        TMainApp& w = open(
            WindowOptions().pcTime(QDateTime(QDate(2024, 3, 7), QTime(12, 0))).stopTimer());
        const AdapterApi& api = w.bus().api();
        ASSERT_EQ(api.SimSetPart(1, c.part), 0);
        w.setupPage()->DeviceSel->setCurrentIndex(FindPartRow(c.part));
        w.DeviceSelChange();
        w.setupPage()->VccChecked->setChecked(true);
        ASSERT_EQ(api.SimSetTemperature(1, 25.0), 0);
        ASSERT_EQ(api.SimSetPpm(1, c.ppm), 0);
        const QDateTime start = clock.now();
        ASSERT_EQ(WriteRtcTime(w.bus(), ToTm(start), true), 0);
        double now = 0.0;
        const double before = measuredRatePpm(w, start, now);
        ASSERT_NEAR(before, c.ppm, 0.2) << "the untrimmed chip";

        FakeDriftAnalysis run;
        run.measured(before);
        w.links().drift = &run;
        page().BtnRdXtl->click();
        page().BtnUseAdvice->click();
        page().BtnWrXtl->click();
        ASSERT_EQ(box(), QString());
        ASSERT_EQ(run.restarts, 1);
        const double after = measuredRatePpm(w, start, now);
        EXPECT_LT(std::fabs(after), c.step) << "after " << after;
        std::printf("%s %+.1f ppm: %+.3f measured, %+.3f after \"%s\" / \"%s\"\n", c.part, c.ppm,
                    before, after, page().ComboBoxDTR->currentText().toUtf8().constData(),
                    page().ComboBoxATR->currentText().toUtf8().constData());
        w.links().drift = nullptr;
    }
}

} // namespace
