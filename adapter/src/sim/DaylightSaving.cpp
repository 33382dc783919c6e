#include "DaylightSaving.h"

#include <algorithm>
#include <array>

namespace kvrx::sim {

namespace {

constexpr uint8_t kDste = 0x80;
constexpr uint8_t kDayOfWeekMode = 0x40;
constexpr int kLastWeek = 7;

// Offsets of one direction's four registers from the block: month, week and
// day of week, date, hour.
struct Rule {
    uint8_t month, week, date, hour;
};
constexpr Rule kForward{0, 1, 2, 3};
constexpr Rule kReverse{4, 5, 6, 7};

bool enabled(const uint8_t* regs, const DstTraits& dst)
{
    return dst.present() && (regs[dst.block] & kDste) != 0;
}

bool adjusted(const uint8_t* regs, const DstTraits& dst)
{
    return (regs[dst.flagReg] & dst.flagMask) != 0;
}

// The change still to come: forward while DSTADJ is clear, else back.
const Rule& pending(bool forward)
{
    return forward ? kForward : kReverse;
}

uint8_t ruleByte(const uint8_t* regs, const DstTraits& dst, uint8_t offset)
{
    return regs[(dst.block + offset) & 0xFF];
}

// Whether the clock's date is the rule's day.
bool dayMatches(const uint8_t* regs, const TimeLayout& time, const DstTraits& dst, const Rule& rule)
{
    const uint8_t* clock = &regs[time.base];
    const int month = fromBcd(clock[time.mo] & 0x1F);
    if (fromBcd(ruleByte(regs, dst, rule.month) & 0x1F) != month) return false;
    const int date = fromBcd(clock[time.dt] & 0x3F);
    const uint8_t weekDay = ruleByte(regs, dst, rule.week);
    if ((weekDay & kDayOfWeekMode) == 0)
        return fromBcd(ruleByte(regs, dst, rule.date) & 0x3F) == date;
    if ((weekDay & 0x07) != (clock[time.dw] & 0x07)) return false;
    const int week = (weekDay >> 3) & 0x07;
    if (week == kLastWeek) return date + 7 > daysInMonth(month, fullYear(regs, time));
    return week >= 1 && week <= 5 && (date - 1) / 7 + 1 == week;
}

// The rule's hour 0..23, read in the clock's form.
int ruleHour(uint8_t value, bool twelveHour)
{
    if (!twelveHour) return fromBcd(value & 0x3F);
    int h = fromBcd(value & 0x1F);
    if (h == 12) h = 0;
    return (value & 0x20) ? h + 12 : h;
}

// Hour 0..23 into the hour register, in its form; the bits above stay.
void putHour(uint8_t& hr, int hour, bool twelveHour)
{
    uint8_t bits = toBcd(hour);
    if (twelveHour) {
        const int h12 = hour % 12 == 0 ? 12 : hour % 12;
        bits = static_cast<uint8_t>(toBcd(h12) | (hour >= 12 ? 0x20 : 0x00));
    }
    hr = static_cast<uint8_t>((hr & ~0x3F) | bits);
}

// The day before, for a change back from the first hour of a day.
void previousDay(uint8_t* regs, const TimeLayout& time)
{
    uint8_t* clock = &regs[time.base];
    uint8_t& dw = clock[time.dw];
    const int first = time.firstWeekday;
    const int wd = dw & 0x07;
    const int before = wd <= first || wd > first + 6 ? first + 6 : wd - 1;
    dw = static_cast<uint8_t>((dw & ~0x07) | before);

    uint8_t& dt = clock[time.dt];
    uint8_t& mo = clock[time.mo];
    uint8_t& yr = clock[time.yr];
    const int day = fromBcd(dt & 0x3F);
    if (day > 1) {
        dt = static_cast<uint8_t>((dt & ~0x3F) | toBcd(day - 1));
        return;
    }
    int month = fromBcd(mo & 0x1F) - 1;
    if (month < 1) {
        month = 12;
        const int year = fromBcd(yr);
        yr = toBcd(year > 0 ? year - 1 : 99);
    }
    mo = static_cast<uint8_t>((mo & ~0x1F) | toBcd(month));
    dt = static_cast<uint8_t>((dt & ~0x3F) | toBcd(daysInMonth(month, fullYear(regs, time))));
}

} // namespace

void dstRegisterWritten(uint8_t* regs, const DstTraits& dst, uint8_t address)
{
    if (!dst.present() || address != dst.block) return;
    if ((regs[dst.block] & kDste) == 0) regs[dst.flagReg] &= static_cast<uint8_t>(~dst.flagMask);
}

void dstSecondCounted(uint8_t* regs, const TimeLayout& time, const DstTraits& dst)
{
    if (!enabled(regs, dst)) return;
    uint8_t* clock = &regs[time.base];
    // Changes fall on the hour: every other second costs two compares.
    if ((clock[time.sc] & 0x7F) != 0 || (clock[time.mn] & 0x7F) != 0) return;
    const bool forward = !adjusted(regs, dst);
    const Rule& rule = pending(forward);
    uint8_t& hr = clock[time.hr];
    const bool twelve = isTwelveHour(hr, time.hourForm);
    const int hour = hour24(hr, time.hourForm);
    if (ruleHour(ruleByte(regs, dst, rule.hour), twelve) != hour) return;
    if (!dayMatches(regs, time, dst, rule)) return;

    if (forward) {
        if (hour == 23) {
            putHour(hr, 0, twelve);
            nextDay(regs, time);
        } else {
            putHour(hr, hour + 1, twelve);
        }
        regs[dst.flagReg] |= dst.flagMask;
    } else {
        if (hour == 0) {
            putHour(hr, 23, twelve);
            previousDay(regs, time);
        } else {
            putHour(hr, hour - 1, twelve);
        }
        regs[dst.flagReg] &= static_cast<uint8_t>(~dst.flagMask);
    }
}

bool dstChangeWithinDay(const uint8_t* regs, const TimeLayout& time, const DstTraits& dst)
{
    if (!enabled(regs, dst)) return false;
    const Rule& rule = pending(!adjusted(regs, dst));
    if (dayMatches(regs, time, dst, rule)) return true;
    std::array<uint8_t, 256> tomorrow{};
    std::copy_n(regs, tomorrow.size(), tomorrow.begin());
    nextDay(tomorrow.data(), time);
    return dayMatches(tomorrow.data(), time, dst, rule);
}

} // namespace kvrx::sim
