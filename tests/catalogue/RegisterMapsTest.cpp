// The register maps: their shape, their sections, and the registers that differ between parts.
#include "PartTable.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Every map the part table refers to, named by the first part that uses it.
struct NamedMap {
    const char* name;
    RegisterMapRef map;
};

std::vector<NamedMap> MapsInUse()
{
    std::vector<NamedMap> maps;
    std::set<RegisterMapRef> seen;
    for (const PartInfo& p : PartTable) {
        if (p.RegisterMap != nullptr && seen.insert(p.RegisterMap).second)
            maps.push_back({p.PartName, p.RegisterMap});
    }
    return maps;
}

RegisterMapRef MapOfPart(const char* part)
{
    const int row = FindPartRow(part);
    if (row == 0) ADD_FAILURE() << "no part named " << part;
    return PartTable[static_cast<size_t>(row)].RegisterMap;
}

// Bit names written as in the chip tables: bit 7 first, "-" for an unnamed bit.
std::string BitsText(const RegMapEntry& e)
{
    std::string s;
    for (const char* name : e.BitNames) {
        if (!s.empty()) s += ' ';
        s += name == nullptr ? "<null>" : *name ? name : "-";
    }
    return s;
}

// --- Shape of every map -------------------------------------------------------------------

TEST(RegisterMaps, EveryMapIsWellFormed)
{
    const std::vector<NamedMap> maps = MapsInUse();
    EXPECT_EQ(maps.size(), 17u);
    for (const auto& [name, map] : maps) {
        SCOPED_TRACE(name);
        ASSERT_EQ(map[0].Kind, RegKind::SectionHeader);

        const RegMapEntry* e = map;
        std::set<int> addresses;
        int sinceHeader = 0;
        int previous = -1;
        for (; e->Kind == RegKind::SectionHeader || e->Kind == RegKind::RegisterRow; ++e) {
            ASSERT_NE(e->ShortName, nullptr);
            ASSERT_NE(e->Caption, nullptr);
            EXPECT_STRNE(e->ShortName, "");
            EXPECT_STRNE(e->Caption, "");
            for (const char* bit : e->BitNames)
                ASSERT_NE(bit, nullptr) << e->Caption;
            if (e->Kind == RegKind::SectionHeader) {
                if (e != map) {
                    EXPECT_GE(sinceHeader, 1) << "empty section before " << e->Caption;
                }
                EXPECT_EQ(e->Address, 0) << e->Caption;
                EXPECT_EQ(e->Mask, 0) << e->Caption;
                EXPECT_EQ(BitsText(*e), "- - - - - - - -") << e->Caption;
                sinceHeader = 0;
            } else {
                if (sinceHeader > 0) {
                    EXPECT_EQ(e->Address, previous + 1) << e->Caption << " is not consecutive";
                }
                previous = e->Address;
                ++sinceHeader;
                EXPECT_LE(sinceHeader, 8) << e->Caption;
                EXPECT_TRUE(addresses.insert(e->Address).second)
                    << "address " << int(e->Address) << " twice";
            }
        }
        EXPECT_GE(sinceHeader, 1) << "empty last section";
        EXPECT_EQ(e->Kind, RegKind::EndOfMap);
        EXPECT_STREQ(e->ShortName, "");
        EXPECT_STREQ(e->Caption, "");
        EXPECT_EQ(e->Address, 0);
        EXPECT_EQ(e->Mask, 0);
        EXPECT_EQ(BitsText(*e), "- - - - - - - -");
    }
}

// --- Sections of every map -----------------------------------------------------------------

struct ExpectedSection {
    const char* caption;
    int registers;
};

struct MapSectionsCase {
    const char* part;
    std::vector<ExpectedSection> sections;
};

