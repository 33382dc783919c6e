// Choosing a part on the real window: pages, the Setup page's status group,
// title, Features grid, section list, shared state and the simulated socket.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "PartSelection.h"
#include "app/PageTable.h"
#include "app/PartChoice.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "pages/interrupt/InterruptPage.h"
#include "pages/memory/MemoryPage.h"
#include "support/AppTestSupport.h"
#include "support/RecordingAdapter.h"
#include "support/WindowFixture.h"
#include "widgets/LedIndicator.h"
#include "widgets/RadioGroup.h"

namespace {

class PartChoicePages : public WindowFixture {};
class PartChoiceSetup : public WindowFixture {};
class PartChoiceWindow : public WindowFixture {};
class PartChoiceState : public WindowFixture {};

// As a user picks the part in the list.
void choose(TMainApp& w, const QString& part)
{
    QComboBox* list = w.setupPage()->DeviceSel;
    const int row = list->findText(part, Qt::MatchExactly);
    ASSERT_GE(row, 0) << part.toStdString();
    list->setCurrentIndex(row);
    emit list->activated(row);
}

template <typename T = QWidget> T* get(const TMainApp& w, const char* name)
{
    T* control = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// Shown as far as its page sets it (the window itself is never shown here).
bool shownOnPage(const TMainApp& w, const char* name)
{
    QWidget* control = get(w, name);
    return control != nullptr && !control->isHidden();
}

QString labelText(const TMainApp& w, const char* name)
{
    QLabel* label = get<QLabel>(w, name);
    return label ? label->text() : QStringLiteral("<missing>");
}

QStringList comboItems(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// ---- pages ----

// Columns in this order; 'x' shown, '-' hidden.
constexpr const char* kPageColumns[] = {"tsSetTime",   "tsReg",   "tsMemory", "tsGraph",
                                        "tsInterrupt", "tsAlarm", "tsEvent",  "tsComp",
                                        "tsSysMgmt",   "tsDST",   "tsTCOMP",  "tsPWR"};

struct PagesCase {
    const char* part;
    const char* pages;
};

constexpr PagesCase kPagesTable[] = {
    {"Not Selected", "------------"}, {"VK310", "xx-xxx-x----"}, {"VK311", "xx-xxxxx----"},
    {"VK320", "xx-xxx-x----"},        {"VK321", "xx-xxxxx----"}, {"VK330", "xx-xxx-x----"},
    {"VK331", "xx-xxxxx----"},        {"VK340", "xx-x-x-x----"}, {"VK350", "xxxxxx---xxx"},
    {"VK352", "xxxxxx---xxx"},        {"VK354", "xxxxxx---xxx"}, {"VK360", "xxxxxx-x----"},
    {"VK361", "xxxx-x-xx---"},        {"VK362", "xxxxxx-x----"}, {"VK363", "xxxx-x-x----"},
    {"VK364", "xxxxxx-xx---"},        {"VK365", "xxxxxx-xx---"}, {"VK370", "xxxxxxxxxx-x"},
    {"VK380", "xx-xxx------"},        {"VK381", "xx-xxx------"}, {"VK382", "xx-x--------"},
    {"VK390", "xx-xxx-x----"},
};

void expectPages(const TMainApp& w, const PagesCase& c, bool portShown)
{
    for (size_t i = 0; i < std::size(kPageColumns); ++i) {
        const bool expected = c.pages[i] == 'x';
        EXPECT_EQ(w.isPageVisible(kPageColumns[i]), expected) << c.part << " " << kPageColumns[i];
        // What the window sizes its tab row by agrees with what it shows.
        const PageRow* row = FindPage(kPageColumns[i]);
        ASSERT_NE(row, nullptr) << kPageColumns[i];
        EXPECT_EQ(TabShownFor(*row, FindPartRow(c.part)), expected)
            << c.part << " " << kPageColumns[i];
    }
    EXPECT_TRUE(w.isPageVisible("tsSetup")) << c.part;
    EXPECT_EQ(w.isPageVisible("tsPort"), portShown) << c.part;
}

TEST_F(PartChoicePages, EveryPartShowsItsPagesAndLeavesSetupAndPortAlone)
{
    ASSERT_EQ(std::size(kPagesTable), static_cast<size_t>(kPartCount));
    for (const bool wide : {false, true}) {
        auto w = makeWindow(WindowOptions().wide(wide));
        // Forward, then backward: nothing shown by one part may linger into the next.
        for (const PagesCase& c : kPagesTable) {
            choose(*w, c.part);
            expectPages(*w, c, wide);
        }
        for (auto it = std::rbegin(kPagesTable); it != std::rend(kPagesTable); ++it) {
            choose(*w, it->part);
            expectPages(*w, *it, wide);
        }
    }
}

TEST_F(PartChoicePages, FamiliesRecaptionTheirPages)
{
    struct Case {
        const char* part;
        const char* interrupt;
        const char* alarm;
        const char* memory; // nullptr: the part's block leaves it
    };
    const Case cases[] = {
        {"VK380", "FOUT Freq.", "Alarm && IRQ", nullptr},
        {"VK310", "Interrupt", "Alarm", nullptr},
        {"VK381", "FOUT && IRQ", "Alarm", nullptr},
        {"VK360", "Interrupt", "Alarm", "EEPROM"},
        {"VK382", "FOUT Freq.", "Alarm", nullptr},
        {"VK350", "Interrupt", "Alarm", "SRAM"},
        {"VK390", "Interrupts && User Timer", "Alarm", nullptr},
        {"VK370", "Interrupt", "Alarm", "SRAM"},
        {"VK364", "Interrupt", "Alarm", "EEPROM"},
    };
    auto w = makeWindow();
    QTabWidget* tabs = w->TabFunctions;
    for (const Case& c : cases) {
        choose(*w, c.part);
        EXPECT_EQ(tabs->tabText(w->pageIndex("tsInterrupt")), c.interrupt) << c.part;
        EXPECT_EQ(tabs->tabText(w->pageIndex("tsAlarm")), c.alarm) << c.part;
        if (c.memory) {
            EXPECT_EQ(tabs->tabText(w->pageIndex("tsMemory")), c.memory) << c.part;
        }
    }
}

// A part's share of the part choice applies on its pages whether or not
// their tabs are shown.
TEST_F(PartChoicePages, ListsOnHiddenPagesFollowTheChoice)
{
    auto w = makeWindow();
    auto* trim = get<QComboBox>(*w, "ComboBoxDTR");
    auto* freq = get<QComboBox>(*w, "FreqOutSel");
    ASSERT_NE(trim, nullptr);
    ASSERT_NE(freq, nullptr);

    // TypeD hides the "Crystal Comp." page; its digital trim list has no
    // default entry, unlike the TypeA/TypeB list it follows here.
    const QStringList typeD{"  0 PPM", "+20 PPM", "+40 PPM", "+60 PPM",
                            "  0 PPM", "-20 PPM", "-40 PPM", "-60 PPM "};
    for (const char* part : {"VK350", "VK352", "VK354"}) {
        choose(*w, "VK310");
        ASSERT_EQ(trim->itemText(0), "  0 PPM (default)");
        trim->setCurrentIndex(5);
        choose(*w, part);
        EXPECT_FALSE(w->isPageVisible("tsComp")) << part;
        EXPECT_EQ(comboItems(trim), typeD) << part;
        EXPECT_EQ(trim->currentIndex(), 0) << part;
    }

    // "Not Selected" hides the Interrupt page and loads list F16 at its first
    // entry, whatever the part before left there: an empty list (VK340,
    // VK382), another family's list and entry (VK380), VK331's own first entry.
    for (const char* before : {"VK340", "VK382", "VK380", "VK331", "VK370"}) {
        choose(*w, before);
        choose(*w, "Not Selected");
        EXPECT_FALSE(w->isPageVisible("tsInterrupt")) << before;
        ASSERT_EQ(freq->count(), 16) << before;
        EXPECT_EQ(freq->itemText(0), "0Hz (EN IRQ#)") << before;
        EXPECT_EQ(freq->itemText(1), "32768 Hz") << before;
        EXPECT_EQ(freq->itemText(15), "1/32 Hz") << before;
        EXPECT_EQ(freq->currentIndex(), 0) << before;
    }
    // Shown again, VK331 still gets its own first entry.
    choose(*w, "VK331");
    EXPECT_EQ(freq->itemText(0), "0Hz");
    EXPECT_EQ(freq->currentIndex(), 0);
}

// The pages' own part-choice steps run on hidden pages too: the time-stamp
// controls of the Event page follow the part while its tab is hidden.
TEST_F(PartChoicePages, PageStepsRunOnHiddenPages)
{
    auto w = makeWindow();
    auto* lastEvent = get<QWidget>(*w, "LastEventBtn");
    ASSERT_NE(lastEvent, nullptr);
    const struct {
        const char* before;
        const char* part;
        bool stamps;
    } cases[] = {{"VK310", "VK350", true}, {"VK321", "VK310", false}, {"VK310", "VK354", true}};
    for (const auto& c : cases) {
        choose(*w, c.before);
        choose(*w, c.part);
        EXPECT_EQ(!lastEvent->isHidden(), c.stamps) << c.before << " then " << c.part;
    }
}

// ---- Setup page status group ----

// Controls whose visibility the part choice sets on the Setup page.
constexpr const char* kStatusControls[] = {
    "LabelBAT",  "LedBAT",    "LabelALM",   "LedALM",     "LabelEVT",   "LedEVT",
    "lblAlarm2", "LedAlarm2", "lblOSCFail", "LedOSCfail", "GroupBox38", "Read_ID_Buf",
    "Label53",   "Label54",   "CBSLed2",    "CBSLed3",    "CBSLed8",    "CBSLed9",
    "CBSLed10",  "LabelLed8", "LabelLed9",  "LabelLed10", "GroupBox25"};

struct SetupCase {
    const char* part;
    QStringList shown; // of kStatusControls; all others hidden
    // Captions of LabelRTCF, LabelBAT, LabelALM, LabelEVT, lblAlarm2,
    // lblOSCFail, Label53, Label54, LabelLed8.
    QStringList captions;
    int alarm2Top;
    int oscFailTop;
    bool led8Lit;
};

const QString kOscf = QStringLiteral("Oscillator Failure (OSCF)");
const QStringList kBaseShown{"LabelBAT", "LedBAT",    "LabelALM",  "LedALM",     "LabelEVT",
                             "LedEVT",   "lblAlarm2", "LedAlarm2", "lblOSCFail", "LedOSCfail"};

std::vector<SetupCase> setupCases()
{
    const QStringList baseCaptions{"RTC Power Fail (RTCF)",
                                   "Battery Backup (BAT)",
                                   "Alarm Bit (ALM)",
                                   "Event Detect (EVT)",
                                   "Alarm0 (AL0)",
                                   kOscf,
                                   kOscf,
                                   kOscf,
                                   "XOSCF"};
    const QStringList typeE{"RTC Power Fail (RTCF)",
                            "Battery Backup (BAT)",
                            "Alarm1 (AL1)",
                            "Event Detect (EVT)",
                            "Alarm0 (AL0)",
                            kOscf,
                            kOscf,
                            kOscf,
                            "XOSCF"};
    return {
        {"VK310",
         {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT", "GroupBox25"},
         baseCaptions,
         106,
         127,
         false},
        {"VK360",
         {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "lblAlarm2", "LedAlarm2", "lblOSCFail",
          "LedOSCfail", "GroupBox38"},
         typeE,
         85,
         106,
         false},
        {"VK362",
         {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "lblAlarm2", "LedAlarm2", "lblOSCFail",
          "LedOSCfail"},
         typeE,
         85,
         106,
         false},
        {"VK340",
         {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "lblOSCFail", "LedOSCfail", "Label53",
          "Label54", "CBSLed2", "CBSLed3", "CBSLed8", "LabelLed8"},
         {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm (ALM)", "NA", "NA", "Reseal",
          "XSTOP", "ARST", "OF-MN Reg."},
         106,
         127,
         true},
        {"VK350",
         kBaseShown + QStringList{"Label53", "Label54", "CBSLed2", "CBSLed3"},
         {"RTC Power Fail (RTCF)", "Battery 75%", "Battery 85%", "LVDD", "ALM", "DST Adjusted",
          "OSC Fail", "BUSY", "XOSCF"},
         106,
         127,
         false},
        {"VK370",
         kBaseShown + QStringList{"Label53", "Label54", "CBSLed2", "CBSLed3", "CBSLed8", "CBSLed9",
                                  "CBSLed10", "LabelLed8", "LabelLed9", "LabelLed10"},
         {"RTC Power Fail (RTCF)", "Battery 75%", "Battery 85%", "LVDD", "ALM0", "ALM1", "DSTADJ",
          "BMODE", "XOSCF"},
         106,
         127,
         false},
        {"VK380",
         {"LabelBAT", "LedBAT", "LabelALM", "LedALM"},
         {"Alarm1 A1F", "Alarm2 A2F", "OSC Fail OSF)", "Event Detect (EVT)", "Alarm0 (AL0)", kOscf,
          kOscf, kOscf, "XOSCF"},
         106,
         127,
         false},
        {"VK381",
         {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT"},
         {"Power Fail", "Alarm2 A2F", "Alarm1 A1F", "OSF", "Alarm0 (AL0)", kOscf, kOscf, kOscf,
          "XOSCF"},
         106,
         127,
         false},
        {"VK382",
         {},
         {"Power Fail", "Battery Backup (BAT)", "Alarm Bit (ALM)", "Event Detect (EVT)",
          "Alarm0 (AL0)", kOscf, kOscf, kOscf, "XOSCF"},
         106,
         127,
         false},
        {"VK390",
         kBaseShown +
             QStringList{"Label53", "Label54", "CBSLed2", "CBSLed3", "CBSLed8", "LabelLed8"},
         {"RTC Power Fail (RTCF)", "Battery Backup (BAT)", "Alarm (ALM)", "TMR", "WRTC", "Reseal",
          "XSTOP", "ARST", "OF-MN Reg."},
         106,
         127,
         true},
        {"Not Selected",
         {"LabelBAT", "LedBAT", "LabelALM", "LedALM", "LabelEVT", "LedEVT", "GroupBox25"},
         baseCaptions,
         106,
         127,
         false},
    };
}

void expectSetup(const TMainApp& w, const SetupCase& c)
{
    const char* captionLabels[] = {"LabelRTCF",  "LabelBAT", "LabelALM", "LabelEVT", "lblAlarm2",
                                   "lblOSCFail", "Label53",  "Label54",  "LabelLed8"};
    for (size_t i = 0; i < std::size(captionLabels); ++i)
        EXPECT_EQ(labelText(w, captionLabels[i]), c.captions[static_cast<qsizetype>(i)])
            << c.part << " " << captionLabels[i];
    for (const char* name : kStatusControls)
        EXPECT_EQ(shownOnPage(w, name), c.shown.contains(QLatin1String(name)))
            << c.part << " " << name;
    for (const char* name : {"lblAlarm2", "LedAlarm2"})
        EXPECT_EQ(get(w, name)->y(), c.alarm2Top) << c.part << " " << name;
    for (const char* name : {"lblOSCFail", "LedOSCfail"})
        EXPECT_EQ(get(w, name)->y(), c.oscFailTop) << c.part << " " << name;
    EXPECT_EQ(get(w, "CBSLed8")->property("lit").toBool(), c.led8Lit) << c.part;
    EXPECT_FALSE(get(w, "CBSLed9")->property("lit").toBool()) << c.part;
    EXPECT_FALSE(get(w, "CBSLed10")->property("lit").toBool()) << c.part;
    EXPECT_EQ(labelText(w, "lblProduct"), QLatin1String(c.part));
}

TEST_F(PartChoiceSetup, StatusGroupCaptionsLampsAndLinesPerFamily)
{
    const std::vector<SetupCase> cases = setupCases();
    auto w = makeWindow();
    for (const SetupCase& c : cases) {
        choose(*w, c.part);
        expectSetup(*w, c);
    }
    for (auto it = cases.rbegin(); it != cases.rend(); ++it) {
        choose(*w, it->part);
        expectSetup(*w, *it);
    }
}

TEST_F(PartChoiceSetup, IdGroupOfVK360AndVK361)
{
    auto w = makeWindow();
    for (const char* part : {"VK360", "VK361"}) {
        choose(*w, "VK310");
        EXPECT_TRUE(get(*w, "GroupBox38")->isHidden());
        choose(*w, part);
        auto* group = get<QGroupBox>(*w, "GroupBox38");
        ASSERT_NE(group, nullptr);
        EXPECT_FALSE(group->isHidden()) << part;
        EXPECT_EQ(group->title(), "ID00 (0x20)- ID07(0x27)") << part;
        EXPECT_TRUE(get(*w, "Read_ID_Buf")->isHidden()) << part;
    }
}

TEST_F(PartChoiceSetup, SwitchFromVK381ToVK360ShowsWhatTheBaseStateShows)
{
    auto w = makeWindow();
    choose(*w, "VK381");
    for (const char* name : {"lblAlarm2", "LedAlarm2", "lblOSCFail", "LedOSCfail", "BtnUnlock"})
        EXPECT_TRUE(get(*w, name)->isHidden()) << name;
    EXPECT_EQ(w->TabFunctions->tabText(w->pageIndex("tsInterrupt")), "FOUT && IRQ");

    choose(*w, "VK360");
    for (const char* name : {"lblAlarm2", "LedAlarm2", "lblOSCFail", "LedOSCfail", "BtnUnlock",
                             "Label115", "ChkAutoUnlock"})
        EXPECT_FALSE(get(*w, name)->isHidden()) << name;
    EXPECT_TRUE(get(*w, "Label52")->isHidden());
    EXPECT_EQ(labelText(*w, "LabelRTCF"), "RTC Power Fail (RTCF)");
    EXPECT_EQ(labelText(*w, "LabelBAT"), "Battery Backup (BAT)");
    EXPECT_EQ(w->TabFunctions->tabText(w->pageIndex("tsInterrupt")), "Interrupt");
}

TEST_F(PartChoiceSetup, UnlockControlsOnlyForTypeE)
{
    auto w = makeWindow();
    for (int row = 0; row < kPartCount; ++row) {
        const PartInfo& part = PartTable[static_cast<size_t>(row)];
        choose(*w, QLatin1String(part.PartName));
        const bool typeE = part.TypeCode == TypeE;
        for (const char* name : {"BtnUnlock", "Label115", "ChkAutoUnlock"})
            EXPECT_EQ(shownOnPage(*w, name), typeE) << part.PartName << " " << name;
        EXPECT_FALSE(shownOnPage(*w, "Label52")) << part.PartName;
    }
}

// ---- "Not Selected", title, Features, sections ----

TEST_F(PartChoiceWindow, NotSelectedHidesPagesDisablesSupplyAndKeepsSections)
{
    auto w = makeWindow();
    choose(*w, "VK310");
    EXPECT_TRUE(w->VccSw->isEnabled());
    EXPECT_TRUE(w->setupPage()->VccChecked->isEnabled());
    auto* sections = get<QComboBox>(*w, "SectionSel");
    ASSERT_NE(sections, nullptr);
    sections->setCurrentIndex(2); // the user looks at "Alarm"
    const QStringList before = comboItems(sections);

    choose(*w, "Not Selected");
    for (const char* page : kPageColumns)
        EXPECT_FALSE(w->isPageVisible(page)) << page;
    EXPECT_TRUE(w->isPageVisible("tsSetup"));
    EXPECT_FALSE(w->VccSw->isEnabled());
    EXPECT_FALSE(w->setupPage()->VccChecked->isEnabled());
    EXPECT_EQ(w->windowTitle(), "Kavrolux RTC Evaluation");
    EXPECT_EQ(labelText(*w, "lblProduct"), "Not Selected");
    auto* features = get<QTableWidget>(*w, "Features");
    ASSERT_NE(features, nullptr);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 2; ++c) {
            const QTableWidgetItem* cell = features->item(r, c);
            EXPECT_TRUE(cell == nullptr || cell->text().isEmpty()) << r << "," << c;
        }
    EXPECT_EQ(comboItems(sections), before);
    EXPECT_EQ(sections->currentIndex(), 2);

    choose(*w, "VK320");
    EXPECT_TRUE(w->VccSw->isEnabled());
    EXPECT_TRUE(w->setupPage()->VccChecked->isEnabled());
}

TEST_F(PartChoiceWindow, TitleNamesThePart)
{
    auto w = makeWindow();
    choose(*w, "VK310");
    EXPECT_EQ(w->windowTitle(), "Kavrolux RTC Evaluation - VK310");
    choose(*w, "VK390");
    EXPECT_EQ(w->windowTitle(), "Kavrolux RTC Evaluation - VK390");
}

TEST_F(PartChoiceWindow, FeaturesGridRows)
{
    struct Case {
        const char* part;
        QStringList values; // column 1, rows 0 to 9
    };
    const QStringList names{"Alarm",          "Time Stamp",   "Watch Dog",  "ShipGuard",
                            "Battery Backup", "Event Detect", "IRQ Output", "Frequency Out",
                            "EEPROM",         "SRAM"};
    const Case cases[] = {
        {"VK310", {"1", "No", "No", "Yes", "Yes", "No", "Yes", "Yes", "0 Byte(s)", "2 Byte(s)"}},
        {"VK361", {"2", "No", "Yes", "Yes", "Yes", "No", "No", "No", "512 Byte(s)", "0 Byte(s)"}},
        {"VK380", {"2", "No", "No", "No", "No", "No", "Yes", "Yes", "0 Byte(s)", "0 Byte(s)"}},
        {"VK370",
         {"2", "Yes", "No", "Yes", "Yes", "Yes", "Yes", "Yes", "0 Byte(s)", "128 Byte(s)"}},
    };
    auto w = makeWindow();
    auto* features = get<QTableWidget>(*w, "Features");
    ASSERT_NE(features, nullptr);
    EXPECT_EQ(features->rowCount(), 10);
    EXPECT_EQ(features->columnCount(), 2);
    for (const Case& c : cases) {
        choose(*w, c.part);
        for (int r = 0; r < 10; ++r) {
            ASSERT_NE(features->item(r, 0), nullptr);
            ASSERT_NE(features->item(r, 1), nullptr);
            EXPECT_EQ(features->item(r, 0)->text(), names[r]) << c.part << " row " << r;
            EXPECT_EQ(features->item(r, 1)->text(), c.values[r]) << c.part << " row " << r;
        }
    }
}

TEST_F(PartChoiceWindow, SectionListHoldsTheMapsSections)
{
    struct Case {
        const char* part;
        QStringList sections;
    };
    const Case cases[] = {
        {"VK310",
         {"RTC (Set WRTC bit to modify this section)", "Control and Status", "Alarm", "User"}},
        {"VK390",
         {"RTC (Set WRTC bit to modify this section)", "Control and Status", "Alarm",
          "Timer Control", "RTC Sub-Seconds"}},
    };
    auto w = makeWindow();
    auto* sections = get<QComboBox>(*w, "SectionSel");
    ASSERT_NE(sections, nullptr);
    EXPECT_EQ(sections->toolTip(), "Select Device Section");
    for (const Case& c : cases) {
        choose(*w, c.part);
        EXPECT_EQ(comboItems(sections), c.sections) << c.part;
        EXPECT_EQ(sections->currentIndex(), 0) << c.part;
    }
    // Every real part: its map's sections, the first one selected.
    for (int row = 1; row < kPartCount; ++row) {
        const PartInfo& part = PartTable[static_cast<size_t>(row)];
        choose(*w, QLatin1String(part.PartName));
        const std::vector<MapSection> map = MapSections(part.RegisterMap);
        ASSERT_EQ(sections->count(), static_cast<int>(map.size())) << part.PartName;
        for (size_t i = 0; i < map.size(); ++i)
            EXPECT_EQ(sections->itemText(static_cast<int>(i)),
                      QLatin1String(map[i].Header->Caption));
        EXPECT_EQ(sections->currentIndex(), 0) << part.PartName;
    }
}

// ---- the pages' own state ----

TEST_F(PartChoiceState, MemoryAndRefreshStatePerType)
{
    struct Case {
        const char* part;
        int memAddrLen;
        int memLastLine; // -1: left as it was
    };
    const Case cases[] = {
        {"VK310", 1, -1},        {"VK320", 1, -1}, {"VK340", 1, -1}, {"VK350", 1, 7},
        {"VK354", 1, 7},         {"VK360", 2, 31}, {"VK365", 2, 31}, {"VK370", 1, 7},
        {"VK380", 1, -1},        {"VK381", 1, -1}, {"VK382", 1, -1}, {"VK390", 1, -1},
        {"Not Selected", 1, -1},
    };
    auto w = makeWindow();
    auto* memory = qobject_cast<MemoryPage*>(w->page("tsMemory"));
    auto* interrupt = qobject_cast<InterruptPage*>(w->page("tsInterrupt"));
    ASSERT_NE(memory, nullptr);
    ASSERT_NE(interrupt, nullptr);
    for (const Case& c : cases) {
        // A TSE refresh under way (TypeD) stops with the next choice.
        choose(*w, "VK350");
        interrupt->cboTSEREFRESH->setCurrentIndex(2);
        interrupt->cboTSEREFRESHChange();
        ASSERT_NE(interrupt->tseRefreshPeriod(), 0);
        // From a grid of another length, another address length and cell.
        const char* before = c.memLastLine == 7 ? "VK360" : "VK350";
        choose(*w, before);
        const int linesBefore = memory->gridLines();
        memory->setAddressLength(c.memAddrLen == 2 ? 1 : 2);
        memory->EepromSelectCell(5, 5);
        choose(*w, c.part);
        EXPECT_EQ(memory->addressLength(), c.memAddrLen) << c.part;
        EXPECT_EQ(memory->gridLines(), c.memLastLine < 0 ? linesBefore : c.memLastLine + 1)
            << c.part;
        EXPECT_EQ(memory->gridCell(), (std::array<int, 2>{2, 2})) << c.part;
        EXPECT_EQ(interrupt->tseRefreshPeriod(), 0) << c.part;
        EXPECT_EQ(interrupt->tseRefreshCount(), 0) << c.part;
        EXPECT_EQ(w->bus().partRow(), FindPartRow(c.part)) << c.part;
    }
}

// ---- the simulated socket ----

// The part names the socket was given, beside RecordingAdapter's own record.
std::vector<std::pair<uint32_t, std::string>> gSocketParts;

const AdapterApi& socketRecordingApi()
{
    static const AdapterApi api = [] {
        AdapterApi a = RecordingAdapter::api();
        a.SimSetPart = [](uint32_t board, const char* name) {
            gSocketParts.emplace_back(board, name ? name : "<null>");
            return RecordingAdapter::api().SimSetPart(board, name);
        };
        return a;
    }();
    return api;
}

class PartChoiceSocket : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        pinned_ = qgetenv("KVRX_SIM_PART");
        qunsetenv("KVRX_SIM_PART");
        w = &open();
        RecordingAdapter::reset();
        gSocketParts.clear();
        w->bus().setApi(socketRecordingApi());
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        if (!pinned_.isNull()) qputenv("KVRX_SIM_PART", pinned_);
    }

    using Parts = std::vector<std::pair<uint32_t, std::string>>;

    TMainApp* w = nullptr;
    QByteArray pinned_;
};

TEST_F(PartChoiceSocket, FollowsThePartOnTheOpenBoard)
{
    w->bus().BoardNo = 1;
    choose(*w, "VK320");
    choose(*w, "VK365");
    choose(*w, "Not Selected");
    EXPECT_EQ(gSocketParts, (Parts{{1, "VK320"}, {1, "VK365"}, {1, ""}}));
    ASSERT_EQ(RecordingAdapter::calls().size(), 3u);
    for (const AdapterCall& call : RecordingAdapter::calls())
        EXPECT_EQ(call.op, AdapterOp::SimSetPart);
}

TEST_F(PartChoiceSocket, NoBoardNoPinNoCall)
{
    w->bus().BoardNo = 0;
    choose(*w, "VK320");
    EXPECT_TRUE(gSocketParts.empty());

    w->bus().BoardNo = 1;
    qputenv("KVRX_SIM_PART", "VK310");
    choose(*w, "VK340");
    w->syncSimulatedSocket();
    qunsetenv("KVRX_SIM_PART");
    EXPECT_TRUE(gSocketParts.empty());
    // VK340's 24-hour form may talk to its chip; the socket is left alone.
    for (const AdapterCall& call : RecordingAdapter::calls())
        EXPECT_NE(call.op, AdapterOp::SimSetPart);
}

TEST_F(PartChoiceSocket, BoardOpenedLaterGetsTheChosenPart)
{
    w->bus().BoardNo = 0;
    choose(*w, "VK381");
    w->bus().BoardNo = 2;
    w->syncSimulatedSocket();
    EXPECT_EQ(gSocketParts, (Parts{{2, "VK381"}}));
}

TEST_F(PartChoiceSocket, ChoiceTouchesNoChipRegisterUnlessTheTimeFormatChanges)
{
    w->bus().BoardNo = 1;
    QWidget* format = w->findChild<QWidget*>("SetTimeFomat");
    ASSERT_NE(format, nullptr);
    int formatChanges = 0;
    for (const PartInfo& part : PartTable) {
        const size_t before = RecordingAdapter::transfers().size();
        const int formBefore = format->property("itemIndex").toInt();
        choose(*w, QLatin1String(part.PartName));
        const std::vector<AdapterCall> transfers = RecordingAdapter::transfers();
        if (format->property("itemIndex").toInt() == formBefore) {
            EXPECT_EQ(transfers.size(), before) << part.PartName;
            continue;
        }
        // The chip's time is rewritten in the new form: the chosen part's
        // own clock, nothing else.
        ++formatChanges;
        for (size_t i = before; i < transfers.size(); ++i)
            EXPECT_EQ(transfers[i].slave, part.RtcAddress) << part.PartName;
    }
    // The 24-hour-only parts switch the form and the next part switches back.
    EXPECT_GE(formatChanges, 2);
    for (const AdapterCall& call : RecordingAdapter::calls())
        EXPECT_TRUE(call.op == AdapterOp::SimSetPart || call.op == AdapterOp::Read ||
                    call.op == AdapterOp::Write);
}

// ---- the chip's clock across part choices ----

// A part choice leaves the chip's clock as the final state asks: the format
// change runs at most once, for the final selection, and a 24-hour-only part
// never sees its hour in 12-hour form.
TEST_F(PartChoiceSocket, TwentyFourHourOnlyPartKeepsItsClock)
{
    w->bus().BoardNo = 1;
    auto* format = w->findChild<RadioGroup*>("SetTimeFomat");
    ASSERT_NE(format, nullptr);
    const uint8_t clock = PartTable[static_cast<size_t>(FindPartRow("VK340"))].RtcAddress;
    // 13:00:00, Tuesday 2024-03-05, oscillator running; status (0x0B) and
    // control (0x07) bytes with bit 0 clear, so the clock counts as set.
    const std::vector<uint8_t> at1300 = {0x80, 0x00, 0x13, 0x03, 0x05, 0x03, 0x24};
    RecordingAdapter::setRegisters(clock, 0x00, at1300);
    RecordingAdapter::setRegisters(clock, 0x07, {0x42});
    RecordingAdapter::setRegisters(clock, 0x0B, {0x00});

    QSignalSpy formatChanges(format, &RadioGroup::clicked);
    size_t mark = 0;
    auto writesToClockSinceMark = [&] {
        int writes = 0;
        const std::vector<AdapterCall> transfers = RecordingAdapter::transfers();
        for (size_t i = mark; i < transfers.size(); ++i)
            if (transfers[i].op == AdapterOp::Write && transfers[i].slave == clock) ++writes;
        mark = transfers.size();
        return writes;
    };
    auto expectClock = [&](const char* step) {
        for (uint32_t sub = 0; sub < at1300.size(); ++sub)
            EXPECT_EQ(RecordingAdapter::registerAt(clock, sub), at1300[sub])
                << step << ": byte " << sub;
        EXPECT_EQ(RecordingAdapter::registerAt(clock, 0x07), 0x42) << step;
    };

    struct Step {
        const char* part;
        bool pick24Before; // the user picks "24-Hour" first (on the part before)
        int formatChanges;
        bool clockRewritten; // in its own 24-hour form
    };
    const Step steps[] = {
        // From "12-Hour": switched once, and the chip rewritten in 24-hour form.
        {"VK340", false, 1, true},
        // Chosen again, or another 24-hour-only part: nothing to change.
        {"VK340", false, 0, false},
        {"VK382", false, 0, false},
        {"VK382", false, 0, false},
        // "24-Hour" picked on a VK310, then VK340: the form stays.
        {"VK310", false, 1, false},
        {"VK340", true, 0, false},
        // No part: "12-Hour" again, and nothing written to the chip there.
        {"Not Selected", false, 1, false},
    };
    for (const Step& step : steps) {
        if (step.pick24Before) {
            format->setItemIndex(1);
            formatChanges.clear();
        }
        writesToClockSinceMark();
        choose(*w, step.part);
        EXPECT_EQ(formatChanges.count(), step.formatChanges) << step.part;
        formatChanges.clear();
        const int writes = writesToClockSinceMark();
        if (step.clockRewritten)
            EXPECT_GT(writes, 0) << step.part;
        else
            EXPECT_EQ(writes, 0) << step.part;
        expectClock(step.part);
    }
}

// Lamps whose change runs a handler report a change only for the final state.
TEST_F(PartChoiceSocket, LampsReportOnlyTheFinalState)
{
    auto* lamp = w->findChild<LedIndicator*>("CBSLed8");
    ASSERT_NE(lamp, nullptr);
    choose(*w, "VK340");
    ASSERT_TRUE(lamp->isLit());
    QSignalSpy changes(lamp, &LedIndicator::changed);
    // The base state darkens it, VK390's block lights it again.
    choose(*w, "VK390");
    EXPECT_TRUE(lamp->isLit());
    EXPECT_EQ(changes.count(), 0);
    choose(*w, "VK310");
    EXPECT_FALSE(lamp->isLit());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toBool(), false);
}

} // namespace
