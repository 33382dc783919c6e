// The hex and number fields of the pages (HexFields.h names them), checked
// against the C library's own reading of the same text: std::isxdigit in the
// C locale for what a hex digit is, std::from_chars for the value.
//
// - A field takes exactly the texts its rule allows, with the value the text
//   has, never one beyond its largest; two fields with the same rule agree.
// - A byte written as the boxes show it reads back as the same byte.
// - The time boxes' range rules always leave a value in range, and a spin
//   step moves the value by one.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "HexFields.h"

namespace {

bool isHex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool allHex(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), isHex);
}

// The value of a run of hex digits; nullopt when it does not fit 64 bits.
std::optional<uint64_t> hexValue(std::string_view text)
{
    uint64_t value = 0;
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, value, 16);
    if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
    return value;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

void checkByteText(uint8_t value)
{
    const std::string text = FuzzFields::RegisterByteText(value);
    FUZZ_CHECK(text.size() == 2 && text == upper(text) && allHex(text));
    FUZZ_CHECK(FuzzFields::RegisterByte(text) == value);
    FUZZ_CHECK(FuzzFields::TimerByte(text) == value);
    FUZZ_CHECK(FuzzFields::MemoryByte(text) == value);
}

void checkHexBoxes(std::string_view text, uint32_t max, uint32_t size, int count)
{
    // One or two hex digits.
    const std::optional<uint8_t> byte = FuzzFields::RegisterByte(text);
    const bool byteText = !text.empty() && text.size() <= 2 && allHex(text);
    FUZZ_CHECK(byte.has_value() == byteText);
    if (byte) FUZZ_CHECK(*byte == *hexValue(text));
    FUZZ_CHECK(FuzzFields::TimerByte(text) == byte);

    // The first two characters.
    const std::optional<uint8_t> box = FuzzFields::MemoryByte(text);
    const std::string_view head = text.substr(0, 2);
    FUZZ_CHECK(box.has_value() == (!head.empty() && allHex(head)));
    if (box) FUZZ_CHECK(*box == *hexValue(head));

    // One to four hex digits below the size.
    const std::optional<uint32_t> address = FuzzFields::MemoryAddress(text, size);
    const bool addressText = !text.empty() && text.size() <= 4 && allHex(text);
    FUZZ_CHECK(address.has_value() == (addressText && *hexValue(text) < size));
    if (address) FUZZ_CHECK(*address == *hexValue(text));

    // Hex digits up to max, blanks around them.
    std::string_view trimmed = text;
    while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
        trimmed.remove_prefix(1);
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
        trimmed.remove_suffix(1);
    const std::optional<uint32_t> number = FuzzFields::PortNumber(text, max);
    if (!trimmed.empty() && allHex(trimmed)) {
        const std::optional<uint64_t> value = hexValue(trimmed);
        const bool fits = value && *value <= max;
        FUZZ_CHECK(number.has_value() == fits);
        if (number) FUZZ_CHECK(*number == *value);
    } else {
        FUZZ_CHECK(!number);
    }

    // A row's name ends with its address.
    const std::optional<uint8_t> row = FuzzFields::RowAddress(text);
    const bool rowName = text.size() >= 4 && text[text.size() - 4] == '0' &&
                         (text[text.size() - 3] == 'x' || text[text.size() - 3] == 'X') &&
                         allHex(text.substr(text.size() - 2));
    FUZZ_CHECK(row.has_value() == rowName);
    if (row) FUZZ_CHECK(*row == *hexValue(text.substr(text.size() - 2)));

    // Two hex digits a byte for count bytes, from a buffer of at most 128.
    const std::optional<std::vector<uint8_t>> bytes = FuzzFields::PortWriteBytes(text, count);
    const bool fitsBuffer = count >= 0 && count <= PortCodec::kWriteBufferBytes;
    const size_t digits = fitsBuffer ? 2 * static_cast<size_t>(count) : 0;
    FUZZ_CHECK(bytes.has_value() ==
               (fitsBuffer && text.size() >= digits && allHex(text.substr(0, digits))));
    if (bytes) {
        FUZZ_CHECK(bytes->size() == static_cast<size_t>(count));
        FUZZ_CHECK(PortCodec::HexBytes(*bytes) == upper(text.substr(0, digits)));
    }
}

