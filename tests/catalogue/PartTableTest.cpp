// The part table: each row agrees with its register map and its family, the shared maps and
// the lookup by name.
#include "PartTable.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

const PartInfo& Part(const char* name)
{
    const int row = FindPartRow(name);
    EXPECT_NE(row, 0) << "no part named " << name;
    return PartTable[static_cast<size_t>(row)];
}

std::vector<const PartInfo*> RealParts()
{
    std::vector<const PartInfo*> parts;
    for (size_t row = 1; row < PartTable.size(); ++row)
        parts.push_back(&PartTable[row]);
    return parts;
}

bool HasBit(RegisterMapRef map, std::string_view bit)
{
    for (const RegMapEntry* e = map;
         e->Kind == RegKind::RegisterRow || e->Kind == RegKind::SectionHeader; ++e) {
        for (const char* name : e->BitNames) {
            if (e->Kind == RegKind::RegisterRow && bit == name) return true;
        }
    }
    return false;
}

int SectionsWhere(RegisterMapRef map, bool (*match)(const RegMapEntry& header))
{
    int count = 0;
    for (const MapSection& s : MapSections(map))
        count += match(*s.Header) ? 1 : 0;
    return count;
}

const RegMapEntry* FindByName(RegisterMapRef map, std::string_view shortName)
{
    for (const MapSection& s : MapSections(map)) {
        for (int r = 0; r < s.RegisterCount; ++r) {
            if (shortName == s.FirstRegister[r].ShortName) return &s.FirstRegister[r];
        }
    }
    return nullptr;
}

// Flags hold 0 or 1; the addresses and counts take the few values the board and pages know.
TEST(PartTable, FieldsHoldOnlyTheirValidValues)
{
    for (const PartInfo& p : PartTable) {
        SCOPED_TRACE(p.PartName);
        for (uint8_t flag :
             {p.HasRowAccess, p.HasTimeStamp, p.HasWatchdog, p.HasShipGuard, p.HasBatteryBackup,
              p.HasEventDetect, p.HasIrqOutput, p.HasFreqOut, p.HasGraph, p.HasCrystalTrim})
            EXPECT_LE(flag, 1);
        EXPECT_TRUE(p.RtcAddress == 0xDE || p.RtcAddress == 0xD0) << int(p.RtcAddress);
        EXPECT_TRUE(p.MemAddress == 0xAE || p.MemAddress == 0) << int(p.MemAddress);
        EXPECT_LE(p.AlarmCount, 2);
    }
}

TEST(PartTable, EveryRealPartHasAMapAndRowAccess)
{
    for (const PartInfo* p : RealParts()) {
        EXPECT_NE(p->RegisterMap, nullptr) << p->PartName;
        EXPECT_NE(p->TypeCode, TypeNone) << p->PartName;
        EXPECT_EQ(p->HasRowAccess, 1) << p->PartName;
    }
}

// Pages take register addresses from the type code, so the parts of one family must agree on
// where the clock, its first alarm register and the chip itself are.
TEST(PartTable, PartsOfOneFamilyShareTheirLayout)
{
    auto firstAlarmRegister = [](RegisterMapRef map) -> int {
        for (const MapSection& s : MapSections(map)) {
            if (std::string_view(s.Header->ShortName).starts_with("Alarm"))
                return s.FirstRegister->Address;
        }
        return -1;
    };
    std::map<PartType, const PartInfo*> first;
    for (const PartInfo* p : RealParts()) {
        const auto [it, inserted] = first.insert({p->TypeCode, p});
        if (inserted) continue;
        const PartInfo& ref = *it->second;
        SCOPED_TRACE(testing::Message() << p->PartName << " against " << ref.PartName);
        EXPECT_EQ(p->RtcAddress, ref.RtcAddress);
        EXPECT_EQ(p->MemAddress, ref.MemAddress);
        EXPECT_EQ(p->AlarmCount, ref.AlarmCount);
        EXPECT_EQ(p->EepromBytes, ref.EepromBytes);
        ASSERT_NE(FindByName(p->RegisterMap, "SC"), nullptr);
        EXPECT_EQ(FindByName(p->RegisterMap, "SC")->Address,
                  FindByName(ref.RegisterMap, "SC")->Address);
        EXPECT_EQ(firstAlarmRegister(p->RegisterMap), firstAlarmRegister(ref.RegisterMap));
    }
}

// TypeE parts are the EEPROM parts: their clock sits at 0x30 behind two-byte sub-addresses and
// a write-enable latch (WEL) in the status register, and their alarms are kept in EEPROM.
TEST(PartTable, TypeEIsExactlyTheEepromFamily)
{
    for (const PartInfo* p : RealParts()) {
        SCOPED_TRACE(p->PartName);
        const bool typeE = p->TypeCode == TypeE;
        EXPECT_EQ(p->EepromBytes != 0, typeE);
        EXPECT_EQ(HasBit(p->RegisterMap, "WEL"), typeE);
        EXPECT_EQ(FindByName(p->RegisterMap, "SC")->Address == 0x30, typeE);
        if (typeE) {
            EXPECT_EQ(p->EepromBytes, 512u);
            EXPECT_EQ(p->SramBytes, 0u);
        }
    }
}

