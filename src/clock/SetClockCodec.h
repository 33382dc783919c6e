// What the Set Clock page needs that is no widget: the time boxes' texts in
// 12- and 24-hour form, the rules that keep each box in range, the key
// filters, the spin button's steps, the write-enable pre-step's register and
// the page's part of the part choice.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "PartSelection.h"

class RtcBus;

// A box's text as a number: 0 when it is not a whole number.
int TimeBoxValue(std::string_view text);

// The pattern "00": at least two digits, a minus sign before them ("-01").
std::string TwoDigits(int value);

// The four time boxes' texts.
struct TimeEditTexts {
    std::string Hour;
    std::string Minute;
    std::string Second;
    std::string AmPm; // "AM", "PM", or empty in 24-hour form
};

struct TimeOfDay {
    int Hour = 0; // 0-23
    int Minute = 0;
    int Second = 0;
};

// SetTimeEdits: the boxes for a time; in 12-hour form 0 shows as 12 AM and
// 12 to 23 as PM.
TimeEditTexts TimeEditsFor(int hour, int minute, int second, bool is24);

// GetTimeEdits: the time the boxes hold. In 12-hour form "PM" adds 12 (24
// becomes 12, above 23 becomes 0); otherwise 12 becomes 0.
TimeOfDay TimeFromEdits(const TimeEditTexts& boxes, bool is24);

// The hour and AM/PM boxes after a switch of the time format.
struct HourAndAmPm {
    std::string Hour;
    std::string AmPm;
};
HourAndAmPm ConvertHourForFormat(std::string_view hour, std::string_view amPm, bool to24);

// Box rules: the text a box must take instead of its own, or nothing when it
// is in range. Minutes and seconds: 60 or more "59", negative "00". Hours in
// 24-hour form: above 23 "23", negative "00"; in 12-hour form above 12 "12",
// 0 or less "01".
std::optional<std::string> ClampMinuteOrSecond(std::string_view text);
std::optional<std::string> ClampHour(std::string_view text, bool is24);

// The box rules apply once a box holds its second character (both digits
// typed, or a value the program or the spin button wrote) and when it is
// left: a first digit alone ("0" on the way to "09") is no value yet.
bool TimeBoxComplete(std::string_view text);

// Keys typed into the hour, minute and second boxes: digits and backspace.
bool TimeBoxAcceptsKey(char16_t key);

// A key typed into the AM/PM box is never inserted. In 24-hour form the box is
// emptied; in 12-hour form "a"/"A" sets "AM", "p"/"P" "PM". Beep when no
// letter of the form was typed.
struct AmPmKey {
    std::optional<std::string> NewText;
    bool Beep = false;
};
AmPmKey AmPmKeyPress(char16_t key, bool is24);

// The spin button's step on a time box: the value plus or minus one with the
// pattern "00" (the box's own rule then clamps it; there is no wrap-around).
std::string SpinTimeBox(std::string_view text, bool up);
// On the AM/PM box both arrows toggle; anything but "AM" becomes "AM".
std::string SpinAmPm(std::string_view text);

// Whether the format change rewrites the chip's time in the new form. Without
// a part there is no clock to rewrite; a part whose hour register has no
// 12-hour form (TypeC, TypeJ: bits 7 and 6 are flags) never takes one.
bool FormatChangeRewritesChip(PartType type, bool to24);

// The write-enable pre-step of both Set buttons: the register whose WRTC bit
// (bit 6) is cleared and then set before the time is written, for the types
// that have one (TypeD 0x08, TypeF 0x0C).
inline constexpr uint8_t kWrtcBit = 0x40;
std::optional<uint8_t> WrtcRegister(PartType type);

// Runs the pre-step for the selected part: read the register, and when that
// succeeds write it with WRTC cleared and then with WRTC set. Returns the last
// result, or nothing for a type without the step.
std::optional<int32_t> WriteEnablePreStep(RtcBus& bus);

// The page's part of the part choice: the format selector back to "12-Hour",
// shown and enabled, Label96 hidden; TypeC and TypeJ fix it to "24-Hour",
// disabled, with Label96 shown; VK390 selects "12-Hour" once more.
extern const PageSettingsTable kSetClockPageSettings;
