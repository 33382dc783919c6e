// The PC clock as the window reads and sets it. Scripts and tests pin it, so
// they never set the system's clock.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <ctime>
#include <functional>

#include "clock/PcClockLogic.h"

using PcClockSetDone = std::function<void(const PcClockSetResult& result)>;

class PcClock {
  public:
    virtual ~PcClock() = default;
    virtual QDateTime now() const = 0;    // local time, millisecond precision
    virtual qint64 counterMs() const = 0; // high-resolution counter
    virtual bool pinned() const { return false; }
    // Sets the clock to a local time; done gets the outcome, at once or once
    // the system has answered (it may first ask the user for authorisation).
    virtual void setLocalTime(const QDateTime& local, PcClockSetDone done) = 0;
};

class SystemPcClock : public PcClock {
  public:
    SystemPcClock() { timer_.start(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 counterMs() const override { return timer_.elapsed(); }
    // As root clock_settime; otherwise systemd-timedated over the system bus,
    // which asks for authorisation through polkit.
    void setLocalTime(const QDateTime& local, PcClockSetDone done) override;

  private:
    QElapsedTimer timer_;
};

// A clock that moves only when told to.
class PinnedPcClock : public PcClock {
  public:
    explicit PinnedPcClock(const QDateTime& at) : now_(at) {}
    QDateTime now() const override { return now_; }
    qint64 counterMs() const override { return counter_; }
    bool pinned() const override { return true; }
    void set(const QDateTime& at) { now_ = at; }
    void setLocalTime(const QDateTime& local, PcClockSetDone done) override
    {
        set(local);
        done({PcClockOutcome::Set, {}});
    }
    void advanceMs(qint64 ms)
    {
        now_ = now_.addMSecs(ms);
        counter_ += ms;
    }

  private:
    QDateTime now_;
    qint64 counter_ = 0;
};

// A PC clock reading as a broken-down local time (daylight flag left to the library).
inline std::tm ToTm(const QDateTime& at)
{
    const QDate d = at.date();
    const QTime t = at.time();
    std::tm tm{};
    tm.tm_year = d.year() - 1900;
    tm.tm_mon = d.month() - 1;
    tm.tm_mday = d.day();
    tm.tm_hour = t.hour();
    tm.tm_min = t.minute();
    tm.tm_sec = t.second();
    tm.tm_wday = d.dayOfWeek() % 7;
    tm.tm_yday = d.dayOfYear() - 1;
    tm.tm_isdst = -1;
    return tm;
}
