#include "bus/HexField.h"

#include <cstdio>

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<uint32_t> ParseHexField(std::string_view text, size_t maxDigits, uint32_t max)
{
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return std::nullopt;
        // Checked at every digit, so no length of text can overflow it.
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > max) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<uint8_t> ParseHexByte(std::string_view text)
{
    const std::optional<uint32_t> value = ParseHexField(text, 2);
    if (!value) return std::nullopt;
    return static_cast<uint8_t>(*value);
}

std::string HexByte(uint8_t value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}