const MapSectionsCase kSectionCases[] = {
    {"VK310",
     {{"RTC (Set WRTC bit to modify this section)", 7},
      {"Control and Status", 5},
      {"Alarm", 6},
      {"User", 2}}},
    {"VK311",
     {{"RTC (Set WRTC bit to modify this section)", 7},
      {"Control and Status", 5},
      {"Alarm", 6},
      {"User SRAM", 2}}},
    {"VK320",
     {{"RTC (Set WRTC bit to modify this section)", 7},
      {"Control and Status", 5},
      {"Alarm", 6},
      {"User SRAM", 8}}},
    {"VK321",
     {{"RTC (Set WRTC bit to modify this section)", 7},
      {"Control and Status", 5},
      {"Alarm", 6},
      {"User SRAM", 2},
      {"Time Stamp", 6}}},
    {"VK390",
     {{"RTC (Set WRTC bit to modify this section)", 7},
      {"Control and Status", 5},
      {"Alarm", 6},
      {"Timer Control", 3},
      {"RTC Sub-Seconds", 1}}},
    {"VK340",
     {{"RTC Real Time Clock", 7},
      {"Digital Trimming", 1},
      {"Interrupt", 1},
      {"OSC Fail", 1},
      {"Analog Trim. / Bat Mode", 1},
      {"Status Register", 1},
      {"Alarm", 6},
      {"RTC Sub Seconds", 1}}},
    {"VK350",
     {{"RTC (Set WRTC bit to modify this section)", 7},
      {"Status ", 1},
      {"Control ", 8},
      {"Alarm ", 6},
      {"VDD to Bat Time Stamp (Read Only)", 5},
      {"Bat to VDD Time Stamp (Read Only)", 5},
      {"DST FWD / REV Time ", 8},
      {"Kelvin Degrees 28h-29h Read Only", 2},
      {"NET NPPM 2Ah-2Bh Read Only", 2},
      {"XTAL XOVER & ALPHA Temp  2Ch-2Dh", 2},
      {"SRAM  2Eh-2Fh", 2}}},
    {"VK360",
     {{"RTC Setting ", 8},
      {"Device ID ", 8},
      {"Control", 5},
      {"Status", 1},
      {"Alarm1 EEPROM", 8},
      {"Alarm0 EEPROM", 8}}},
    {"VK361",
     {{"RTC Setting ", 8},
      {"Device ID ", 8},
      {"Control", 5},
      {"Status", 1},
      {"Alarm1 EEPROM", 8},
      {"Alarm0 EEPROM", 8}}},
    {"VK362",
     {{"RTC Setting ", 8},
      {"Control", 5},
      {"Status", 1},
      {"Alarm1 EEPROM", 8},
      {"Alarm0 EEPROM", 8}}},
    {"VK363",
     {{"RTC Setting ", 8},
      {"Control", 5},
      {"Status", 1},
      {"Alarm1 EEPROM", 8},
      {"Alarm0 EEPROM", 8}}},
    {"VK364",
     {{"RTC Setting ", 8},
      {"Control", 5},
      {"Status", 1},
      {"Alarm1 EEPROM", 8},
      {"Alarm0 EEPROM", 8}}},
    {"VK365",
     {{"RTC Setting ", 8},
      {"Control", 5},
      {"Status", 1},
      {"Alarm1 EEPROM", 8},
      {"Alarm0 EEPROM", 8}}},
    {"VK370",
     {{"RTC (Set WRTC bit to modify this section)", 8},
      {"Status ", 2},
      {"AC /Event Counters  (Read Only)", 2},
      {"Control Part 1 ", 4},
      {"Control Part 2", 5},
      {"DST FWD / REV Time ", 8},
      {"Alarm 0 ", 6},
      {"Alarm 1 ", 6},
      {"VDD to Bat Time Stamp (Read Only)", 5},
      {"Bat to VDD Time Stamp (Read Only)", 5},
      {"Event Time Stamp (Read Only)", 5}}},
    {"VK380",
     {{"Real Time Clock Registers", 7}, {"Alarm1", 4}, {"Alarm2", 3}, {"Control and Status", 2}}},
    {"VK381",
     {{"Real Time Clock Registers (Set WRTC in SR before WR)", 7},
      {"Status And Control", 2},
      {"Alarm1", 6},
      {"Alarm2", 3}}},
    {"VK382", {{"RTC Real Time Clock Registers", 7}, {"Control /Status Register", 1}}},
};

TEST(MapSections, ListEachMapsSectionsInOrder)
{
    std::set<RegisterMapRef> covered;
    for (const MapSectionsCase& c : kSectionCases) {
        SCOPED_TRACE(c.part);
        RegisterMapRef map = MapOfPart(c.part);
        ASSERT_NE(map, nullptr);
        covered.insert(map);
        const std::vector<MapSection> sections = MapSections(map);
        ASSERT_EQ(sections.size(), c.sections.size());
        for (size_t i = 0; i < sections.size(); ++i) {
            EXPECT_EQ(sections[i].Header->Kind, RegKind::SectionHeader);
            EXPECT_STREQ(sections[i].Header->Caption, c.sections[i].caption) << "section " << i;
            EXPECT_EQ(sections[i].RegisterCount, c.sections[i].registers) << "section " << i;
            EXPECT_EQ(sections[i].FirstRegister, sections[i].Header + 1);
            for (int r = 0; r < sections[i].RegisterCount; ++r)
                EXPECT_EQ(sections[i].FirstRegister[r].Kind, RegKind::RegisterRow);
        }
    }
    EXPECT_EQ(covered.size(), MapsInUse().size());
}

TEST(MapSections, NoMapGivesNoSections)
{
    EXPECT_TRUE(MapSections(nullptr).empty());
}

