// Register maps written as another map with changes. Related parts share most of their
// registers, so their maps are stated as the base map plus the differences, and a correction to
// the base reaches every map built on it. Everything here runs while compiling; a change that
// names no register or section of its base stops the build.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <vector>

#include "PartTable.h"

namespace RegisterMaps {

using Bits = std::array<const char*, 8>;

inline constexpr Bits kNoBits = {"", "", "", "", "", "", "", ""};

constexpr RegMapEntry Section(const char* shortName, const char* caption)
{
    return {RegKind::SectionHeader, shortName, caption, 0, 0, kNoBits};
}

// A register; access says what the chip does with it, whatever the caption tells the user.
constexpr RegMapEntry Row(const char* shortName, const char* caption, uint8_t address, uint8_t mask,
                          const Bits& bitNames, RegAccess access = RegAccess::ReadWrite)
{
    return {RegKind::RegisterRow, shortName, caption, address, mask, bitNames, access};
}

constexpr RegMapEntry EndOfMap()
{
    return {RegKind::EndOfMap, "", "", 0, 0, kNoBits};
}

// One change to a map. A register is named by its address, a section by its short name; the
// name must fit exactly one entry of the map as it stands when the change applies.
struct MapEdit {
    enum class Op : uint8_t {
        ChangeRow,          // set some fields of a register, keep the others
        ReplaceRow,         // a new register at the same address
        ChangeSection,      // set the short name or caption of a section header
        AppendToSection,    // registers added at the end of a section
        InsertAfterSection, // whole sections added after a section
        ReplaceSection,     // a section and its registers give way to other sections
        RemoveSection,      // a section and its registers dropped
    };

    Op What;
    uint8_t Address = 0;
    const char* SectionName = nullptr;
    const char* NewShortName = nullptr;
    const char* NewCaption = nullptr;
    std::optional<uint8_t> NewMask{};
    std::optional<Bits> NewBitNames{};
    RegMapEntry NewRow{};
    std::span<const RegMapEntry> Added{};

