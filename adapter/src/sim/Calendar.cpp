#include "Calendar.h"

namespace kvrx::sim {

uint8_t toBcd(int value)
{
    if (value < 0) value = 0;
    value %= 100;
    return static_cast<uint8_t>(((value / 10) << 4) | (value % 10));
}

int fromBcd(uint8_t bcd)
{
    return (bcd >> 4) * 10 + (bcd & 0x0F);
}

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int month, int year)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    if (month == 2 && isLeapYear(year)) return 29;
    return kDays[month - 1];
}

bool isTwelveHour(uint8_t hr, HourForm form)
{
    switch (form) {
    case HourForm::MilBit7:
        return (hr & 0x80) == 0;
    case HourForm::TwelveBit6:
        return (hr & 0x40) != 0;
    case HourForm::Always24:
        break;
    }
    return false;
}

int hour24(uint8_t hr, HourForm form)
{
    if (!isTwelveHour(hr, form)) return fromBcd(hr & 0x3F);
    int h = fromBcd(hr & 0x1F);
    if (h == 12) h = 0;
    return (hr & 0x20) ? h + 12 : h;
}

int fullYear(const uint8_t* regs, const TimeLayout& layout)
{
    const int yy = fromBcd(regs[layout.base + layout.yr]);
    if (layout.century == Century::Y2kByte && layout.y2k >= 0)
        return fromBcd(regs[layout.base + layout.y2k] & 0x3F) * 100 + yy;
    return 2000 + yy;
}

namespace {

// Replaces the bits of `mask` in a register with `value`.
void put(uint8_t& reg, uint8_t mask, uint8_t value)
{
    reg = static_cast<uint8_t>((reg & ~mask) | (value & mask));
}

void nextCentury(uint8_t* regs, const TimeLayout& layout)
{
    switch (layout.century) {
    case Century::None:
        break;
    case Century::Y2kByte:
        if (layout.y2k >= 0) {
            uint8_t& c = regs[layout.base + layout.y2k];
            put(c, 0x3F, toBcd(fromBcd(c & 0x3F) + 1));
        }
        break;
    case Century::CebCb: {
        uint8_t& hr = regs[layout.base + layout.hr];
        if (hr & 0x80) hr ^= 0x40;
        break;
    }
    case Century::CentBit:
        regs[layout.base + layout.mo] ^= 0x80;
        break;
    }
}

} // namespace

void nextDay(uint8_t* regs, const TimeLayout& layout)
{
    const uint8_t b = layout.base;
    uint8_t& dw = regs[b + layout.dw];
    const int first = layout.firstWeekday;
    const int wd = dw & 0x07;
    put(dw, 0x07, static_cast<uint8_t>(wd < first || wd >= first + 6 ? first : wd + 1));

    uint8_t& dt = regs[b + layout.dt];
    uint8_t& mo = regs[b + layout.mo];
    uint8_t& yr = regs[b + layout.yr];
    const int day = fromBcd(dt & 0x3F);
    const int month = fromBcd(mo & 0x1F);
    if (day < daysInMonth(month, fullYear(regs, layout))) {
        put(dt, 0x3F, toBcd(day + 1));
        return;
    }
    put(dt, 0x3F, 0x01);
    if (month >= 1 && month < 12) {
        put(mo, 0x1F, toBcd(month + 1));
        return;
    }
    put(mo, 0x1F, 0x01);
    const int year = fromBcd(yr);
    if (year < 99) {
        yr = toBcd(year + 1);
        return;
    }
    yr = 0x00;
    nextCentury(regs, layout);
}

bool tickSecond(uint8_t* regs, const TimeLayout& layout)
{
    const uint8_t b = layout.base;
    uint8_t& sc = regs[b + layout.sc];
    const int s = fromBcd(sc & 0x7F);
    if (s < 59) {
        put(sc, 0x7F, toBcd(s + 1));
        return false;
    }
    put(sc, 0x7F, 0x00);

    uint8_t& mn = regs[b + layout.mn];
    const int m = fromBcd(mn & 0x7F);
    if (m < 59) {
        put(mn, 0x7F, toBcd(m + 1));
        return false;
    }
    put(mn, 0x7F, 0x00);

    uint8_t& hr = regs[b + layout.hr];
    if (isTwelveHour(hr, layout.hourForm)) {
        // 12 AM, 1 AM .. 11 AM, 12 PM, 1 PM .. 11 PM: the day turns at 11 PM -> 12 AM.
        const int h = fromBcd(hr & 0x1F);
        const bool pm = (hr & 0x20) != 0;
        if (h == 11) {
            put(hr, 0x3F, static_cast<uint8_t>(0x12 | (pm ? 0x00 : 0x20)));
            if (!pm) return false;
        } else {
            put(hr, 0x1F, toBcd(h >= 12 || h < 1 ? 1 : h + 1));
            return false;
        }
    } else {
        const int h = fromBcd(hr & 0x3F);
        if (h < 23) {
            put(hr, 0x3F, toBcd(h + 1));
            return false;
        }
        put(hr, 0x3F, 0x00);
    }
    nextDay(regs, layout);
    return true;
}

} // namespace kvrx::sim
