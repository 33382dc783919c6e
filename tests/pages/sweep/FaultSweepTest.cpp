// The fault sweep: every button of every page, on every part that shows the
// page, clicked on the simulated board while transfers go unacknowledged,
// through an adapter layer that knows which transfers failed; and the polling
// tick under the same faults. A failed transfer must never be silent: the
// action either reports it (an error box, or status panel 3 saying why) or
// retries the same transfer until it succeeds (acknowledge polling). On
// failure the test lists each silent case: page, part, action and the failed
// transfers.
//
// The faults, on each part that shows the page:
// - first each transfer of each click failing alone (clicks of up to
//   kMostAlone transfers; the part's state as the part choice left it);
// - then kRounds rounds of every button at 5 % failed transfers, each click
//   on a fixed seed of its own; before each round after the first the page's
//   lists, check boxes and radio buttons are set as a user sets them (each
//   change under the same faults and judged as a click is), so the buttons
//   take their other paths; and each lamp with a handler goes dark and lights
//   up again under faults, as the polling cycle switches it.
//
// What counts:
// - An action reports when, during it, an error box was recorded or status
//   panel 3 was set, and the box or the panel's final text carries the
//   adapter's text of one of the action's failures (a success text written
//   after a failure hides it, so it does not count). One report answers for
//   every failure of the action: an action reports its first failure once.
// - A failed transfer is retried when the transfers right after it are the
//   same transfer (same direction, slave, sub-address and count, the same
//   bytes for a write) and the last of them succeeded.
// - The polling tick reports nothing by design; it shows "Error" in the chip's
//   time field (a failed chip read) or temperature field (a failed sensor
//   read), or its page steps (the TSE refresh) put the reason in status
//   panel 3. A failed read of the status flags shows as lamps left dark,
//   which is the whole of its display: it counts as shown. The chip's clock
//   is set first, so a time that is not set never stands in for one that was
//   not read.
//
// Buttons clicked: every enabled QPushButton and QToolButton on the page, as
// the part shows it, that is a designed control (it has a name; Qt's own parts
// of compound widgets, the calendar's month and year buttons among them, do
// not) and whose clicked signal has a handler. No page button opens a dialog,
// so none is skipped. Inputs left alone are listed in kLeftAlone.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMetaMethod>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "PartTable.h"
#include "StatusLayout.h"
#include "app/PageTable.h"
#include "app/ResultSinks.h"
#include "app/TMainApp.h"
#include "app/polling/DisplayPanel.h"
#include "app/polling/PollLogic.h"
#include "app/setup/SetupPage.h"
#include "bus/Result.h"
#include "clock/SetClockCodec.h"
#include "support/FaultInjectingAdapter.h"
#include "support/WindowFixture.h"
#include "widgets/LedIndicator.h"

namespace {

constexpr double kFaultRate = 0.05;
// Rounds of every button on each part, each click on a seed of its own.
constexpr int kRounds = 8;
// Clicks with more transfers than this (a whole memory) get no pass of
// single failures; the rounds at 5 % cover them.
constexpr size_t kMostAlone = 16;
// Polling ticks on each part.
constexpr int kTicks = 60;
// Status panel 3 before each action, so any text an action leaves is new.
const QString kUntouched = QStringLiteral("<sweep: untouched>");

// Inputs the sweep never sets (with everything inside them):
const QStringList kLeftAlone = {
    // the part under test, the board and the chip's supply, which the sweep needs;
    QStringLiteral("DeviceSel"),
    QStringLiteral("EvalBoardSel"),
    QStringLiteral("VccChecked"),
};

// FNV-1a: a seed that depends only on what is done, so a change in one
// handler's transfers moves no other action's faults.
uint64_t seedFor(const std::string& what)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : what) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

bool sameTransfer(const FaultTransfer& a, const FaultTransfer& b)
{
    const AdapterCall& x = a.call;
    const AdapterCall& y = b.call;
    return x.op == y.op && x.board == y.board && x.subLen == y.subLen && x.slave == y.slave &&
           x.sub == y.sub && x.count == y.count && (x.op == AdapterOp::Read || x.data == y.data);
}

