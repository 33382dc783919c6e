#include <gtest/gtest.h>

#include <map>
#include <set>
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

TEST(PartSelectionBlocks, RowsOutsideTheTableActAsNotSelected)
{
    for (const int row : {-1, kPartCount, 1000}) {
        EXPECT_EQ(WindowTitle(row), WindowTitle(0)) << row;
        EXPECT_EQ(TypeBlockFor(row), TypeBlock::NoneAB) << row;
        EXPECT_EQ(FeatureRows(row)[0].Name, "") << row;
    }
}

TEST(PartSelectionBlocks, EachPartGetsTheBlockOfItsFamily)
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

// ---- title, features ----

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
