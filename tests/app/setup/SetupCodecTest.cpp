// The Setup page's part of the part choice: its status group per family.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/setup/SetupCodec.h"

namespace {

int Row(const char* name)
{
    const int row = FindPartRow(name);
    EXPECT_TRUE(row != 0 || std::string(name) == "Not Selected") << name;
    return row;
}

// What the part choice applies of the table for a part: the base state, then
// the part's family block.
std::vector<ControlSetting> SetupSettings(int partRow)
{
    std::vector<ControlSetting> settings(kSetupPageSettings.Base.begin(),
                                         kSetupPageSettings.Base.end());
    const SettingList block = kSetupPageSettings.Blocks[static_cast<size_t>(TypeBlockFor(partRow))];
    settings.insert(settings.end(), block.begin(), block.end());
    return settings;
}

// The status group's controls whose visibility the part choice decides.
constexpr const char* kSetupShowable[] = {
    "LabelBAT",  "LedBAT",     "LabelALM",   "LedALM",     "LabelEVT", "LedEVT",
    "lblAlarm2", "LedAlarm2",  "lblOSCFail", "LedOSCfail", "Label53",  "Label54",
    "CBSLed2",   "CBSLed3",    "CBSLed8",    "CBSLed9",    "CBSLed10", "LabelLed8",
    "LabelLed9", "LabelLed10", "GroupBox25", "Read_ID_Buf"};

constexpr const char* kBaseOscf = "Oscillator Failure (OSCF)";

struct SetupCase {
    const char* Part;
    // Captions of LabelRTCF, LabelBAT, LabelALM, LabelEVT, lblAlarm2, lblOSCFail,
    // Label53, Label54, LabelLed8.
    std::vector<const char*> Captions;
    std::set<std::string> Shown; // of kSetupShowable; the rest hidden
    int AlarmLineTop;            // lblAlarm2 and LedAlarm2
    int OscLineTop;              // lblOSCFail and LedOSCfail
    bool Led8Lit;
};

const SetupCase kSetupCases[] = {
    {"Not Selected",
     {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm Bit (ALM)", "Event Detect (EVT)",
      "Alarm0 (AL0)", kBaseOscf, kBaseOscf, kBaseOscf, "XOSCF"},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT", "GroupBox25"},
     106,
     127,
     false},
    {"VK311",
     {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm Bit (ALM)", "Event Detect (EVT)",
      "Alarm0 (AL0)", kBaseOscf, kBaseOscf, kBaseOscf, "XOSCF"},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT", "GroupBox25"},
     106,
     127,
     false},
    {"VK362",
     {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm1 (AL1)", "Event Detect (EVT)",
      "Alarm0 (AL0)", kBaseOscf, kBaseOscf, kBaseOscf, "XOSCF"},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "lblAlarm2", "LedAlarm2", "lblOSCFail",
      "LedOSCfail"},
     85,
     106,
     false},
    {"VK361",
     {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm1 (AL1)", "Event Detect (EVT)",
      "Alarm0 (AL0)", kBaseOscf, kBaseOscf, kBaseOscf, "XOSCF"},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "lblAlarm2", "LedAlarm2", "lblOSCFail",
      "LedOSCfail"},
     85,
     106,
     false},
    {"VK340",
     {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm (ALM)", "NA", "NA", "Reseal", "XSTOP",
      "ARST", "OF-MN Reg."},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "lblOSCFail", "LedOSCfail", "Label53", "Label54",
      "CBSLed2", "CBSLed3", "CBSLed8", "LabelLed8"},
     106,
     127,
     true},
    {"VK354",
     {"RTC Power Fail (RTCF)", "Battery 75%", "Battery 85%", "LVDD", "ALM", "DST Adjusted",
      "OSC Fail", "BUSY", "XOSCF"},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT", "lblAlarm2", "LedAlarm2",
      "lblOSCFail", "LedOSCfail", "Label53", "Label54", "CBSLed2", "CBSLed3"},
     106,
     127,
     false},
    {"VK370",
     {"RTC Power Fail (RTCF)", "Battery 75%", "Battery 85%", "LVDD", "ALM0", "ALM1", "DSTADJ",
      "BMODE", "XOSCF"},
     {"LabelBAT",  "LedBAT",     "LabelALM",   "LedALM",    "LabelEVT",  "LedEVT",    "lblAlarm2",
      "LedAlarm2", "lblOSCFail", "LedOSCfail", "Label53",   "Label54",   "CBSLed2",   "CBSLed3",
      "CBSLed8",   "CBSLed9",    "CBSLed10",   "LabelLed8", "LabelLed9", "LabelLed10"},
     106,
     127,
     false},
    {"VK380",
     {"Alarm1 A1F", "Alarm2 A2F", "OSC Fail OSF)", "Event Detect (EVT)", "Alarm0 (AL0)", kBaseOscf,
      kBaseOscf, kBaseOscf, "XOSCF"},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM"},
     106,
     127,
     false},
    {"VK381",
     {"Power Fail", "Alarm2 A2F", "Alarm1 A1F", "OSF", "Alarm0 (AL0)", kBaseOscf, kBaseOscf,
      kBaseOscf, "XOSCF"},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT"},
     106,
     127,
     false},
    {"VK382",
     {"Power Fail", "Battery Backup (BAT)", "Alarm Bit (ALM)", "Event Detect (EVT)", "Alarm0 (AL0)",
      kBaseOscf, kBaseOscf, kBaseOscf, "XOSCF"},
     {},
     106,
     127,
     false},
    {"VK390",
     {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm (ALM)", "TMR", "WRTC", "Reseal",
      "XSTOP", "ARST", "OF-MN Reg."},
     {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT", "lblAlarm2", "LedAlarm2",
      "lblOSCFail", "LedOSCfail", "Label53", "Label54", "CBSLed2", "CBSLed3", "CBSLed8",
      "LabelLed8"},
     106,
     127,
     true},
};