// User bytes inside the register map are the part's SRAM; any other user memory answers on the
// memory address 0xAE.
TEST(PartTable, MemorySizesAgreeWithTheMapAndTheMemoryAddress)
{
    for (const PartInfo* p : RealParts()) {
        SCOPED_TRACE(p->PartName);
        int userBytes = -1;
        for (const MapSection& s : MapSections(p->RegisterMap)) {
            if (std::string_view(s.Header->ShortName) == "User") userBytes = s.RegisterCount;
        }
        if (userBytes >= 0) {
            EXPECT_EQ(p->SramBytes, static_cast<uint32_t>(userBytes));
        } else if (p->SramBytes != 0 || p->EepromBytes != 0) {
            EXPECT_EQ(p->MemAddress, 0xAE);
        }
        if (p->MemAddress == 0) {
            EXPECT_EQ(p->SramBytes, 0u);
            EXPECT_EQ(p->EepromBytes, 0u);
        }
        EXPECT_FALSE(p->SramBytes != 0 && p->EepromBytes != 0) << "both kinds of memory";
    }
}

// Each feature flag against the registers that carry the feature.
TEST(PartTable, FeatureFlagsAgreeWithTheRegisterMap)
{
    for (const PartInfo* p : RealParts()) {
        SCOPED_TRACE(p->PartName);
        const RegisterMapRef map = p->RegisterMap;
        // Alarm sections are named Alarm, Alarm0, Alarm1 or Alarm2.
        EXPECT_EQ(SectionsWhere(map,
                                [](const RegMapEntry& h) {
                                    return std::string_view(h.ShortName).starts_with("Alarm");
                                }),
                  p->AlarmCount);
        EXPECT_EQ(SectionsWhere(map,
                                [](const RegMapEntry& h) {
                                    return std::string_view(h.Caption).find("Time Stamp") !=
                                           std::string_view::npos;
                                }) != 0,
                  p->HasTimeStamp != 0);
        // The event input is switched on by an EVEN bit.
        EXPECT_EQ(HasBit(map, "EVEN"), p->HasEventDetect != 0);
        // A battery flag in the status register.
        EXPECT_EQ(HasBit(map, "BAT") || HasBit(map, "BATT") || HasBit(map, "LBAT75"),
                  p->HasBatteryBackup != 0);
        // Watchdog parts have its bits; an FO0 bit selects the frequency output.
        if (p->HasWatchdog) {
            EXPECT_TRUE(HasBit(map, "WD0"));
        }
        if (HasBit(map, "FO0")) {
            EXPECT_EQ(p->HasFreqOut, 1);
        }
        // Trim registers for the crystal page.
        if (p->HasCrystalTrim) {
            EXPECT_NE(FindByName(map, "ATR"), nullptr);
        }
    }
}

// Type codes: every member names at least one row; a few families are named outright.
TEST(PartTable, TypeCodes)
{
    std::set<PartType> used;
    for (const PartInfo& p : PartTable)
        used.insert(p.TypeCode);
    EXPECT_EQ(used.size(), 11u);
    auto membersOf = [](PartType type) {
        std::set<std::string> names;
        for (const PartInfo& p : PartTable) {
            if (p.TypeCode == type) names.insert(p.PartName);
        }
        return names;
    };
    using Names = std::set<std::string>;
    EXPECT_EQ(membersOf(TypeNone), (Names{"Not Selected"}));
    EXPECT_EQ(membersOf(TypeE), (Names{"VK360", "VK361", "VK362", "VK363", "VK364", "VK365"}));
    EXPECT_EQ(membersOf(TypeK), (Names{"VK390"}));
}

TEST(PartTable, NotSelectedRowIsEmpty)
{
    const PartInfo& none = PartTable[0];
    EXPECT_STREQ(none.PartName, "Not Selected");
    EXPECT_EQ(none.RegisterMap, nullptr);
    EXPECT_EQ(none.TypeCode, TypeNone);
    for (uint8_t flag : {none.HasRowAccess, none.HasTimeStamp, none.HasWatchdog, none.HasShipGuard,
                         none.HasBatteryBackup, none.HasEventDetect, none.HasIrqOutput,
                         none.HasFreqOut, none.HasGraph, none.HasCrystalTrim})
        EXPECT_EQ(flag, 0);
    EXPECT_EQ(none.AlarmCount, 0);
    EXPECT_EQ(none.EepromBytes, 0u);
    EXPECT_EQ(none.SramBytes, 0u);
}

TEST(PartTable, PartsSharingAMapPointAtTheSameObject)
{
    auto mapOf = [](const char* name) { return Part(name).RegisterMap; };
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
    EXPECT_EQ(Part("VK382").AlarmCount, 0);
    EXPECT_EQ(Part("VK350").SramBytes, 128u);
    EXPECT_EQ(Part("VK320").SramBytes, 8u);
    EXPECT_EQ(Part("VK340").RtcAddress, 0xD0);
    EXPECT_EQ(Part("VK381").MemAddress, 0);
    for (const char* name : {"VK361", "VK363"}) {
        const PartInfo& p = Part(name);
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
