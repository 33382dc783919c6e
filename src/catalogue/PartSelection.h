// What choosing a part does to the window, as data: the tables of (control
// name, property, value) each page keeps for its base state and family blocks,
// which block a part gets, the title and the Features grid. A page's table may
// also caption and show its own tab.
#pragma once

#include <array>
#include <cstdint>
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
