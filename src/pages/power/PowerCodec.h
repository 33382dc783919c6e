// What the Power management page needs that is no widget: its part of the
// part choice, where TypeD and TypeF keep their supply supervision, the
// VDD, battery and trickle-charger bytes both ways, and the switch-over time
// stamps as the page shows them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "PartSelection.h"
#include "StatusLayout.h"

// Base state: the family check boxes and the trickle group hidden. TypeD
// shows RESEAL, TypeF its I2CBAT, LVENB and hysteresis boxes and the trickle
// charger; both load the three supply trip lists with nothing selected and
// hide the battery switch mode controls.
extern const PageSettingsTable kPowerPageSettings;

// The trip lamps (LVDD, LBAT85, LBAT75); they keep their state when the
// board stops answering.
extern const std::array<StatusLamp, 3> kPowerLamps;

namespace PowerCodec {

std::span<const char* const> VddTripItems();
std::span<const char* const> Battery85Items();
std::span<const char* const> Battery75Items();
std::span<const char* const> TrickleItems();

// The registers of a family's supervision; nullopt for the families without
// (all but TypeD and TypeF).
struct PowerRegisters {
    uint8_t Vdd;            // CLRTS, (TypeF: I2CBAT, LVENB,) VDD trip level
    uint8_t Battery;        // RESEAL or BHYS, 85 % and 75 % trip levels
    uint8_t StampToBattery; // five bytes: first change from VDD to the battery
    uint8_t StampToSupply;  // five bytes: last change back
    std::optional<uint8_t> Trickle;
    // The register that keeps the battery switch mode in its bit 7; nullopt
    // where the part has none there (TypeF keeps its AC failure counter at 0x0A).
    std::optional<uint8_t> SwitchMode;
};
std::optional<PowerRegisters> RegistersOf(PartType type);

// ---- VDD control ----

constexpr uint8_t kClrts = 0x80;

struct VddShown {
    int Trip = 0;               // cboVDDTRIP
    bool LowPower = false;      // "Low Power " (bit 7 set), else "Standard"
    std::optional<bool> I2cBat; // TypeF
    std::optional<bool> Lvenb;  // TypeF
};
VddShown DecodeVdd(PartType type, uint8_t vdd);

struct VddChoice {
    int Trip = 0;
    bool I2cBat = false; // TypeF
    bool Lvenb = false;  // TypeF
};
// The bits the page owns are rebuilt (TypeD: 2..0; TypeF: 5, 4 and 2..0);
// every other bit, CLRTS included, stays as the chip held it.
uint8_t EncodeVdd(PartType type, uint8_t before, const VddChoice& choice);

// The switch mode register: bit 7 from the mode, every other bit as read, so
// that a VDD write never takes back the RESEAL a battery write set.
uint8_t EncodeSwitchMode(uint8_t before, bool lowPower);

// Clear Time Stamps: the VDD byte with CLRTS set, then cleared.
constexpr uint8_t WithClrts(uint8_t vdd, bool on)
{
    return static_cast<uint8_t>(on ? (vdd | kClrts) : (vdd & ~kClrts));
}

// ---- Battery control ----

struct BatteryShown {
    int Level85 = 0;   // bits 5..3
    int Level75 = 0;   // bits 2..0
    bool Bit6 = false; // RESEAL (TypeD) or BHYS (TypeF)
};
BatteryShown DecodeBattery(uint8_t battery);
// Bit 7 as read, the rest from the page.
uint8_t EncodeBattery(uint8_t before, int level85, int level75, bool bit6);

// ---- Trickle charger (TypeF) ----

struct TrickleShown {
    int Resistor = 0;     // cboTrick, bits 1..0
    bool Enabled = false; // TRKEN, bit 2
};
TrickleShown DecodeTrickle(uint8_t trickle);
// Built from the page alone; the other bits are 0.
uint8_t EncodeTrickle(int resistor, bool enabled);

// ---- Switch-over time stamps ----

// A stamp as a calendar time: seconds, minutes, hours (from the 24-hour or
// the 12-hour form, bit 7 of the hour byte telling which), day of month, and
// month counted from 0 (a month byte 0 counts as January). No year.
struct StampTime {
    int Second = 0;
    int Minute = 0;
    int Hour = 0;
    int Day = 0;
    int Month = 0;
};
StampTime DecodeStamp(const std::array<uint8_t, 5>& bytes);

// The panel texts: "%m/%d - %T" for the first stamp in the 24-hour PC time
// format, "%m/%d  - %T" for the last one, "%m/%d  - %r" for either in the
// 12-hour format (as the C locale prints them).
enum class StampPanel { First, Last };
std::string StampText(const StampTime& t, bool hour24, StampPanel panel);

// A list entry a Write may send: one of the list's own; nullopt for none
// chosen or anything else.
std::optional<int> WritableEntry(int index, std::span<const char* const> items);

} // namespace PowerCodec
