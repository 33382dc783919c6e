// What a chip does with each register of its map: read-write, read-only, write-only or set at
// the factory. The map row's access field says it, and nothing else does: a chip built from a
// copy of its map with other captions, section names and bit names does the same as the real
// one, while a changed access changes the chip.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ChipBench.h"
#include "ChipModel.h"
#include "FamilyTraits.h"
#include "PartTable.h"
#include "kvrx_usb.h"

namespace chiptest {
namespace {

using kvrx::sim::ChipModel;
using kvrx::sim::FamilyTraits;
using kvrx::sim::Guard;

const char* accessName(RegAccess access)
{
    switch (access) {
    case RegAccess::ReadWrite:
        return "read-write";
    case RegAccess::ReadOnly:
        return "read-only";
    case RegAccess::WriteOnly:
        return "write-only";
    case RegAccess::FactorySet:
        return "factory-set";
    }
    return "?";
}

std::vector<const RegMapEntry*> rowsOf(RegisterMapRef map)
{
    std::vector<const RegMapEntry*> rows;
    for (const MapSection& section : MapSections(map)) {
        for (int i = 0; i < section.RegisterCount; ++i)
            rows.push_back(section.FirstRegister + i);
    }
    return rows;
}

// ---------------------------------------------------------------- a chip of the test's making

// A part's map copied, with its texts replaced and its structured fields kept.
struct Relabel {
    const char* name;
    const char* sectionName;
    const char* sectionCaption;
    const char* shortName;
    const char* caption;
    const char* bitName; // for every named bit; an unnamed bit stays unnamed
};

// Plain texts, and texts that once meant something to the chip: "read only" and "write only" in
// a caption, the section names "ID" and "Time Stamp".
const Relabel kRelabels[] = {
    {"Neutral", "S", "Section", "R", "Register", "B"},
    {"NoCaptions", "S", "", "R", "", "B"},
    {"AllReadOnly", "Time Stamp", "Bat to VDD Time Stamp (Read Only)", "RO",
     "Kelvin LSB (Read Only)", "TK07"},
    {"AllWriteOnly", "Timer", "Timer Control", "TSUB", "Sub Timer (Write Only)", "TSDAT7"},
    {"AllDeviceId", "ID", "Device ID ", "ID0", "ID BYTE-0", "ID07"},
};

std::vector<RegMapEntry> relabelled(RegisterMapRef map, const Relabel& relabel)
{
    std::vector<RegMapEntry> copy;
    const RegMapEntry* e = map;
    for (; e->Kind == RegKind::SectionHeader || e->Kind == RegKind::RegisterRow; ++e) {
        RegMapEntry entry = *e;
        if (entry.Kind == RegKind::SectionHeader) {
            entry.ShortName = relabel.sectionName;
            entry.Caption = relabel.sectionCaption;
        } else {
            entry.ShortName = relabel.shortName;
            entry.Caption = relabel.caption;
            for (const char*& bit : entry.BitNames) {
                if (bit[0] != '\0') bit = relabel.bitName;
            }
        }
        copy.push_back(entry);
    }
    copy.push_back(*e);
    return copy;
}

// One thing seen of a chip: a register's byte on the bus or through peek.
struct Seen {
    std::string when;
    uint32_t address;
    int value; // -1: peek refused
};

// Everything a chip built from this part row shows when put through the same steps: every
// address read and peeked, each register of the map written with two patterns (after the
// family's write enable) and read back, a second of time, and every address again.
std::vector<Seen> exercise(const PartInfo& part)
{
    const FamilyTraits* family = kvrx::sim::familyTraits(part.TypeCode);
    if (family == nullptr) {
        ADD_FAILURE() << "no family for " << part.PartName;
        return {};
    }
    ChipModel chip(part, *family, 7);
    chip.supplyChanged(true);
    const uint8_t slave = part.RtcAddress;
    const uint8_t subLen = static_cast<uint8_t>(family->addressBytes);
    std::vector<Seen> seen;

    auto readByte = [&](uint32_t address) {
        uint8_t b = 0;
        EXPECT_EQ(KVRX_OK, chip.read(slave, subLen, address, &b, 1));
        return b;
    };
    auto writeByte = [&](uint32_t address, uint8_t value) {
        EXPECT_EQ(KVRX_OK, chip.write(slave, subLen, address, &value, 1));
    };
    auto look = [&](const std::string& when, uint32_t address) {
        seen.push_back({when + " read", address, readByte(address)});
        uint8_t b = 0;
        seen.push_back(
            {when + " peek", address, chip.peek(slave, address, &b) ? static_cast<int>(b) : -1});
    };
    auto enableWrites = [&] {
        const uint8_t status = family->wrtc.reg;
        if (family->guard == Guard::WelRwel) {
            writeByte(status, 0x02);
            writeByte(status, 0x06);
        } else if (family->guard == Guard::WrtcBit) {
            writeByte(status, static_cast<uint8_t>(readByte(status) | family->wrtc.mask));
        }
    };

    for (uint32_t a = 0; a < 0x100; ++a)
        look("fresh", a);
    for (const RegMapEntry* row : rowsOf(part.RegisterMap)) {
        for (const uint8_t pattern : {uint8_t{0x5A}, uint8_t{0xA5}}) {
            enableWrites();
            writeByte(row->Address, pattern);
            char when[24];
            std::snprintf(when, sizeof when, "after writing 0x%02X", pattern);
            look(when, row->Address);
        }
    }
    chip.advance(1.0, 25.0);
    for (uint32_t a = 0; a < 0x100; ++a)
        look("at last", a);
    return seen;
}

// The steps where a chip differs from the one built from the part's own map, as text; empty
// when they agree throughout.
std::vector<std::string> differences(const std::vector<Seen>& own, const std::vector<Seen>& other)
{
    if (own.size() != other.size()) return {"a different number of steps"};
    std::vector<std::string> found;
    for (size_t i = 0; i < own.size(); ++i) {
        if (own[i].value == other[i].value) continue;
        char text[128];
        std::snprintf(text, sizeof text, "0x%02X %s: %d, from the part's own map %d",
                      own[i].address, own[i].when.c_str(), other[i].value, own[i].value);
        found.push_back(text);
    }
    return found;
}

std::string firstFew(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size() && i < 4; ++i)
        text += "\n  " + lines[i];
    return text;
}

class RelabelledMap : public ::testing::TestWithParam<int> {};

TEST_P(RelabelledMap, BuildsTheSameChip)
{
    const PartInfo& part = PartTable[GetParam()];
    const std::vector<Seen> original = exercise(part);
    ASSERT_FALSE(original.empty());
    for (const Relabel& relabel : kRelabels) {
        SCOPED_TRACE(relabel.name);
        const std::vector<RegMapEntry> map = relabelled(part.RegisterMap, relabel);
        PartInfo copy = part;
        copy.RegisterMap = map.data();
        const std::vector<std::string> found = differences(original, exercise(copy));
        EXPECT_TRUE(found.empty()) << found.size() << " differences, such as" << firstFew(found);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPart, RelabelledMap, ::testing::Range(1, kPartCount),
                         [](const auto& info) {
                             return std::string(PartTable[info.param].PartName);
                         });

// The same steps see a change of a register's access, so the chips above agree because the
// texts do not count, not because the steps miss what the access does.
TEST(RelabelledMap, AChangedAccessBuildsAnotherChip)
{
    struct Case {
        const char* part;
        uint8_t address;
        RegAccess access;
    };
    const Case cases[] = {
        {"VK390", 0x14, RegAccess::ReadWrite},  // the sub timer reads back
        {"VK390", 0x12, RegAccess::WriteOnly},  // the timer's initial value reads 0
        {"VK360", 0x20, RegAccess::ReadOnly},   // no factory ID in the first byte
        {"VK362", 0x13, RegAccess::FactorySet}, // an ID byte in place of the digital trim
        {"VK321", 0x14, RegAccess::ReadWrite},  // a time stamp takes writes
        {"VK310", 0x12, RegAccess::ReadOnly},   // a user byte takes none
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.part << " 0x" << std::hex << int(c.address) << " "
                                        << accessName(c.access));
        const PartInfo& part = PartTable[static_cast<size_t>(FindPartRow(c.part))];
        ASSERT_NE(part.RegisterMap, nullptr);
        std::vector<RegMapEntry> map = relabelled(part.RegisterMap, kRelabels[0]);
        bool changed = false;
        for (RegMapEntry& e : map) {
            if (e.Kind != RegKind::RegisterRow || e.Address != c.address) continue;
            ASSERT_NE(e.Access, c.access) << "the case changes nothing";
            e.Access = c.access;
            changed = true;
        }
        ASSERT_TRUE(changed) << "no register there";
        PartInfo copy = part;
        copy.RegisterMap = map.data();
        EXPECT_FALSE(differences(exercise(part), exercise(copy)).empty());
    }
}

// ---------------------------------------------------------------- the parts' own chips

// Through the adapter library: a read-write register keeps what is written to the bits it has,
// a write to a read-only or factory-set one leaves it as it was, and a write-only one takes the
// write but reads back 0.
void expectActsAs(ChipBench& bench, const RegMapEntry& row, RegAccess access)
{
    SCOPED_TRACE(testing::Message() << row.ShortName << " at 0x" << std::hex << int(row.Address)
                                    << ", " << accessName(access));
    const uint8_t before = bench.reg(row.Address);
    const uint8_t flipped = static_cast<uint8_t>(~before & NamedBits(row));
    const uint8_t written = flipped != 0 ? flipped : 0x5A;
    switch (access) {
    case RegAccess::ReadWrite:
        for (const uint8_t value : {uint8_t{0x5A}, uint8_t{0xA5}}) {
            bench.setReg(row.Address, value);
            EXPECT_EQ(value & NamedBits(row), bench.reg(row.Address));
        }
        break;
    case RegAccess::ReadOnly:
    case RegAccess::FactorySet:
        bench.setReg(row.Address, written);
        EXPECT_EQ(before, bench.reg(row.Address));
        break;
    case RegAccess::WriteOnly:
        bench.setReg(row.Address, written);
        EXPECT_EQ(0x00, bench.reg(row.Address));
        EXPECT_EQ(written & NamedBits(row), bench.peek(row.Address)) << "the chip holds it";
        break;
    }
}

class RegistersOfEveryPart : public ::testing::TestWithParam<int> {};

TEST_P(RegistersOfEveryPart, ActAsTheirAccessSays)
{
    const PartInfo& part = PartTable[GetParam()];
    ChipBench bench(part.PartName);
    std::vector<uint8_t> factorySet;
    for (const RegMapEntry* row : rowsOf(part.RegisterMap)) {
        if (row->Access == RegAccess::FactorySet) factorySet.push_back(bench.reg(row->Address));
        // Read-write registers have no one rule: flags, write protection and the clock's own
        // registers have theirs, tried by the tests of each of them.
        if (row->Access != RegAccess::ReadWrite) expectActsAs(bench, *row, row->Access);
    }
    // The maker's bytes hold the chip's ID: not all zero.
    if (!factorySet.empty()) {
        EXPECT_NE(std::vector<uint8_t>(factorySet.size(), 0), factorySet);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPart, RegistersOfEveryPart, ::testing::Range(1, kPartCount),
                         [](const auto& info) {
                             return std::string(PartTable[info.param].PartName);
                         });

// Worked examples from the parts' register descriptions, and what each one's chip does.
struct AccessCase {
    const char* part;
    uint8_t address;
    RegAccess access;
    const char* what;
};

const AccessCase kAccessCases[] = {
    {"VK390", 0x12, RegAccess::ReadWrite, "TimerInitial"},
    {"VK390", 0x13, RegAccess::ReadOnly, "TimerValue"},
    {"VK390", 0x14, RegAccess::WriteOnly, "SubTimer"},
    {"VK360", 0x20, RegAccess::FactorySet, "IdByte0"},
    {"VK361", 0x27, RegAccess::FactorySet, "IdByte7"},
    {"VK321", 0x14, RegAccess::ReadOnly, "StampSeconds"},
    {"VK331", 0x19, RegAccess::ReadOnly, "StampYear"},
    {"VK350", 0x16, RegAccess::ReadOnly, "ToBatteryStampSeconds"},
    {"VK354", 0x1F, RegAccess::ReadOnly, "ToSupplyStampMonth"},
    {"VK352", 0x28, RegAccess::ReadOnly, "KelvinLow"},
    {"VK350", 0x2E, RegAccess::ReadWrite, "Sram"},
    {"VK370", 0x0A, RegAccess::ReadOnly, "AcCounter"},
    {"VK370", 0x33, RegAccess::ReadOnly, "EventStampSeconds"},
    {"VK370", 0x15, RegAccess::ReadWrite, "DstMonthForward"},
    {"VK311", 0x09, RegAccess::ReadWrite, "EventDetect"},
    {"VK320", 0x19, RegAccess::ReadWrite, "UserByte8"},
};

class AccessExample : public ::testing::TestWithParam<AccessCase> {};

TEST_P(AccessExample, TheMapSaysItAndTheChipDoesIt)
{
    const AccessCase& c = GetParam();
    const PartInfo& part = PartTable[static_cast<size_t>(FindPartRow(c.part))];
    const RegMapEntry* row = FindRegister(part.RegisterMap, c.address);
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(accessName(c.access), accessName(row->Access));

    ChipBench bench(c.part);
    expectActsAs(bench, *row, c.access);
}

INSTANTIATE_TEST_SUITE_P(Cases, AccessExample, ::testing::ValuesIn(kAccessCases),
                         [](const auto& info) {
                             return std::string(info.param.part) + "_" + info.param.what;
                         });

} // namespace
} // namespace chiptest
