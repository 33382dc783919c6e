#include "pages/port/PortCodec.h"

#include <cstdio>

#include "bus/HexField.h"

const PageSettingsTable kPortPageSettings = {};

namespace PortCodec {

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A count as the boxes write it: "0x" and at least two upper-case hex digits.
std::string HexCount(int count)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(count));
    return text;
}

} // namespace

std::optional<uint32_t> ParseHexNumber(std::string_view text, uint32_t max)
{
    return ParseHexField(Trimmed(text), kAnyDigits, max);
}

uint32_t SubAddress(int length, uint8_t addr1, uint8_t addr2, uint8_t addr3)
{
    uint32_t address = 0;
    if (length > 2) address += static_cast<uint32_t>(addr3) << 16;
    if (length > 1) address += static_cast<uint32_t>(addr2) << 8;
    if (length > 0) address += addr1;
    return address;
}

SetupResult SetupFromBoxes(const SetupBoxes& boxes, int length)
{
    SetupResult result;
    const std::optional<uint32_t> slave = ParseHexNumber(boxes.Slave, 0xFF);
    if (!slave) {
        result.Refusal = "Setup refused: ADR 0x must be a slave address of 00 to FF (hex)";
        return result;
    }
    const std::string* subBoxes[] = {&boxes.Addr1, &boxes.Addr2, &boxes.Addr3};
    uint8_t sub[3] = {};
    // Only the boxes of the chosen length are read; the others are hidden.
    for (int i = 0; i < length && i < 3; ++i) {
        const std::optional<uint32_t> byte = ParseHexNumber(*subBoxes[i], 0xFF);
        if (!byte) {
            result.Refusal = "Setup refused: sub-address byte " + std::to_string(i + 1) +
                             " must be 00 to FF (hex)";
            return result;
        }
        sub[i] = static_cast<uint8_t>(*byte);
    }
    const std::optional<uint32_t> count = ParseHexNumber(boxes.Count, 0xFFFF);
    if (!count) {
        result.Refusal = "Setup refused: Rd / Wrt Byte Qty must be a byte count in hex";
        return result;
    }
    result.Settings = TransferSettings{static_cast<int>(*slave),
                                       static_cast<int>(SubAddress(length, sub[0], sub[1], sub[2])),
                                       static_cast<int>(*count)};
    return result;
}

WriteData WriteBytesFor(std::string_view text, int count)
{
    WriteData data;
    if (count < 0 || count > kWriteBufferBytes) {
        data.Refusal = "Write I2C refused: " + HexCount(count) + " bytes asked, at most " +
                       HexCount(kWriteBufferBytes) + " (" + std::to_string(kWriteBufferBytes) +
                       ") fit the write buffer; nothing was sent";
        return data;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        const int high = 2 * i < text.size() ? HexDigitValue(text[2 * i]) : -1;
        const int low = 2 * i + 1 < text.size() ? HexDigitValue(text[2 * i + 1]) : -1;
        if (high < 0 || low < 0) {
            data.Refusal = "Write I2C refused: " + HexCount(count) + " bytes need " +
                           std::to_string(2 * count) + " hex digits in Wrt_Buff, but byte " +
                           std::to_string(i + 1) + " is not two hex digits; nothing was sent";
            return data;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    data.Bytes = std::move(bytes);
    return data;
}

std::string ReadRefusal(int count)
{
    if (count >= 0 && count <= kReadBufferBytes) return std::string();
    return "Read I2C refused: " + HexCount(count) + " bytes asked, at most " +
           HexCount(kReadBufferBytes) + " (" + std::to_string(kReadBufferBytes) +
           ") fit the read buffer; nothing was sent";
}

std::string HexBytes(std::span<const uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

} // namespace PortCodec