TEST(MapSections, StopAtTheEndOfTheMap)
{
    const std::array<const char*, 8> none = {"", "", "", "", "", "", "", ""};
    const RegMapEntry map[] = {
        {RegKind::SectionHeader, "A", "First", 0, 0, none},
        {RegKind::RegisterRow, "R1", "One", 0x10, 0xFF, none},
        {RegKind::SectionHeader, "B", "Second", 0, 0, none},
        {RegKind::RegisterRow, "R2", "Two", 0x20, 0xFF, none},
        {RegKind::RegisterRow, "R3", "Three", 0x21, 0xFF, none},
        {RegKind::EndOfMap, "", "", 0, 0, none},
        {RegKind::SectionHeader, "C", "Beyond the end", 0, 0, none},
        {RegKind::RegisterRow, "R4", "Four", 0x30, 0xFF, none},
    };
    const std::vector<MapSection> sections = MapSections(map);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].Header, &map[0]);
    EXPECT_EQ(sections[0].FirstRegister, &map[1]);
    EXPECT_EQ(sections[0].RegisterCount, 1);
    EXPECT_EQ(sections[1].Header, &map[2]);
    EXPECT_EQ(sections[1].RegisterCount, 2);
    EXPECT_EQ(FindRegister(map, 0x21), &map[4]);
    EXPECT_EQ(FindRegister(map, 0x30), nullptr);
}

TEST(MapSections, SectionShortNames)
{
    auto shortNames = [](const char* part) {
        std::vector<std::string> names;
        for (const MapSection& s : MapSections(MapOfPart(part)))
            names.push_back(s.Header->ShortName);
        return names;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(shortNames("VK310"), (Names{"RTC", "CSR", "Alarm", "User"}));
    EXPECT_EQ(shortNames("VK311"), (Names{"RTC", "Control and Status", "Alarm", "User"}));
    EXPECT_EQ(shortNames("VK320"), (Names{"RTC", "Control and Status", "Alarm", "User"}));
    EXPECT_EQ(shortNames("VK321"),
              (Names{"RTC", "Control and Status", "Alarm", "User", "Time Stamp"}));
    EXPECT_EQ(shortNames("VK390"), (Names{"RTC", "CSR", "Alarm", "Timer", "RTC"}));
    EXPECT_EQ(shortNames("VK360"), (Names{"RTC", "ID", "Control", "Status", "Alarm", "Alarm"}));
    EXPECT_EQ(shortNames("VK363"), (Names{"RTC", "Control", "Status", "Alarm", "Alarm"}));
    EXPECT_EQ(shortNames("VK370"), (Names{"RTC", "Status", "Counters", "Control", "Control", "DST",
                                          "Alarm0", "Alarm1", "TVS2B", "TVS2V", "TSEVT"}));
    EXPECT_EQ(shortNames("VK340"),
              (Names{"RTC", "DTR", "INT", "OF", "ATR", "SR", "Alarm", "RCT2"}));
}

// VK360 lists its sections out of address order; each section starts where the chip has it.
TEST(MapSections, Vk360SectionsStartWhereListed)
{
    std::vector<int> starts;
    for (const MapSection& s : MapSections(MapOfPart("VK360")))
        starts.push_back(s.FirstRegister->Address);
    EXPECT_EQ(starts, (std::vector<int>{0x30, 0x20, 0x10, 0x3F, 0x08, 0x00}));
}

TEST(MapSections, DeviceIdSectionOnlyOnVk360AndVk361)
{
    for (const char* part : {"VK360", "VK361"}) {
        SCOPED_TRACE(part);
        const std::vector<MapSection> sections = MapSections(MapOfPart(part));
        ASSERT_GE(sections.size(), 2u);
        const MapSection& id = sections[1];
        EXPECT_STREQ(id.Header->Caption, "Device ID ");
        ASSERT_EQ(id.RegisterCount, 8);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(id.FirstRegister[i].Address, 0x20 + i);
            EXPECT_EQ(id.FirstRegister[i].Mask, 0x00);
            EXPECT_EQ(id.FirstRegister[i].ShortName, "ID" + std::to_string(i));
        }
    }
    for (const char* part : {"VK362", "VK363", "VK364", "VK365"}) {
        for (const MapSection& s : MapSections(MapOfPart(part)))
            EXPECT_STRNE(s.Header->Caption, "Device ID ") << part;
        for (int address = 0x20; address <= 0x27; ++address)
            EXPECT_EQ(FindRegister(MapOfPart(part), address), nullptr) << part;
    }
}

TEST(MapSections, Vk390DigitalTrimFollowsAnalogTrim)
{
    const std::vector<MapSection> sections = MapSections(MapOfPart("VK390"));
    ASSERT_GE(sections.size(), 2u);
    const MapSection& csr = sections[1];
    EXPECT_STREQ(csr.Header->Caption, "Control and Status");
    ASSERT_EQ(csr.RegisterCount, 5);
    EXPECT_STREQ(csr.FirstRegister[3].ShortName, "ATR");
    EXPECT_EQ(csr.FirstRegister[3].Address, 0x0A);
    EXPECT_STREQ(csr.FirstRegister[4].ShortName, "DTR");
    EXPECT_EQ(csr.FirstRegister[4].Address, 0x0B);
}

// --- Single registers ------------------------------------------------------------------------

