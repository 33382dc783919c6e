// The one parser of the hexadecimal boxes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "bus/HexField.h"

namespace {

// The byte boxes of the register and port rows and of the timer registers.
TEST(HexField, AByteBoxHoldsOneOrTwoHexDigitsAndNothingElse)
{
    const struct {
        const char* text;
        std::optional<uint8_t> value;
    } cases[] = {
        {"AB", 0xAB}, {"ab", 0xAB}, {"3c", 0x3C}, {"A", 0x0A},  {"f", 0x0F}, {"0", 0x00},
        {"00", 0x00}, {"09", 0x09}, {"FF", 0xFF}, {"a0", 0xA0}, {"", {}},    {" ", {}},
        {"G", {}},    {"1G", {}},   {"3g", {}},   {"ABC", {}},  {"100", {}}, {"3c7", {}},
        {" A", {}},   {"3c ", {}},  {"0x3", {}},  {"-1", {}},   {"+1", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseHexByte(c.text), c.value) << '"' << c.text << '"';
}

TEST(HexField, AByteShowsAsTwoUpperCaseDigits)
{
    EXPECT_EQ(HexByte(0x00), "00");
    EXPECT_EQ(HexByte(0x0A), "0A");
    EXPECT_EQ(HexByte(0x0b), "0B");
    EXPECT_EQ(HexByte(0xFA), "FA");
    for (int value = 0; value < 256; ++value)
        EXPECT_EQ(ParseHexByte(HexByte(static_cast<uint8_t>(value))), value);
}

TEST(HexField, DigitsAndValueAreBoundedSeparately)
{
    const struct {
        const char* text;
        size_t maxDigits;
        uint32_t max;
        std::optional<uint32_t> value;
    } cases[] = {
        {"01FF", 4, 0x1FF, 0x1FF},
        {"0200", 4, 0x1FF, {}},
        {"12345", 4, 0xFFFFFFFF, {}},
        {"FFFF", 4, 0xFFFF, 0xFFFF},
        // Leading zeros count only against a digit limit.
        {"00000000000001", kAnyDigits, 0xFF, 0x01},
        {"00000000000001", 4, 0xFF, {}},
        {"100", kAnyDigits, 0xFF, {}},
        // Far too many digits neither wrap round nor pass.
        {"FFFFFFFFFFFFFFFFFFFF", kAnyDigits, 0xFFFFFFFF, {}},
        {"10000000000000001", kAnyDigits, 0xFFFFFFFF, {}},
        {"FFFFFFFF", kAnyDigits, 0xFFFFFFFF, 0xFFFFFFFF},
        {"", kAnyDigits, 0xFF, {}},
        {" 7", kAnyDigits, 0xFF, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseHexField(c.text, c.maxDigits, c.max), c.value)
            << '"' << c.text << "\" digits " << c.maxDigits << " max " << c.max;
    }
}

} // namespace