// The failed transfers (their places) that no run of the same transfer right
// after them brought to success.
std::vector<size_t> unretriedFailures(const std::vector<FaultTransfer>& ts)
{
    std::vector<size_t> out;
    for (size_t i = 0; i < ts.size(); ++i) {
        if (Succeeded(ts[i].call.result)) continue;
        size_t j = i + 1;
        while (j < ts.size() && sameTransfer(ts[j], ts[i]) && !Succeeded(ts[j].call.result))
            ++j;
        const bool retried = j < ts.size() && sameTransfer(ts[j], ts[i]);
        if (!retried) out.push_back(i);
    }
    return out;
}

// Whether a signal reaches a handler. QObject keeps the test to itself; a
// member pointer taken through a class of our own reaches it.
struct SignalPeek : QObject {
    static bool connected(const QObject* o, const QMetaMethod& signal)
    {
        return (o->*(&SignalPeek::isSignalConnected))(signal);
    }
};

// A designed control the sweep may use: it has a name, is enabled, shows
// with the page and is not one of those it must leave alone.
bool usable(QWidget* page, QWidget* control)
{
    const QString name = control->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return false;
    if (!control->isEnabled() || !control->isVisibleTo(page)) return false;
    for (QObject* o = control; o != nullptr && o != page; o = o->parent()) {
        if (kLeftAlone.contains(o->objectName())) return false;
    }
    return true;
}

// The page's designed buttons with a handler, as the chosen part shows them.
std::vector<QAbstractButton*> buttonsOf(QWidget* page)
{
    std::vector<QAbstractButton*> out;
    const QMetaMethod clicked = QMetaMethod::fromSignal(&QAbstractButton::clicked);
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>()) {
        if (!qobject_cast<QPushButton*>(b) && !qobject_cast<QToolButton*>(b)) continue;
        if (usable(page, b) && SignalPeek::connected(b, clicked)) out.push_back(b);
    }
    return out;
}

// The page's lamps whose changes run a handler.
std::vector<LedIndicator*> lampsOf(QWidget* page)
{
    std::vector<LedIndicator*> out;
    const QMetaMethod changed = QMetaMethod::fromSignal(&LedIndicator::changed);
    for (LedIndicator* lamp : page->findChildren<LedIndicator*>()) {
        if (usable(page, lamp) && SignalPeek::connected(lamp, changed)) out.push_back(lamp);
    }
    return out;
}

struct SilentCase {
    std::string page, part, action;
    std::vector<FaultTransfer> failed;
};

// How an action's transfers fail.
struct Faults {
    double Rate = 0.0; // each transfer, on the action's own seed
    size_t Only = 0;   // just this one (1-based); 0: by the rate
};

