// What a register bit means, as a lamp or a bit panel tells it in its hint:
// "0x0F bit 7 OSF: the oscillator stopped". The register and bit name come from
// the part's register map; the few meanings beyond the map's names are data
// here. Also the one-line summary of a part's features that the part list's
// entries carry. Qt-free constant data.
#pragma once

#include <string>
#include <string_view>

#include "PartTable.h"
#include "StatusLayout.h"

// The meaning of a bit name ("OSF" -> "the oscillator stopped"); empty for a
// name this table does not explain.
std::string_view BitMeaning(std::string_view bitName);

// The hint of bit `bit` (0 = least significant) of a register row: address,
// bit number, the bit's name and its meaning (the table's, else the row's
// caption). A bit the map leaves unnamed is "not used".
std::string BitHint(const RegMapEntry& row, int bit);

// The register a status source reads for a family (Main0, Main1 or Second).
uint16_t StatusSourceAddress(PartType type, StatusSource source);

// The hint of a status lamp for a part: the register and bit it shows there;
// empty when the lamp shows no bit for the part's family or the part has no map.
std::string LampHint(const PartInfo& part, const StatusLamp& lamp);

// One line of the part's features: "VK360: 2 alarms, watchdog, ..., 512-byte
// EEPROM"; row 0 tells to choose a part.
std::string PartFeatureHint(const PartInfo& part);
