#include "PartSelection.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

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

// ---- Setup page ----

constexpr const char* kOscfCaption = "Oscillator Failure (OSCF)";

constexpr ControlSetting kSetupBase[] = {
    SetCaption("LabelLed8", "XOSCF"),
    SetCaption("LabelRTCF", "RTC Power Fail (RTCF)"),
    SetCaption("LabelBAT", "Battery Backup (BAT)"),
    SetCaption("LabelALM", "Alarm Bit (ALM)"),
    SetCaption("LabelEVT", "Event Detect (EVT)"),
    SetCaption("lblAlarm2", "Alarm0 (AL0)"),
    SetCaption("lblOSCFail", kOscfCaption),
    SetCaption("Label53", kOscfCaption),
    SetCaption("Label54", kOscfCaption),
    Show("LabelBAT"),
    Show("LedBAT"),
    Show("LabelALM"),
    Show("LedALM"),
    Show("LabelEVT"),
    Show("LedEVT"),
    Show("lblAlarm2"),
    Show("LedAlarm2"),
    Show("lblOSCFail"),
    Show("LedOSCfail"),
    Hide("GroupBox38"),
    Hide("Read_ID_Buf"),
    Hide("Label53"),
    Hide("Label54"),
    Hide("CBSLed2"),
    Hide("CBSLed3"),
    Hide("CBSLed8"),
    Hide("CBSLed9"),
    Hide("CBSLed10"),
    Hide("LabelLed8"),
    Hide("LabelLed9"),
    Hide("LabelLed10"),
    Darken("CBSLed8"),
    Darken("CBSLed9"),
    Darken("CBSLed10"),
    SetTop("lblAlarm2", 106),
    SetTop("LedAlarm2", 106),
    SetTop("lblOSCFail", 127),
    SetTop("LedOSCfail", 127),
};

constexpr ControlSetting kSetupIdGroup[] = {
    SetCaption("GroupBox38", "ID00 (0x20)- ID07(0x27)"),
    Show("GroupBox38"),
};

constexpr ControlSetting kSetupNoneAB[] = {
    Show("GroupBox25"), Hide("lblAlarm2"),  Hide("LedAlarm2"),
    Hide("lblOSCFail"), Hide("LedOSCfail"),
};

constexpr ControlSetting kSetupE[] = {
    Hide("GroupBox25"),
    Hide("LabelEVT"),
    Hide("LedEVT"),
    SetCaption("LabelALM", "Alarm1 (AL1)"),
    // Both status lines move up into the place of the hidden EVT line.
    SetTop("lblAlarm2", 85),
    SetTop("LedAlarm2", 85),
    SetTop("lblOSCFail", 106),
    SetTop("LedOSCfail", 106),
};

constexpr ControlSetting kSetupC[] = {
    SetCaption("LabelALM", "Alarm (ALM)"),
    SetCaption("LabelEVT", "NA"),
    SetCaption("lblAlarm2", "NA"),
    SetCaption("lblOSCFail", "Reseal"),
    SetCaption("Label53", "XSTOP"),
    SetCaption("Label54", "ARST"),
    SetCaption("LabelLed8", "OF-MN Reg."),
    Hide("LabelEVT"),
    Hide("LedEVT"),
    Hide("lblAlarm2"),
    Hide("LedAlarm2"),
    Hide("GroupBox25"),
    Show("Label53"),
    Show("Label54"),
    Show("CBSLed2"),
    Show("CBSLed3"),
    Show("CBSLed8"),
    Show("LabelLed8"),
    Light("CBSLed8"),
};

constexpr ControlSetting kSetupD[] = {
    SetCaption("LabelBAT", "Battery 75%"),
    SetCaption("LabelALM", "Battery 85%"),
    SetCaption("LabelEVT", "LVDD"),
    SetCaption("lblAlarm2", "ALM"),
    SetCaption("lblOSCFail", "DST Adjusted"),
    SetCaption("Label53", "OSC Fail"),
    SetCaption("Label54", "BUSY"),
    Show("Label53"),
    Show("Label54"),
    Show("CBSLed2"),
    Show("CBSLed3"),
    Hide("GroupBox25"),
};

