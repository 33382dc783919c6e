#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "PartSelection.h"

namespace {

int Row(const char* name)
{
    const int row = FindPartRow(name);
    EXPECT_TRUE(row != 0 || std::string(name) == "Not Selected") << name;
    return row;
}

// ---- page visibility ----

struct VisibilityCase {
    const char* Part;
    // One letter per page in the order tsSetTime, tsReg, tsMemory, tsGraph,
    // tsInterrupt, tsAlarm, tsEvent, tsComp, tsSysMgmt, tsDST, tsTCOMP, tsPWR:
    // S = shown, - = hidden.
    const char* Pages;
};

constexpr const char* kPageOrder[] = {"tsSetTime",   "tsReg",   "tsMemory", "tsGraph",
                                      "tsInterrupt", "tsAlarm", "tsEvent",  "tsComp",
                                      "tsSysMgmt",   "tsDST",   "tsTCOMP",  "tsPWR"};

constexpr VisibilityCase kVisibility[] = {
    {"Not Selected", "------------"}, {"VK310", "SS-SSS-S----"}, {"VK311", "SS-SSSSS----"},
    {"VK320", "SS-SSS-S----"},        {"VK321", "SS-SSSSS----"}, {"VK330", "SS-SSS-S----"},
    {"VK331", "SS-SSSSS----"},        {"VK340", "SS-S-S-S----"}, {"VK350", "SSSSSS---SSS"},
    {"VK352", "SSSSSS---SSS"},        {"VK354", "SSSSSS---SSS"}, {"VK360", "SSSSSS-S----"},
    {"VK361", "SSSS-S-SS---"},        {"VK362", "SSSSSS-S----"}, {"VK363", "SSSS-S-S----"},
    {"VK364", "SSSSSS-SS---"},        {"VK365", "SSSSSS-SS---"}, {"VK370", "SSSSSSSSSS-S"},
    {"VK380", "SS-SSS------"},        {"VK381", "SS-SSS------"}, {"VK382", "SS-S--------"},
    {"VK390", "SS-SSS-S----"},
};

TEST(PartSelectionPages, EveryPartShowsExactlyItsPages)
{
    ASSERT_EQ(std::size(kVisibility), static_cast<size_t>(kPartCount));
    for (const VisibilityCase& c : kVisibility) {
        const PageVisibility shown = TabVisibility(Row(c.Part));
        for (size_t i = 0; i < std::size(kPageOrder); ++i) {
            EXPECT_EQ(shown.isShown(kPageOrder[i]), c.Pages[i] == 'S')
                << c.Part << " " << kPageOrder[i];
        }
    }
}

TEST(PartSelectionPages, SetupAndPortAreNotPartPages)
{
    const PageVisibility shown = TabVisibility(Row("VK310"));
    EXPECT_THROW(shown.isShown("tsSetup"), std::invalid_argument);
    EXPECT_THROW(shown.isShown("tsPort"), std::invalid_argument);
    EXPECT_THROW(shown.isShown("tsmemory"), std::invalid_argument);
}

struct TabCaptionCase {
    const char* Part;
    const char* Interrupt;
    const char* Alarm;
    const char* Memory; // nullptr: the choice does not caption the memory page
};

TEST(PartSelectionPages, TabCaptionsFollowTheFamily)
{
    const TabCaptionCase cases[] = {
        {"VK310", "Interrupt", "Alarm", nullptr},
        {"VK340", "Interrupt", "Alarm", nullptr},
        {"VK350", "Interrupt", "Alarm", "SRAM"},
        {"VK364", "Interrupt", "Alarm", "EEPROM"},
        {"VK370", "Interrupt", "Alarm", "SRAM"},
        {"VK380", "FOUT Freq.", "Alarm && IRQ", nullptr},
        {"VK381", "FOUT && IRQ", "Alarm", nullptr},
        {"VK382", "FOUT Freq.", "Alarm", nullptr},
        {"VK390", "Interrupts && User Timer", "Alarm", nullptr},
    };
    for (const TabCaptionCase& c : cases) {
        const std::vector<ControlSetting> settings = TabPageSettings(Row(c.Part));
        const ControlSetting* interrupt = FinalSetting(settings, "tsInterrupt", Prop::Caption);
        const ControlSetting* alarm = FinalSetting(settings, "tsAlarm", Prop::Caption);
        const ControlSetting* memory = FinalSetting(settings, "tsMemory", Prop::Caption);
        ASSERT_NE(interrupt, nullptr) << c.Part;
        ASSERT_NE(alarm, nullptr) << c.Part;
        EXPECT_STREQ(interrupt->Text, c.Interrupt) << c.Part;
        EXPECT_STREQ(alarm->Text, c.Alarm) << c.Part;
        if (c.Memory == nullptr) {
            EXPECT_EQ(memory, nullptr) << c.Part;
        } else {
            ASSERT_NE(memory, nullptr) << c.Part;
            EXPECT_STREQ(memory->Text, c.Memory) << c.Part;
        }
    }
}

// ---- Setup page ----

// The status group's controls whose visibility the part choice decides.
constexpr const char* kSetupShowable[] = {
    "LabelBAT",  "LedBAT",     "LabelALM",   "LedALM",     "LabelEVT",   "LedEVT",
    "lblAlarm2", "LedAlarm2",  "lblOSCFail", "LedOSCfail", "Label53",    "Label54",
    "CBSLed2",   "CBSLed3",    "CBSLed8",    "CBSLed9",    "CBSLed10",   "LabelLed8",
    "LabelLed9", "LabelLed10", "GroupBox25", "GroupBox38", "Read_ID_Buf"};

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
      "LedOSCfail", "GroupBox38"},
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