class FaultSweep : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        FaultInjectingAdapter::reset();
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        FaultInjectingAdapter::reset();
    }

    // A wide window (the port page shows) on the layer over the simulated
    // board, board 1 open, the supply on, the polling timer stopped and the
    // PC clock pinned. False without the simulated board.
    bool openBoard()
    {
        TMainApp& w = open(WindowOptions()
                               .wide()
                               .adapter(&FaultInjectingAdapter::api())
                               .pcTime(QDateTime(QDate(2024, 6, 12), QTime(14, 30, 1)))
                               .stopTimer());
        if (w.bus().api().SimAdvance(0.0) != 0) return false;
        w.setupPage()->VccChecked->setChecked(true);
        return true;
    }

    // As a user picks the part; without faults.
    void choosePart(int row)
    {
        FaultInjectingAdapter::stopInjecting();
        QComboBox* list = window().setupPage()->DeviceSel;
        list->setCurrentIndex(row);
        emit list->activated(row);
        ASSERT_EQ(window().bus().partRow(), row);
    }

    std::string partName() { return window().bus().part().PartName; }

    QString failureText(int32_t code)
    {
        const char* text = window().bus().api().ResultStr(code);
        return QString::fromUtf8(text != nullptr ? text : "");
    }

    // Runs one action under faults and judges it; shownOtherwise says whether
    // the window showed the failures its own way (the polling tick's fields).
    // Returns the number of transfers the action made.
    size_t act(const std::string& page, const std::string& action, const std::function<void()>& run,
               Faults faults, const std::function<bool()>& shownOtherwise = {})
    {
        TMainApp& w = window();
        RecordingSink* boxes = w.recordedBoxes();
        boxes->clear();
        w.setStatusPanelText(3, kUntouched);
        FaultInjectingAdapter::clearTransfers();
        FaultInjectingAdapter::inject(faults.Rate, seedFor(page + "/" + partName() + "/" + action));
        if (faults.Only != 0) FaultInjectingAdapter::failOnly(faults.Only);
        run();
        FaultInjectingAdapter::stopInjecting();
        ++actions_;

        const std::vector<FaultTransfer>& ts = FaultInjectingAdapter::transfers();
        if (std::any_of(ts.begin(), ts.end(),
                        [](const FaultTransfer& t) { return !Succeeded(t.call.result); }))
            ++withFailure_;
        std::vector<FaultTransfer> open;
        for (size_t i : unretriedFailures(ts)) {
            open.push_back(ts[i]);
        }
        if (open.empty()) return ts.size();

        std::set<int32_t> codes;
        for (const FaultTransfer& t : open)
            codes.insert(t.call.result);
        auto carriesFailure = [&](const QString& text) {
            for (int32_t code : codes) {
                const QString reason = failureText(code);
                if (!reason.isEmpty() && text.contains(reason)) return true;
            }
            return false;
        };
        const QString status = w.statusPanelText(3);
        bool reported = status != kUntouched && carriesFailure(status);
        for (const QString& box : boxes->boxes())
            reported = reported || carriesFailure(box);
        if (!reported && shownOtherwise) reported = shownOtherwise();
        if (!reported) silent_.push_back({page, partName(), action, open});
        return ts.size();
    }

    // A click, first without faults, then once for each of its transfers
    // failing alone.
    void eachTransferFailingAlone(const std::string& page, const std::string& action,
                                  const std::function<void()>& run)
    {
        const size_t transfers = act(page, action + " (no fault)", run, {});
        if (transfers > kMostAlone) return;
        for (size_t k = 1; k <= transfers; ++k)
            act(page, action + " (transfer " + std::to_string(k) + " fails)", run, {0.0, k});
    }

    // Sets the page's lists, check boxes and radio buttons as a user does,
    // each change under faults: a list picks an entry of the seed's choosing,
    // a box or radio button is clicked on half of them.
    void scramble(const std::string& page, QWidget* built, int round)
    {
        std::mt19937_64 rng(seedFor(page + "/" + partName() + "/inputs " + std::to_string(round)));
        for (QComboBox* list : built->findChildren<QComboBox*>()) {
            const uint64_t draw = rng();
            if (!usable(built, list) || list->count() == 0) continue;
            const int index = static_cast<int>(draw % static_cast<uint64_t>(list->count()));
            act(page, list->objectName().toStdString() + " entry " + std::to_string(index),
                [list, index] {
                    list->setCurrentIndex(index);
                    emit list->activated(index);
                    QCoreApplication::processEvents();
                },
                {kFaultRate});
        }
        for (QAbstractButton* box : built->findChildren<QAbstractButton*>()) {
            const uint64_t draw = rng();
            if (!qobject_cast<QCheckBox*>(box) && !qobject_cast<QRadioButton*>(box)) continue;
            if (!usable(built, box) || draw % 2 == 0) continue;
            act(page, box->objectName().toStdString() + " clicked " + std::to_string(round),
                [box] {
                    box->click();
                    QCoreApplication::processEvents();
                },
                {kFaultRate});
        }
    }

    // Every part that shows the page, every designed button and lamp.
    void sweepPage(const char* page)
    {
        if (!openBoard()) GTEST_SKIP() << "needs the simulated board";
        QWidget* built = window().page(QLatin1String(page));
        ASSERT_NE(built, nullptr) << page;
        int partsShowing = 0;
        for (int row = 1; row < kPartCount; ++row) {
            ASSERT_NO_FATAL_FAILURE(choosePart(row));
            if (!window().isPageVisible(QLatin1String(page))) continue;
            ++partsShowing;
            window().TabFunctions->setCurrentWidget(built);
            const std::vector<QAbstractButton*> buttons = buttonsOf(built);
            EXPECT_FALSE(buttons.empty()) << page << " on " << partName();
            auto clickOf = [](QAbstractButton* button) {
                return [button] {
                    button->click();
                    QCoreApplication::processEvents();
                };
            };
            for (QAbstractButton* button : buttons) {
                if (button->isEnabled())
                    eachTransferFailingAlone(page, button->objectName().toStdString(),
                                             clickOf(button));
            }
            for (int round = 0; round < kRounds; ++round) {
                if (round > 0) scramble(page, built, round);
                const std::string suffix = " #" + std::to_string(round);
                for (QAbstractButton* button : buttons) {
                    // A handler may disable another button for a while.
                    if (!button->isEnabled()) continue;
                    act(page, button->objectName().toStdString() + suffix, clickOf(button),
                        {kFaultRate});
                }
                for (LedIndicator* lamp : lampsOf(built)) {
                    const std::string name = lamp->objectName().toStdString();
                    for (bool lit : {false, true}) {
                        act(page, name + (lit ? " lights" : " goes dark") + suffix,
                            [lamp, lit] {
                                lamp->setLit(lit);
                                QCoreApplication::processEvents();
                            },
                            {kFaultRate});
                    }
                }
            }
        }
        EXPECT_GT(partsShowing, 0) << page << " shows on no part";
        finish(page);
    }

    void finish(const std::string& what)
    {
        std::printf("[ fault sweep ] %s: %d actions, %d with a failed transfer, %zu silent\n",
                    what.c_str(), actions_, withFailure_, silent_.size());
        std::fflush(stdout);
        std::string list;
        for (const SilentCase& s : silent_) {
            list += "  " + s.page + ", " + s.part + ", " + s.action + ":";
            for (const FaultTransfer& t : s.failed)
                list += "\n      " + describeTransfer(t);
            list += "\n";
        }
        EXPECT_TRUE(silent_.empty()) << silent_.size() << " actions left a failed transfer "
                                     << "unreported:\n"
                                     << list;
    }

    std::vector<SilentCase> silent_;
    int actions_ = 0;
    int withFailure_ = 0;
};

