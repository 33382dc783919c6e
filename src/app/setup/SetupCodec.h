// What the Setup page needs that is no widget: its part of the part choice
// (the status group's captions, lamps and lines per family) and the status
// lamps it holds, with the flag each one shows per family.
#pragma once

#include <array>

#include "PartSelection.h"
#include "StatusLayout.h"

// Base state, then one block per family; the product label, the supply
// controls and the ID group are the page's own step.
extern const PageSettingsTable kSetupPageSettings;

// The status group's lamps, in the group's order, with the labels greyed
// while polling is off.
extern const std::array<StatusLamp, 11> kSetupLamps;

namespace SetupCodec {

// The ID bytes' group shows for the parts that have a unique ID.
inline constexpr const char* kIdGroupCaption = "ID00 (0x20)- ID07(0x27)";
bool HasIdGroup(const PartInfo& part);

} // namespace SetupCodec
