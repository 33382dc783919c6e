// What the temperature compensation page (TypeD: VK350, VK352, VK354) needs
// that is no widget: its part of the part choice, the compensation registers
// and their fields both ways, the battery-mode sensing text, the final digital
// trim texts and the Celsius text of the Kelvin registers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "PartSelection.h"
#include "bus/HexField.h"

// Base state: the read-only group captions, ALPHA HOT, XTO and NPPM hidden,
// the TSE warning hidden. TypeD shows them and loads the lists (item 0
// selected); TypeF loads the initial digital trim list and selects item 0 in
// four lists, though it does not show the page.
extern const PageSettingsTable kTempCompPageSettings;

namespace TempCompCodec {

// ---- Registers (one-byte sub-addresses at the part's RTC address) ----

constexpr uint8_t kItrRegister = 0x0B;      // IDTR1..0, IATR5..0
constexpr uint8_t kAlphaRegister = 0x0C;    // ALPHA
constexpr uint8_t kBetaRegister = 0x0D;     // TSE, BTSE, BTSR, BETA4..0
constexpr uint8_t kFatrRegister = 0x0E;     // final analog trim (read only)
constexpr uint8_t kFdtrRegister = 0x0F;     // final digital trim (read only)
constexpr uint8_t kKelvinRegister = 0x28;   // temperature in half kelvin: low, high
constexpr uint8_t kNppmRegister = 0x2A;     // net ppm correction: low, high
constexpr uint8_t kXtoRegister = 0x2C;      // crystal turnover temperature
constexpr uint8_t kAlphaHotRegister = 0x2D; // ALPHA HOT

// Runs the buttons move: 0x0B to 0x0F, 0x2A to 0x2D, 0x2C and 0x2D, 0x28 and 0x29.
constexpr uint32_t kCompCount = 5;
constexpr uint32_t kUpperCount = 4;
constexpr uint32_t kXtoCount = 2;
constexpr uint32_t kKelvinCount = 2;

constexpr uint8_t kTse = 0x80;  // temperature sense enable; a write with it set takes a reading
constexpr uint8_t kBtse = 0x40; // sensing in battery mode
constexpr uint8_t kBtsr = 0x20; // battery-mode period: 1 minute set, 10 minutes clear
constexpr uint8_t kBetaMask = 0x1F;

// ---- The sensing bits of BETA ----

struct SenseMode {
    bool Tse = false;
    bool Btse = false;
    bool Btsr = false;
};
SenseMode DecodeSenseMode(uint8_t beta);
// BETA4..0 of `beta` with the three bits of `mode`.
uint8_t EncodeSenseMode(uint8_t beta, const SenseMode& mode);

// "1 Minute", "10 Minute" or "Off": how often the chip senses on the battery.
const char* BatterySenseText(const SenseMode& mode);

// ---- The compensation registers as the lists show them ----

struct CompSetup {
    int Idtr = 0;     // cboIDTR, IDTR1..0
    int Iatr = 0;     // cboIATR, IATR5..0
    int Alpha = 0;    // cboALPHA, 0x0C
    int Beta = 0;     // cboBETA, BETA4..0
    int Xto = 0;      // cboXTO, XTO4..0
    int AlphaHot = 0; // cboALPHAHOT, 0x2D
};

// The list entries of 0x0B, 0x0C and 0x0D, and of 0x2C and 0x2D.
void DecodeComp(uint8_t itr, uint8_t alpha, uint8_t beta, CompSetup& setup);
void DecodeUpper(uint8_t xto, uint8_t alphaHot, CompSetup& setup);

// The bytes Write Comp Regs sends: ITR, ALPHA and BETA with the sensing bits,
// then XTO and ALPHA HOT.
struct CompBytes {
    uint8_t Itr = 0;
    uint8_t Alpha = 0;
    uint8_t Beta = 0;
    uint8_t Xto = 0;
    uint8_t AlphaHot = 0;
};
CompBytes EncodeComp(const CompSetup& setup, const SenseMode& mode);

// ---- Texts ----

// Four upper-case hexadecimal digits (two are HexByte).
std::string HexWord(uint16_t value);

// The final digital trim as ppm, from FDTR4..0 (bits 7..5 are not looked at).
std::string FinalDigitalTrimText(uint8_t fdtr);

// The Kelvin registers as degrees Celsius: (high x 256 + low) / 2 - 273, with
// two decimals and "*C " after them ("24.00*C ").
double KelvinCelsius(uint8_t low, uint8_t high);
std::string KelvinCelsiusText(uint8_t low, uint8_t high);

// ---- Lists and captions ----

// The fixed initial analog trim list: "+32" down to "-31", by IATR.
std::span<const char* const> IatrItems();
// The initial digital trim list.
std::span<const char* const> IdtrItems();
// "00" to "FF" (256) and "00" to "1F" (32).
std::span<const char* const> HexItems256();
std::span<const char* const> HexItems32();

// The two group captions a part gets beyond the base state (VK350 drops "Read
// Only"); nullopt for the parts that keep the base captions.
struct GroupCaptions {
    const char* Initial;      // GroupBox40
    const char* Coefficients; // GroupBox41
};
std::optional<GroupCaptions> GroupCaptionsOfPart(std::string_view partName);

// The part whose compensation registers must not be written while it senses:
// its TSE box shows the warning and locks Write Comp Regs.
bool TseLocksCompWrite(std::string_view partName);

} // namespace TempCompCodec