TEST(PartSelectionSetup, StatusGroupCaptionsLampsAndLinesPerFamily)
{
    // The captions are listed in the order LabelRTCF, LabelBAT, LabelALM,
    // LabelEVT, lblAlarm2, lblOSCFail, Label53, Label54, LabelLed8.
    constexpr const char* order[] = {"LabelRTCF",  "LabelBAT", "LabelALM", "LabelEVT", "lblAlarm2",
                                     "lblOSCFail", "Label53",  "Label54",  "LabelLed8"};
    for (const SetupCase& c : kSetupCases) {
        SCOPED_TRACE(c.Part);
        const std::vector<ControlSetting> settings = SetupPageSettings(Row(c.Part));
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

TEST(PartSelectionSetup, SupplyControlsAndProductLabelFollowThePart)
{
    for (int row = 0; row < kPartCount; ++row) {
        const std::vector<ControlSetting> settings = SetupPageSettings(row);
        const std::string name = PartTable[static_cast<size_t>(row)].PartName;
        EXPECT_EQ(NumberOf(settings, "VccSw", Prop::Enabled), row != 0 ? 1 : 0) << name;
        EXPECT_EQ(NumberOf(settings, "VccChecked", Prop::Enabled), row != 0 ? 1 : 0) << name;
        EXPECT_EQ(std::string(CaptionOf(settings, "lblProduct")), name);
    }
    EXPECT_STREQ(CaptionOf(SetupPageSettings(0), "lblProduct"), "Not Selected");
}

TEST(PartSelectionSetup, IdGroupOnlyForTheFirstTwoEepromParts)
{
    int idParts = 0;
    for (int row = 0; row < kPartCount; ++row) {
        const std::vector<ControlSetting> settings = SetupPageSettings(row);
        const std::string name = PartTable[static_cast<size_t>(row)].PartName;
        const bool idPart = name == "VK360" || name == "VK361";
        idParts += idPart ? 1 : 0;
        EXPECT_EQ(NumberOf(settings, "GroupBox38", Prop::Visible), idPart ? 1 : 0) << name;
        // The read-back box appears only after a successful Read ID.
        EXPECT_EQ(NumberOf(settings, "Read_ID_Buf", Prop::Visible), 0) << name;
        if (idPart) {
            EXPECT_STREQ(CaptionOf(settings, "GroupBox38"), "ID00 (0x20)- ID07(0x27)");
        }
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

TEST(PartSelectionSetup, SwitchingPartsLeavesNothingStaleOnShownControls)
{
    ExpectNoStaleProperty(SetupPageSettings, "Setup page");
    ExpectNoStaleProperty(TabPageSettings, "tab pages");
}

TEST(PartSelectionSetup, RowsOutsideTheTableActAsNotSelected)
{
    for (const int row : {-1, kPartCount, 1000}) {
        EXPECT_EQ(SetupPageSettings(row), SetupPageSettings(0)) << row;
        EXPECT_EQ(TabPageSettings(row), TabPageSettings(0)) << row;
        EXPECT_EQ(WindowTitle(row), WindowTitle(0)) << row;
        EXPECT_EQ(TypeBlockFor(row), TypeBlock::NoneAB) << row;
    }
}

TEST(PartSelectionSetup, EachPartGetsTheBlockOfItsFamily)
{
    const std::map<std::string, TypeBlock> expected = {
        {"Not Selected", TypeBlock::NoneAB},
        {"VK310", TypeBlock::NoneAB},
        {"VK311", TypeBlock::NoneAB},
        {"VK320", TypeBlock::NoneAB},
        {"VK321", TypeBlock::NoneAB},
        {"VK330", TypeBlock::NoneAB},
        {"VK331", TypeBlock::NoneAB},
        {"VK340", TypeBlock::C},
        {"VK350", TypeBlock::D},
        {"VK352", TypeBlock::D},
        {"VK354", TypeBlock::D},
        {"VK360", TypeBlock::E},
        {"VK361", TypeBlock::E},
        {"VK362", TypeBlock::E},
        {"VK363", TypeBlock::E},
        {"VK364", TypeBlock::E},
        {"VK365", TypeBlock::E},
        {"VK370", TypeBlock::F},
        {"VK380", TypeBlock::G},
        {"VK381", TypeBlock::H},
        {"VK382", TypeBlock::J},
        {"VK390", TypeBlock::VK390},
    };
    for (int row = 0; row < kPartCount; ++row) {
        const std::string name = PartTable[static_cast<size_t>(row)].PartName;
        EXPECT_EQ(TypeBlockFor(row), expected.at(name)) << name;
    }
}

// ---- title, features, state ----

TEST(PartSelectionTitle, ProductNameAloneOrWithThePart)
{
    EXPECT_EQ(WindowTitle(0), "Kavrolux RTC Evaluation");
    EXPECT_EQ(WindowTitle(Row("VK310")), "Kavrolux RTC Evaluation - VK310");
    EXPECT_EQ(WindowTitle(Row("VK390")), "Kavrolux RTC Evaluation - VK390");
}

struct FeatureCase {
    const char* Part;
    std::array<const char*, kFeatureRows> Values;
};

TEST(PartSelectionFeatures, GridRowsFromThePartRow)
{
    constexpr const char* names[kFeatureRows] = {
        "Alarm",        "Time Stamp", "Watch Dog",     "ShipGuard", "Battery Backup",
        "Event Detect", "IRQ Output", "Frequency Out", "EEPROM",    "SRAM"};
    const FeatureCase cases[] = {
        {"VK310", {"1", "No", "No", "Yes", "Yes", "No", "Yes", "Yes", "0 Byte(s)", "2 Byte(s)"}},
        {"VK361", {"2", "No", "Yes", "Yes", "Yes", "No", "No", "No", "512 Byte(s)", "0 Byte(s)"}},
        {"VK370",
         {"2", "Yes", "No", "Yes", "Yes", "Yes", "Yes", "Yes", "0 Byte(s)", "128 Byte(s)"}},
        {"VK382", {"0", "No", "No", "No", "No", "No", "No", "Yes", "0 Byte(s)", "0 Byte(s)"}},
    };
    for (const FeatureCase& c : cases) {
        const auto rows = FeatureRows(Row(c.Part));
        for (int r = 0; r < kFeatureRows; ++r) {
            EXPECT_EQ(rows[static_cast<size_t>(r)].Name, names[r]) << c.Part << " row " << r;
            EXPECT_EQ(rows[static_cast<size_t>(r)].Value, c.Values[static_cast<size_t>(r)])
                << c.Part << " row " << r;
        }
    }
}

TEST(PartSelectionFeatures, NotSelectedEmptiesEveryCell)
{
    for (const FeatureRow& row : FeatureRows(0)) {
        EXPECT_EQ(row.Name, "");
        EXPECT_EQ(row.Value, "");
    }
}

TEST(PartSelectionState, MemoryAndRefreshStatePerFamily)
{
    struct Case {
        const char* Part;
        int MemAddrLen;
        std::optional<int> MemLastLine;
    };
    const Case cases[] = {
        {"Not Selected", 1, std::nullopt},
        {"VK320", 1, std::nullopt},
        {"VK340", 1, std::nullopt},
        {"VK352", 1, 7},
        {"VK363", 2, 31},
        {"VK370", 1, 7},
        {"VK380", 1, std::nullopt},
        {"VK381", 1, std::nullopt},
        {"VK382", 1, std::nullopt},
        {"VK390", 1, std::nullopt},
    };
    for (const Case& c : cases) {
        const PartChoiceState state = PartChoiceStateFor(Row(c.Part));
        EXPECT_EQ(state.MemAddrLen, c.MemAddrLen) << c.Part;
        EXPECT_EQ(state.MemLastLine, c.MemLastLine) << c.Part;
        EXPECT_EQ(state.MemGridRow, 2) << c.Part;
        EXPECT_EQ(state.MemGridCol, 2) << c.Part;
        EXPECT_EQ(state.TseRefreshPeriod, 0) << c.Part;
        EXPECT_EQ(state.TseRefreshCount, 0) << c.Part;
    }
}

TEST(PartSelectionSettings, EqualityComparesContentNotAddresses)
{
    static constexpr const char* itemsA[] = {"00", "01"};
    const std::string control = "cboX";
    const std::string one = "00";
    const char* itemsB[] = {one.c_str(), "01"};
    EXPECT_EQ(SetItems("cboX", itemsA), SetItems(control.c_str(), itemsB));
    EXPECT_FALSE(SetItems("cboX", itemsA) == SetItems("cboX", std::span(itemsA, 1)));
    EXPECT_FALSE(SetCaption("a", "x") == SetHint("a", "x"));
    EXPECT_FALSE(Show("a") == Hide("a"));
}

} // namespace
