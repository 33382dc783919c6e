#include "registers/RegistersCodec.h"

#include "BitHints.h"

#include <algorithm>
#include <cstdio>

namespace {

// Only TypeE parts need the write-enable sequence, so only their block shows
// the unlock controls.
constexpr ControlSetting kUnlockHidden[] = {
    Hide("BtnUnlock"),
    Hide("Label115"),
    Hide("ChkAutoUnlock"),
    Hide("Label52"),
};

constexpr ControlSetting kUnlockShown[] = {
    Show("BtnUnlock"),
    Show("Label115"),
    Show("ChkAutoUnlock"),
    Hide("Label52"),
};

constexpr int kImageSize = 256;

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kRegistersPageSettings = {
    SettingList(),
    {SettingList(kUnlockHidden), kUnlockShown, kUnlockHidden, kUnlockHidden, kUnlockHidden,
     kUnlockHidden, kUnlockHidden, kUnlockHidden, kUnlockHidden},
};

namespace RegistersCodec {

std::optional<SectionView> Section(RegisterMapRef map, int n)
{
    const std::vector<MapSection> sections = MapSections(map);
    if (n < 0 || n >= static_cast<int>(sections.size())) return std::nullopt;
    const MapSection& section = sections[static_cast<size_t>(n)];
    SectionView view;
    view.Caption = section.Header->Caption;
    view.WritesBarred = view.Caption == kReadOnlySection;
    const int count = std::min(section.RegisterCount, kPageRows);
    view.PageStart = section.FirstRegister->Address;
    for (int r = 0; r < count; ++r) {
        const RegMapEntry& entry = section.FirstRegister[r];
        const std::string address = " 0x" + HexByte(entry.Address);
        RowView row;
        row.Name = std::string(entry.ShortName) + address;
        row.Hint = std::string(entry.Caption) + address;
        row.Address = entry.Address;
        row.Mask = entry.Mask;
        for (int bit = 0; bit < 8; ++bit) {
            row.BitCaptions[static_cast<size_t>(bit)] =
                entry.BitNames[static_cast<size_t>(7 - bit)];
            row.BitHints[static_cast<size_t>(bit)] = BitHint(entry, bit);
        }
        view.Rows.push_back(std::move(row));
    }
    return view;
}

bool RowReadsAllowed(const PartInfo& part, bool boardOpen)
{
    return boardOpen && part.HasRowAccess != 0;
}

bool RowWritesAllowed(const PartInfo& part, bool boardOpen, bool writesBarred)
{
    return RowReadsAllowed(part, boardOpen) && !writesBarred;
}

uint32_t BitColour(uint8_t value, int bit)
{
    return ((value >> bit) & 1) != 0 ? SetColour : ClearColour;
}

uint8_t BitsValue(const std::array<uint32_t, 8>& colours)
{
    uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (colours[static_cast<size_t>(bit)] == SetColour)
            value = static_cast<uint8_t>(value | (1u << bit));
    }
    return value;
}

uint8_t ToggleBit(uint8_t value, int bit)
{
    return static_cast<uint8_t>(value ^ (1u << bit));
}

std::optional<uint8_t> AddressFromName(std::string_view name)
{
    // The name ends with "0x" and two hex digits.
    if (name.size() < 4) return std::nullopt;
    const std::string_view tail = name.substr(name.size() - 4);
    if (tail[0] != '0' || (tail[1] != 'x' && tail[1] != 'X')) return std::nullopt;
    return ParseHexByte(tail.substr(2));
}

std::optional<char> HexKey(char key)
{
    if (key == '\b') return key;
    const char upper = (key >= 'a' && key <= 'z') ? static_cast<char>(key - 'a' + 'A') : key;
    if (HexDigitValue(upper) >= 0) return upper;
    return std::nullopt;
}

uint8_t SubAddressLength(PartType type)
{
    return type == TypeE ? 2 : 1;
}

bool UnlockBeforeWrite(PartType type, bool autoUnlock)
{
    return type == TypeE && autoUnlock;
}

std::optional<RegisterRun> PageRun(int pageStart, int pageCount)
{
    if (pageStart < 0 || pageCount < 1 || pageCount > kPageRows) return std::nullopt;
    if (pageStart + pageCount > kImageSize) return std::nullopt;
    return RegisterRun{static_cast<uint8_t>(pageStart), static_cast<uint32_t>(pageCount)};
}

std::optional<uint8_t> RowRegister(int pageStart, int pageCount, int k)
{
    const std::optional<RegisterRun> page = PageRun(pageStart, pageCount);
    if (!page || k < 0 || k >= pageCount) return std::nullopt;
    return static_cast<uint8_t>(pageStart + k);
}

std::string RegistersDone(uint8_t address, uint32_t count, bool written)
{
    char text[48];
    const char* done = written ? "written" : "read";
    if (count <= 1)
        std::snprintf(text, sizeof text, " Register 0x%02X %s", address, done);
    else
        std::snprintf(text, sizeof text, " Registers 0x%02X-0x%02X %s", address,
                      static_cast<unsigned>(address + count - 1), done);
    return text;
}

} // namespace RegistersCodec
