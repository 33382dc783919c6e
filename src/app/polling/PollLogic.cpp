#include "app/polling/PollLogic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "bus/Result.h"
#include "clock/TimeCodec.h"
#include "kvrx_usb.h"

namespace {

// ---- number formats ----

// Fixed-point text rounded half away from zero on the decimal value, as the
// display patterns do (32.225 shows as 32.23, not as its binary 32.2249...).
std::string FormatFixed(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double scaled = std::fabs(value) * scale;
    // Whole units and the fraction must each fit a 64-bit integer.
    if (!std::isfinite(scaled) || scaled > 1e15 || decimals < 0 || decimals > 15) {
        // "%.*f" as the C locale writes it, whatever the process's locale.
        char buf[400];
        const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                                     std::clamp(decimals, 0, 15));
        return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string();
    }
    const auto units = static_cast<uint64_t>(std::floor(scaled + 0.5 + 1e-9 + scaled * 1e-12));
    const auto unit = static_cast<uint64_t>(scale);
    char buf[64];
    if (decimals > 0) {
        std::snprintf(buf, sizeof buf, "%s%llu.%0*llu", (value < 0 && units != 0) ? "-" : "",
                      static_cast<unsigned long long>(units / unit), decimals,
                      static_cast<unsigned long long>(units % unit));
    } else {
        std::snprintf(buf, sizeof buf, "%s%llu", (value < 0 && units != 0) ? "-" : "",
                      static_cast<unsigned long long>(units));
    }
    return buf;
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days from 1970-01-01 to a proleptic Gregorian date (month 1-12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace

// ---- tick timing ----

bool PollClock::beginTick(int pcSecond, uint32_t& elapsedSeconds)
{
    if (pcSecond == LastSecond) return false;
    LastSecond = static_cast<int16_t>(pcSecond);
    ++elapsedSeconds;
    return true;
}

// ---- status lamps ----

std::vector<LampState> StatusLamps(std::span<const StatusLamp> lamps, PartType type,
                                   const StatusResult& status)
{
    std::vector<LampState> states;
    if (!status.MainOk) {
        for (const StatusLamp& lamp : lamps) {
            if ((lamp.Off & OffWhenReadFails) != 0) states.push_back({lamp.Name, false});
        }
        return states;
    }
    const uint8_t second = status.SecondOk ? status.Second : 0;
    for (const StatusLamp& lamp : lamps) {
        const LampBit* bit = BitFor(lamp, type);
        if (bit == nullptr) continue;
        const uint8_t byte = bit->Source == StatusSource::Main0   ? status.Main[0]
                             : bit->Source == StatusSource::Main1 ? status.Main[1]
                                                                  : second;
        states.push_back({lamp.Name, ((byte >> bit->Bit) & 1) != 0});
    }
    return states;
}

uint8_t ClockStatusByte(PartType type, const StatusResult& status)
{
    if (!status.MainOk || type == TypeG || type == TypeJ) return 0;
    return status.Main[0];
}

// ---- chip time ----

ChipTimeState ChipTimeStateFor(uint8_t clockStatus, int32_t timeResult)
{
    if ((clockStatus & 0x01) != 0) return ChipTimeState::ClockNotSet;
    if (!Succeeded(timeResult)) return ChipTimeState::Error;
    return ChipTimeState::Shown;
}

std::string_view ChipTimeAdvice(ChipTimeState state, bool supplyOn)
{
    switch (state) {
    case ChipTimeState::ClockNotSet:
        return kClockNotSetText;
    case ChipTimeState::Error:
        return supplyOn ? std::string_view() : std::string_view(kNoSupplyText);
    case ChipTimeState::Shown:
        break;
    }
    return {};
}

ChipTimeTexts ChipTimeDisplay(ChipTimeState state, const std::tm& t, bool is24)
{
    switch (state) {
    case ChipTimeState::ClockNotSet:
        return {"Clock Not Set", "Clock Not Set"};
    case ChipTimeState::Error:
        return {"Error", "Error"};
    case ChipTimeState::Shown:
        break;
    }
    return {ClockTimeText(t, is24), ClockDateText(t)};
}

double CalendarSeconds(const std::tm& t)
{
    const int64_t months = static_cast<int64_t>(t.tm_year) * 12 + t.tm_mon;
    const int64_t year = 1900 + FloorDiv(months, 12);
    const int64_t month = months - FloorDiv(months, 12) * 12; // 0-11
    const int64_t days = DaysFromCivil(year, month + 1, 1) + t.tm_mday - 1;
    return static_cast<double>(days * 86400 + static_cast<int64_t>(t.tm_hour) * 3600 +
                               static_cast<int64_t>(t.tm_min) * 60 + t.tm_sec);
}

std::string DeviationText(double tRtc, double tPc)
{
    const bool ahead = tRtc > tPc;
    double d = ahead ? tRtc - tPc : tPc - tRtc;
    if (!std::isfinite(d)) d = 0;
    const auto s = static_cast<uint64_t>(std::min(d, 1e15));
    const char* sign = ahead ? "" : "-";
    const auto h = static_cast<unsigned>(s % 86400 / 3600);
    const auto m = static_cast<unsigned>(s % 3600 / 60);
    const auto sec = static_cast<unsigned>(s % 60);
    char buf[64];
    // Under a day the panel reads hours, minutes and seconds only; from a whole
    // day on the days go in front, so a day's deviation never reads as none.
    if (s >= 86400)
        std::snprintf(buf, sizeof buf, "%s%llud %02u:%02u:%02u", sign,
                      static_cast<unsigned long long>(s / 86400), h, m, sec);
    else
        std::snprintf(buf, sizeof buf, "%s%02u:%02u:%02u", sign, h, m, sec);
    return buf;
}

// ---- board temperature ----

double DecodeSensorWord(uint16_t word, int tempSensor, int32_t tempOffset)
{
    // LM75: 9 bits of 0.5 degree; LM76: 13 bits of 0.0625 degree; two's complement.
    const bool lm76 = tempSensor == 76;
    const unsigned raw = lm76 ? word >> 3 : word >> 7;
    const unsigned signBit = lm76 ? 0x1000 : 0x100;
    const unsigned mask = signBit - 1;
    const double step = lm76 ? 0.0625 : 0.5;
    double celsius = 0;
    if (raw > mask) {
        celsius = -static_cast<double>(((raw & mask) ^ mask) + 1) * step;
    } else {
        celsius = static_cast<double>(raw) * step;
    }
    return celsius + tempOffset * 0.1;
}

std::string TemperatureText(std::optional<double> celsius)
{
    if (!celsius) return "Error";
    return FormatFixed(*celsius, 4) + "*C (" + FormatFixed(*celsius * 1.8 + 32, 2) + "*F)";
}

std::string TempOffsetText(int32_t tempOffset)
{
    const int64_t magnitude = std::abs(static_cast<int64_t>(tempOffset));
    std::string text = tempOffset < 0 ? "-" : "";
    text += std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10) + "*C";
    return text;
}

int32_t TempOffsetUp(int32_t tempOffset)
{
    return tempOffset < 50 ? tempOffset + 1 : tempOffset;
}

int32_t TempOffsetDown(int32_t tempOffset)
{
    return tempOffset > -50 ? tempOffset - 1 : tempOffset;
}

// ---- graph ----

GraphSample MakeGraphSample(uint32_t elapsedSeconds, double tRtc, double tPc,
                            std::optional<double> celsius)
{
    return {elapsedSeconds / 3600.0, tRtc - tPc, celsius};
}

// ---- status bar and timing ----

bool BoardIsGone(int32_t result)
{
    return result == KVRX_ERR_NOT_ATTACHED || result == KVRX_ERR_NOT_OPEN ||
           result == KVRX_ERR_NO_SUCH_BOARD || result == KVRX_ERR_NO_ADAPTER;
}

std::string RunTimeText(uint32_t seconds)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, " Up %u Day(s) %02u:%02u:%02u", seconds / 86400,
                  seconds % 86400 / 3600, seconds % 3600 / 60, seconds % 60);
    return buf;
}

std::string PollDurationText(double milliseconds)
{
    std::string text = " ";
    text += FormatFixed(milliseconds, 3) + " mS";
    return text;
}

// ---- bus speed ----

uint16_t BusSpeedKhz(std::string_view entryText)
{
    const auto first = entryText.find_first_not_of(' ');
    const auto last = entryText.find_last_not_of(' ');
    if (first == std::string_view::npos) return 100;
    const std::string_view digits = entryText.substr(first, last - first + 1);
    uint32_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 100;
        value = std::min<uint32_t>(value * 10 + static_cast<uint32_t>(c - '0'), 0xFFFF);
    }
    return value == 400 ? 599 : static_cast<uint16_t>(value);
}
