#include <gtest/gtest.h>

#include "pages/memory/MemoryCodec.h"

using namespace MemoryCodec;

namespace {

struct CellCase {
    int Row;
    int Column;
    const char* Text;
};

TEST(MemoryPartChoice, AddressLengthLinesAndCellPerFamily)
{
    struct Case {
        PartType Type;
        int AddressLength;
        std::optional<int> LastLine;
    };
    const Case cases[] = {
        {TypeNone, 1, std::nullopt},
        {TypeB, 1, std::nullopt},
        {TypeC, 1, std::nullopt},
        {TypeD, 1, 7},
        {TypeE, 2, 31},
        {TypeF, 1, 7},
        {TypeG, 1, std::nullopt},
        {TypeH, 1, std::nullopt},
        {TypeJ, 1, std::nullopt},
        {TypeK, 1, std::nullopt},
    };
    for (const Case& c : cases) {
        const PartShape shape = PartShapeFor(c.Type);
        EXPECT_EQ(shape.AddressLength, c.AddressLength) << int(c.Type);
        EXPECT_EQ(shape.LastLine, c.LastLine) << int(c.Type);
        EXPECT_EQ(shape.GridRow, 2) << int(c.Type);
        EXPECT_EQ(shape.GridColumn, 2) << int(c.Type);
    }
}

TEST(MemoryGrid, FixedCellsNameTheLines)
{
    const CellCase cases[] = {
        {0, 0, "AStart"}, {0, 1, "00"},     {0, 16, "0F"},  {0, 17, "AEnd"},
        {1, 0, "0000"},   {1, 17, "000F"},  {2, 0, "0010"}, {8, 17, "007F"},
        {32, 0, "01F0"},  {32, 17, "01FF"}, {5, 3, ""}, // a data cell stays empty until read
    };
    for (const CellCase& c : cases)
        EXPECT_EQ(CellText(c.Row, c.Column), c.Text) << c.Row << "," << c.Column;
}

TEST(MemoryGrid, LayoutPerMemory)
{
    // EEPROM parts: lines 0 to 31; SRAM parts: lines 0 to 7; plus the header row.
    EXPECT_EQ(GridRows(31), 33);
    EXPECT_EQ(MemorySize(31), 512u);
    EXPECT_EQ(GridRows(7), 9);
    EXPECT_EQ(MemorySize(7), 128u);
}

struct AddressCase {
    int Row;
    int Column;
    uint32_t Size;
    std::optional<uint32_t> Address;
};

TEST(MemoryGrid, CellAddress)
{
    const AddressCase cases[] = {
        {1, 1, 512, 0x000u},
        {32, 16, 512, 0x1FFu},
        {2, 0, 512, 0x00Fu},
        {1, 17, 512, 0x010u},
        {8, 16, 128, 0x07Fu},
        {1, 0, 512, std::nullopt},
        // Past the end of the memory: no byte to read or write there.
        {32, 17, 512, std::nullopt},
        {8, 17, 128, std::nullopt},
        {0, 5, 512, std::nullopt},
    };
    for (const AddressCase& c : cases)
        EXPECT_EQ(CellAddress(c.Row, c.Column, c.Size), c.Address) << c.Row << "," << c.Column;
    EXPECT_EQ(CellOf(0x000), (std::array<int, 2>{1, 1}));
    EXPECT_EQ(CellOf(0x1FF), (std::array<int, 2>{32, 16}));
}

TEST(MemoryFill, Patterns)
{
    const FillValues values{0x12, 0xEF, 0x55, 0xAA};
    struct Case {
        Fill Pattern;
        uint32_t Line;
        std::array<uint8_t, 16> Bytes;
    };
    const Case cases[] = {
        {Fill::DataIsAddress,
         0x010,
         {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E,
          0x1F}},
        // The second 256 bytes repeat the first.
        {Fill::DataIsAddress,
         0x100,
         {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
          0x0F}},
        {Fill::Explicit1,
         0x070,
         {0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12,
          0x12}},
        {Fill::Explicit2,
         0x1F0,
         {0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF,
          0xEF}},
        {Fill::Checkerboard,
         0x030,
         {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55,
          0xAA}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillLine(c.Pattern, values, c.Line), c.Bytes)
            << static_cast<int>(c.Pattern) << " at " << c.Line;
}

TEST(MemoryBoxes, BytesAndAddresses)
{
    struct ByteCase {
        const char* Text;
        std::optional<uint8_t> Value;
    };
    const ByteCase bytes[] = {{"5A", 0x5A},        {"ff", 0xFF},       {"7", 0x07},
                              {"5A7", 0x5A},       {"", std::nullopt}, {"G1", std::nullopt},
                              {"1 ", std::nullopt}};
    for (const ByteCase& c : bytes)
        EXPECT_EQ(BoxByte(c.Text), c.Value) << '"' << c.Text << '"';

    struct AddressCase {
        const char* Text;
        uint32_t Size;
        std::optional<uint32_t> Value;
    };
    const AddressCase addresses[] = {
        {"01FF", 512, 0x1FFu},        {"0000", 128, 0u},           {"007F", 128, 0x7Fu},
        {"0080", 128, std::nullopt},  {"0200", 512, std::nullopt}, {"", 512, std::nullopt},
        {"12345", 512, std::nullopt}, {"0x10", 512, std::nullopt},
    };
    for (const AddressCase& c : addresses)
        EXPECT_EQ(ParseAddress(c.Text, c.Size), c.Value) << '"' << c.Text << '"';
}

TEST(MemoryProtect, LevelIsBits7To5)
{
    // "0000-003F" is entry 4: BP = 100.
    EXPECT_EQ(WithProtectLevel(0x00, 4), 0x80);
    // Bits 4..0 belong to other functions and stay.
    EXPECT_EQ(WithProtectLevel(0xFF, 0), 0x1F);
    EXPECT_EQ(WithProtectLevel(0x15, 7), 0xF5);
    EXPECT_EQ(ProtectLevel(0xA3), 5);
}

} // namespace

TEST(MemoryPacing, FirstTryOfALineMeetsTheEndOfTheWriteCycle)
{
    // Times in microseconds: since the line's write started, what that write
    // took, what a refused try takes; the wait before the next line's first try.
    struct Case {
        int64_t since, line, tryCost, wait;
    };
    const Case cases[] = {
        {0, 1430, 0, 0},          // nothing refused yet: try at once, learn the cost
        {1430, 1430, 1020, 4000}, // 5 ms cycle + 410 us of wire + 20 us margin, from the start
        {3000, 1430, 1020, 2430},
        {5430, 1430, 1020, 0}, // the cycle is over
        {9000, 1430, 1020, 0},
        {1000, 900, 1020, 4020}, // a line no dearer than a try: no wire time to add
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstTryDelayNs(c.since * 1000, c.line * 1000, c.tryCost * 1000), c.wait * 1000)
            << c.since << " " << c.line << " " << c.tryCost;
}
