// User memory at 0xAE: the TypeE EEPROM and the TypeD / TypeF SRAM.
#include "ChipBench.h"

namespace chiptest {
namespace {

constexpr uint8_t kMem = 0xAE;

std::vector<uint8_t> readMemory(ChipBench& bench, uint32_t address, uint32_t count)
{
    std::vector<uint8_t> bytes(count, 0xEE);
    EXPECT_EQ(KVRX_OK,
              bench.read(kMem, bench.type() == TypeE ? 2 : 1, address, bytes.data(), count));
    return bytes;
}

// One EEPROM line the way the memory page writes it: write enable, the line, the cycle.
void writeEepromLine(ChipBench& bench, uint32_t address, const std::vector<uint8_t>& bytes)
{
    bench.unlock();
    ASSERT_EQ(KVRX_OK, bench.write(kMem, 2, address, bytes));
    bench.run(0.006);
}

std::vector<uint8_t> counting(int from, int n)
{
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(static_cast<uint8_t>(from + i));
    return v;
}

TEST(Eeprom, APageWriteWrapsInsideItsPage)
{
    ChipBench bench("VK360");
    writeEepromLine(bench, 0x0108, counting(0x10, 16));
    const std::vector<uint8_t> expected = {0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
                                           0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17};
    EXPECT_EQ(expected, readMemory(bench, 0x0100, 16));
    EXPECT_EQ(std::vector<uint8_t>(4, 0xFF), readMemory(bench, 0x0110, 4)) << "next page untouched";
}

TEST(Eeprom, SequentialReadsRunAcrossPagesAndWrapAtTheEnd)
{
    ChipBench bench("VK361");
    writeEepromLine(bench, 0x01F0, counting(0xF0, 16));
    writeEepromLine(bench, 0x0000, counting(0x00, 16));
    auto bytes = readMemory(bench, 0x01FE, 4);
    EXPECT_EQ((std::vector<uint8_t>{0xFE, 0xFF, 0x00, 0x01}), bytes);
    uint8_t next = 0;
    ASSERT_EQ(KVRX_OK, bench.read(kMem, 0, 0, &next, 1)) << "current address read";
    EXPECT_EQ(0x02, next);
}

TEST(Eeprom, TheWriteCycleKeepsTheChipOffTheBusUntilItEnds)
{
    ChipBench bench("VK362");
    bench.unlock();
    ASSERT_EQ(KVRX_OK, bench.write(kMem, 2, 0x0040, counting(1, 16)));
    // Each probe is a transfer of about 1 ms (the bridge's round trip).
    EXPECT_FALSE(bench.chip().answers(kMem));
    EXPECT_FALSE(bench.chip().answers(bench.rtc()));
    bench.run(0.0015);
    uint8_t b = 0x5C;
    EXPECT_EQ(KVRX_ERR_ADDR_NACK, bench.read(kMem, 2, 0x0040, &b, 1)) << "4.5 ms into the cycle";
    EXPECT_EQ(0x5C, b);

    bench.run(0.001);
    EXPECT_TRUE(bench.chip().answers(kMem));
    EXPECT_TRUE(bench.chip().answers(bench.rtc()));

    // The clock's own passing time ends the cycle as well.
    bench.unlock();
    bench.write(kMem, 2, 0x0050, {0xAB});
    bench.run(0.01);
    EXPECT_TRUE(bench.chip().answers(kMem));
    EXPECT_EQ(0xAB, readMemory(bench, 0x0050, 1)[0]);
}

TEST(Eeprom, AcknowledgePollingEndsAfterAFewTries)
{
    ChipBench bench("VK363");
    writeEepromLine(bench, 0x0000, counting(0, 16));
    bench.unlock();
    bench.write(kMem, 2, 0x0010, counting(0, 16));
    const int tries = bench.unlock(); // polls with about 1.1 ms per try
    EXPECT_GE(tries, 4);
    EXPECT_LE(tries, 6);
}

TEST(Eeprom, WritesNeedTheWriteEnableLatch)
{
    ChipBench bench("VK364");
    ASSERT_EQ(KVRX_OK, bench.write(kMem, 2, 0x0020, {0x12, 0x34}));
    EXPECT_TRUE(bench.chip().answers(kMem)) << "no write cycle for a dropped write";
    EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF}), readMemory(bench, 0x0020, 2));

    bench.write(bench.rtc(), 2, 0x3F, {0x02}); // WEL alone is enough for the memory
    bench.write(kMem, 2, 0x0020, {0x12, 0x34});
    bench.run(0.006);
    EXPECT_EQ((std::vector<uint8_t>{0x12, 0x34}), readMemory(bench, 0x0020, 2));

    bench.write(bench.rtc(), 2, 0x3F, {0x00});
    bench.write(kMem, 2, 0x0020, {0x56});
    bench.run(0.006);
    EXPECT_EQ(0x12, readMemory(bench, 0x0020, 1)[0]);
}

