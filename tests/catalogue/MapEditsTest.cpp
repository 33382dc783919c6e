// Building a map as another map with changes, on a small map of its own.
#include "MapEdits.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace RegisterMaps;

// Two sections: A holds 0x10 and 0x11, B holds 0x20.
constexpr RegMapEntry kBase[] = {
    Section("A", "First"),
    Row("R1", "One", 0x10, 0xFF, {"a7", "a6", "a5", "a4", "a3", "a2", "a1", "a0"}),
    Row("R2", "Two", 0x11, 0x0F, kNoBits),
    Section("B", "Second"),
    Row("R3", "Three", 0x20, 0x01, kNoBits),
    EndOfMap(),
};

constexpr RegMapEntry kMoreInA[] = {Row("R4", "Four", 0x12, 0x03, kNoBits)};
constexpr RegMapEntry kSectionC[] = {Section("C", "Third"), Row("R5", "Five", 0x30, 0, kNoBits)};

// One line per entry: "[short] caption" for a header, "address short caption mask bits" for a
// register, "end" for the end of the map.
std::vector<std::string> Lines(const std::vector<RegMapEntry>& map)
{
    std::vector<std::string> lines;
    for (const RegMapEntry& e : map) {
        if (e.Kind == RegKind::SectionHeader) {
            lines.push_back(std::string("[") + e.ShortName + "] " + e.Caption);
        } else if (e.Kind == RegKind::RegisterRow) {
            char head[16];
            std::snprintf(head, sizeof head, "%02X ", e.Address);
            std::string line =
                head + std::string(e.ShortName) + " " + e.Caption + " " + std::to_string(e.Mask);
            for (const char* bit : e.BitNames)
                line += std::string(" ") + (*bit ? bit : "-");
            lines.push_back(line);
        } else {
            lines.push_back("end");
        }
    }
    return lines;
}

std::vector<std::string> Edited(std::initializer_list<MapEdit> edits)
{
    return Lines(ApplyMapEdits(kBase, std::vector<MapEdit>(edits)));
}

const std::string kR1 = "10 R1 One 255 a7 a6 a5 a4 a3 a2 a1 a0";
const std::string kR2 = "11 R2 Two 15 - - - - - - - -";
const std::string kR3 = "20 R3 Three 1 - - - - - - - -";

struct EditCase {
    const char* what;
    std::vector<MapEdit> edits;
    std::vector<std::string> expected;
};

TEST(MapEdits, EachKindOfChange)
{
    const EditCase cases[] = {
        {"no change", {}, {"[A] First", kR1, kR2, "[B] Second", kR3, "end"}},
        {"caption of a register",
         {ChangeRow(0x10).Caption("Uno")},
         {"[A] First", "10 R1 Uno 255 a7 a6 a5 a4 a3 a2 a1 a0", kR2, "[B] Second", kR3, "end"}},
        {"mask of a register",
         {ChangeRow(0x11).Mask(0x03)},
         {"[A] First", kR1, "11 R2 Two 3 - - - - - - - -", "[B] Second", kR3, "end"}},
        {"bit names and short name of a register",
         {ChangeRow(0x20).ShortName("RX").BitNames({"x", "", "", "", "", "", "", "y"})},
         {"[A] First", kR1, kR2, "[B] Second", "20 RX Three 1 x - - - - - - y", "end"}},
        {"a register replaced",
         {ReplaceRow(Row("NEW", "New", 0x11, 0x80, kNoBits))},
         {"[A] First", kR1, "11 NEW New 128 - - - - - - - -", "[B] Second", kR3, "end"}},
        {"a section renamed and recaptioned",
         {ChangeSection("B").ShortName("BB").Caption("Other")},
         {"[A] First", kR1, kR2, "[BB] Other", kR3, "end"}},
        {"registers appended to the first section",
         {AppendToSection("A", kMoreInA)},
         {"[A] First", kR1, kR2, "12 R4 Four 3 - - - - - - - -", "[B] Second", kR3, "end"}},
        {"a section inserted between two",
         {InsertAfterSection("A", kSectionC)},
         {"[A] First", kR1, kR2, "[C] Third", "30 R5 Five 0 - - - - - - - -", "[B] Second", kR3,
          "end"}},
        {"the last section replaced",
         {ReplaceSection("B", kSectionC)},
         {"[A] First", kR1, kR2, "[C] Third", "30 R5 Five 0 - - - - - - - -", "end"}},
        {"the first section removed", {RemoveSection("A")}, {"[B] Second", kR3, "end"}},
        {"changes apply in order: a renamed section is found by its new name",
         {ChangeSection("A").ShortName("Z"), AppendToSection("Z", kMoreInA)},
         {"[Z] First", kR1, kR2, "12 R4 Four 3 - - - - - - - -", "[B] Second", kR3, "end"}},
    };
    for (const EditCase& c : cases)
        EXPECT_EQ(Lines(ApplyMapEdits(kBase, c.edits)), c.expected) << c.what;
}