    // The fields a ChangeRow or ChangeSection sets; the ones never named keep their value.
    constexpr MapEdit ShortName(const char* shortName) const
    {
        MapEdit edit = *this;
        edit.NewShortName = shortName;
        return edit;
    }
    constexpr MapEdit Caption(const char* caption) const
    {
        MapEdit edit = *this;
        edit.NewCaption = caption;
        return edit;
    }
    constexpr MapEdit Mask(uint8_t mask) const
    {
        MapEdit edit = *this;
        edit.NewMask = mask;
        return edit;
    }
    constexpr MapEdit BitNames(const Bits& bitNames) const
    {
        MapEdit edit = *this;
        edit.NewBitNames = bitNames;
        return edit;
    }
};

constexpr MapEdit ChangeRow(uint8_t address)
{
    return {MapEdit::Op::ChangeRow, address};
}

constexpr MapEdit ReplaceRow(const RegMapEntry& row)
{
    MapEdit edit{MapEdit::Op::ReplaceRow, row.Address};
    edit.NewRow = row;
    return edit;
}

constexpr MapEdit ChangeSection(const char* shortName)
{
    return {MapEdit::Op::ChangeSection, 0, shortName};
}

constexpr MapEdit AppendToSection(const char* shortName, std::span<const RegMapEntry> rows)
{
    MapEdit edit{MapEdit::Op::AppendToSection, 0, shortName};
    edit.Added = rows;
    return edit;
}

constexpr MapEdit InsertAfterSection(const char* shortName, std::span<const RegMapEntry> sections)
{
    MapEdit edit{MapEdit::Op::InsertAfterSection, 0, shortName};
    edit.Added = sections;
    return edit;
}

constexpr MapEdit ReplaceSection(const char* shortName, std::span<const RegMapEntry> sections)
{
    MapEdit edit{MapEdit::Op::ReplaceSection, 0, shortName};
    edit.Added = sections;
    return edit;
}

constexpr MapEdit RemoveSection(const char* shortName)
{
    return {MapEdit::Op::RemoveSection, 0, shortName};
}

namespace Detail {

using Entries = std::vector<RegMapEntry>;

constexpr bool IsMapEntry(const RegMapEntry& entry)
{
    return entry.Kind == RegKind::SectionHeader || entry.Kind == RegKind::RegisterRow;
}

constexpr std::size_t FindRow(const Entries& map, uint8_t address)
{
    std::size_t found = map.size();
    for (std::size_t i = 0; i < map.size(); ++i) {
        if (map[i].Kind != RegKind::RegisterRow || map[i].Address != address) continue;
        if (found != map.size()) throw std::invalid_argument("map edit: register address twice");
        found = i;
    }
    if (found == map.size()) throw std::invalid_argument("map edit: no register at the address");
    return found;
}

constexpr std::size_t FindSection(const Entries& map, const char* shortName)
{
    if (shortName == nullptr) throw std::invalid_argument("map edit: no section named");
    std::size_t found = map.size();
    for (std::size_t i = 0; i < map.size(); ++i) {
        if (map[i].Kind != RegKind::SectionHeader) continue;
        if (std::string_view(map[i].ShortName) != shortName) continue;
        if (found != map.size()) throw std::invalid_argument("map edit: section name twice");
        found = i;
    }
    if (found == map.size()) throw std::invalid_argument("map edit: no section of that name");
    return found;
}

// Index just past the last register of the section whose header is at index header.
constexpr std::size_t SectionEnd(const Entries& map, std::size_t header)
{
    std::size_t end = header + 1;
    while (end < map.size() && map[end].Kind == RegKind::RegisterRow)
        ++end;
    return end;
}

constexpr void RequireAdded(std::span<const RegMapEntry> added, bool sections)
{
    if (added.empty()) throw std::invalid_argument("map edit: nothing to add");
    if (sections && added.front().Kind != RegKind::SectionHeader)
        throw std::invalid_argument("map edit: added sections must start with a header");
    for (const RegMapEntry& entry : added) {
        if (!IsMapEntry(entry)) throw std::invalid_argument("map edit: end of map among additions");
        if (!sections && entry.Kind != RegKind::RegisterRow)
            throw std::invalid_argument("map edit: a header among added registers");
    }
}

constexpr void Apply(Entries& map, const MapEdit& edit)
{
    using Op = MapEdit::Op;
    switch (edit.What) {
    case Op::ChangeRow: {
        RegMapEntry& row = map[FindRow(map, edit.Address)];
        if (edit.NewShortName != nullptr) row.ShortName = edit.NewShortName;
        if (edit.NewCaption != nullptr) row.Caption = edit.NewCaption;
        if (edit.NewMask) row.Mask = *edit.NewMask;
        if (edit.NewBitNames) row.BitNames = *edit.NewBitNames;
        return;
    }
    case Op::ReplaceRow:
        if (edit.NewRow.Kind != RegKind::RegisterRow)
            throw std::invalid_argument("map edit: a replacement register must be a register");
        map[FindRow(map, edit.Address)] = edit.NewRow;
        return;
    case Op::ChangeSection: {
        if (edit.NewMask || edit.NewBitNames)
            throw std::invalid_argument("map edit: a section has no mask or bit names");
        RegMapEntry& header = map[FindSection(map, edit.SectionName)];
        if (edit.NewShortName != nullptr) header.ShortName = edit.NewShortName;
        if (edit.NewCaption != nullptr) header.Caption = edit.NewCaption;
        return;
    }
    case Op::AppendToSection: {
        RequireAdded(edit.Added, false);
        const std::size_t end = SectionEnd(map, FindSection(map, edit.SectionName));
        map.insert(map.begin() + static_cast<std::ptrdiff_t>(end), edit.Added.begin(),
                   edit.Added.end());
        return;
    }
    case Op::InsertAfterSection: {
        RequireAdded(edit.Added, true);
        const std::size_t end = SectionEnd(map, FindSection(map, edit.SectionName));
        map.insert(map.begin() + static_cast<std::ptrdiff_t>(end), edit.Added.begin(),
                   edit.Added.end());
        return;
    }
    case Op::ReplaceSection:
    case Op::RemoveSection: {
        if (edit.What == Op::ReplaceSection) RequireAdded(edit.Added, true);
        const std::size_t header = FindSection(map, edit.SectionName);
        const std::size_t end = SectionEnd(map, header);
        const auto at = map.erase(map.begin() + static_cast<std::ptrdiff_t>(header),
                                  map.begin() + static_cast<std::ptrdiff_t>(end));
        map.insert(at, edit.Added.begin(), edit.Added.end());
        return;
    }
    }
    throw std::invalid_argument("map edit: unknown change");
}

} // namespace Detail

// The entries of base, its EndOfMap entry included, with the edits applied in order.
constexpr std::vector<RegMapEntry> ApplyMapEdits(RegisterMapRef base,
                                                 std::span<const MapEdit> edits)
{
    // A compile-time base is the address of a map and never null; the sanitizer
    // build cannot even compare such an address with null while compiling.
    if (!std::is_constant_evaluated() && base == nullptr)
        throw std::invalid_argument("map edit: no base map");
    std::vector<RegMapEntry> map;
    const RegMapEntry* entry = base;
    for (; Detail::IsMapEntry(*entry); ++entry)
        map.push_back(*entry);
    for (const MapEdit& edit : edits)
        Detail::Apply(map, edit);
    map.push_back(*entry);
    return map;
}

// The map Base with Edits applied, as a constant array like the maps written out in full.
template <const auto& Base, const auto& Edits> consteval auto DerivedMap()
{
    constexpr std::size_t size = ApplyMapEdits(std::data(Base), Edits).size();
    const std::vector<RegMapEntry> entries = ApplyMapEdits(std::data(Base), Edits);
    std::array<RegMapEntry, size> map{};
    std::copy(entries.begin(), entries.end(), map.begin());
    return map;
}

} // namespace RegisterMaps