struct RegisterCase {
    const char* part;
    uint8_t address;
    const char* shortName;
    const char* caption;
    uint8_t mask;
    const char* bits;
};

// Rows that differ between related parts, and names whose odd spelling is part of the data.
const RegisterCase kRegisterCases[] = {
    // VK310 and the parts derived from it.
    {"VK310", 0x07, "SR", "SR (Status Register)", 0xD7, "ARST XTOSCB - WRTC - ALM BATT RTCF"},
    {"VK310", 0x09, "RSV", "Reserved", 0x00, "- - - - - - - -"},
    {"VK310", 0x0A, "ATR", "ATR (Analog Timing Register)", 0xFF,
     "BMATR1 BMATR0 ATR5 ATR4 ATR3 ATR2 ATR1 ATR0"},
    {"VK310", 0x13, "USR2", "USR2 (User Byte 2)", 0xFF,
     "USR27 USR26 USR25 USR24 USR23 USR22 USR21 USR20"},
    {"VK311", 0x06, "DW", "DW (Day of Week)", 0x07, "- - - - - DW12 DW11 DW10"},
    {"VK311", 0x07, "SR", "SR (Status Register)", 0xDF, "ARST XTOSCB - WRTC EVT ALM BATT RTCF"},
    {"VK311", 0x09, "EV", "EV (Event Detect Register)", 0xFF,
     "EVIENB EVBATB RTCHLT EVEN EHYS1 EHYS0 ESMP1 ESMP0"},
    {"VK311", 0x0A, "ATR", "ATR (Analog Timing)", 0xFF,
     "BMATR1 BMATR0 ATR5 ATR4 ATR3 ATR2 ATR1 ATR0"},
    {"VK311", 0x0B, "DTR", "DTR (Digital Timing)", 0x07, "- - - - - DTR2 DTR1 DTR0"},
    {"VK320", 0x07, "SR", "SR (Status Register)", 0xD7, "ARST XTOSCB - WRTC - ALM BATT RTCF"},
    {"VK320", 0x09, "RSV", "Reserved", 0x00, "- - - - - - - -"},
    {"VK320", 0x0A, "ATR", "ATR (Analog Timing)", 0xFF,
     "BMATR1 BMATR0 ATR5 ATR4 ATR3 ATR2 ATR1 ATR0"},
    {"VK320", 0x0B, "DTR", "DTR (Digital Timing)", 0x07, "- - - - - DTR2 DTR1 DTR0"},
    {"VK320", 0x14, "USR3", "USR3 (User Byte 3)", 0xFF,
     "USR37 USR36 USR35 USR34 USR33 USR32 USR31 USR30"},
    {"VK330", 0x19, "USR8", "USR8 (User Byte 8)", 0xFF,
     "USR87 USR86 USR85 USR84 USR83 USR82 USR81 USR80"},
    {"VK321", 0x06, "DW", "DW (Day of Week)", 0x03, "- - - - - DW12 DW11 DW10"},
    {"VK321", 0x07, "SR", "SR (Status Register)", 0xDF, "ARST XTOSCB - WRTC EVT ALM BATT RTCF"},
    {"VK331", 0x09, "EV", "EV (Event Detect Register)", 0xFF,
     "EVIENB EVBATB RTCHLT EVEN EHYS1 EHYS0 ESMP1 ESMP0"},
    {"VK321", 0x13, "USR2", "USR2 (User Byte 2)", 0xFF,
     "USR27 USR26 USR25 USR24 USR23 USR22 USR21 USR20"},
    {"VK321", 0x16, "HRT", "HRT (Hours)", 0xBF, "MILT - HRT21 HRT20 HRT13 HRT12 HRT11 HRT10"},
    {"VK321", 0x19, "YRT", "YRT (Year)", 0xFF, "YRT23 YRT22 YRT21 YRT20 YRT13 YRT12 YRT11 YRT10"},
    {"VK390", 0x00, "SC", "SC (Seconds)", 0x7F, "- SC22 SC21 SC20 SC13 SC12 SC11 SC10"},
    {"VK390", 0x01, "MN", "MN (Minutes)", 0xFF, "OF MN22 MN21 MN20 MN13 MN12 MN11 MN10"},
    {"VK390", 0x07, "SR", "SR (Status Register)", 0xFF, "ARST XSTOP RESEAL WRTC TMR ALM BATT RTCF"},
    {"VK390", 0x08, "INT", "INT (Interrupt)", 0xFF, "IM ALME LPMODE FOBATB IRQ2E IRQ1E FO1 FO0"},
    {"VK390", 0x09, "TMRC", "Timer Control", 0xF3, "TIM TMRE TMOD1 TMOD0 - - TCLK1 TCLK0"},
    {"VK390", 0x0A, "ATR", "ATR (Analog Timing Register)", 0xFF,
     "BMATR1 BMATR0 ATR5 ATR4 ATR3 ATR2 ATR1 ATR0"},
    {"VK390", 0x0B, "DTR", "DTR (Digital Timing Register)", 0xFF,
     "- - DTR5 DTR4 DTR3 DTR2 DTR1 DTR0"},
    {"VK390", 0x11, "DWA", "DWA (Day of Week Alarm)", 0x87, "EDWA - - - - ADW12 ADW11 ADW10"},
    {"VK390", 0x13, "TVAL", "Timer Value (Read only)", 0x00,
     "TCNT7 TCNT6 TCNT5 TCNT4 TCNT3 TCNT2 TCNT1 TCNT0"},
    {"VK390", 0x14, "TSUB", "Sub Timer (Write Only)", 0xFF,
     "TSDAT7 TSDAT6 TSDAT5 TSDAT4 TSDAT3 TSDAT2 TSDAT1 TSDAT0"},
    {"VK390", 0x1F, "SS", "RTC Sub Seconds", 0xFF, "SS23 SS22 SS21 SS20 SS13 SS12 SS11 SS10"},
    // VK360 and its relatives.
    {"VK360", 0x10, "BL", "Block Protect ", 0xE0, "BP2 BP1 BP0 - - - - -"},
    {"VK360", 0x11, "INT", "INT (Alarm & Interrupt Mode Enable)", 0xF8,
     "IM AL1E AL0E FO1 FO0 - - -"},
    {"VK360", 0x14, "PWR", "PWR Serial Intf: Bat SW Mode: VDD Threshold Sel.", 0xC0,
     "SBIB BSW - - - - - -"},
    {"VK360", 0x3F, "SR", "Status Register", 0xF7, "BAT AL1 AL0 OSCF - RWEL WEL RTCF"},
    {"VK361", 0x10, "BL", "Block Protect & WatchDog Control Register)", 0xF8,
     "BP2 BP1 BP0 WD1 WD0 - - -"},
    {"VK361", 0x11, "INT", "INT (Alarm Enable)", 0xE0, "IM AL1E AL0E - - - - -"},
    {"VK361", 0x14, "PWR", "PWR Serial Intf: Bat SW Mode: VDD Threshold Sel.", 0xC7,
     "SBIB BSW - - - VTS2 VTS1 VTS0"},
    {"VK361", 0x27, "ID7", "ID BYTE-7", 0x00, "ID77 ID76 ID75 ID74 ID73 ID72 ID71 ID70"},
    {"VK362", 0x10, "BL", "Block Protect & WatchDog Control Register)", 0xF8,
     "BP2 BP1 BP0 - - - - -"},
    {"VK362", 0x11, "INT", "INT (Alarm & Interrupt Mode Enable)", 0xF8,
     "IM AL1E AL0E FO1 FO0 - - -"},
    {"VK362", 0x14, "PWR", "PWR Serial Intf: Bat SW Mode: VDD Threshold Sel.", 0xC0,
     "SBIB BSW - - - - - -"},
    {"VK363", 0x10, "BL", "Block Protect & WatchDog Control Register)", 0xF8,
     "BP2 BP1 BP0 WD1 WD0 - - -"},
    {"VK363", 0x11, "INT", "INT (Alarm & Interrupt Mode Enable)", 0xE0, "IM AL1E AL0E - - - - -"},
    {"VK363", 0x14, "PWR", "PWR Serial Intf: Bat SW Mode: VDD Threshold Sel.", 0xC7,
     "SBIB BSW - - - VTS2 VTS1 VTS0"},
    {"VK364", 0x10, "BL", "Block Protect & WatchDog Control Register)", 0xF8,
     "BP2 BP1 BP0 WD1 WD0 - - -"},
    {"VK364", 0x11, "INT", "INT (Alarm & Interrupt Mode Enable)", 0xF8,
     "IM AL1E AL0E FO1 FO0 - - -"},
    {"VK364", 0x14, "PWR", "PWR Serial Intf: Bat SW Mode: VDD Threshold Sel.", 0xC7,
     "SBIB BSW - - - VTS2 VTS1 VTS0"},
    {"VK365", 0x10, "BL", "Block Protect & WatchDog Control Register)", 0xF8,
     "BP2 BP1 BP0 WD1 WD0 - - -"},
    {"VK365", 0x11, "INT", "INT (Alarm & Interrupt Mode Enable)", 0xF8,
     "IM AL1E AL0E FO1 FO0 - - -"},
    {"VK365", 0x14, "PWR", "PWR Serial Intf: Bat SW Mode: VDD Threshold Sel.", 0xC7,
     "SBIB BSW - - - VTS2 VTS1 VTS0"},
    {"VK365", 0x3F, "SR", "Status Register", 0xF7, "BAT AL1 AL0 OSCF - RWEL WEL RTCF"},
    // Spellings kept as the chips' tables have them.
    {"VK360", 0x01, "MNA0", "MNA (Minutes Alarm0)", 0xFF,
     "EMN0 A0M22 A0M21 A0M20 AOM13 A0M12 A0M11 A0M10"},
    {"VK360", 0x07, "A0Y2K0", "Y2K Alarm0)", 0x39, "- - A0Y2K21 A0Y2K20 A0Y2K13 - - A0Y2K10"},
    {"VK364", 0x0F, "A1Y2K1", "Y2K1 Alarm1)", 0x39, "- - A1Y2K21 A1Y2K20 A1Y2K13 - - A1Y2K10"},
    {"VK350", 0x0A, "VBAT", "Bat Mode & Trip Level", 0x7F,
     "- RESEAL B85T2 B85T1 B85T0 B75T2 B75T2 B75T0"},
    {"VK352", 0x0C, "ALPHA", "Actual Crystal Coeff.", 0xFF,
     "ALPHA7 ALHPA6 ALPHA5 ALPHA4 ALPHA3 ALPH2 ALPHA1 ALPHA0"},
    {"VK354", 0x0D, "BETA", "Temp Sense Ctrl - Sample Rate ", 0xFF,
     "TSE BTSE BTSR BETA4 BETA3 BETA2 BETA1 BETA0"},
    {"VK350", 0x0F, "FDTR", "Final Digital Triming (Read Only)", 0x00,
     "- - - FDTR4 FDTR3 FDTR2 FDTR1 FDTR0"},
    {"VK350", 0x17, "VMN", "BTS Minutes", 0x7F, "- VMN22 VMN21 VMN20 VMN13 VMN12 VMN11 VMN10"},
    {"VK350", 0x21, "DDwF", "DST Week & Day of Week Forward", 0x7F,
     "- WDFen WkFd2 WkFd1 WkFd0 DDwF4 DDwF2 DDwF1"},
    {"VK350", 0x28, "TK-LSB", "Kelvin LSB (Read Only)", 0xFF,
     "TK07 TK06 TK05 TK04 TK03 TK02 TK01 TK00"},
    {"VK370", 0x0B, "EVCNT", "EVENT Occurance Count", 0xFF,
     "EVC7 EVC6 EVC5 EVC4 EVC3 EVC2 EVC1 EVC0"},
    {"VK370", 0x10, "TRICK", "Trick Charge Ctrl", 0x07, "- - - - - TRKEN TRKR01 TRKR00"},
    {"VK370", 0x12, "PWRBT", "Battery Supply Ctrl ", 0x7F,
     "- BHYS VB85T2 VB85T1 VB85T0 VB75T2 VB75T1 VB75T0"},
    {"VK370", 0x13, "AC_IN", "AC Input Ctrl", 0xFF,
     "AC5060 ACENB ACRP1 ACRP0 ACFP1 ACFP0 ACFC1 ACFC0"},
    {"VK370", 0x14, "FTR", "Final Trim", 0x1F, "- - - ACMIN XDTR3 XDTR2 XDTR1 XTDR0"},
    {"VK370", 0x17, "DDtF", "DST Date of Month Forward", 0x3F,
     "HrFdMIL - DDtF21 DDtF20 DDtF13 DDtF12 DDtF11 DDtF10"},
    {"VK340", 0x1F, "SS", "USR1 (User Byte 1)", 0x00, "SS23 SS22 SS21 SS20 SS13 SS12 SS11 SS10"},
    {"VK340", 0x09, "OF", "OSC Fail", 0x80, "OF - - - - - - -"},
    {"VK380", 0x02, "HR", "HR (Hours)", 0x7F, "- /MIL /APm21 HR20 HR13 HR12 HR11 HR10"},
    {"VK380", 0x07, "A1SC", "A1 SC (Seconds Alarm)", 0xFF,
     "A1M1 A1SC22 AS1C21 AS1C20 AS1C13 AS1C12 AS1C11 AS1C10"},
    {"VK380", 0x0A, "A1DT", "A1 DW/ DT (Day of Week / Date Alarm)", 0xFF,
     "A1M4 DW/DT A1DT21 A1DT20 A1DT13 A1DT12 A1DT11 A1DT10"},
    {"VK381", 0x10, "A1MO", "A1 MO (Month Alarm)", 0x9F,
     "A1M5 - - A1MO20 AM1O13 AM1O12 A1MO11 A1MO10"},
    {"VK381", 0x11, "A1DW", "A1 (Day of Week Alarm)", 0x87, "A1M6 - - - - A1DW12 A1DW11 A1DW10"},
    {"VK381", 0x14, "A2DW", "A2 MO/DW (Month / Day of Week Alarm)", 0xFF,
     "A2M4 DW/DT A2DT21 A2DT20 A2DT13 A2DT12 A2DT11 A2DT10"},
    {"VK382", 0x07, "FT/OUT", "Control/ Status Register", 0xFF, "OUT FT - - - - - PF"},
};

