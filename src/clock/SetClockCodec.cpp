#include "clock/SetClockCodec.h"

#include <charconv>
#include <cstdio>
#include <limits>

#include "bus/RtcBus.h"

int TimeBoxValue(std::string_view text)
{
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (!text.empty() && text.front() == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last) return 0;
    return value;
}

std::string TwoDigits(int value)
{
    char buf[16];
    // The magnitude as unsigned: -value of the most negative int does not fit.
    if (value < 0)
        std::snprintf(buf, sizeof buf, "-%02u", 0u - static_cast<unsigned>(value));
    else
        std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}

TimeEditTexts TimeEditsFor(int hour, int minute, int second, bool is24)
{
    TimeEditTexts boxes;
    boxes.Minute = TwoDigits(minute);
    boxes.Second = TwoDigits(second);
    if (is24) {
        boxes.Hour = TwoDigits(hour);
        return boxes;
    }
    boxes.AmPm = hour < 12 ? "AM" : "PM";
    int shown = hour < 12 ? hour : hour - 12;
    if (shown == 0) shown = 12;
    boxes.Hour = TwoDigits(shown);
    return boxes;
}

TimeOfDay TimeFromEdits(const TimeEditTexts& boxes, bool is24)
{
    TimeOfDay t{TimeBoxValue(boxes.Hour), TimeBoxValue(boxes.Minute), TimeBoxValue(boxes.Second)};
    if (is24) return t;
    if (boxes.AmPm == "PM") {
        t.Hour += 12;
        if (t.Hour == 24)
            t.Hour = 12;
        else if (t.Hour > 23)
            t.Hour = 0;
    } else if (t.Hour == 12) {
        t.Hour = 0;
    }
    return t;
}

HourAndAmPm ConvertHourForFormat(std::string_view hour, std::string_view amPm, bool to24)
{
    if (to24) {
        const TimeOfDay t = TimeFromEdits({std::string(hour), "", "", std::string(amPm)}, false);
        return {TwoDigits(t.Hour), ""};
    }
    int h = TimeBoxValue(hour);
    HourAndAmPm out;
    if (h < 12) {
        out.AmPm = "AM";
    } else {
        out.AmPm = "PM";
        h -= 12;
    }
    if (h == 0) h = 12;
    out.Hour = TwoDigits(h);
    return out;
}

std::optional<std::string> ClampMinuteOrSecond(std::string_view text)
{
    const int value = TimeBoxValue(text);
    if (value >= 60) return "59";
    if (value < 0) return "00";
    return std::nullopt;
}

std::optional<std::string> ClampHour(std::string_view text, bool is24)
{
    const int value = TimeBoxValue(text);
    if (is24) {
        if (value > 23) return "23";
        if (value < 0) return "00";
        return std::nullopt;
    }
    if (value > 12) return "12";
    if (value <= 0) return "01";
    return std::nullopt;
}

bool TimeBoxComplete(std::string_view text)
{
    return text.size() >= 2;
}

bool TimeBoxAcceptsKey(char16_t key)
{
    return (key >= u'0' && key <= u'9') || key == u'\b';
}

AmPmKey AmPmKeyPress(char16_t key, bool is24)
{
    if (is24) return {std::string(), true};
    if (key == u'a' || key == u'A') return {"AM", false};
    if (key == u'p' || key == u'P') return {"PM", false};
    return {std::nullopt, true};
}

std::string SpinTimeBox(std::string_view text, bool up)
{
    // A step beyond the largest number a box reads stays at it.
    const int value = TimeBoxValue(text);
    if (value == (up ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min()))
        return TwoDigits(value);
    return TwoDigits(value + (up ? 1 : -1));
}

std::string SpinAmPm(std::string_view text)
{
    return text == "AM" ? "PM" : "AM";
}

bool FormatChangeRewritesChip(PartType type, bool to24)
{
    if (type == TypeNone) return false;
    return to24 || (type != TypeC && type != TypeJ);
}

std::optional<uint8_t> WrtcRegister(PartType type)
{
    switch (type) {
    case TypeD:
        return 0x08;
    case TypeF:
        return 0x0C;
    default:
        return std::nullopt;
    }
}

std::optional<int32_t> WriteEnablePreStep(RtcBus& bus)
{
    const std::optional<uint8_t> address = WrtcRegister(bus.part().TypeCode);
    if (!address) return std::nullopt;
    const uint8_t slave = bus.part().RtcAddress;
    uint8_t work = 0;
    int32_t result = bus.api().Read(bus.BoardNo, 1, slave, *address, &work, 1);
    if (!Succeeded(result)) return result;
    work = static_cast<uint8_t>(work & ~kWrtcBit);
    result = bus.api().Write(bus.BoardNo, 1, slave, *address, &work, 1);
    if (!Succeeded(result)) return result;
    work = static_cast<uint8_t>(work | kWrtcBit);
    return bus.api().Write(bus.BoardNo, 1, slave, *address, &work, 1);
}

namespace {

constexpr ControlSetting kBase[] = {
    Show("SetTimeFomat"),
    Enable("SetTimeFomat"),
    SelectItem("SetTimeFomat", 0),
    Hide("Label96"),
};

// 24-hour-only parts.
constexpr ControlSetting kTwentyFourOnly[] = {
    SelectItem("SetTimeFomat", 1),
    Enable("SetTimeFomat", false),
    Show("Label96"),
};

constexpr ControlSetting kTwelveHour[] = {
    SelectItem("SetTimeFomat", 0),
    Show("SetTimeFomat"),
    Enable("SetTimeFomat"),
};

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kSetClockPageSettings = {
    kBase,
    {SettingList(), SettingList(), kTwentyFourOnly, SettingList(), SettingList(), SettingList(),
     SettingList(), kTwentyFourOnly, kTwelveHour},
};
