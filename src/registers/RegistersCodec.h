// What the register rows page needs that is no widget: its part of the part
// choice.
#pragma once

#include "PartSelection.h"

// No base state of its own; per family the unlock controls (shown for TypeE
// only) and Label52 (always hidden; the TypeE transfers show it).
extern const PageSettingsTable kRegistersPageSettings;
