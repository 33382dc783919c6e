// What the Port page needs that is no widget: its (empty) part of the part
// choice, the raw bus page's transfer settings from its boxes, and the checks
// that keep a raw transfer inside its buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PartSelection.h"

// The part choice leaves the Port page as it is: no base state, no family
// blocks. It is a service page for the board and the bus, not for a part.
extern const PageSettingsTable kPortPageSettings;

namespace PortCodec {

// What a bit panel of the port rows means, after "P0 bit 3" or "PM0 bit 3".
inline constexpr const char* kLevelBitMeaning = "the pin's level, 1 High, 0 Low";
inline constexpr const char* kModeBitMeaning = "the pin's drive, 1 Push-Pull, 0 Open-Drain";

// The raw transfers' buffers.
constexpr int kReadBufferBytes = 64;
constexpr int kWriteBufferBytes = 128;

// A box's text as a hexadecimal number no larger than max: one or more hex
// digits of either case, blanks around them ignored. Anything else, an empty
// box or a larger number is no value.
std::optional<uint32_t> ParseHexNumber(std::string_view text, uint32_t max);

// The sub-address the boxes give for a length of 0 to 3: RegAddr1 is the low
// byte, RegAddr2 the next, RegAddr3 the third; boxes beyond the length do not
// count. Length 0 is no sub-address: the chip's own pointer.
uint32_t SubAddress(int length, uint8_t addr1, uint8_t addr2, uint8_t addr3);

// The texts Setup reads.
struct SetupBoxes {
    std::string Slave;               // I2C_Addr1
    std::string Addr1, Addr2, Addr3; // RegAddr1 .. RegAddr3
    std::string Count;               // Read_Qty
};

// XferSlave, XferAddress and XferCount as Setup sets them.
struct TransferSettings {
    int Slave = 0;
    int Address = 0;
    int Count = 0;
};

// Setup: the settings, or a refusal for the status bar (Settings empty) when
// the slave address, a sub-address byte in use or the count is not a hex
// number that fits. Counts are checked against the buffers by each transfer.
struct SetupResult {
    std::optional<TransferSettings> Settings;
    std::string Refusal;
};
SetupResult SetupFromBoxes(const SetupBoxes& boxes, int length);

// Write I2C: the count bytes the first 2 * count characters of Wrt_Buff
// stand for (two hex digits a byte), or a refusal: a count outside 0 to the
// write buffer, or too few hex digits for it.
struct WriteData {
    std::optional<std::vector<uint8_t>> Bytes;
    std::string Refusal;
};
WriteData WriteBytesFor(std::string_view text, int count);

// Read I2C: the refusal for a count outside 0 to the read buffer, empty when
// the read may go.
std::string ReadRefusal(int count);

// Bytes as upper-case hex, two digits each, without separators.
std::string HexBytes(std::span<const uint8_t> bytes);

} // namespace PortCodec
