// What choosing a part does to the window, as data: page visibility, the
// Setup page's captions and lamps, the title, the Features grid and the shared
// state the choice resets. Each page keeps its own base state and family
// blocks as tables of (control name, property, value), applied in order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PartTable.h"

// The properties a part choice sets.
enum class Prop : uint8_t {
    Caption,   // caption or text, as stored ("&&" shows one ampersand)
    Visible,   // Number 0 or 1
    Enabled,   // Number 0 or 1
    Lit,       // LED state, Number 0 or 1
    Top,       // Number: pixels within the parent
    Items,     // Items: clear the list, then add these in order
    ItemIndex, // Number: selected item (-1 = none)
    Hint,      // Text
};

// One entry of a page's settings table. Which of Number, Text and Items
// carries the value depends on Property.
struct ControlSetting {
    const char* Control;
    Prop Property;
    int Number = 0;
    const char* Text = nullptr;
    std::span<const char* const> Items = {};
};

using SettingList = std::span<const ControlSetting>;

constexpr ControlSetting Show(const char* control)
{
    return {control, Prop::Visible, 1};
}
constexpr ControlSetting Hide(const char* control)
{
    return {control, Prop::Visible, 0};
}
constexpr ControlSetting SetVisible(const char* control, bool shown)
{
    return {control, Prop::Visible, shown ? 1 : 0};
}
constexpr ControlSetting Enable(const char* control, bool on = true)
{
    return {control, Prop::Enabled, on ? 1 : 0};
}
constexpr ControlSetting Light(const char* control)
{
    return {control, Prop::Lit, 1};
}
constexpr ControlSetting Darken(const char* control)
{
    return {control, Prop::Lit, 0};
}
constexpr ControlSetting SetCaption(const char* control, const char* text)
{
    return {control, Prop::Caption, 0, text};
}
constexpr ControlSetting SetHint(const char* control, const char* text)
{
    return {control, Prop::Hint, 0, text};
}
constexpr ControlSetting SetTop(const char* control, int top)
{
    return {control, Prop::Top, top};
}
constexpr ControlSetting SetItems(const char* control, std::span<const char* const> items)
{
    return {control, Prop::Items, 0, nullptr, items};
}
constexpr ControlSetting SelectItem(const char* control, int index)
{
    return {control, Prop::ItemIndex, index};
}

// Same control, property and value (texts and items compared by content).
bool operator==(const ControlSetting& a, const ControlSetting& b);

// The last entry in list that sets property of control, or nullptr.
const ControlSetting* FinalSetting(SettingList list, std::string_view control, Prop property);

// The family block that ends the part choice. One block serves TypeNone,
// TypeA and TypeB; VK390 is matched by its name.
enum class TypeBlock : uint8_t { NoneAB, E, C, D, F, G, H, J, VK390 };
constexpr int kTypeBlockCount = 9;

// Rows outside the part table count as row 0 ("Not Selected") everywhere here.
TypeBlock TypeBlockFor(int partRow);

// A page's part of the base state and of each family block.
struct PageSettingsTable {
    SettingList Base;
    std::array<SettingList, kTypeBlockCount> Blocks;
};

// The Setup page (with the tool bar's supply switch VccSw): base state, supply
// controls, product label, the ID group of VK360/VK361, then the family block.
std::vector<ControlSetting> SetupPageSettings(int partRow);

// The tab pages' own captions and visibility, in the order the part choice
// sets them: base captions, pages from the part's row, name rules, family block.
std::vector<ControlSetting> TabPageSettings(int partRow);

// The tab pages a part choice shows or hides. Setup and Port are not among
// them: the part choice leaves them alone.
inline constexpr std::array<const char*, 12> kPartPages = {
    "tsSetTime", "tsReg",  "tsMemory",  "tsGraph", "tsInterrupt", "tsAlarm",
    "tsEvent",   "tsComp", "tsSysMgmt", "tsDST",   "tsTCOMP",     "tsPWR"};

struct PageVisibility {
    std::array<bool, kPartPages.size()> Shown{}; // in kPartPages order
    // Throws std::invalid_argument for a name that is not in kPartPages.
    bool isShown(std::string_view page) const;
};

// The result of TabPageSettings for each page.
PageVisibility TabVisibility(int partRow);

// Window title: the product name, followed by " - " and the part's name for a
// real part.
inline constexpr const char* kAppTitle = "Kavrolux RTC Evaluation";
std::string WindowTitle(int partRow);

// The Features grid: ten rows of (name, value); both empty for "Not Selected".
struct FeatureRow {
    std::string Name;
    std::string Value;
};
constexpr int kFeatureRows = 10;
std::array<FeatureRow, kFeatureRows> FeatureRows(int partRow);

// Shared page state the part choice sets. MemLastLine is empty where the
// choice leaves it unchanged.
struct PartChoiceState {
    int MemGridRow = 2;
    int MemGridCol = 2;
    int TseRefreshPeriod = 0;
    int TseRefreshCount = 0;
    int MemAddrLen = 1;
    std::optional<int> MemLastLine;
};
PartChoiceState PartChoiceStateFor(int partRow);
