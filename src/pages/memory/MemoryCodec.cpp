#include "pages/memory/MemoryCodec.h"

#include <cstdio>

#include "bus/HexField.h"

namespace {

constexpr const char* kProtectItems[] = {"None",      "0180-01FF", "0100-01FF", "0000-01FF",
                                         "0000-003F", "0000-007F", "0000-00FF", "0000-01FF"};

constexpr ControlSetting kEeprom[] = {
    SetCaption("tsMemory", "EEPROM"),
    Show("cboEEProtect"),
    Show("Label40"),
    Show("BtnReadBP"),
    Show("BtnWrBP"),
    SetItems("cboEEProtect", kProtectItems),
    SelectItem("cboEEProtect", 0),
};

constexpr ControlSetting kSram[] = {
    SetCaption("tsMemory", "SRAM"),
    Show("tsMemory"),
    Hide("cboEEProtect"),
    Hide("Label40"),
    Hide("BtnReadBP"),
    Hide("BtnWrBP"),
};

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390. Parts without user
// memory do not show the page.
const PageSettingsTable kMemoryPageSettings = {
    SettingList(),
    {SettingList(), kEeprom, SettingList(), kSram, kSram, SettingList(), SettingList(),
     SettingList(), SettingList()},
};

namespace MemoryCodec {

PartShape PartShapeFor(PartType type)
{
    PartShape shape;
    shape.AddressLength = type == TypeE ? 2 : 1;
    if (type == TypeE) shape.LastLine = 31;
    if (type == TypeD || type == TypeF) shape.LastLine = 7;
    return shape;
}

int GridRows(int lastLine)
{
    return lastLine < 0 ? 1 : lastLine + 2;
}

uint32_t MemorySize(int lastLine)
{
    return lastLine < 0 ? 0 : static_cast<uint32_t>(lastLine + 1) * kLineBytes;
}

std::string Hex4(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

std::string Hex2(uint8_t value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string CellText(int row, int column)
{
    if (row < 0 || column < 0 || column >= kGridColumns) return {};
    if (row == 0) {
        if (column == 0) return "AStart";
        if (column == kGridColumns - 1) return "AEnd";
        return Hex2(static_cast<uint8_t>(column - 1));
    }
    const uint32_t first = static_cast<uint32_t>(row - 1) * kLineBytes;
    if (column == 0) return Hex4(first);
    if (column == kGridColumns - 1) return Hex4(first + kLineBytes - 1);
    return {};
}

std::optional<uint32_t> CellAddress(int row, int column, uint32_t size)
{
    const long address = static_cast<long>(row) * kLineBytes + column - 17;
    if (row < 1 || column < 0 || column >= kGridColumns || address < 0 ||
        address >= static_cast<long>(size))
        return std::nullopt;
    return static_cast<uint32_t>(address);
}

std::array<int, 2> CellOf(uint32_t address)
{
    return {static_cast<int>(address / kLineBytes) + 1, static_cast<int>(address % kLineBytes) + 1};
}

std::optional<uint8_t> BoxByte(std::string_view text)
{
    const std::optional<uint32_t> value = ParseHexField(text.substr(0, 2), 2);
    if (!value) return std::nullopt;
    return static_cast<uint8_t>(*value);
}

std::optional<uint32_t> ParseAddress(std::string_view text, uint32_t size)
{
    if (size == 0) return std::nullopt;
    return ParseHexField(text, 4, size - 1);
}

std::array<uint8_t, kLineBytes> FillLine(Fill fill, const FillValues& values, uint32_t lineAddress)
{
    std::array<uint8_t, kLineBytes> line{};
    for (uint32_t i = 0; i < kLineBytes; ++i) {
        const uint32_t address = lineAddress + i;
        switch (fill) {
        case Fill::DataIsAddress:
            line[i] = static_cast<uint8_t>(address & 0xFF);
            break;
        case Fill::Explicit1:
            line[i] = values.Explicit1;
            break;
        case Fill::Explicit2:
            line[i] = values.Explicit2;
            break;
        case Fill::Checkerboard:
            line[i] = (address & 1) == 0 ? values.Even : values.Odd;
            break;
        }
    }
    return line;
}

int ProtectLevel(uint8_t reg)
{
    return reg >> 5;
}

uint8_t WithProtectLevel(uint8_t reg, int level)
{
    return static_cast<uint8_t>((reg & 0x1F) | ((level & 7) << 5));
}

int64_t FirstTryDelayNs(int64_t sinceLineStartNs, int64_t lineCostNs, int64_t tryCostNs)
{
    if (tryCostNs <= 0 || lineCostNs <= 0) return 0;
    const int64_t wire = lineCostNs > tryCostNs ? lineCostNs - tryCostNs : 0;
    const int64_t delay = kWriteCycleNs + wire + kFirstTryMarginNs - sinceLineStartNs;
    return delay > 0 ? delay : 0;
}

} // namespace MemoryCodec