struct ProtectCase {
    uint8_t bp;
    int first; // protected range, first > last: none
    int last;
};

class BlockProtect : public ::testing::TestWithParam<ProtectCase> {};

TEST_P(BlockProtect, ProtectedBytesAreAcknowledgedAndKept)
{
    const ProtectCase& c = GetParam();
    ChipBench bench("VK365");
    bench.changeReg(0x10, 0xE0, static_cast<uint8_t>(c.bp << 5));
    ASSERT_EQ(c.bp << 5, bench.reg(0x10) & 0xE0);
    for (int address : {0x000, 0x03F, 0x040, 0x07F, 0x080, 0x0FF, 0x100, 0x17F, 0x180, 0x1FF}) {
        bench.unlock();
        ASSERT_EQ(KVRX_OK, bench.write(kMem, 2, address, {0x5A}));
        bench.run(0.006);
        const bool isProtected = address >= c.first && address <= c.last;
        EXPECT_EQ(isProtected ? 0xFF : 0x5A, readMemory(bench, address, 1)[0])
            << "BP " << int(c.bp) << " at " << address;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, BlockProtect,
                         ::testing::Values(ProtectCase{0, 1, 0}, ProtectCase{1, 0x180, 0x1FF},
                                           ProtectCase{2, 0x100, 0x1FF}, ProtectCase{3, 0, 0x1FF},
                                           ProtectCase{4, 0, 0x03F}, ProtectCase{5, 0, 0x07F},
                                           ProtectCase{6, 0, 0x0FF}, ProtectCase{7, 0, 0x1FF}),
                         [](const auto& info) { return "BP" + std::to_string(info.param.bp); });

class Sram : public ::testing::TestWithParam<const char*> {};

TEST_P(Sram, HoldsWhatIsWrittenLineByLineWithoutACycle)
{
    ChipBench bench(GetParam());
    for (int line = 0; line < 8; ++line) {
        ASSERT_EQ(KVRX_OK, bench.write(kMem, 1, line * 16, counting(0x80 - line * 16, 16)));
        EXPECT_TRUE(bench.chip().answers(kMem));
    }
    for (int line = 0; line < 8; ++line)
        EXPECT_EQ(counting(0x80 - line * 16, 16), readMemory(bench, line * 16, 16));
    // The address runs on from the last byte and wraps at the end.
    ASSERT_EQ(KVRX_OK, bench.write(kMem, 1, 0x7F, {0xC1, 0xC2}));
    EXPECT_EQ((std::vector<uint8_t>{0xC1}), readMemory(bench, 0x7F, 1));
    EXPECT_EQ((std::vector<uint8_t>{0xC2}), readMemory(bench, 0x00, 1));
}

INSTANTIATE_TEST_SUITE_P(Parts, Sram, ::testing::Values("VK350", "VK352", "VK354", "VK370"));

TEST(UserMemory, NoDeviceAnswersAt0xAEForPartsWithoutMemory)
{
    for (const char* name :
         {"VK310", "VK311", "VK320", "VK321", "VK340", "VK380", "VK381", "VK382", "VK390"}) {
        ChipBench bench(name);
        EXPECT_FALSE(bench.chip().answers(kMem)) << name;
        uint8_t b = 0;
        EXPECT_FALSE(bench.chip().peek(kMem, 0, &b)) << name;
    }
}

TEST(UserMemory, PeekAndPokeReachTheBytesDirectly)
{
    ChipBench bench("VK360");
    ASSERT_TRUE(bench.chip().poke(kMem, 0x1FF, 0x42));
    EXPECT_EQ(0x42, readMemory(bench, 0x1FF, 1)[0]);
    EXPECT_TRUE(bench.chip().answers(kMem)) << "a poke starts no write cycle";
    uint8_t b = 0;
    EXPECT_FALSE(bench.chip().peek(kMem, 0x200, &b));
    EXPECT_FALSE(bench.chip().poke(kMem, 0x200, 1));
}

} // namespace
} // namespace chiptest