constexpr ControlSetting kSetupF[] = {
    Show("CBSLed8"),
    Show("CBSLed9"),
    Show("CBSLed10"),
    Darken("CBSLed8"),
    Darken("CBSLed9"),
    Darken("CBSLed10"),
    Show("LabelLed8"),
    Show("LabelLed9"),
    Show("LabelLed10"),
    SetCaption("LabelBAT", "Battery 75%"),
    SetCaption("LabelALM", "Battery 85%"),
    SetCaption("LabelEVT", "LVDD"),
    SetCaption("lblAlarm2", "ALM0"),
    SetCaption("lblOSCFail", "ALM1"),
    SetCaption("Label53", "DSTADJ"),
    SetCaption("Label54", "BMODE"),
    Show("Label53"),
    Show("Label54"),
    Show("CBSLed2"),
    Show("CBSLed3"),
    Hide("GroupBox25"),
};

constexpr ControlSetting kSetupG[] = {
    SetCaption("LabelRTCF", "Alarm1 A1F"),
    SetCaption("LabelBAT", "Alarm2 A2F"),
    SetCaption("LabelALM", "OSC Fail OSF)"),
    Hide("LabelEVT"),
    Hide("LedEVT"),
    Hide("lblAlarm2"),
    Hide("LedAlarm2"),
    Hide("lblOSCFail"),
    Hide("LedOSCfail"),
    Hide("GroupBox25"),
};

constexpr ControlSetting kSetupH[] = {
    SetCaption("LabelRTCF", "Power Fail"),
    SetCaption("LabelBAT", "Alarm2 A2F"),
    SetCaption("LabelALM", "Alarm1 A1F"),
    SetCaption("LabelEVT", "OSF"),
    Show("LabelEVT"),
    Show("LedEVT"),
    Hide("lblAlarm2"),
    Hide("LedAlarm2"),
    Hide("lblOSCFail"),
    Hide("LedOSCfail"),
    Hide("CBSLed2"),
    Hide("Label53"),
    Hide("GroupBox25"),
};

constexpr ControlSetting kSetupJ[] = {
    SetCaption("LabelRTCF", "Power Fail"),
    Hide("LabelBAT"),
    Hide("LedBAT"),
    Hide("LabelALM"),
    Hide("LedALM"),
    Hide("LabelEVT"),
    Hide("LedEVT"),
    Hide("lblAlarm2"),
    Hide("LedAlarm2"),
    Hide("lblOSCFail"),
    Hide("LedOSCfail"),
    Hide("CBSLed2"),
    Hide("Label53"),
    Hide("GroupBox25"),
};

constexpr ControlSetting kSetupVK390[] = {
    SetCaption("LabelRTCF", "RTC Power Fail (RTCF)"),
    SetCaption("LabelBAT", "Battery Backup (BAT)"),
    SetCaption("LabelALM", "Alarm (ALM)"),
    SetCaption("LabelEVT", "TMR"),
    SetCaption("lblAlarm2", "WRTC"),
    SetCaption("lblOSCFail", "Reseal"),
    SetCaption("Label53", "XSTOP"),
    SetCaption("Label54", "ARST"),
    SetCaption("LabelLed8", "OF-MN Reg."),
    Show("LabelEVT"),
    Show("LedEVT"),
    Show("lblAlarm2"),
    Show("LedAlarm2"),
    Show("lblOSCFail"),
    Show("LedOSCfail"),
    Show("Label53"),
    Show("Label54"),
    Show("CBSLed2"),
    Show("CBSLed3"),
    Show("CBSLed8"),
    Show("LabelLed8"),
    Light("CBSLed8"),
    Hide("GroupBox25"),
};

// In TypeBlock order.
const PageSettingsTable kSetupTable = {
    kSetupBase,
    {SettingList(kSetupNoneAB), kSetupE, kSetupC, kSetupD, kSetupF, kSetupG, kSetupH, kSetupJ,
     kSetupVK390},
};

// ---- tab pages ----

constexpr ControlSetting kTabsBase[] = {
    SetCaption("tsInterrupt", "Interrupt"),
    SetCaption("tsAlarm", "Alarm"),
};

constexpr ControlSetting kTabsVK370[] = {
    Show("tsComp"),
    Show("tsDST"),
    Show("tsPWR"),
    Show("tsMemory"),
};

constexpr ControlSetting kTabsE[] = {
    SetCaption("tsMemory", "EEPROM"),
};