TEST(MapEdits, ChangesThatNameNothingOrBreakTheMapAreRefused)
{
    const RegMapEntry header[] = {Section("H", "Header")};
    const std::pair<const char*, MapEdit> cases[] = {
        {"no register at the address", ChangeRow(0x15).Mask(0)},
        {"replacing an absent register", ReplaceRow(Row("X", "X", 0x40, 0, kNoBits))},
        {"replacing a register by a header", ReplaceRow(Section("X", "X"))},
        {"no section of that name", ChangeSection("a").Caption("x")},
        {"a mask on a section", ChangeSection("A").Mask(1)},
        {"removing an absent section", RemoveSection("Second")},
        {"appending a header as a register", AppendToSection("A", header)},
        {"inserting registers without a header", InsertAfterSection("A", kMoreInA)},
        {"replacing a section by nothing", ReplaceSection("A", {})},
        {"appending to an absent section", AppendToSection("C", kMoreInA)},
    };
    for (const auto& [what, edit] : cases)
        EXPECT_THROW(Edited({edit}), std::invalid_argument) << what;
    EXPECT_THROW(ApplyMapEdits(nullptr, {}), std::invalid_argument);
}

TEST(MapEdits, AmbiguousNamesAreRefused)
{
    constexpr RegMapEntry twice[] = {
        Section("S", "One"), Row("R", "R", 0x01, 0, kNoBits),
        Section("S", "Two"), Row("Q", "Q", 0x01, 0, kNoBits),
        EndOfMap(),
    };
    EXPECT_THROW(ApplyMapEdits(twice, std::vector{ChangeSection("S").Caption("x")}),
                 std::invalid_argument);
    EXPECT_THROW(ApplyMapEdits(twice, std::vector{ChangeRow(0x01).Mask(1)}), std::invalid_argument);
}

// A derived map reads its base at build time: what the edits leave alone follows the base.
TEST(MapEdits, AChangeToTheBaseReachesTheDerivedMap)
{
    const std::vector<MapEdit> edits = {ChangeRow(0x10).Caption("Uno"), RemoveSection("B")};
    RegMapEntry corrected[std::size(kBase)];
    std::copy(std::begin(kBase), std::end(kBase), corrected);
    corrected[1].Mask = 0x7F;           // R1: a field the edit leaves alone
    corrected[2].Caption = "Two fixed"; // R2: a register the edits do not name
    EXPECT_EQ(Lines(ApplyMapEdits(corrected, edits)),
              (std::vector<std::string>{"[A] First", "10 R1 Uno 127 a7 a6 a5 a4 a3 a2 a1 a0",
                                        "11 R2 Two fixed 15 - - - - - - - -", "end"}));
}

// The end entry comes from the base, whatever its fields.
TEST(MapEdits, TheBaseEndOfMapEntryIsKept)
{
    const RegMapEntry map[] = {Section("A", "First"),
                               Row("R1", "One", 0x10, 0, kNoBits),
                               {RegKind::EndOfMap, "end", "of map", 0, 0, kNoBits}};
    const std::vector<RegMapEntry> out = ApplyMapEdits(map, {});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out.back().Kind, RegKind::EndOfMap);
    EXPECT_STREQ(out.back().Caption, "of map");
}

// A register's access goes with it: a change of its other fields keeps it, a replacement brings
// its own, and so do registers added to a section.
TEST(MapEdits, TheAccessGoesWithTheRegister)
{
    const RegMapEntry base[] = {
        Section("A", "First"),
        Row("R1", "One", 0x10, 0x00, kNoBits, RegAccess::ReadOnly),
        Row("R2", "Two", 0x11, 0xFF, kNoBits, RegAccess::WriteOnly),
        EndOfMap(),
    };
    const RegMapEntry added[] = {Row("R3", "Three", 0x12, 0x7F, kNoBits, RegAccess::FactorySet)};
    const std::vector<RegMapEntry> out =
        ApplyMapEdits(base, std::vector<MapEdit>{
                                ChangeRow(0x10).ShortName("RX").Caption("Uno").Mask(0x01).BitNames(
                                    {"x", "", "", "", "", "", "", ""}),
                                ReplaceRow(Row("R2", "Two", 0x11, 0xFF, kNoBits)),
                                AppendToSection("A", added),
                            });
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[1].Access, RegAccess::ReadOnly);
    EXPECT_EQ(out[2].Access, RegAccess::ReadWrite);
    EXPECT_EQ(out[3].Access, RegAccess::FactorySet);
}

// The compile-time form holds the same entries as the run-time one.
constexpr auto kFixtureBase = std::to_array<RegMapEntry>(
    {Section("A", "First"), Row("R1", "One", 0x10, 0xFF, kNoBits), EndOfMap()});
constexpr MapEdit kFixtureEdits[] = {ChangeRow(0x10).Mask(0x0F), AppendToSection("A", kMoreInA)};
constexpr auto kFixtureDerived = DerivedMap<kFixtureBase, kFixtureEdits>();
static_assert(kFixtureDerived.size() == 4);
static_assert(kFixtureDerived[1].Mask == 0x0F);
static_assert(kFixtureDerived[3].Kind == RegKind::EndOfMap);

TEST(MapEdits, DerivedMapMatchesTheRunTimeResult)
{
    const std::vector<RegMapEntry> atRunTime = ApplyMapEdits(kFixtureBase.data(), kFixtureEdits);
    EXPECT_EQ(Lines({kFixtureDerived.begin(), kFixtureDerived.end()}), Lines(atRunTime));
}

} // namespace
