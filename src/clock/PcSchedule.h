// Steps that must run at a moment of the PC clock rather than on the polling
// timer's beat: the drift meter's timed reads of the chip's seconds edge,
// the Set Clock page's write on the PC's second boundary. Times are the PC
// clock's counter (PcClock::counterMs). With the PC's own clock a precise
// single-shot timer runs each step when its time comes, between the polling
// cycle's ticks; a pinned clock moves only when a script advances it, so
// nothing runs by itself: the script stops at each due time and runs what
// is due (nextDueMs, runDue).
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class PcClock;
class QTimer;

class PcSchedule : public QObject {
    Q_OBJECT
  public:
    // clock: the PC clock the window reads now (scripts swap it).
    explicit PcSchedule(std::function<PcClock&()> clock, QObject* parent = nullptr);

    // Runs step once the counter reaches counterMs (at once, from the event
    // loop, when that time has passed). One pending step per owner: a later
    // call replaces the earlier; the owner's destruction cancels it.
    void runAt(const QObject* owner, qint64 counterMs, std::function<void()> step);
    void cancel(const QObject* owner);
    bool pending(const QObject* owner) const;

    // The earliest pending due time; empty when nothing waits.
    std::optional<qint64> nextDueMs() const;
    // Runs, in due order, every step due at the counter now; a step that one
    // of them schedules waits for the next call, so this always ends.
    void runDue();

    // The PC clock was swapped (pinned by a script, or given back): the
    // timer follows the new clock, idle while it is pinned.
    void clockChanged();

  private:
    struct Entry {
        QPointer<const QObject> owner;
        qint64 dueMs;
        std::function<void()> step;
    };
    void arm();

    std::function<PcClock&()> clock_;
    QList<Entry> entries_;
    QTimer* timer_;
};
