#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "registers/RegistersCodec.h"

using namespace RegistersCodec;

namespace {

RegisterMapRef MapOf(const char* part)
{
    const int row = FindPartRow(part);
    EXPECT_NE(row, 0) << part;
    return PartTable[static_cast<size_t>(row)].RegisterMap;
}

// ---- sections in the rows ----

struct SectionCase {
    const char* Part;
    int Index;
    const char* Caption;
    int PageStart;
    size_t Rows;
    const char* FirstName;
    const char* FirstHint;
    const char* LastName;
    bool WritesBarred;
};

// Worked examples from the parts' data sheets.
constexpr SectionCase kSections[] = {
    {"VK310", 0, "RTC (Set WRTC bit to modify this section)", 0x00, 7, "SC 0x00",
     "SC (Seconds) 0x00", "DW 0x06", false},
    {"VK310", 3, "User", 0x12, 2, "USR1 0x12", "USR1 (User Byte 1) 0x12", "USR2 0x13", false},
    {"VK390", 1, "Control and Status", 0x07, 5, "SR 0x07", "SR (Status Register) 0x07", "DTR 0x0B",
     false},
    {"VK360", 0, "RTC Setting ", 0x30, 8, "SC 0x30", "SC (Seconds) 0x30", "Y2K 0x37", false},
    {"VK360", 1, "Device ID ", 0x20, 8, "ID0 0x20", "ID BYTE-0 0x20", "ID7 0x27", true},
    {"VK361", 1, "Device ID ", 0x20, 8, "ID0 0x20", "ID BYTE-0 0x20", "ID7 0x27", true},
    {"VK360", 3, "Status", 0x3F, 1, "SR 0x3F", "Status Register 0x3F", "SR 0x3F", false},
    {"VK340", 7, "RTC Sub Seconds", 0x1F, 1, "SS 0x1F", "USR1 (User Byte 1) 0x1F", "SS 0x1F",
     false},
};

TEST(RegistersSection, ShowsTheRegistersOfTheSection)
{
    for (const SectionCase& c : kSections) {
        SCOPED_TRACE(std::string(c.Part) + " section " + std::to_string(c.Index));
        const std::optional<SectionView> view = Section(MapOf(c.Part), c.Index);
        ASSERT_TRUE(view.has_value());
        EXPECT_EQ(view->Caption, c.Caption);
        EXPECT_EQ(view->PageStart, c.PageStart);
        ASSERT_EQ(view->Rows.size(), c.Rows);
        EXPECT_EQ(view->Rows.front().Name, c.FirstName);
        EXPECT_EQ(view->Rows.front().Hint, c.FirstHint);
        EXPECT_EQ(view->Rows.back().Name, c.LastName);
        EXPECT_EQ(view->WritesBarred, c.WritesBarred);
    }
}

TEST(RegistersSection, NoSuchSectionShowsNothing)
{
    EXPECT_FALSE(Section(MapOf("VK310"), 4).has_value());
    EXPECT_FALSE(Section(MapOf("VK310"), -1).has_value());
    EXPECT_FALSE(Section(nullptr, 0).has_value()); // "Not Selected"
    // VK362 to VK365 have no Device ID section: their second is "Control".
    EXPECT_EQ(Section(MapOf("VK362"), 1)->Caption, "Control");
}

TEST(RegistersSection, BitCaptionsRunFromBitZeroAndTheMaskEnablesPanels)
{
    // SR of VK310, mask 0xD7.
    const RowView sr = Section(MapOf("VK310"), 1)->Rows[0];
    const char* const captions[8] = {"RTCF", "BATT", "ALM", "", "WRTC", "", "XTOSCB", "ARST"};
    const bool enabled[8] = {true, true, true, false, true, false, true, true};
    for (int bit = 0; bit < 8; ++bit) {
        EXPECT_EQ(sr.BitCaptions[static_cast<size_t>(bit)], captions[bit]) << "bit " << bit;
        EXPECT_EQ(((sr.Mask >> bit) & 1) != 0, enabled[bit]) << "bit " << bit;
    }
    // RSV of VK310 and the ID bytes of VK360: nothing to click, nothing named.
    for (const RowView& row :
         {Section(MapOf("VK310"), 1)->Rows[2], Section(MapOf("VK360"), 1)->Rows[5]}) {
        EXPECT_EQ(row.Mask, 0) << row.Name;
    }
    const std::optional<SectionView> user = Section(MapOf("VK310"), 1);
    ASSERT_TRUE(user);
    for (const std::string& caption : user->Rows[2].BitCaptions)
        EXPECT_EQ(caption, "");
}

TEST(RegistersSection, EverySectionIsOneRunTheRowButtonsAddressRowByRow)
{
    // The page transfers move a section as one block from PageStart, and a row
    // button addresses PageStart + k: both must meet the register the row names.
    for (const PartInfo& part : PartTable) {
        for (int n = 0;; ++n) {
            const std::optional<SectionView> view = Section(part.RegisterMap, n);
            if (!view) break;
            SCOPED_TRACE(std::string(part.PartName) + " " + view->Caption);
            const int count = static_cast<int>(view->Rows.size());
            ASSERT_GE(count, 1);
            ASSERT_LE(count, kPageRows);
            const std::optional<RegisterRun> run = PageRun(view->PageStart, count);
            ASSERT_TRUE(run.has_value());
            EXPECT_EQ(run->Count, static_cast<uint32_t>(count));
            for (int k = 0; k < count; ++k) {
                const RowView& row = view->Rows[static_cast<size_t>(k)];
                EXPECT_EQ(RowRegister(view->PageStart, count, k), row.Address) << row.Name;
                EXPECT_EQ(AddressFromName(row.Name), row.Address) << row.Name;
            }
        }
    }
}

// ---- colours ----

TEST(RegistersColours, PanelsShowTheBitsAndOnlySetColourCountsAsOne)
{
    for (int bit = 0; bit < 8; ++bit) {
        EXPECT_EQ(BitColour(0xA5, bit), ((0xA5 >> bit) & 1) ? 0xF0CAA6u : 0xFFFFFFu) << bit;
    }
    // A grey (unknown) panel counts as 0, whatever the others show.
    const std::array<uint32_t, 8> mixed = {SetColour,     UnknownColour, ClearColour,   SetColour,
                                           UnknownColour, UnknownColour, UnknownColour, SetColour};
    EXPECT_EQ(BitsValue(mixed), 0x89);
    std::array<uint32_t, 8> grey;
    grey.fill(UnknownColour);
    EXPECT_EQ(BitsValue(grey), 0x00);
    // A click on bit 3 of a grey row gives a value with only that bit set.
    EXPECT_EQ(ToggleBit(BitsValue(grey), 3), 0x08);
    EXPECT_EQ(ToggleBit(0xFF, 7), 0x7F);
    // Shown and read back, every value survives.
    for (int value = 0; value < 256; ++value) {
        std::array<uint32_t, 8> colours{};
        for (int bit = 0; bit < 8; ++bit)
            colours[static_cast<size_t>(bit)] = BitColour(static_cast<uint8_t>(value), bit);
        EXPECT_EQ(BitsValue(colours), value);
    }
}

// ---- hex boxes ----

TEST(RegistersHex, TheKeyFilterPassesHexDigitsInUpperCaseAndBackspace)
{
    const std::pair<char, std::optional<char>> cases[] = {
        {'a', 'A'},          {'f', 'F'},          {'F', 'F'},           {'0', '0'},
        {'9', '9'},          {'\b', '\b'},        {'g', std::nullopt},  {'G', std::nullopt},
        {'x', std::nullopt}, {' ', std::nullopt}, {'\r', std::nullopt}, {'\x01', std::nullopt},
    };
    for (const auto& [key, passed] : cases)
        EXPECT_EQ(HexKey(key), passed) << static_cast<int>(key);
}

TEST(RegistersHex, TheRowAddressIsTheNamesLastFourCharacters)
{
    EXPECT_EQ(AddressFromName("SC 0x00"), 0x00);
    EXPECT_EQ(AddressFromName("A1Y2K1 0x0F"), 0x0F);
    EXPECT_EQ(AddressFromName("0x3F"), 0x3F);
    EXPECT_EQ(AddressFromName(""), std::nullopt); // a row that never showed a register
    EXPECT_EQ(AddressFromName("SC"), std::nullopt);
    EXPECT_EQ(AddressFromName("SC 0xZZ"), std::nullopt);
    EXPECT_EQ(AddressFromName("SC 1234"), std::nullopt);
}

// ---- transfers ----

TEST(RegistersTransfers, ThePageRunNeedsASectionOnShow)
{
    EXPECT_EQ(PageRun(0x12, 2)->Address, 0x12);
    EXPECT_EQ(PageRun(0x12, 2)->Count, 2u);
    EXPECT_TRUE(PageRun(0x00, 8).has_value());
    EXPECT_TRUE(PageRun(0xF8, 8).has_value()); // the image's last eight bytes
    EXPECT_FALSE(PageRun(-1, 0).has_value());  // nothing shown yet
    EXPECT_FALSE(PageRun(-1, 2).has_value());
    EXPECT_FALSE(PageRun(0x00, 0).has_value());
    EXPECT_FALSE(PageRun(0x00, 9).has_value());
    EXPECT_FALSE(PageRun(0xF9, 8).has_value()); // past the image

    EXPECT_EQ(RowRegister(0x07, 5, 4), 0x0B);
    EXPECT_EQ(RowRegister(0x07, 5, 0), 0x07);
    EXPECT_EQ(RowRegister(0x07, 5, 5), std::nullopt); // a hidden row
    EXPECT_EQ(RowRegister(0x07, 5, -1), std::nullopt);
    EXPECT_EQ(RowRegister(-1, 0, 0), std::nullopt);
}

TEST(RegistersTransfers, TypeEPartsUseTwoByteAddressesAndUnlockOnRequest)
{
    for (const PartInfo& part : PartTable) {
        const bool typeE = part.TypeCode == TypeE;
        EXPECT_EQ(SubAddressLength(part.TypeCode), typeE ? 2 : 1) << part.PartName;
        EXPECT_EQ(UnlockBeforeWrite(part.TypeCode, true), typeE) << part.PartName;
        EXPECT_FALSE(UnlockBeforeWrite(part.TypeCode, false)) << part.PartName;
    }
}

TEST(RegistersTransfers, RowButtonsNeedABoardAndWritesAnOpenSection)
{
    const PartInfo& part = PartTable[static_cast<size_t>(FindPartRow("VK360"))];
    EXPECT_TRUE(RowReadsAllowed(part, true));
    EXPECT_FALSE(RowReadsAllowed(part, false));
    EXPECT_TRUE(RowWritesAllowed(part, true, false));
    EXPECT_FALSE(RowWritesAllowed(part, true, true));
    EXPECT_FALSE(RowWritesAllowed(part, false, false));
    EXPECT_FALSE(RowReadsAllowed(PartTable[0], true)); // "Not Selected" has no row access
}

// ---- part choice ----

TEST(RegistersPartChoice, OnlyTypeEPartsShowTheUnlockControls)
{
    for (int row = 0; row < kPartCount; ++row) {
        const PartInfo& part = PartTable[static_cast<size_t>(row)];
        const SettingList block =
            kRegistersPageSettings.Blocks[static_cast<size_t>(TypeBlockFor(row))];
        for (const char* control : {"BtnUnlock", "Label115", "ChkAutoUnlock"}) {
            const ControlSetting* setting = FinalSetting(block, control, Prop::Visible);
            ASSERT_NE(setting, nullptr) << part.PartName << " " << control;
            EXPECT_EQ(setting->Number != 0, part.TypeCode == TypeE)
                << part.PartName << " " << control;
        }
        // The transfers show Label52; the part choice always hides it.
        const ControlSetting* label = FinalSetting(block, "Label52", Prop::Visible);
        ASSERT_NE(label, nullptr) << part.PartName;
        EXPECT_EQ(label->Number, 0) << part.PartName;
    }
}

} // namespace