TEST(FindRegister, RegistersReadAsListed)
{
    for (const RegisterCase& c : kRegisterCases) {
        SCOPED_TRACE(testing::Message() << c.part << " 0x" << std::hex << int(c.address));
        const RegMapEntry* e = FindRegister(MapOfPart(c.part), c.address);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Kind, RegKind::RegisterRow);
        EXPECT_EQ(e->Address, c.address);
        EXPECT_STREQ(e->ShortName, c.shortName);
        EXPECT_STREQ(e->Caption, c.caption);
        EXPECT_EQ(e->Mask, c.mask);
        EXPECT_EQ(BitsText(*e), c.bits);
    }
}

TEST(FindRegister, MissingAddressesAndNoMap)
{
    EXPECT_EQ(FindRegister(nullptr, 0x00), nullptr);
    EXPECT_EQ(FindRegister(MapOfPart("VK310"), 0x14), nullptr); // after the last user byte
    EXPECT_EQ(FindRegister(MapOfPart("VK311"), 0x14), nullptr);
    EXPECT_EQ(FindRegister(MapOfPart("VK390"), 0x15), nullptr); // between the timer and sub-seconds
    EXPECT_EQ(FindRegister(MapOfPart("VK381"), 0x09), nullptr); // gap between control and alarm 1
    EXPECT_EQ(FindRegister(MapOfPart("VK360"), 0x15), nullptr);
    EXPECT_EQ(FindRegister(MapOfPart("VK382"), 0x08), nullptr);
    EXPECT_EQ(FindRegister(MapOfPart("VK370"), 0xFF), nullptr);
}