#define SWEEP_PAGE(Suite, page)                                                                    \
    class Suite : public FaultSweep {};                                                            \
    TEST_F(Suite, EveryFailedTransferOfEveryButtonIsReportedOrRetried)                             \
    {                                                                                              \
        sweepPage(page);                                                                           \
    }

// One suite per page, so ctest runs them side by side.
SWEEP_PAGE(FaultSweepSetup, "tsSetup")
SWEEP_PAGE(FaultSweepSetClock, "tsSetTime")
SWEEP_PAGE(FaultSweepRegisters, "tsReg")
SWEEP_PAGE(FaultSweepMemory, "tsMemory")
SWEEP_PAGE(FaultSweepGraph, "tsGraph")
SWEEP_PAGE(FaultSweepInterrupt, "tsInterrupt")
SWEEP_PAGE(FaultSweepAlarm, "tsAlarm")
SWEEP_PAGE(FaultSweepEvent, "tsEvent")
SWEEP_PAGE(FaultSweepTrim, "tsComp")
SWEEP_PAGE(FaultSweepPort, "tsPort")
SWEEP_PAGE(FaultSweepSysMgmt, "tsSysMgmt")
SWEEP_PAGE(FaultSweepDst, "tsDST")
SWEEP_PAGE(FaultSweepTempComp, "tsTCOMP")
SWEEP_PAGE(FaultSweepPower, "tsPWR")