void checkKeys(std::string_view text)
{
    for (char c : text) {
        const std::optional<char> key = FuzzFields::RegisterKey(c);
        FUZZ_CHECK(key.has_value() == (c == '\b' || isHex(c)));
        if (key) FUZZ_CHECK(*key == (c == '\b' ? c : upper(std::string_view(&c, 1))[0]));
    }
}

void checkTimeBox(std::string_view text, bool is24)
{
    const int value = FuzzFields::TimeBox(text);
    if (!text.empty() && text.size() <= 9 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        FUZZ_CHECK(value == std::stoi(std::string(text)));

    // The rules leave a value in range.
    const std::optional<std::string> minute = ClampMinuteOrSecond(text);
    const int minuteValue = minute ? FuzzFields::TimeBox(*minute) : value;
    FUZZ_CHECK(minuteValue >= 0 && minuteValue <= 59);
    const std::optional<std::string> hour = ClampHour(text, is24);
    const int hourValue = hour ? FuzzFields::TimeBox(*hour) : value;
    FUZZ_CHECK(is24 ? hourValue >= 0 && hourValue <= 23 : hourValue >= 1 && hourValue <= 12);

    // Written as the boxes show it, a value reads back.
    FUZZ_CHECK(FuzzFields::TimeBox(TwoDigits(value)) == value);
    // The spin button moves by one (as far as a box's number goes).
    const long long up = FuzzFields::TimeBox(SpinTimeBox(text, true));
    const long long down = FuzzFields::TimeBox(SpinTimeBox(text, false));
    if (value < std::numeric_limits<int>::max()) FUZZ_CHECK(up == value + 1LL);
    if (value > std::numeric_limits<int>::min()) FUZZ_CHECK(down == value - 1LL);

    // The boxes after the rules make a time of day in either form.
    const std::string amPm = text.size() % 2 == 0 ? "AM" : "PM";
    const TimeEditTexts boxes{TwoDigits(hourValue), TwoDigits(minuteValue), TwoDigits(minuteValue),
                              is24 ? std::string() : amPm};
    const TimeOfDay t = TimeFromEdits(boxes, is24);
    FUZZ_CHECK(t.Hour >= 0 && t.Hour <= 23 && t.Minute == minuteValue && t.Second == minuteValue);
    const TimeEditTexts shown = TimeEditsFor(t.Hour, t.Minute, t.Second, is24);
    const TimeOfDay again = TimeFromEdits(shown, is24);
    FUZZ_CHECK(again.Hour == t.Hour && again.Minute == t.Minute && again.Second == t.Second);
    const HourAndAmPm other = ConvertHourForFormat(boxes.Hour, boxes.AmPm, !is24);
    const TimeOfDay converted =
        TimeFromEdits({other.Hour, boxes.Minute, boxes.Second, other.AmPm}, !is24);
    FUZZ_CHECK(converted.Hour == t.Hour);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const uint32_t max = in.ConsumeIntegral<uint32_t>();
    const uint32_t memorySize = in.ConsumeIntegralInRange<uint32_t>(0, 0x10000);
    const int count = in.ConsumeIntegralInRange(-2, PortCodec::kWriteBufferBytes + 2);
    const bool is24 = in.ConsumeBool();
    const uint8_t value = in.ConsumeIntegral<uint8_t>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    checkByteText(value);
    checkKeys(text);
    // The boxes are short: every beginning of the text up to eight characters,
    // then the whole of it.
    const std::string_view all(text);
    for (size_t n = 0; n <= std::min<size_t>(8, all.size()); ++n) {
        checkHexBoxes(all.substr(0, n), max, memorySize, count);
        checkTimeBox(all.substr(0, n), is24);
    }
    checkHexBoxes(all, max, memorySize, count);
    checkTimeBox(all, is24);
    return 0;
}
