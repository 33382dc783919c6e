// The part table row by row, its shared maps and the lookup by name.
#include "PartTable.h"
#include "RegisterMaps.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace RegisterMaps;

struct ExpectedRow {
    const char* name;
    PartType type;
    RegisterMapRef map;
    uint8_t rtcAddress;
    uint8_t memAddress;
    uint8_t alarmCount;
    uint32_t eepromBytes;
    uint32_t sramBytes;
    // 0/1 in this order: row access, time stamp, watchdog, ShipGuard, battery backup,
    // event detect, IRQ output, frequency output, graph, crystal trim.
    const char* flags;
};

const ExpectedRow kRows[kPartCount] = {
    {"Not Selected", TypeNone, nullptr, 0xD0, 0x00, 0, 0, 0, "0000000000"},
    {"VK310", TypeA, MapVK310.data(), 0xDE, 0xAE, 1, 0, 2, "1001101111"},
    {"VK311", TypeA, MapVK311.data(), 0xDE, 0xAE, 1, 0, 2, "1001111111"},
    {"VK320", TypeB, MapVK320.data(), 0xDE, 0xAE, 1, 0, 8, "1001101111"},
    {"VK321", TypeB, MapVK321.data(), 0xDE, 0xAE, 1, 0, 2, "1101111111"},
    {"VK330", TypeB, MapVK320.data(), 0xDE, 0xAE, 1, 0, 8, "1001101111"},
    {"VK331", TypeB, MapVK321.data(), 0xDE, 0xAE, 1, 0, 2, "1101111111"},
    {"VK340", TypeC, MapVK340.data(), 0xD0, 0xAE, 1, 0, 0, "1001100111"},
    {"VK350", TypeD, MapVK350.data(), 0xDE, 0xAE, 1, 0, 128, "1101101110"},
    {"VK352", TypeD, MapVK350.data(), 0xDE, 0xAE, 1, 0, 128, "1101101110"},
    {"VK354", TypeD, MapVK350.data(), 0xDE, 0xAE, 1, 0, 128, "1101101110"},
    {"VK360", TypeE, MapVK360.data(), 0xDE, 0xAE, 2, 512, 0, "1001101111"},
    {"VK361", TypeE, MapVK361.data(), 0xDE, 0xAE, 2, 512, 0, "1011100011"},
    {"VK362", TypeE, MapVK362.data(), 0xDE, 0xAE, 2, 512, 0, "1001101111"},
    {"VK363", TypeE, MapVK363.data(), 0xDE, 0xAE, 2, 512, 0, "1001100011"},
    {"VK364", TypeE, MapVK364.data(), 0xDE, 0xAE, 2, 512, 0, "1011101111"},
    {"VK365", TypeE, MapVK365.data(), 0xDE, 0xAE, 2, 512, 0, "1011101111"},
    {"VK370", TypeF, MapVK370.data(), 0xDE, 0xAE, 2, 0, 128, "1101111110"},
    {"VK380", TypeG, MapVK380.data(), 0xD0, 0x00, 2, 0, 0, "1000001110"},
    {"VK381", TypeH, MapVK381.data(), 0xDE, 0x00, 2, 0, 0, "1000001110"},
    {"VK382", TypeJ, MapVK382.data(), 0xD0, 0x00, 0, 0, 0, "1000000110"},
    {"VK390", TypeK, MapVK390.data(), 0xDE, 0xAE, 1, 0, 0, "1001101111"},
};

std::string FlagsOf(const PartInfo& p)
{
    std::string s;
    for (uint8_t f :
         {p.HasRowAccess, p.HasTimeStamp, p.HasWatchdog, p.HasShipGuard, p.HasBatteryBackup,
          p.HasEventDetect, p.HasIrqOutput, p.HasFreqOut, p.HasGraph, p.HasCrystalTrim}) {
        // Flags are stored as 0 or 1, never another non-zero value.
        s += f == 0 ? '0' : f == 1 ? '1' : '?';
    }
    return s;
}

TEST(PartTable, EveryRowMatchesTheCatalogue)
{
    for (int row = 0; row < kPartCount; ++row) {
        const ExpectedRow& want = kRows[row];
        const PartInfo& got = PartTable[row];
        SCOPED_TRACE(testing::Message() << "row " << row << " " << want.name);
        EXPECT_STREQ(got.PartName, want.name);
        EXPECT_EQ(got.TypeCode, want.type);
        EXPECT_EQ(got.RegisterMap, want.map);
        EXPECT_EQ(got.RtcAddress, want.rtcAddress);
        EXPECT_EQ(got.MemAddress, want.memAddress);
        EXPECT_EQ(got.AlarmCount, want.alarmCount);
        EXPECT_EQ(got.EepromBytes, want.eepromBytes);
        EXPECT_EQ(got.SramBytes, want.sramBytes);
        EXPECT_EQ(FlagsOf(got), want.flags);
    }
}

