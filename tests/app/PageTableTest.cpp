// The page table's rows as the shell reads them: which tabs a part shows and
// which captions they can carry.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/PageTable.h"

namespace {

int Row(const char* name)
{
    const int row = FindPartRow(name);
    EXPECT_TRUE(row != 0 || std::string(name) == "Not Selected") << name;
    return row;
}

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

TEST(PageTableTabs, EveryPartShowsExactlyItsPages)
{
    ASSERT_EQ(std::size(kVisibility), static_cast<size_t>(kPartCount));
    for (const VisibilityCase& c : kVisibility) {
        for (size_t i = 0; i < std::size(kPageOrder); ++i) {
            const PageRow* page = FindPage(kPageOrder[i]);
            ASSERT_NE(page, nullptr) << kPageOrder[i];
            EXPECT_EQ(TabShownFor(*page, Row(c.Part)), c.Pages[i] == 'S')
                << c.Part << " " << kPageOrder[i];
        }
    }
}

struct TabCaptionCase {
    const char* Part;
    const char* Interrupt;
    const char* Alarm;
    const char* Memory; // nullptr: the choice does not caption the memory page
};

std::string CaptionOf(const char* page, int partRow)
{
    const PageRow* row = FindPage(page);
    EXPECT_NE(row, nullptr) << page;
    if (row == nullptr) return "";
    const std::vector<std::string> captions = TabCaptionsFor(*row, partRow);
    // One caption when the choice gives one.
    return captions.size() == 1 ? captions[0] : "(kept)";
}

TEST(PageTableTabs, TabCaptionsFollowTheFamily)
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
        const int row = Row(c.Part);
        EXPECT_EQ(CaptionOf("tsInterrupt", row), c.Interrupt) << c.Part;
        EXPECT_EQ(CaptionOf("tsAlarm", row), c.Alarm) << c.Part;
        EXPECT_EQ(CaptionOf("tsMemory", row), c.Memory ? c.Memory : "(kept)") << c.Part;
    }
    // A caption the choice leaves alone may be any an earlier choice gave:
    // the window keeps room for each.
    const std::vector<std::string> kept = TabCaptionsFor(*FindPage("tsMemory"), Row("VK310"));
    EXPECT_EQ(std::set<std::string>(kept.begin(), kept.end()),
              (std::set<std::string>{"EEPROM", "SRAM"}));
}

} // namespace
