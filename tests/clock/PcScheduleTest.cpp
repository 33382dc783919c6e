// Steps at moments of the PC clock: with a pinned clock they run only when
// the one who moves the clock asks, in due order; with the PC's own clock a
// timer runs them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <memory>
#include <vector>

#include "clock/PcClock.h"
#include "clock/PcSchedule.h"
#include "support/AppTestSupport.h"

namespace {

struct PinnedSchedule : ::testing::Test {
    PinnedSchedule() { ensureApp(); }
    PinnedPcClock clock{QDateTime(QDate(2026, 1, 5), QTime(10, 0))};
    PcSchedule schedule{[this]() -> PcClock& { return clock; }};
    QObject a, b, c;
    std::vector<const char*> ran;

    void runAt(const QObject& owner, qint64 ms, const char* name)
    {
        schedule.runAt(&owner, ms, [this, name] { ran.push_back(name); });
    }
};

TEST_F(PinnedSchedule, RunsWhatIsDueInDueOrderAndOnlyWhenAsked)
{
    runAt(a, 300, "a");
    runAt(b, 100, "b");
    runAt(c, 200, "c");
    EXPECT_EQ(100, schedule.nextDueMs());
    // A pinned clock never runs anything by itself.
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran.empty());

    clock.advanceMs(250);
    schedule.runDue();
    EXPECT_EQ((std::vector<const char*>{"b", "c"}), ran);
    EXPECT_EQ(300, schedule.nextDueMs());
    EXPECT_FALSE(schedule.pending(&b));
    EXPECT_TRUE(schedule.pending(&a));
}

TEST_F(PinnedSchedule, OneStepPerOwnerAndTheOwnersLifeBoundsIt)
{
    runAt(a, 100, "first");
    runAt(a, 150, "second"); // replaces the first
    auto gone = std::make_unique<QObject>();
    runAt(*gone, 120, "gone");
    gone.reset();
    runAt(b, 130, "cancelled");
    schedule.cancel(&b);
    EXPECT_EQ(150, schedule.nextDueMs());

    clock.advanceMs(200);
    schedule.runDue();
    EXPECT_EQ((std::vector<const char*>{"second"}), ran);
    EXPECT_FALSE(schedule.nextDueMs().has_value());
}

TEST_F(PinnedSchedule, AStepThatSchedulesItselfWaitsForTheNextCall)
{
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        schedule.runAt(&a, clock.counterMs(), again); // due at once
    };
    schedule.runAt(&a, 0, again);
    schedule.runDue();
    EXPECT_EQ(1, runs);
    schedule.runDue();
    EXPECT_EQ(2, runs);
}

TEST(PcScheduleOwnClock, ATimerRunsTheStepWhenItsTimeComes)
{
    ensureApp();
    SystemPcClock clock;
    PcSchedule schedule{[&]() -> PcClock& { return clock; }};
    QObject owner;
    qint64 ranAt = -1;
    const qint64 due = clock.counterMs() + 30;
    schedule.runAt(&owner, due, [&] { ranAt = clock.counterMs(); });
    QElapsedTimer waited;
    waited.start();
    while (ranAt < 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_GE(ranAt, 0) << "the step never ran";
    EXPECT_GE(ranAt, due);

    // Pinning the clock idles the timer: a step due at once waits for runDue.
    PinnedPcClock pinned{QDateTime(QDate(2026, 1, 5), QTime(10, 0))};
    PcClock* now = &clock;
    PcSchedule swapped{[&]() -> PcClock& { return *now; }};
    bool ran = false;
    now = &pinned;
    swapped.clockChanged();
    swapped.runAt(&owner, 0, [&] { ran = true; });
    waited.restart();
    while (waited.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(ran);
    swapped.runDue();
    EXPECT_TRUE(ran);
}

} // namespace