// The family list names its members independently of the row table; both must agree.
TEST(PartTable, FamiliesHoldTheirListedParts)
{
    const std::pair<PartType, std::set<std::string>> families[] = {
        {TypeNone, {"Not Selected"}},
        {TypeA, {"VK310", "VK311"}},
        {TypeB, {"VK320", "VK321", "VK330", "VK331"}},
        {TypeC, {"VK340"}},
        {TypeD, {"VK350", "VK352", "VK354"}},
        {TypeE, {"VK360", "VK361", "VK362", "VK363", "VK364", "VK365"}},
        {TypeF, {"VK370"}},
        {TypeG, {"VK380"}},
        {TypeH, {"VK381"}},
        {TypeJ, {"VK382"}},
        {TypeK, {"VK390"}},
    };
    for (const auto& [type, members] : families) {
        std::set<std::string> found;
        for (const PartInfo& p : PartTable) {
            if (p.TypeCode == type) found.insert(p.PartName);
        }
        EXPECT_EQ(found, members) << "type code " << int(type);
    }
}

TEST(PartTable, NotSelectedRowIsEmpty)
{
    const PartInfo& none = PartTable[0];
    EXPECT_STREQ(none.PartName, "Not Selected");
    EXPECT_EQ(none.RegisterMap, nullptr);
    EXPECT_EQ(none.TypeCode, TypeNone);
    EXPECT_EQ(FlagsOf(none), "0000000000");
    EXPECT_EQ(none.AlarmCount, 0);
    EXPECT_EQ(none.EepromBytes, 0u);
    EXPECT_EQ(none.SramBytes, 0u);
}

TEST(PartTable, PartsSharingAMapPointAtTheSameObject)
{
    auto mapOf = [](const char* name) { return PartTable[FindPartRow(name)].RegisterMap; };
    EXPECT_EQ(mapOf("VK330"), mapOf("VK320"));
    EXPECT_EQ(mapOf("VK331"), mapOf("VK321"));
    EXPECT_EQ(mapOf("VK352"), mapOf("VK350"));
    EXPECT_EQ(mapOf("VK354"), mapOf("VK350"));
    // VK365's registers equal VK364's, but it is a part with a map of its own.
    EXPECT_NE(mapOf("VK365"), mapOf("VK364"));

    std::set<RegisterMapRef> distinct;
    for (int row = 1; row < kPartCount; ++row) {
        ASSERT_NE(PartTable[row].RegisterMap, nullptr) << PartTable[row].PartName;
        distinct.insert(PartTable[row].RegisterMap);
    }
    EXPECT_EQ(distinct.size(), 17u);
}

TEST(PartTable, FeatureEdgeCases)
{
    const PartInfo& vk382 = PartTable[FindPartRow("VK382")];
    EXPECT_EQ(vk382.AlarmCount, 0);
    for (const char* name : {"VK361", "VK363"}) {
        const PartInfo& p = PartTable[FindPartRow(name)];
        EXPECT_EQ(p.HasIrqOutput, 0) << name;
        EXPECT_EQ(p.HasFreqOut, 0) << name;
    }
}

TEST(FindPartRow, FindsExactNamesOnly)
{
    const std::pair<std::string_view, int> cases[] = {
        {"VK310", 1},
        {"VK331", 6},
        {"VK354", 10},
        {"VK365", 16},
        {"VK390", 21},
        {"Not Selected", 0},
        {"vk310", 0},
        {"Vk310", 0},
        {"not selected", 0},
        {"VK310 ", 0},
        {" VK310", 0},
        {"VK3101", 0},
        {"VK31", 0},
        {"VK999", 0},
        {"", 0},
        // A view that stops early: only its own characters count.
        {std::string_view("VK3101", 5), 1},
        {std::string_view("VK310\0", 6), 0},
    };
    for (const auto& [name, row] : cases)
        EXPECT_EQ(FindPartRow(name), row) << "'" << name << "'";
}

TEST(FindPartRow, EveryRowFindsItself)
{
    for (int row = 0; row < kPartCount; ++row)
        EXPECT_EQ(FindPartRow(PartTable[row].PartName), row) << PartTable[row].PartName;
}

} // namespace
