#include "app/setup/SetupCodec.h"

#include <cstring>

namespace {

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

// ---- lamps ----

using Types = TypeSet;
using S = StatusSource;

constexpr Types kAll = {TypeNone, TypeA, TypeB, TypeC, TypeD, TypeE,
                        TypeF,    TypeG, TypeH, TypeJ, TypeK};
constexpr Types kStatusCDFK = {TypeC, TypeD, TypeF, TypeK};

constexpr LampBit kRtcf[] = {{kAll, S::Main0, 0}};
constexpr LampBit kBat[] = {
    {{TypeNone, TypeA, TypeB, TypeC, TypeD, TypeF, TypeG, TypeH, TypeK}, S::Main0, 1},
    {{TypeE}, S::Main0, 7},
};
constexpr LampBit kAlm[] = {
    {{TypeNone, TypeA, TypeB, TypeC, TypeD, TypeF, TypeH, TypeK}, S::Main0, 2},
    {{TypeE}, S::Main0, 6},
    {{TypeG}, S::Main0, 7},
};
constexpr LampBit kEvt[] = {
    {{TypeNone, TypeA, TypeB, TypeC, TypeD, TypeE, TypeF, TypeH, TypeK}, S::Main0, 3},
};
constexpr LampBit kAlarm2[] = {{{TypeE}, S::Main0, 5}, {kStatusCDFK, S::Main0, 4}};
constexpr LampBit kOscFail[] = {{{TypeE}, S::Main0, 4}, {kStatusCDFK, S::Main0, 5}};
constexpr LampBit kLed2[] = {{kStatusCDFK, S::Main0, 6}};
constexpr LampBit kLed3[] = {{kStatusCDFK, S::Main0, 7}};
constexpr LampBit kLed8[] = {{{TypeC, TypeK}, S::Second, 7}, {{TypeF}, S::Main1, 4}};
constexpr LampBit kLed9[] = {{{TypeF}, S::Main1, 1}};
constexpr LampBit kLed10[] = {{{TypeF}, S::Main1, 0}};

constexpr uint8_t kAlways = OffWhenPollingStops | OffWhenReadFails | OffWhenClosed;
constexpr uint8_t kWhileOpen = OffWhenPollingStops | OffWhenReadFails;

} // namespace

// In TypeBlock order.
const PageSettingsTable kSetupPageSettings = {
    kSetupBase,
    {SettingList(kSetupNoneAB), kSetupE, kSetupC, kSetupD, kSetupF, kSetupG, kSetupH, kSetupJ,
     kSetupVK390},
};

const std::array<StatusLamp, 11> kSetupLamps = {{
    {"LedRTCF", kRtcf, kAlways, "LabelRTCF"},
    {"LedBAT", kBat, kAlways, "LabelBAT"},
    {"LedALM", kAlm, kAlways, "LabelALM"},
    {"LedEVT", kEvt, kAlways, "LabelEVT"},
    {"LedAlarm2", kAlarm2, kAlways, "lblAlarm2"},
    {"LedOSCfail", kOscFail, kAlways, "lblOSCFail"},
    {"CBSLed2", kLed2, kAlways, "Label53"},
    {"CBSLed3", kLed3, kAlways, "Label54"},
    {"CBSLed8", kLed8, kWhileOpen, "LabelLed8"},
    {"CBSLed9", kLed9, kWhileOpen, "LabelLed9"},
    {"CBSLed10", kLed10, kWhileOpen, "LabelLed10"},
}};

namespace SetupCodec {

bool HasIdGroup(const PartInfo& part)
{
    return std::strcmp(part.PartName, "VK360") == 0 || std::strcmp(part.PartName, "VK361") == 0;
}

} // namespace SetupCodec
