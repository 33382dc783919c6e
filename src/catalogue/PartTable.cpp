#include "PartTable.h"

#include "RegisterMaps.h"

using namespace RegisterMaps;

// Row order is the order of the part list: its item index is the row index. The table is filled
// while compiling (constinit), so the simulated board may read it before main runs.
// clang-format off
constinit const std::array<PartInfo, kPartCount> PartTable = {{
    // PartName, RegisterMap, TypeCode, RtcAddress, MemAddress, HasRowAccess, AlarmCount,
    // HasTimeStamp, HasWatchdog, HasShipGuard, HasBatteryBackup, HasEventDetect, HasIrqOutput,
    // HasFreqOut, EepromBytes, SramBytes, HasGraph, HasCrystalTrim
    {"Not Selected", nullptr, TypeNone, 0xD0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"VK310", MapVK310.data(), TypeA, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 2, 1, 1},
    {"VK311", MapVK311.data(), TypeA, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 1, 1, 1, 0, 2, 1, 1},
    {"VK320", MapVK320.data(), TypeB, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 8, 1, 1},
    {"VK321", MapVK321.data(), TypeB, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 2, 1, 1},
    {"VK330", MapVK320.data(), TypeB, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 8, 1, 1},
    {"VK331", MapVK321.data(), TypeB, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 2, 1, 1},
    {"VK340", MapVK340.data(), TypeC, 0xD0, 0xAE, 1, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1},
    {"VK350", MapVK350.data(), TypeD, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 128, 1, 0},
    {"VK352", MapVK350.data(), TypeD, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 128, 1, 0},
    {"VK354", MapVK350.data(), TypeD, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 128, 1, 0},
    {"VK360", MapVK360.data(), TypeE, 0xDE, 0xAE, 1, 2, 0, 0, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK361", MapVK361.data(), TypeE, 0xDE, 0xAE, 1, 2, 0, 1, 1, 1, 0, 0, 0, 512, 0, 1, 1},
    {"VK362", MapVK362.data(), TypeE, 0xDE, 0xAE, 1, 2, 0, 0, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK363", MapVK363.data(), TypeE, 0xDE, 0xAE, 1, 2, 0, 0, 1, 1, 0, 0, 0, 512, 0, 1, 1},
    {"VK364", MapVK364.data(), TypeE, 0xDE, 0xAE, 1, 2, 0, 1, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK365", MapVK365.data(), TypeE, 0xDE, 0xAE, 1, 2, 0, 1, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK370", MapVK370.data(), TypeF, 0xDE, 0xAE, 1, 2, 1, 0, 1, 1, 1, 1, 1, 0, 128, 1, 0},
    {"VK380", MapVK380.data(), TypeG, 0xD0, 0, 1, 2, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0},
    {"VK381", MapVK381.data(), TypeH, 0xDE, 0, 1, 2, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0},
    {"VK382", MapVK382.data(), TypeJ, 0xD0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0},
    {"VK390", MapVK390.data(), TypeK, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1, 1},
}};
// clang-format on

int FindPartRow(std::string_view name)
{
    for (int row = 0; row < kPartCount; ++row) {
        if (name == PartTable[row].PartName) return row;
    }
    return 0;
}

namespace {

bool IsMapEntry(const RegMapEntry& entry)
{
    return entry.Kind == RegKind::SectionHeader || entry.Kind == RegKind::RegisterRow;
}

} // namespace

std::vector<MapSection> MapSections(RegisterMapRef map)
{
    std::vector<MapSection> sections;
    if (!map) return sections;
    for (const RegMapEntry* entry = map; IsMapEntry(*entry); ++entry) {
        if (entry->Kind == RegKind::SectionHeader) {
            sections.push_back({entry, entry + 1, 0});
        } else if (!sections.empty()) {
            ++sections.back().RegisterCount;
        }
    }
    return sections;
}

const RegMapEntry* FindRegister(RegisterMapRef map, uint8_t address)
{
    if (!map) return nullptr;
    for (const RegMapEntry* entry = map; IsMapEntry(*entry); ++entry) {
        if (entry->Kind == RegKind::RegisterRow && entry->Address == address) return entry;
    }
    return nullptr;
}
