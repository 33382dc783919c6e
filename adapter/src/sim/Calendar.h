// Counting in a chip's packed-BCD time registers: one second at a time, or
// one whole day, the way the chips' own counters roll over.
#pragma once

#include <cstdint>

namespace kvrx::sim {

uint8_t toBcd(int value); // 0..99
int fromBcd(uint8_t bcd); // tens x 10 + units, digits above 9 not rejected
bool isLeapYear(int year);
int daysInMonth(int month, int year); // 31 for a month outside 1..12

// How a family marks the 12-hour form in its hour register.
enum class HourForm : uint8_t {
    MilBit7,    // bit 7 set: 24-hour; clear: 12-hour, bit 5 PM
    TwelveBit6, // bit 6 set: 12-hour, bit 5 PM; clear: 24-hour
    Always24,   // bits 5..0 hold the hour; bits 7 and 6 belong to other functions
};

// Where the century lives.
enum class Century : uint8_t {
    None,    // years 2000 to 2099
    Y2kByte, // a BCD century byte (19, 20) beside the year
    CebCb,   // HR bit 7 enables toggling HR bit 6 at each century
    CentBit, // MO bit 7 toggles at each century
};

// A family's time registers: offsets from the seconds register.
struct TimeLayout {
    uint8_t base; // address of the seconds register
    uint8_t sc, mn, hr, dt, mo, yr, dw;
    int8_t y2k; // offset of the century byte, -1 when there is none
    HourForm hourForm;
    Century century;
    uint8_t firstWeekday; // day-of-week value of Sunday: 0 (0..6) or 1 (1..7)
};

bool isTwelveHour(uint8_t hr, HourForm form);
// Hour 0..23 of a register value (12 AM is 0, 12 PM is 12).
int hour24(uint8_t hr, HourForm form);
// The full year the registers stand for (the century from the century byte, else 20xx).
int fullYear(const uint8_t* regs, const TimeLayout& layout);

// Counts one second in regs[layout.base ...]; bits of the time registers
// that are not part of the count (flags, the 12/24-hour bit) are kept.
// Returns true when the date rolled over.
bool tickSecond(uint8_t* regs, const TimeLayout& layout);
// The date part of a rollover: weekday, date, month, year and century.
void nextDay(uint8_t* regs, const TimeLayout& layout);

} // namespace kvrx::sim
