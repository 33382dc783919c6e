// What the register rows page needs that is no widget: its part of the part
// choice, which rows a map section fills, the colours of the bit panels, the
// hex boxes' key filter and parsing, and the rules of the row and page
// transfers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PartSelection.h"
#include "PartTable.h"
#include "bus/HexField.h"

// No base state of its own; per family the unlock controls (shown for TypeE
// only) and Label52 (always hidden; the TypeE transfers show it).
extern const PageSettingsTable kRegistersPageSettings;

namespace RegistersCodec {

// Bit panel colours in the 0x00BBGGRR form.
constexpr uint32_t SetColour = 0xF0CAA6;     // the bit is 1
constexpr uint32_t ClearColour = 0xFFFFFF;   // the bit is 0
constexpr uint32_t UnknownColour = 0xDADADA; // not read or edited since the section was shown

constexpr int kPageRows = 8;   // rows of the register page
constexpr int kTableRows = 10; // RowTable: the page's rows, then the port page's two

// The section whose writes are barred: its registers are read only.
constexpr std::string_view kReadOnlySection = "Device ID ";

// One register as its row shows it.
struct RowView {
    std::string Name; // short name and address: "SC 0x00"
    std::string Hint; // caption and address: "SC (Seconds) 0x00"
    uint8_t Address = 0;
    uint8_t Mask = 0;                         // bit i set: bit panel i takes clicks
    std::array<std::string, 8> BitCaptions{}; // index = bit number, bit 0 first
    std::array<std::string, 8> BitHints{};    // "0x07 bit 0 RTCF: ...", bit 0 first
};

// The rows section n of a map fills, at most eight.
struct SectionView {
    std::string Caption;
    int PageStart = 0;
    std::vector<RowView> Rows;
    bool WritesBarred = false; // the "Device ID " section
};

// Section n (from 0) of the map; nullopt when the map has no such section.
std::optional<SectionView> Section(RegisterMapRef map, int n);

// Whether row transfers may be enabled for a part (its row access) and, of
// those, the writes of a section.
bool RowReadsAllowed(const PartInfo& part, bool boardOpen);
bool RowWritesAllowed(const PartInfo& part, bool boardOpen, bool writesBarred);

// The colour of bit panel `bit` for a value.
uint32_t BitColour(uint8_t value, int bit);
// The byte a row's panels stand for: bit i is 1 exactly when panel i shows
// SetColour (grey counts as 0). colours[i] is the colour of bit i.
uint8_t BitsValue(const std::array<uint32_t, 8>& colours);
// The value with one bit inverted.
uint8_t ToggleBit(uint8_t value, int bit);

// A hex box shows HexByte; its text as a byte is ParseHexByte: an empty box
// or any other text is no value, so nothing is stored for it.
// The register address a row's name text ends with ("SC 0x00" -> 0x00).
std::optional<uint8_t> AddressFromName(std::string_view name);

// The hex boxes' key filter for a typed character: backspace passes as it is,
// a hex digit passes in upper case, anything else is dropped (nullopt).
std::optional<char> HexKey(char key);

// Sub-address length of the part's registers: 2 for TypeE, 1 otherwise.
uint8_t SubAddressLength(PartType type);
// TypeE parts need the write-enable step before a write when auto unlock is on.
bool UnlockBeforeWrite(PartType type, bool autoUnlock);

// A run of registers to move between chip and image.
struct RegisterRun {
    uint8_t Address = 0;
    uint32_t Count = 0;
};
// The section on show as one run; nullopt when no section is on show (a
// negative start or a count outside 1 to 8) or it would leave the image.
std::optional<RegisterRun> PageRun(int pageStart, int pageCount);
// The register of row k of the section on show; nullopt for a row outside it.
std::optional<uint8_t> RowRegister(int pageStart, int pageCount, int k);

// What the status bar says once a row or page transfer of count registers from
// address succeeded: " Registers 0x00-0x07 read", " Register 0x05 written".
std::string RegistersDone(uint8_t address, uint32_t count, bool written);

} // namespace RegistersCodec
