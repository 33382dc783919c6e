#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pages/port/PortCodec.h"

using namespace PortCodec;

namespace {

// ---- hex boxes ----

struct HexCase {
    const char* Text;
    uint32_t Max;
    std::optional<uint32_t> Value;
};

constexpr HexCase kHexCases[] = {
    {"AE", 0xFF, 0xAE},
    {"ae", 0xFF, 0xAE},
    {" 7 ", 0xFF, 0x07},
    {"FF", 0xFF, 0xFF},
    {"100", 0xFF, {}},
    {"", 0xFF, {}},
    {"  ", 0xFF, {}},
    {"G1", 0xFF, {}},
    {"0x10", 0xFF, {}},
    {"-1", 0xFF, {}},
    {"1 2", 0xFF, {}},
    {"FFFF", 0xFFFF, 0xFFFF},
    {"10000", 0xFFFF, {}},
    {"00000000000001", 0xFF, 0x01},
    {"FFFFFFFFFFFFFFFFFFFF", 0xFFFF, {}},
};

TEST(PortHexBox, ParsesHexNumbersUpToTheLimit)
{
    for (const HexCase& c : kHexCases) {
        SCOPED_TRACE(std::string("\"") + c.Text + "\"");
        EXPECT_EQ(ParseHexNumber(c.Text, c.Max), c.Value);
    }
}

// ---- sub-address and Setup ----

struct AddressCase {
    int Length;
    uint32_t Address; // RegAddr1 0x34, RegAddr2 0x12, RegAddr3 0xAB
};

constexpr AddressCase kAddressCases[] = {
    {0, 0x000000}, // no sub-address: the chip's own pointer
    {1, 0x000034},
    {2, 0x001234},
    {3, 0xAB1234},
};

TEST(PortSubAddress, TakesTheBytesOfTheChosenLength)
{
    for (const AddressCase& c : kAddressCases) {
        SCOPED_TRACE("length " + std::to_string(c.Length));
        EXPECT_EQ(SubAddress(c.Length, 0x34, 0x12, 0xAB), c.Address);
        const SetupResult setup = SetupFromBoxes({"DE", "34", "12", "ab", "10"}, c.Length);
        ASSERT_TRUE(setup.Settings.has_value()) << setup.Refusal;
        EXPECT_EQ(setup.Settings->Slave, 0xDE);
        EXPECT_EQ(setup.Settings->Address, static_cast<int>(c.Address));
        EXPECT_EQ(setup.Settings->Count, 0x10);
    }
}

struct SetupCase {
    SetupBoxes Boxes;
    int Length;
    const char* Names; // what the refusal names; empty: accepted
};

const SetupCase kSetupCases[] = {
    {{"", "00", "00", "00", "01"}, 1, "ADR 0x"},
    {{"1AE", "00", "00", "00", "01"}, 1, "ADR 0x"},
    {{"AE", "", "00", "00", "01"}, 1, "sub-address byte 1"},
    {{"AE", "00", "XY", "00", "01"}, 2, "sub-address byte 2"},
    {{"AE", "00", "00", "100", "01"}, 3, "sub-address byte 3"},
    {{"AE", "00", "00", "00", ""}, 1, "Rd / Wrt Byte Qty"},
    {{"AE", "00", "00", "00", "Z"}, 0, "Rd / Wrt Byte Qty"},
    // Boxes beyond the chosen length are hidden and not read.
    {{"AE", "", "", "", "01"}, 0, ""},
    {{"AE", "05", "", "", "01"}, 1, ""},
    // Counts are checked by the transfers, against their own buffers.
    {{"AE", "00", "00", "00", "FF"}, 1, ""},
};

TEST(PortSetup, RefusesBoxesThatHoldNoValueAndNamesThem)
{
    for (const SetupCase& c : kSetupCases) {
        SCOPED_TRACE(c.Boxes.Slave + "/" + c.Boxes.Addr1 + "/" + c.Boxes.Addr2 + "/" +
                     c.Boxes.Addr3 + "/" + c.Boxes.Count + " length " + std::to_string(c.Length));
        const SetupResult setup = SetupFromBoxes(c.Boxes, c.Length);
        if (std::string(c.Names).empty()) {
            EXPECT_TRUE(setup.Settings.has_value()) << setup.Refusal;
            EXPECT_EQ(setup.Refusal, "");
        } else {
            EXPECT_FALSE(setup.Settings.has_value());
            EXPECT_NE(setup.Refusal.find("Setup refused"), std::string::npos) << setup.Refusal;
            EXPECT_NE(setup.Refusal.find(c.Names), std::string::npos) << setup.Refusal;
        }
    }
}

// ---- Write I2C ----

struct WriteCase {
    const char* Text;
    int Count;
    std::vector<uint8_t> Bytes;
    const char* Refusal; // a part of the refusal; nullptr: the write may go
};

const WriteCase kWriteCases[] = {
    {"0102030405060708090A", 1, {0x01}, nullptr},
    {"0102030405060708090A", 3, {0x01, 0x02, 0x03}, nullptr},
    {"aBfF", 2, {0xAB, 0xFF}, nullptr},
    {"", 0, {}, nullptr},
    {"ABC", 2, {}, "byte 2 is not two hex digits"},
    {"AB", 2, {}, "byte 2 is not two hex digits"},
    {"A", 1, {}, "byte 1 is not two hex digits"},
    {"AB G1", 3, {}, "byte 2 is not two hex digits"},
    {"0102030405060708090A", 11, {}, "byte 11 is not two hex digits"},
    {"", 129, {}, "0x81 bytes asked, at most 0x80 (128)"},
    {"", -1, {}, "at most 0x80 (128)"},
};

TEST(PortWrite, TakesTwoHexDigitsPerByteWithinTheWriteBuffer)
{
    for (const WriteCase& c : kWriteCases) {
        SCOPED_TRACE(std::string("\"") + c.Text + "\" count " + std::to_string(c.Count));
        const WriteData data = WriteBytesFor(c.Text, c.Count);
        if (c.Refusal == nullptr) {
            ASSERT_TRUE(data.Bytes.has_value()) << data.Refusal;
            EXPECT_EQ(*data.Bytes, c.Bytes);
        } else {
            EXPECT_FALSE(data.Bytes.has_value());
            EXPECT_NE(data.Refusal.find(c.Refusal), std::string::npos) << data.Refusal;
            EXPECT_NE(data.Refusal.find("nothing was sent"), std::string::npos) << data.Refusal;
        }
    }
}

TEST(PortWrite, AFullWriteBufferGoesAndOneByteMoreDoesNot)
{
    const std::string full(2 * kWriteBufferBytes + 2, '5');
    const WriteData data = WriteBytesFor(full, kWriteBufferBytes);
    ASSERT_TRUE(data.Bytes.has_value()) << data.Refusal;
    EXPECT_EQ(data.Bytes->size(), 128u);
    EXPECT_EQ(data.Bytes->back(), 0x55);
    EXPECT_FALSE(WriteBytesFor(full, kWriteBufferBytes + 1).Bytes.has_value());
}

// ---- Read I2C ----

TEST(PortRead, RefusesCountsOutsideTheReadBuffer)
{
    struct Case {
        int Count;
        bool Refused;
    };
    for (const Case& c : {Case{0, false}, Case{1, false}, Case{64, false}, Case{65, true},
                          Case{0x80, true}, Case{-1, true}}) {
        SCOPED_TRACE("count " + std::to_string(c.Count));
        const std::string refusal = ReadRefusal(c.Count);
        EXPECT_EQ(!refusal.empty(), c.Refused) << refusal;
        if (c.Refused) {
            EXPECT_NE(refusal.find("at most 0x40 (64)"), std::string::npos) << refusal;
        }
    }
    EXPECT_NE(ReadRefusal(65).find("0x41 bytes asked"), std::string::npos);
}

TEST(PortRead, ShowsBytesAsUpperCaseHexWithoutSeparators)
{
    const std::vector<uint8_t> bytes = {0x01, 0xAB, 0x00};
    EXPECT_EQ(HexBytes(bytes), "01AB00");
    EXPECT_EQ(HexBytes({}), "");
    const std::vector<uint8_t> edges = {0xFF, 0x0F, 0xF0};
    EXPECT_EQ(HexBytes(edges), "FF0FF0");
}

} // namespace