TEST(RegisterMaps, Vk365HasTheRegistersOfVk364)
{
    const RegMapEntry* a = MapOfPart("VK364");
    const RegMapEntry* b = MapOfPart("VK365");
    for (;; ++a, ++b) {
        ASSERT_EQ(a->Kind, b->Kind);
        EXPECT_STREQ(a->ShortName, b->ShortName);
        EXPECT_STREQ(a->Caption, b->Caption);
        EXPECT_EQ(a->Address, b->Address);
        EXPECT_EQ(a->Mask, b->Mask);
        EXPECT_EQ(BitsText(*a), BitsText(*b));
        EXPECT_EQ(a->Access, b->Access);
        if (a->Kind == RegKind::EndOfMap) break;
    }
}

// --- What the chip does with each register --------------------------------------------------

bool Says(const char* text, std::string_view words)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(words) != std::string::npos;
}

// Calls check with every register of every map and its section's header.
template <typename Check> void ForEachRegister(Check check)
{
    for (const auto& [name, map] : MapsInUse()) {
        for (const MapSection& s : MapSections(map)) {
            for (int r = 0; r < s.RegisterCount; ++r)
                check(name, *s.Header, s.FirstRegister[r]);
        }
    }
}

// A register the user may edit no bit of is never a plain read-write one: the chip keeps it for
// itself, or it holds the maker's bytes.
TEST(RegisterAccess, ARegisterWithoutEditableBitsIsNotReadWrite)
{
    int rows = 0;
    ForEachRegister([&](const char* map, const RegMapEntry&, const RegMapEntry& e) {
        if (e.Mask != 0) return;
        ++rows;
        EXPECT_NE(e.Access, RegAccess::ReadWrite) << map << " " << e.ShortName;
    });
    EXPECT_GT(rows, 0);
}

