// What the Event page needs that is no widget: its part of the part choice,
// each family's event registers, the configuration byte in both directions,
// and the time stamps' decoding and texts.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "PartSelection.h"
#include "PartTable.h"
#include "StatusLayout.h"

// Base state: the TypeA/TypeB page (RTCHLT, EVIENB, the flag lamp, one stamp
// panel, "Clear Event"); the TypeF block swaps in EVIM, the four stamp panels
// with their EVIX labels and the event counter.
extern const PageSettingsTable kEventPageSettings;

// The event flag's lamp LedEvent.
extern const std::array<StatusLamp, 1> kEventLamps;

namespace EventCodec {

// List items; the index is the field code.
inline constexpr std::array<const char*, 4> kSampleRates = {"Always On", "2 Hz", "1 Hz", "1/4 Hz"};
inline constexpr std::array<const char*, 4> kHysteresis = {"0 ms (Always On)", "3.9 ms",
                                                           "15.625 ms", "31.25 ms"};

// Status register and its EVT flag (TypeA, TypeB).
inline constexpr uint8_t kStatusRegister = 0x07;
inline constexpr uint8_t kEvtBit = 0x08;
// The bits the clear writes as 1 (a 1 leaves a flag): RTCF, BAT, ALM, EVT.
inline constexpr uint8_t kStatusFlags = 0x0F;

// TypeB: one stamp of six bytes (seconds .. year).
inline constexpr uint8_t kStampTypeB = 0x14;
// TypeF: the stamp EVIX chooses, read as six bytes; the counter.
inline constexpr uint8_t kStampTypeF = 0x33;
inline constexpr uint8_t kEvixRegister = 0x0F;
inline constexpr uint8_t kCounterRegister = 0x0B;
inline constexpr int kStampBytes = 6;
inline constexpr int kTypeFStamps = 4;

// The event configuration register of a family: 0x09 (EV) for TypeA and
// TypeB, 0x0E (EVIC) for TypeF; nothing for the others.
std::optional<uint8_t> ConfigRegister(PartType type);

// The page's choices. A box the family lacks is not part of its byte.
struct EventConfig {
    int SampleRate = 0;          // ESMP, list index 0..3
    int Hysteresis = 0;          // EHYS, list index 0..3
    bool Enable = false;         // EVEN, bit 4
    bool BatteryDisable = false; // EVBATB, bit 6
    bool Halt = false;           // RTCHLT, bit 5 (TypeA, TypeB)
    bool CurrentOff = false;     // EVIENB, bit 7 (TypeA, TypeB)
    bool PulseMode = false;      // EVIM, bit 5 (TypeF)
};

// The byte Write sends: every bit from the page; on TypeF bit 7 is 0. A list
// without a selection counts as index 0.
uint8_t EncodeConfig(PartType type, const EventConfig& config);

// What Read shows: the lists from bits 1..0 and 3..2, the boxes of the
// family's layout; nothing for a box the family lacks.
struct ShownConfig {
    int SampleRate = 0;
    int Hysteresis = 0;
    bool Enable = false;
    bool BatteryDisable = false;
    std::optional<bool> Halt, CurrentOff, PulseMode;
    bool operator==(const ShownConfig&) const = default;
};
ShownConfig DecodeConfig(PartType type, uint8_t value);

// The status byte the clear writes: the other flags written as 1, EVT as 0.
uint8_t ClearedStatus(uint8_t status);

// A stamp's six bytes (seconds, minutes, hours, date, month, year) as a
// calendar time. Hours: MIL (bit 7) set: bits 5..0 in BCD; else bits 4..0
// with 12 as 0, plus 12 with PM (bit 5). Month 0 is taken as January. The
// weekday, day of year and daylight flag are 0.
std::tm DecodeStamp(const uint8_t* bytes);

// The panel's text for a stamp: month, day and time, no year. TypeB has one
// panel; TypeF has four, by their EVIX index 0..3 (the 12-hour form, and the
// 24-hour form of indices 2 and 3, have two spaces before the dash). The time
// is "HH:MM:SS" in 24-hour form, else "hh:MM:SS AM" / "PM", as the C
// library's "%T" and "%r" give them whatever the locale.
std::string StampText(const std::tm& t, PartType type, int index, bool is24);

} // namespace EventCodec
