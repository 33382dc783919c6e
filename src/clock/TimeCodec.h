// The chips' packed-BCD time registers as a broken-down time, for every part
// family, and the BCD conversions all pages use.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

class RtcBus;

// (byte AND 0x0F) + 10 * high nibble; only the low eight bits count and digits
// above 9 are not rejected (0x1A gives 20).
int BcdToBin(unsigned value);

// Packed BCD of the low `bits` bits of value (bits clamped to 0..24), by
// shift-and-add-3: up to eight BCD digits.
uint32_t BinToBcd(uint32_t value, int bits);

// Reads the selected part's time registers on the open board. On failure every
// field of t and is24 are zero and the adapter's code is returned.
int32_t ReadRtcTime(const RtcBus& bus, std::tm& t, bool& is24);

// Writes t to the selected part's time registers, keeping the flag bits that
// share them, with the write-enable framing the family needs. Returns the
// result of the time-byte write (or of the first failing read or enable write,
// in which case the time bytes are not written).
int32_t WriteRtcTime(RtcBus& bus, const std::tm& t, bool is24);

// The PC side's calendar record.
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;     // 1-12
    uint16_t dayOfWeek = 0; // 0 = Sunday
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

SystemTime TmToSystemTime(const std::tm& t);
std::tm SystemTimeToTm(const SystemTime& st);

// "HH:MM:SS" in 24-hour form, else "hh:MM:SS AM" / "PM" (the "%T" and "%r" of
// the C locale, independent of the user's locale).
std::string ClockTimeText(const std::tm& t, bool is24);
// "MM/DD/YY" ("%D").
std::string ClockDateText(const std::tm& t);
