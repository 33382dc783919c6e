// The one parser of the hexadecimal boxes (register rows, port rows, memory
// data and addresses, raw bus settings, timer registers). What a box may
// hold differs only in its digit count and its largest value; each page
// words its own refusal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// A hexadecimal digit's value, either case; -1 for any other character.
int HexDigitValue(char c);

// No limit on the digit count: leading zeros are welcome, the value decides.
inline constexpr size_t kAnyDigits = std::numeric_limits<size_t>::max();

// One to maxDigits hexadecimal digits of either case and nothing else (no
// blanks, no "0x"), with a value no larger than max; nullopt otherwise.
std::optional<uint32_t> ParseHexField(std::string_view text, size_t maxDigits,
                                      uint32_t max = std::numeric_limits<uint32_t>::max());

// A byte box (register and port rows, timer registers): one or two
// hexadecimal digits.
std::optional<uint8_t> ParseHexByte(std::string_view text);

// A byte as the boxes and panels show it: two upper-case hexadecimal digits.
std::string HexByte(uint8_t value);
