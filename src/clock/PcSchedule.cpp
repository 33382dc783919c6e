#include "clock/PcSchedule.h"

#include <QTimer>
#include <algorithm>

#include "clock/PcClock.h"

PcSchedule::PcSchedule(std::function<PcClock&()> clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        runDue();
        arm();
    });
}

void PcSchedule::runAt(const QObject* owner, qint64 counterMs, std::function<void()> step)
{
    cancel(owner);
    entries_.append(Entry{owner, counterMs, std::move(step)});
    arm();
}

void PcSchedule::cancel(const QObject* owner)
{
    entries_.removeIf([owner](const Entry& e) { return e.owner.isNull() || e.owner == owner; });
}

bool PcSchedule::pending(const QObject* owner) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [owner](const Entry& e) { return !e.owner.isNull() && e.owner == owner; });
}

std::optional<qint64> PcSchedule::nextDueMs() const
{
    std::optional<qint64> next;
    for (const Entry& e : entries_) {
        if (e.owner.isNull()) continue;
        if (!next || e.dueMs < *next) next = e.dueMs;
    }
    return next;
}

void PcSchedule::runDue()
{
    const qint64 now = clock_().counterMs();
    // Take the due entries out first: a step may schedule its owner again.
    QList<Entry> due;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->owner.isNull()) {
            it = entries_.erase(it);
        } else if (it->dueMs <= now) {
            due.append(std::move(*it));
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const Entry& a, const Entry& b) { return a.dueMs < b.dueMs; });
    for (Entry& e : due) {
        if (!e.owner.isNull()) e.step();
    }
    arm();
}

void PcSchedule::clockChanged()
{
    arm();
}

void PcSchedule::arm()
{
    timer_->stop();
    const std::optional<qint64> next = nextDueMs();
    if (!next || clock_().pinned()) return;
    const qint64 wait = std::max<qint64>(0, *next - clock_().counterMs());
    timer_->start(static_cast<int>(std::min<qint64>(wait, 24 * 3600 * 1000)));
}
