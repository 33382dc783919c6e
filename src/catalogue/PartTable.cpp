#include "PartTable.h"

// Row order is the order of the part list: its item index is the row index.
// clang-format off
const std::array<PartInfo, kPartCount> PartTable = {{
    // PartName, RegisterMap, TypeCode, RtcAddress, MemAddress, HasRowAccess, AlarmCount,
    // HasTimeStamp, HasWatchdog, HasShipGuard, HasBatteryBackup, HasEventDetect, HasIrqOutput,
    // HasFreqOut, EepromBytes, SramBytes, HasGraph, HasCrystalTrim
    {"Not Selected", nullptr, TypeNone, 0xD0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"VK310", MapVK310, TypeA, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 2, 1, 1},
    {"VK311", MapVK311, TypeA, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 1, 1, 1, 0, 2, 1, 1},
    {"VK320", MapVK320, TypeB, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 8, 1, 1},
    {"VK321", MapVK321, TypeB, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 2, 1, 1},
    {"VK330", MapVK320, TypeB, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 8, 1, 1},
    {"VK331", MapVK321, TypeB, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 2, 1, 1},
    {"VK340", MapVK340, TypeC, 0xD0, 0xAE, 1, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1},
    {"VK350", MapVK350, TypeD, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 128, 1, 0},
    {"VK352", MapVK350, TypeD, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 128, 1, 0},
    {"VK354", MapVK350, TypeD, 0xDE, 0xAE, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 128, 1, 0},
    {"VK360", MapVK360, TypeE, 0xDE, 0xAE, 1, 2, 0, 0, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK361", MapVK361, TypeE, 0xDE, 0xAE, 1, 2, 0, 1, 1, 1, 0, 0, 0, 512, 0, 1, 1},
    {"VK362", MapVK362, TypeE, 0xDE, 0xAE, 1, 2, 0, 0, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK363", MapVK363, TypeE, 0xDE, 0xAE, 1, 2, 0, 0, 1, 1, 0, 0, 0, 512, 0, 1, 1},
    {"VK364", MapVK364, TypeE, 0xDE, 0xAE, 1, 2, 0, 1, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK365", MapVK365, TypeE, 0xDE, 0xAE, 1, 2, 0, 1, 1, 1, 0, 1, 1, 512, 0, 1, 1},
    {"VK370", MapVK370, TypeF, 0xDE, 0xAE, 1, 2, 1, 0, 1, 1, 1, 1, 1, 0, 128, 1, 0},
    {"VK380", MapVK380, TypeG, 0xD0, 0, 1, 2, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0},
    {"VK381", MapVK381, TypeH, 0xDE, 0, 1, 2, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0},
    {"VK382", MapVK382, TypeJ, 0xD0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0},
    {"VK390", MapVK390, TypeK, 0xDE, 0xAE, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1, 1},
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