// Where a caption tells the user a register is read-only or write-only, its access says so too:
// "read only" in its own caption or its section's, "write only" in its own.
TEST(RegisterAccess, CaptionsThatNameTheAccessAgreeWithIt)
{
    int readOnly = 0;
    int writeOnly = 0;
    ForEachRegister([&](const char* map, const RegMapEntry& header, const RegMapEntry& e) {
        if (Says(e.Caption, "write only")) {
            ++writeOnly;
            EXPECT_EQ(e.Access, RegAccess::WriteOnly) << map << " " << e.Caption;
        } else if (Says(e.Caption, "read only") || Says(header.Caption, "read only")) {
            ++readOnly;
            EXPECT_EQ(e.Access, RegAccess::ReadOnly) << map << " " << e.Caption;
        }
    });
    EXPECT_GT(readOnly, 0);
    EXPECT_GT(writeOnly, 0);
}

// --- Maps built on another ------------------------------------------------------------------

// How a map differs from the map it is built on: registers by address, section headers by
// their short name and caption.
struct MapDifference {
    std::set<int> changed;
    std::set<int> added;
    std::set<int> removed;
    std::set<std::string> headersGone;
    std::set<std::string> headersNew;
};

std::string RegisterText(const RegMapEntry& e)
{
    return std::string(e.ShortName) + " / " + e.Caption + " / " + std::to_string(e.Mask) + " / " +
           BitsText(e) + " / access " + std::to_string(static_cast<int>(e.Access));
}

