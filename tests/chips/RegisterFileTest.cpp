// The register file behind the part's map: addresses, read-only and
// write-only registers, address counting, peek and poke.
#include "ChipBench.h"

namespace chiptest {
namespace {

TEST(RegisterFile, UnmappedAddressesReadZeroAndIgnoreWrites)
{
    ChipBench bench("VK310");
    bench.setReg(0x20, 0x55);
    EXPECT_EQ(0x00, bench.reg(0x20));
    uint8_t b = 0;
    EXPECT_FALSE(bench.chip().peek(0xDE, 0x20, &b));
    EXPECT_FALSE(bench.chip().poke(0xDE, 0x20, 1));

    ChipBench e("VK362"); // no ID section
    EXPECT_EQ(std::vector<uint8_t>(8, 0), e.regs(0x20, 8));
}

// Bits a part's map leaves unnamed are no bits of the part: they read 0 on
// the bus and through peek, whether all ones were written or poked there.
class UnusedBits : public ::testing::TestWithParam<int> {};

TEST_P(UnusedBits, ReadZeroAfterAllOnesWrittenOrPoked)
{
    const PartInfo& part = PartTable[GetParam()];
    ChipBench bench(part.PartName);
    const std::vector<MapSection> sections = MapSections(part.RegisterMap);
    ASSERT_FALSE(sections.empty());
    auto expectUnusedZero = [&](const RegMapEntry& row, const char* after) {
        const uint8_t onBus = bench.reg(row.Address);
        uint8_t peeked = 0xEE;
        ASSERT_TRUE(bench.chip().peek(bench.rtc(), row.Address, &peeked)) << row.ShortName;
        for (int i = 0; i < 8; ++i) {
            if (row.BitNames[i][0] != '\0') continue;
            const uint8_t bit = static_cast<uint8_t>(0x80 >> i);
            EXPECT_EQ(0, onBus & bit) << row.ShortName << " bit " << 7 - i << " after " << after;
            EXPECT_EQ(0, peeked & bit)
                << row.ShortName << " bit " << 7 - i << " peeked after " << after;
        }
    };
    for (const MapSection& section : sections) {
        for (int i = 0; i < section.RegisterCount; ++i) {
            const RegMapEntry& row = section.FirstRegister[i];
            bench.setReg(row.Address, 0xFF);
            expectUnusedZero(row, "a write");
            bench.chip().poke(bench.rtc(), row.Address, 0xFF); // refused where worked out
            expectUnusedZero(row, "a poke");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPart, UnusedBits, ::testing::Range(1, kPartCount),
                         [](const auto& info) {
                             return std::string(PartTable[info.param].PartName);
                         });

struct BitsCase {
    const char* part;
    uint8_t reg;
    bool poke; // else written through the bus
    uint8_t value;
    uint8_t reads;
};

// Worked examples: the same family, different parts, different bits.
const BitsCase kBitsCases[] = {
    {"VK310", 0x07, true, 0x0E, 0x06},  // EVT is no VK310 bit
    {"VK311", 0x07, true, 0x0E, 0x0E},  // VK311 has it
    {"VK310", 0x0B, false, 0xFF, 0x07}, // DTR: three bits
    {"VK310", 0x09, false, 0xFF, 0x00}, // reserved
    {"VK340", 0x0B, true, 0x7F, 0x67},  // no bits 4 and 3 (ARST left clear: no reset by reading)
    {"VK380", 0x0E, false, 0x7F, 0x1F}, // control: bits 6 and 5 unused
    {"VK380", 0x0F, true, 0xFF, 0x83},  // OSF A2F A1F
    {"VK360", 0x37, true, 0xFF, 0x39},  // Y2K
    {"VK360", 0x3F, true, 0xFF, 0xF7},  // status: no bit 3
    {"VK362", 0x10, false, 0xFF, 0xE0}, // block protect, no watchdog
    {"VK382", 0x07, true, 0xFF, 0xC1},  // OUT FT PF
    {"VK390", 0x09, false, 0xFF, 0xF3}, // timer control
};

class MapBits : public ::testing::TestWithParam<BitsCase> {};

TEST_P(MapBits, OnlyThePartsOwnBitsHoldAValue)
{
    const BitsCase& c = GetParam();
    ChipBench bench(c.part);
    if (c.poke)
        ASSERT_TRUE(bench.chip().poke(bench.rtc(), c.reg, c.value));
    else
        bench.setReg(c.reg, c.value);
    EXPECT_EQ(c.reads, bench.reg(c.reg));
    EXPECT_EQ(c.reads, bench.peek(c.reg));
}

INSTANTIATE_TEST_SUITE_P(Cases, MapBits, ::testing::ValuesIn(kBitsCases), [](const auto& info) {
    return std::string(info.param.part) + "_" + std::to_string(info.param.reg) +
           (info.param.poke ? "_poked" : "_written");
});

TEST(RegisterFile, IdentityBytesAreFixedAndDifferPerChip)
{
    ChipBench one("VK360");
    ChipBench two("VK360");
    const auto id = one.regs(0x20, 8);
    EXPECT_NE(std::vector<uint8_t>(8, 0), id);
    EXPECT_NE(id, two.regs(0x20, 8));
    one.setRegs(0x20, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(id, one.regs(0x20, 8));
    one.supply(false);
    one.supply(true);
    EXPECT_EQ(id, one.regs(0x20, 8));
}

TEST(RegisterFile, WriteOnlyRegistersReadZero)
{
    ChipBench bench("VK390");
    bench.setReg(0x14, 0x37);
    EXPECT_EQ(0x00, bench.reg(0x14));
    EXPECT_EQ(0x37, bench.peek(0x14)) << "the chip holds it";
}

TEST(RegisterFile, TheAddressCountsOnThroughATransfer)
{
    ChipBench bench("VK320");
    bench.setRegs(0x12, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8});
    const auto all = bench.regs(0x00, 0x1A);
    EXPECT_EQ(0xA1, all[0x12]);
    EXPECT_EQ(0xA8, all[0x19]);
    EXPECT_EQ(0x80, all[0x02]) << "hour register of a fresh chip: 24-hour midnight";

    // A read without a sub-address goes on where the last transfer stopped.
    uint8_t b[2] = {};
    ASSERT_EQ(KVRX_OK, bench.read(0xDE, 1, 0x12, b, 1));
    ASSERT_EQ(KVRX_OK, bench.read(0xDE, 0, 0, b, 2));
    EXPECT_EQ(0xA2, b[0]);
    EXPECT_EQ(0xA3, b[1]);
}

// ---------------------------------------------------------------- address wrap

struct WrapCase {
    const char* part;
    uint32_t last; // the last register of the part's map
};

const WrapCase kWrapCases[] = {
    {"VK310", 0x13}, {"VK320", 0x19}, {"VK321", 0x19}, {"VK340", 0x1F},
    {"VK350", 0x2F}, {"VK360", 0x3F}, {"VK362", 0x3F}, {"VK370", 0x37},
    {"VK380", 0x0F}, {"VK381", 0x14}, {"VK382", 0x07}, {"VK390", 0x1F},
};

class AddressWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(AddressWrap, ReadsRunFromTheLastRegisterOnToTheFirst)
{
    const WrapCase& c = GetParam();
    ChipBench bench(c.part);
    ASSERT_EQ(KVRX_OK, bench.writeTime({2024, 3, 7, 14, 5, 9, 4}));
    if (bench.type() == TypeE) bench.setRegs(0x00, {0x12, 0x34}); // its clock sits at 0x30
    const std::vector<uint8_t> head = bench.regs(0x00, 2);
    ASSERT_NE(0, head[0]);
    ASSERT_NE(0, head[1]);
    const uint8_t last = bench.reg(c.last);

    EXPECT_EQ((std::vector<uint8_t>{last, head[0], head[1]}), bench.regs(c.last, 3));

    // Without a sub-address the chip goes on from where the last transfer stopped.
    uint8_t b[2] = {};
    ASSERT_EQ(KVRX_OK, bench.read(bench.rtc(), bench.subLen(), c.last, b, 1));
    ASSERT_EQ(KVRX_OK, bench.read(bench.rtc(), 0, 0, b, 2));
    EXPECT_EQ(head[0], b[0]);
    EXPECT_EQ(head[1], b[1]);

    // A write that ends on the last register leaves the counter at the first.
    bench.setReg(c.last, last);
    ASSERT_EQ(KVRX_OK, bench.read(bench.rtc(), 0, 0, b, 1));
    EXPECT_EQ(head[0], b[0]);
}

INSTANTIATE_TEST_SUITE_P(Maps, AddressWrap, ::testing::ValuesIn(kWrapCases),
                         [](const auto& info) { return std::string(info.param.part); });

TEST(AddressWrap, WritesRunFromTheLastRegisterOnToTheFirst)
{
    struct Case {
        const char* part;
        uint32_t last;
        uint8_t lastValue;
    };
    for (const Case& c :
         {Case{"VK310", 0x13, 0xAA}, Case{"VK380", 0x0F, 0x00}, Case{"VK382", 0x07, 0x80}}) {
        ChipBench bench(c.part);
        if (bench.type() == TypeA) {
            bench.changeReg(0x07, 0x10, 0x10); // WRTC
        }
        ASSERT_EQ(KVRX_OK, bench.write(bench.rtc(), 1, c.last, {c.lastValue, 0x30, 0x45}));
        EXPECT_EQ(0x30, bench.peek(0x00)) << c.part;
        EXPECT_EQ(0x45, bench.peek(0x01)) << c.part;
        EXPECT_EQ(c.lastValue, bench.peek(c.last) & ~0x01)
            << c.part << " (a power-fail flag aside)";
    }
}

TEST(RegisterFile, SubAddressBytesBeyondTheChipsAddressAreData)
{
    ChipBench bench("VK310");
    ASSERT_EQ(KVRX_OK, bench.write(0xDE, 2, 0x1255, nullptr, 0));
    EXPECT_EQ(0x55, bench.reg(0x12));

    // TypeE takes a two-byte address: one sub-address byte and the first data byte make it.
    ChipBench e("VK360");
    e.unlock();
    ASSERT_EQ(KVRX_OK, e.write(0xDE, 1, 0x00, {0x12, 0x25}));
    EXPECT_EQ(0x25, e.reg(0x12));
}

TEST(RegisterFile, PeekShowsTheRunningClockAndPokeSetsBytes)
{
    ChipBench bench("VK381");
    ASSERT_TRUE(bench.chip().poke(0xDE, 0x02, 0x95));
    bench.run(3601);
    EXPECT_EQ(0x96, bench.peek(0x02));
    EXPECT_EQ(0x01, bench.peek(0x00));
    uint8_t b = 0;
    EXPECT_FALSE(bench.chip().peek(0xD0, 0x00, &b)) << "not this part's address";
}

TEST(RegisterFile, TypeDWorksOutItsFinalTrimsAndTemperature)
{
    ChipBench bench("VK350");
    EXPECT_EQ(0x20, bench.reg(0x0B)) << "initial trims at their middle";
    bench.setReg(0x0B, 0xC5); // IDTR -32 ppm, IATR 5
    EXPECT_EQ(0x05, bench.reg(0x0E));
    EXPECT_EQ(0x11, bench.reg(0x0F));
    bench.setReg(0x0E, 0x3F);
    EXPECT_EQ(0x05, bench.reg(0x0E)) << "read-only";
    bench.run(1, 24.0);
    const auto k = bench.regs(0x28, 2);
    EXPECT_EQ(594, k[1] * 256 + k[0]) << "half kelvin";
}

TEST(RegisterFile, TypeEStatusTakesFlagWritesOnlyWithRwelSet)
{
    ChipBench bench("VK360");
    bench.changeReg(0x11, 0x60, 0x60); // both alarms on
    bench.setRegs(0x08, {0, 0, 0, 0, 0, 0, 0, 0});
    bench.setRegs(0x00, {0, 0, 0, 0, 0, 0, 0, 0});
    bench.run(1);
    ASSERT_EQ(0x71, bench.reg(0x3F) & 0xF1) << "AL1 AL0 OSCF RTCF";
    bench.write(0xDE, 2, 0x3F, {0x00}); // latches only
    bench.unlock();
    EXPECT_EQ(0x71, bench.reg(0x3F) & 0xF1);
    EXPECT_EQ(0x06, bench.reg(0x3F) & 0x06);
    bench.write(0xDE, 2, 0x3F, {0x42}); // keep AL1, clear AL0 and OSCF; WEL stays, RWEL used up
    EXPECT_EQ(0x43, bench.reg(0x3F) & 0xF7);
}

TEST(RegisterFile, TypeEMemoryWriteUsesUpRwel)
{
    ChipBench bench("VK360");
    bench.unlock();
    bench.write(0xAE, 2, 0x0000, {0x01});
    bench.run(0.006);
    EXPECT_EQ(0x02, bench.reg(0x3F) & 0x06);
}

TEST(RegisterFile, MalformedTransfersNeverReachTheChip)
{
    ChipBench bench("VK310");
    bench.setReg(0x12, 0x11);
    const uint8_t data[2] = {0x12, 0x55};
    // Four sub-address bytes would end in 0x12 and write 0x55 there.
    EXPECT_EQ(KVRX_ERR_BAD_ARG, bench.write(0xDE, 4, 0x00000012, data + 1, 1));
    EXPECT_EQ(KVRX_ERR_BAD_ARG, bench.write(0xDE, 1, 0x12, nullptr, 1));
    uint8_t b = 0;
    EXPECT_EQ(KVRX_ERR_BAD_ARG, bench.read(0xDE, 4, 0x12, &b, 1));
    EXPECT_EQ(KVRX_ERR_BAD_ARG, bench.read(0xDE, 1, 0x12, nullptr, 1));
    EXPECT_EQ(0x11, bench.reg(0x12));
}

} // namespace
} // namespace chiptest