const char* CaptionOf(const std::vector<ControlSetting>& settings, const char* control)
{
    const ControlSetting* s = FinalSetting(settings, control, Prop::Caption);
    return s != nullptr ? s->Text : "(not set)";
}

int NumberOf(const std::vector<ControlSetting>& settings, const char* control, Prop property)
{
    const ControlSetting* s = FinalSetting(settings, control, property);
    return s != nullptr ? s->Number : -1;
}

TEST(SetupCodec, StatusGroupCaptionsLampsAndLinesPerFamily)
{
    // The captions are listed in the order LabelRTCF, LabelBAT, LabelALM,
    // LabelEVT, lblAlarm2, lblOSCFail, Label53, Label54, LabelLed8.
    constexpr const char* order[] = {"LabelRTCF",  "LabelBAT", "LabelALM", "LabelEVT", "lblAlarm2",
                                     "lblOSCFail", "Label53",  "Label54",  "LabelLed8"};
    for (const SetupCase& c : kSetupCases) {
        SCOPED_TRACE(c.Part);
        const std::vector<ControlSetting> settings = SetupSettings(Row(c.Part));
        ASSERT_EQ(c.Captions.size(), std::size(order));
        for (size_t i = 0; i < std::size(order); ++i)
            EXPECT_STREQ(CaptionOf(settings, order[i]), c.Captions[i]) << order[i];
        for (const char* control : kSetupShowable) {
            EXPECT_EQ(NumberOf(settings, control, Prop::Visible), c.Shown.count(control) ? 1 : 0)
                << control;
        }
        // The RTCF line is never hidden.
        EXPECT_EQ(FinalSetting(settings, "LabelRTCF", Prop::Visible), nullptr);
        EXPECT_EQ(FinalSetting(settings, "LedRTCF", Prop::Visible), nullptr);
        EXPECT_EQ(NumberOf(settings, "lblAlarm2", Prop::Top), c.AlarmLineTop);
        EXPECT_EQ(NumberOf(settings, "LedAlarm2", Prop::Top), c.AlarmLineTop);
        EXPECT_EQ(NumberOf(settings, "lblOSCFail", Prop::Top), c.OscLineTop);
        EXPECT_EQ(NumberOf(settings, "LedOSCfail", Prop::Top), c.OscLineTop);
        EXPECT_EQ(NumberOf(settings, "CBSLed8", Prop::Lit), c.Led8Lit ? 1 : 0);
        EXPECT_EQ(NumberOf(settings, "CBSLed9", Prop::Lit), 0);
        EXPECT_EQ(NumberOf(settings, "CBSLed10", Prop::Lit), 0);
    }
}

TEST(SetupCodec, IdGroupOnlyForTheFirstTwoEepromParts)
{
    int idParts = 0;
    for (int row = 0; row < kPartCount; ++row) {
        const PartInfo& part = PartTable[static_cast<size_t>(row)];
        const std::string name = part.PartName;
        const bool idPart = name == "VK360" || name == "VK361";
        idParts += idPart ? 1 : 0;
        EXPECT_EQ(SetupCodec::HasIdGroup(part), idPart) << name;
        // The table hides the group; only the page's own step shows it.
        const std::vector<ControlSetting> settings = SetupSettings(row);
        EXPECT_EQ(NumberOf(settings, "GroupBox38", Prop::Visible), 0) << name;
        // The read-back box appears only after a successful Read ID.
        EXPECT_EQ(NumberOf(settings, "Read_ID_Buf", Prop::Visible), 0) << name;
    }
    // Both names must be parts of the table, or the check above proves nothing.
    EXPECT_EQ(idParts, 2);
}

// A property a part's settings leave alone keeps whatever an earlier part
// set; that is harmless only on a control the part hides.
void ExpectNoStaleProperty(std::vector<ControlSetting> (*settingsOf)(int), const char* what)
{
    std::set<std::pair<std::string, Prop>> everSet;
    for (int row = 0; row < kPartCount; ++row) {
        for (const ControlSetting& s : settingsOf(row))
            everSet.insert({s.Control, s.Property});
    }
    for (int row = 0; row < kPartCount; ++row) {
        const std::vector<ControlSetting> settings = settingsOf(row);
        for (const auto& [control, property] : everSet) {
            if (FinalSetting(settings, control, property) != nullptr) continue;
            EXPECT_EQ(NumberOf(settings, control.c_str(), Prop::Visible), 0)
                << what << ": " << PartTable[static_cast<size_t>(row)].PartName << " leaves "
                << control << " property " << static_cast<int>(property)
                << " from an earlier part on a shown control";
        }
    }
}

TEST(SetupCodec, SwitchingPartsLeavesNothingStaleOnShownControls)
{
    ExpectNoStaleProperty(SetupSettings, "Setup page");
}

} // namespace