constexpr ControlSetting kTabsD[] = {
    SetCaption("tsMemory", "SRAM"), Show("tsTCOMP"), Show("tsDST"), Show("tsPWR"), Show("tsMemory"),
};

constexpr ControlSetting kTabsF[] = {
    SetCaption("tsMemory", "SRAM"),
    Show("tsSysMgmt"),
};

constexpr ControlSetting kTabsG[] = {
    SetCaption("tsInterrupt", "FOUT Freq."),
    SetCaption("tsAlarm", "Alarm && IRQ"),
};

constexpr ControlSetting kTabsH[] = {
    SetCaption("tsInterrupt", "FOUT && IRQ"),
};

constexpr ControlSetting kTabsJ[] = {
    SetCaption("tsInterrupt", "FOUT Freq."),
};

constexpr ControlSetting kTabsVK390[] = {
    SetCaption("tsInterrupt", "Interrupts && User Timer"),
};

const PageSettingsTable kTabsTable = {
    kTabsBase,
    {SettingList(), kTabsE, SettingList(), kTabsD, kTabsF, kTabsG, kTabsH, kTabsJ, kTabsVK390},
};

void Append(std::vector<ControlSetting>& out, SettingList list)
{
    out.insert(out.end(), list.begin(), list.end());
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

std::vector<ControlSetting> SetupPageSettings(int partRow)
{
    const int row = partRow >= 0 && partRow < kPartCount ? partRow : 0;
    const PartInfo& part = RowOf(row);
    std::vector<ControlSetting> out;
    Append(out, kSetupTable.Base);
    // Without a part there is nothing to supply.
    out.push_back(Enable("VccSw", row != 0));
    out.push_back(Enable("VccChecked", row != 0));
    out.push_back(SetCaption("lblProduct", part.PartName));
    if (NameIs(part, "VK360") || NameIs(part, "VK361")) Append(out, kSetupIdGroup);
    Append(out, kSetupTable.Blocks[static_cast<size_t>(TypeBlockFor(row))]);
    return out;
}

std::vector<ControlSetting> TabPageSettings(int partRow)
{
    const PartInfo& part = RowOf(partRow);
    std::vector<ControlSetting> out;
    Append(out, kTabsTable.Base);
    out.push_back(Hide("tsTCOMP"));
    out.push_back(Hide("tsDST"));
    out.push_back(Hide("tsPWR"));
    const bool real = part.TypeCode != TypeNone;
    out.push_back(SetVisible("tsSetTime", real));
    out.push_back(SetVisible("tsReg", real));
    out.push_back(SetVisible("tsMemory", part.EepromBytes != 0));
    out.push_back(SetVisible("tsGraph", part.HasGraph != 0));
    out.push_back(SetVisible("tsInterrupt", part.HasIrqOutput != 0));
    out.push_back(SetVisible("tsAlarm", part.AlarmCount != 0));
    out.push_back(SetVisible("tsEvent", part.HasEventDetect != 0));
    out.push_back(SetVisible("tsComp", part.HasCrystalTrim != 0));
    out.push_back(SetVisible("tsSysMgmt", part.HasWatchdog != 0));
    if (NameIs(part, "VK370")) Append(out, kTabsVK370);
    Append(out, kTabsTable.Blocks[static_cast<size_t>(TypeBlockFor(partRow))]);
    return out;
}

bool PageVisibility::isShown(std::string_view page) const
{
    for (size_t i = 0; i < kPartPages.size(); ++i) {
        if (page == kPartPages[i]) return Shown[i];
    }
    throw std::invalid_argument("not a page the part choice shows or hides: " + std::string(page));
}

PageVisibility TabVisibility(int partRow)
{
    const std::vector<ControlSetting> settings = TabPageSettings(partRow);
    PageVisibility result;
    for (size_t i = 0; i < kPartPages.size(); ++i) {
        const ControlSetting* last = FinalSetting(settings, kPartPages[i], Prop::Visible);
        result.Shown[i] = last != nullptr && last->Number != 0;
    }
    return result;
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

PartChoiceState PartChoiceStateFor(int partRow)
{
    const PartType type = RowOf(partRow).TypeCode;
    PartChoiceState state;
    state.MemAddrLen = type == TypeE ? 2 : 1;
    if (type == TypeE) state.MemLastLine = 31;
    if (type == TypeD || type == TypeF) state.MemLastLine = 7;
    return state;
}
