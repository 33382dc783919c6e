// The hex and number fields under fuzzing, each reached through one function
// here, so that pointing the target at another parser (one shared hex reader,
// say) is a change of one line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bus/HexField.h"
#include "clock/SetClockCodec.h"
#include "pages/memory/MemoryCodec.h"
#include "pages/port/PortCodec.h"
#include "registers/RegistersCodec.h"

namespace FuzzFields {

// The register page's hex boxes: one or two hex digits.
inline std::optional<uint8_t> RegisterByte(std::string_view text)
{
    return ParseHexByte(text);
}
inline std::string RegisterByteText(uint8_t value)
{
    return HexByte(value);
}
// A register row's name ("SC 0x00") as its address.
inline std::optional<uint8_t> RowAddress(std::string_view name)
{
    return RegistersCodec::AddressFromName(name);
}
inline std::optional<char> RegisterKey(char key)
{
    return RegistersCodec::HexKey(key);
}

// The timer page's register boxes: the register page's rule.
inline std::optional<uint8_t> TimerByte(std::string_view text)
{
    return ParseHexByte(text);
}

// The port page's boxes: hex digits up to a largest value, blanks around.
inline std::optional<uint32_t> PortNumber(std::string_view text, uint32_t max)
{
    return PortCodec::ParseHexNumber(text, max);
}
// The port page's write buffer: two hex digits a byte; nullopt is a refusal.
inline std::optional<std::vector<uint8_t>> PortWriteBytes(std::string_view text, int count)
{
    return PortCodec::WriteBytesFor(text, count).Bytes;
}

// The memory page's fill and data boxes (the first two characters) and its
// address box (one to four hex digits below the memory's size).
inline std::optional<uint8_t> MemoryByte(std::string_view text)
{
    return MemoryCodec::BoxByte(text);
}
inline std::optional<uint32_t> MemoryAddress(std::string_view text, uint32_t size)
{
    return MemoryCodec::ParseAddress(text, size);
}

// The Set Clock page's time boxes: a decimal number, 0 when none.
inline int TimeBox(std::string_view text)
{
    return TimeBoxValue(text);
}

} // namespace FuzzFields
