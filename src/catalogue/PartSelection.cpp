#include "PartSelection.h"

#include <algorithm>
#include <cstring>

namespace {

const PartInfo& RowOf(int partRow)
{
    const bool inTable = partRow >= 0 && partRow < kPartCount;
    return PartTable[static_cast<size_t>(inTable ? partRow : 0)];
}

bool NameIs(const PartInfo& part, const char* name)
{
    return std::strcmp(part.PartName, name) == 0;
}

bool SameText(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr) return a == b;
    return std::strcmp(a, b) == 0;
}

std::string YesNo(uint8_t flag)
{
    return flag != 0 ? "Yes" : "No";
}

} // namespace

bool operator==(const ControlSetting& a, const ControlSetting& b)
{
    return SameText(a.Control, b.Control) && a.Property == b.Property && a.Number == b.Number &&
           SameText(a.Text, b.Text) &&
           std::equal(a.Items.begin(), a.Items.end(), b.Items.begin(), b.Items.end(), SameText);
}

const ControlSetting* FinalSetting(SettingList list, std::string_view control, Prop property)
{
    const ControlSetting* found = nullptr;
    for (const ControlSetting& setting : list) {
        if (setting.Property == property && setting.Control != nullptr &&
            control == setting.Control)
            found = &setting;
    }
    return found;
}

TypeBlock TypeBlockFor(int partRow)
{
    const PartInfo& part = RowOf(partRow);
    if (NameIs(part, "VK390")) return TypeBlock::VK390;
    switch (part.TypeCode) {
    case TypeE:
        return TypeBlock::E;
    case TypeC:
        return TypeBlock::C;
    case TypeD:
        return TypeBlock::D;
    case TypeF:
        return TypeBlock::F;
    case TypeG:
        return TypeBlock::G;
    case TypeH:
        return TypeBlock::H;
    case TypeJ:
        return TypeBlock::J;
    case TypeK:
        return TypeBlock::VK390; // VK390 is the only TypeK part
    case TypeNone:
    case TypeA:
    case TypeB:
        break;
    }
    return TypeBlock::NoneAB;
}

std::string WindowTitle(int partRow)
{
    const PartInfo& part = RowOf(partRow);
    if (part.TypeCode == TypeNone) return kAppTitle;
    return std::string(kAppTitle) + " - " + part.PartName;
}

std::array<FeatureRow, kFeatureRows> FeatureRows(int partRow)
{
    const PartInfo& part = RowOf(partRow);
    if (part.TypeCode == TypeNone) return {};
    return {{
        {"Alarm", std::to_string(part.AlarmCount)},
        {"Time Stamp", YesNo(part.HasTimeStamp)},
        {"Watch Dog", YesNo(part.HasWatchdog)},
        {"ShipGuard", YesNo(part.HasShipGuard)},
        {"Battery Backup", YesNo(part.HasBatteryBackup)},
        {"Event Detect", YesNo(part.HasEventDetect)},
        {"IRQ Output", YesNo(part.HasIrqOutput)},
        {"Frequency Out", YesNo(part.HasFreqOut)},
        {"EEPROM", std::to_string(part.EepromBytes) + " Byte(s)"},
        {"SRAM", std::to_string(part.SramBytes) + " Byte(s)"},
    }};
}
