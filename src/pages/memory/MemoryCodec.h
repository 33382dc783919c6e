// What the memory page needs that is no widget: its part of the part choice,
// the grid's layout, the fill patterns of Write All, the byte a grid cell
// stands for and the block-protect bits.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "PartSelection.h"

// No base state; TypeE shows the block-protect controls and loads their list,
// TypeD and TypeF (SRAM) hide them.
extern const PageSettingsTable kMemoryPageSettings;

namespace MemoryCodec {

// What the part choice sets in the page for a family: the sub-address length
// of the memory transfers (2 for the EEPROM parts, 1 for every other), the
// index of the last 16-byte line (none: left as it was), and the grid cell
// selected (row and column 2 for every part).
struct PartShape {
    int AddressLength = 1;
    std::optional<int> LastLine;
    int GridRow = 2;
    int GridColumn = 2;
};
PartShape PartShapeFor(PartType type);

constexpr uint8_t kMemSlave = 0xAE;
constexpr int kLineBytes = 16;
constexpr int kGridColumns = 18; // AStart, sixteen bytes, AEnd

// Rows of the grid: the header row and one per line (0 to lastLine).
int GridRows(int lastLine);
// Bytes of user memory shown by a grid of lastLine + 1 lines.
uint32_t MemorySize(int lastLine);

// Fixed text of a cell: the header row and the two address columns. Data
// cells (rows from 1, columns 1 to 16) have none and give "".
std::string CellText(int row, int column);

// The byte a cell stands for, as the design computes it (row x 16 + column -
// 17, so the address columns name the byte just outside their line); nullopt
// when that is outside a memory of `size` bytes.
std::optional<uint32_t> CellAddress(int row, int column, uint32_t size);
// The data cell showing a byte: {row, column}.
std::array<int, 2> CellOf(uint32_t address);

// Four upper-case hex digits.
std::string Hex4(uint32_t value);
// Two upper-case hex digits.
std::string Hex2(uint8_t value);
// A fill or data box: its first two characters as hex digits ("5", "5A",
// "5A7" -> 0x5A). nullopt when they are not hex digits or the box is empty.
std::optional<uint8_t> BoxByte(std::string_view text);
// An address box: one to four hex digits below size.
std::optional<uint32_t> ParseAddress(std::string_view text, uint32_t size);

enum class Fill : uint8_t { DataIsAddress, Explicit1, Explicit2, Checkerboard };
struct FillValues {
    uint8_t Explicit1 = 0x00;
    uint8_t Explicit2 = 0xFF;
    uint8_t Even = 0x55; // checkerboard, even addresses
    uint8_t Odd = 0xAA;  // checkerboard, odd addresses
};
// The sixteen bytes of the line starting at lineAddress.
std::array<uint8_t, kLineBytes> FillLine(Fill fill, const FillValues& values, uint32_t lineAddress);

// Block protection: bits 7..5 of register 0x10 (TypeE).
constexpr uint8_t kProtectRegister = 0x10;
int ProtectLevel(uint8_t reg);
uint8_t WithProtectLevel(uint8_t reg, int level);

// How long Write All waits for the memory to answer again after a line:
// well beyond the 5 ms write cycle of the parts, so only a memory that
// stopped answering ends it.
constexpr int kAckTimeoutMs = 50;

// The EEPROM's longest write cycle, which starts once a line's last byte is
// on the wire. The next line's first try starts when that cycle is over: a
// write cycle after the line's start plus the line's own wire time (what the
// line took beyond a refused try, which carries the same bridge latency), so
// no try is spent on a memory that cannot answer yet, whatever the bridge.
constexpr int64_t kWriteCycleNs = 5'000'000;
constexpr int64_t kFirstTryMarginNs = 20'000;
// Nanoseconds still to wait; 0 to try at once (also while no try has been
// refused yet, so there is no cost to go by).
int64_t FirstTryDelayNs(int64_t sinceLineStartNs, int64_t lineCostNs, int64_t tryCostNs);

} // namespace MemoryCodec
