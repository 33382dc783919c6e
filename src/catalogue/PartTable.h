// The supported part models and their register maps: constant data.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// Family of a part; pages branch on it. Tests on it are sets of members.
enum PartType : uint8_t {
    TypeNone,
    TypeA,
    TypeB,
    TypeC,
    TypeD,
    TypeE,
    TypeF,
    TypeG,
    TypeH,
    TypeJ,
    TypeK
};

enum class RegKind : uint8_t { SectionHeader, RegisterRow, EndOfMap };

// What the chip does with a register's byte. It is a fact of the part, kept apart from the
// captions, which only tell the user: the simulated chips go by this field alone.
enum class RegAccess : uint8_t {
    ReadWrite,  // keeps what is written and reads it back
    ReadOnly,   // the chip's own (stamps, counters, measured or reserved bytes): a write leaves it
    WriteOnly,  // takes a write and keeps it, but reads back 0
    FactorySet, // read-only bytes the maker sets, different in each chip (the device ID)
};

// One entry of a register map. BitNames run bit 7 first; "" is an unnamed bit, one the part does
// not have. Section headers and the end of the map leave Access at ReadWrite.
struct RegMapEntry {
    RegKind Kind;
    const char* ShortName;
    const char* Caption;
    uint8_t Address;
    uint8_t Mask;
    std::array<const char*, 8> BitNames;
    RegAccess Access = RegAccess::ReadWrite;
};

// The bits a register has: those its map gives a name. Only whether a bit has a name counts,
// never what the name says.
constexpr uint8_t NamedBits(const RegMapEntry& row)
{
    uint8_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        if (row.BitNames[i] != nullptr && row.BitNames[i][0] != '\0')
            bits = static_cast<uint8_t>(bits | (0x80 >> i));
    }
    return bits;
}

// A map is a run of entries ended by the first entry that is neither a
// section header nor a register row.
using RegisterMapRef = const RegMapEntry*;

struct PartInfo {
    const char* PartName;
    RegisterMapRef RegisterMap; // nullptr for "Not Selected"
    PartType TypeCode;
    uint8_t RtcAddress;
    uint8_t MemAddress;
    uint8_t HasRowAccess;
    uint8_t AlarmCount;
    uint8_t HasTimeStamp;
    uint8_t HasWatchdog;
    uint8_t HasShipGuard;
    uint8_t HasBatteryBackup;
    uint8_t HasEventDetect;
    uint8_t HasIrqOutput;
    uint8_t HasFreqOut;
    uint32_t EepromBytes;
    uint32_t SramBytes;
    uint8_t HasGraph;
    uint8_t HasCrystalTrim;
};

// The register maps themselves are constants in RegisterMaps.h; a row refers to its part's map.
// VK330 uses the map of VK320, VK331 that of VK321, VK352 and VK354 that of VK350.

constexpr int kPartCount = 22;
extern const std::array<PartInfo, kPartCount> PartTable;

// First row whose PartName equals name exactly; 0 when none does.
int FindPartRow(std::string_view name);

// One section of a map: its header and its 1 to 8 registers.
struct MapSection {
    const RegMapEntry* Header;
    const RegMapEntry* FirstRegister;
    int RegisterCount;
};

// Sections of a map in map order; empty for nullptr.
std::vector<MapSection> MapSections(RegisterMapRef map);

// The register entry for an address, or nullptr when the map has none.
const RegMapEntry* FindRegister(RegisterMapRef map, uint8_t address);
