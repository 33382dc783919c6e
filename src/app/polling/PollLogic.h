// The once-a-second polling work that needs no window: the lamps a status
// read lights, the sensor decoding, and every text the display panel shows.
// The window does the adapter calls and sets the controls; the lamps and their
// bits are the pages' own (StatusLayout.h).
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PartTable.h"
#include "StatusLayout.h"

// ---- tick timing ----

// Ticks come every 110 ms; the work runs in the first tick of each PC second.
struct PollClock {
    int16_t LastSecond = 0;

    // True when pcSecond differs from the last processed second; then it is
    // remembered and elapsedSeconds advances by one.
    bool beginTick(int pcSecond, uint32_t& elapsedSeconds);
};

// Temperature, deviation and graph points are taken every sixth second.
constexpr bool IsSampleSecond(uint32_t elapsedSeconds)
{
    return elapsedSeconds % 6 == 0;
}

// ---- status lamps ----

struct LampState {
    const char* Lamp;
    bool On;
};

// What the status read did. A failed second read counts as 0.
struct StatusResult {
    bool MainOk = false;
    std::array<uint8_t, 2> Main{};
    bool SecondOk = false;
    uint8_t Second = 0;
};

// The lamps to set after the status read: each of lamps that shows a bit for
// the family, from its bit, or, when the main read failed, the lamps a failed
// read switches off. Lamps not listed keep their state.
std::vector<LampState> StatusLamps(std::span<const StatusLamp> lamps, PartType type,
                                   const StatusResult& status);

// The status byte whose bit 0 means "clock not set": 0 when the read failed,
// and always 0 for TypeG and TypeJ, whose bit 0 is an alarm or power flag.
uint8_t ClockStatusByte(PartType type, const StatusResult& status);

// ---- chip time ----

enum class ChipTimeState { Shown, ClockNotSet, Error };

// clockStatus from ClockStatusByte; timeResult the result of reading the time.
// A clock that is not set wins over a failed time read.
ChipTimeState ChipTimeStateFor(uint8_t clockStatus, int32_t timeResult);

struct ChipTimeTexts {
    std::string Time;
    std::string Date;
};
ChipTimeTexts ChipTimeDisplay(ChipTimeState state, const std::tm& t, bool is24);

// What status panel 3 tells the user to do about the chip's time fields: the
// supply is off (the fields say "Error"), or the clock is not set. Empty when
// the fields need no word (shown, or an error with the supply on).
inline constexpr const char* kNoSupplyText =
    " No supply to the RTC: tick VDD Enabled on the Setup page";
inline constexpr const char* kClockNotSetText =
    " Clock Not Set: the Set Clock page sets the chip's time";
std::string_view ChipTimeAdvice(ChipTimeState state, bool supplyOn);

// Local wall-clock seconds of a broken-down time, normalised as mktime does
// (out-of-range fields carry over) but without time zone or daylight flag:
// both the chip's and the PC's time are wall-clock readings, so only their
// difference counts.
double CalendarSeconds(const std::tm& t);

// Chip minus PC time as hh:mm:ss, whole days dropped; "-hh:mm:ss" when the
// chip is not ahead (equal times show "-00:00:00").
std::string DeviationText(double tRtc, double tPc);

// ---- board temperature ----

inline constexpr uint8_t kSensorSlave = 0x90;
inline constexpr uint8_t kSensorRegister = 0x00;

// The sensor sends its high byte first.
constexpr uint16_t SensorWord(uint8_t first, uint8_t second)
{
    return static_cast<uint16_t>((first << 8) | second);
}

// Degrees Celsius of a sensor word for the sensor format (76 = LM76, anything
// else LM75), plus the offset in tenths of a degree.
double DecodeSensorWord(uint16_t word, int tempSensor, int32_t tempOffset);

// "23.5000*C (74.30*F)"; "Error" without a reading.
std::string TemperatureText(std::optional<double> celsius);

// The offset as shown beside the spin button: "-1.5*C".
std::string TempOffsetText(int32_t tempOffset);

// The spin button's steps, kept within -50..50 tenths.
int32_t TempOffsetUp(int32_t tempOffset);
int32_t TempOffsetDown(int32_t tempOffset);

// ---- graph ----

struct GraphSample {
    double X;                          // hours since the graph restart
    double Deviation;                  // chip minus PC time, seconds
    std::optional<double> Temperature; // none when the sensor read failed
};

GraphSample MakeGraphSample(uint32_t elapsedSeconds, double tRtc, double tPc,
                            std::optional<double> celsius);

// ---- status bar and timing ----

// Status panel 1: the connection state.
inline constexpr const char* kUsbActiveText = " USB: Active";
inline constexpr const char* kUsbConnectText = " USB: Connect";
inline constexpr const char* kUsbDisconnectText = " USB: Disconnect";

// A running-time answer that means the board is gone (unplugged, closed),
// not a transfer that failed once.
bool BoardIsGone(int32_t result);

// " Up 1 Day(s) 02:03:04"
std::string RunTimeText(uint32_t seconds);

// " 1.234 mS"
std::string PollDurationText(double milliseconds);

// ---- bus speed ----

// kHz sent for a bus-speed entry: its number, 100 when the text is not a
// number, 599 for "400" (the adapter's fast mode). Numbers beyond 16 bits are
// sent as 65535 so the adapter refuses them instead of a wrapped value.
uint16_t BusSpeedKhz(std::string_view entryText);