MapDifference Difference(RegisterMapRef base, RegisterMapRef derived)
{
    std::map<int, std::string> before, after;
    std::multiset<std::string> headersBefore, headersAfter;
    auto collect = [](RegisterMapRef map, std::map<int, std::string>& rows,
                      std::multiset<std::string>& headers) {
        for (const MapSection& s : MapSections(map)) {
            headers.insert(std::string(s.Header->ShortName) + " / " + s.Header->Caption);
            for (int r = 0; r < s.RegisterCount; ++r)
                rows[s.FirstRegister[r].Address] = RegisterText(s.FirstRegister[r]);
        }
    };
    collect(base, before, headersBefore);
    collect(derived, after, headersAfter);
    MapDifference d;
    for (const auto& [address, text] : after) {
        const auto it = before.find(address);
        if (it == before.end()) {
            d.added.insert(address);
        } else if (it->second != text) {
            d.changed.insert(address);
        }
    }
    for (const auto& [address, text] : before) {
        if (!after.count(address)) d.removed.insert(address);
    }
    for (const std::string& h : headersBefore) {
        if (!headersAfter.count(h)) d.headersGone.insert(h);
    }
    for (const std::string& h : headersAfter) {
        if (!headersBefore.count(h)) d.headersNew.insert(h);
    }
    return d;
}

std::set<int> Range(int first, int last)
{
    std::set<int> addresses;
    for (int a = first; a <= last; ++a)
        addresses.insert(a);
    return addresses;
}

struct DerivedMapCase {
    const char* part;
    const char* base;
    MapDifference expected;
};

TEST(DerivedMaps, DifferFromTheirBaseExactlyWhereTheDesignSays)
{
    const std::set<std::string> csrAndUser = {"CSR / Control and Status", "User / User"};
    const std::set<std::string> renamedCsrAndSram = {"Control and Status / Control and Status",
                                                     "User / User SRAM"};
    const DerivedMapCase cases[] = {
        {"VK311", "VK310", {{0x07, 0x09, 0x0A, 0x0B}, {}, {}, csrAndUser, renamedCsrAndSram}},
        {"VK320", "VK310", {{0x0A, 0x0B}, Range(0x14, 0x19), {}, csrAndUser, renamedCsrAndSram}},
        {"VK321", "VK311", {{0x06}, Range(0x14, 0x19), {}, {}, {"Time Stamp / Time Stamp"}}},
        // The timer takes the user bytes' addresses 0x12 and 0x13.
        {"VK390",
         "VK310",
         {{0x01, 0x07, 0x08, 0x09, 0x0B, 0x12, 0x13},
          {0x14, 0x1F},
          {},
          {"User / User"},
          {"Timer / Timer Control", "RTC / RTC Sub-Seconds"}}},
        {"VK361", "VK360", {{0x10, 0x11, 0x14}, {}, {}, {}, {}}},
        {"VK362", "VK360", {{0x10}, {}, Range(0x20, 0x27), {"ID / Device ID "}, {}}},
        {"VK363", "VK360", {{0x10, 0x11, 0x14}, {}, Range(0x20, 0x27), {"ID / Device ID "}, {}}},
        {"VK364", "VK360", {{0x10, 0x14}, {}, Range(0x20, 0x27), {"ID / Device ID "}, {}}},
        {"VK365", "VK360", {{0x10, 0x14}, {}, Range(0x20, 0x27), {"ID / Device ID "}, {}}},
    };
    for (const DerivedMapCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.part << " on " << c.base);
        const MapDifference d = Difference(MapOfPart(c.base), MapOfPart(c.part));
        EXPECT_EQ(d.changed, c.expected.changed);
        EXPECT_EQ(d.added, c.expected.added);
        EXPECT_EQ(d.removed, c.expected.removed);
        EXPECT_EQ(d.headersGone, c.expected.headersGone);
        EXPECT_EQ(d.headersNew, c.expected.headersNew);
    }
}

// Within a changed register only the fields the design names differ from the base.
TEST(DerivedMaps, ChangedRegistersKeepTheFieldsLeftAlone)
{
    struct Case {
        const char* part;
        const char* base;
        uint8_t address;
        bool sameShortName, sameCaption, sameMask, sameBits;
    };
    const Case cases[] = {
        {"VK320", "VK310", 0x0A, true, false, true, true},
        {"VK321", "VK311", 0x06, true, true, false, true},
        {"VK361", "VK360", 0x14, true, true, false, false},
        {"VK363", "VK360", 0x11, true, true, false, false},
        {"VK362", "VK360", 0x10, true, false, false, true},
        {"VK364", "VK360", 0x10, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.part << " 0x" << std::hex << int(c.address));
        const RegMapEntry* base = FindRegister(MapOfPart(c.base), c.address);
        const RegMapEntry* derived = FindRegister(MapOfPart(c.part), c.address);
        ASSERT_NE(base, nullptr);
        ASSERT_NE(derived, nullptr);
        EXPECT_EQ(std::string(base->ShortName) == derived->ShortName, c.sameShortName);
        EXPECT_EQ(std::string(base->Caption) == derived->Caption, c.sameCaption);
        EXPECT_EQ(base->Mask == derived->Mask, c.sameMask);
        EXPECT_EQ(BitsText(*base) == BitsText(*derived), c.sameBits);
    }
}

} // namespace