// The suites above sweep every page the window builds.
TEST(FaultSweepPages, EveryBuiltPageIsSwept)
{
    const std::set<std::string> swept = {
        "tsSetup", "tsSetTime", "tsReg",  "tsMemory",  "tsGraph", "tsInterrupt", "tsAlarm",
        "tsEvent", "tsComp",    "tsPort", "tsSysMgmt", "tsDST",   "tsTCOMP",     "tsPWR"};
    std::set<std::string> built;
    for (const PageRow& row : Pages()) {
        if (row.Make != nullptr) built.insert(row.Name);
    }
    EXPECT_EQ(built, swept);
}

// The polling tick on every part, with the TSE refresh every second where the
// part offers it; a second passes on both clocks before each tick.
class FaultSweepPolling : public FaultSweep {};

TEST_F(FaultSweepPolling, EveryFailedTransferOfTheTickIsShown)
{
    if (!openBoard()) GTEST_SKIP() << "needs the simulated board";
    TMainApp& w = window();
    DisplayPanel* panel = w.displayPanel();
    QWidget* interrupt = w.page(QStringLiteral("tsInterrupt"));
    ASSERT_NE(interrupt, nullptr);
    auto* tseRefresh = interrupt->findChild<QComboBox*>(QStringLiteral("cboTSEREFRESH"));
    ASSERT_NE(tseRefresh, nullptr);
    auto* setFromPc = qobject_cast<QPushButton*>(w.control(QStringLiteral("BtnSetRTCfromPC")));
    ASSERT_NE(setFromPc, nullptr);
    int refreshing = 0;
    for (int row = 1; row < kPartCount; ++row) {
        ASSERT_NO_FATAL_FAILURE(choosePart(row));
        const PartInfo& part = w.bus().part();
        const StatusReads& status = StatusReadsFor(part.TypeCode);
        // The chip's clock set from the PC, so the tick shows its time.
        setFromPc->click();
        if (w.isPageVisible(QStringLiteral("tsInterrupt")) && usable(interrupt, tseRefresh)) {
            ++refreshing;
            tseRefresh->setCurrentIndex(1);
            emit tseRefresh->activated(1);
        }
        for (int tick = 0; tick < kTicks; ++tick) {
            clock.advanceMs(1000);
            ASSERT_EQ(w.bus().api().SimAdvance(1.0), 0);
            auto shown = [&] {
                // Each failure where the tick shows it.
                const bool timeShown = panel->RTCtime->text() == QLatin1String("Error");
                const std::vector<FaultTransfer>& ts = FaultInjectingAdapter::transfers();
                for (size_t i : unretriedFailures(ts)) {
                    const AdapterCall& c = ts[i].call;
                    if (c.op == AdapterOp::Read && c.slave == kSensorSlave) {
                        if (panel->RTCtemp->text() != QLatin1String("Error")) return false;
                        continue;
                    }
                    // The status flags: their lamps stay dark.
                    const bool statusRead =
                        c.op == AdapterOp::Read && c.slave == part.RtcAddress &&
                        ((c.sub == status.Main.Address && c.count == status.Main.Count) ||
                         (status.Second.Count != 0 && c.sub == status.Second.Address &&
                          c.count == 1));
                    if (statusRead) continue;
                    // The chip's time.
                    if (c.op == AdapterOp::Read && c.slave == part.RtcAddress && timeShown)
                        continue;
                    return false;
                }
                return true;
            };
            act(
                "tick", "tick " + std::to_string(tick), [&] { w.Timer1Timer(); }, {kFaultRate},
                shown);
        }
    }
    EXPECT_GT(refreshing, 0) << "no part offers the TSE refresh";
    finish("polling tick");
}

} // namespace
