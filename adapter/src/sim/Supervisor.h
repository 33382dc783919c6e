// The supply supervision of one chip: which source it runs on at the board's
// supply and battery levels, the brown-out and low-battery flags, the TypeE
// reset output with its threshold (VTS) and watchdog, and the VK370 AC mains
// input on a board that has no mains. The chip model owns one and asks it;
// the supervisor keeps its own state and works on the chip's register file.
//
// Switch-over, as the families' datasheets describe it:
// - standard mode (TypeD, TypeE with BSW clear, and the families without
//   supervision registers): to the battery when VDD < VBAT - 50 mV and
//   VDD < 2.2 V; back when VDD > VBAT + 50 mV or VDD > 2.23 V;
// - legacy mode (TypeE with BSW set): to the battery when VDD < VBAT - 50 mV,
//   back when VDD > VBAT + 50 mV;
// - TypeF: at the VDD trip level, 50 mV below and above it when BHYS is set.
// Nothing runs on a supply below 1.8 V, and a battery below 1.8 V keeps no
// clock. A chip that has never had power comes up on VDD first.
#pragma once

#include <cstdint>

#include "FamilyTraits.h"
#include "PartTable.h"

namespace kvrx::sim {

inline constexpr double kDefaultSupplyVolts = 3.3;
inline constexpr double kDefaultBatteryVolts = 3.0;

class Supervisor {
  public:
    Supervisor(const PartInfo& part, const FamilyTraits& family);

    // Factory contents of the supervisor bits a part keeps in nonvolatile
    // cells: watchdog off, reset threshold 2.92 V.
    void factoryDefaults(uint8_t* regs) const;

    // The board's levels (the supply as it is while switched on) and switch.
    void setLevels(double supply, double battery);
    void setSwitch(bool on) { switchOn_ = on; }
    double battery() const { return battery_; }
    // The battery can keep the clock.
    bool batteryHolds() const;

    // Whether the chip runs on VDD now, given where it runs (onSupply) and
    // whether it has any power at all (alive).
    bool runsOnSupply(const uint8_t* regs, bool onSupply, bool alive) const;
    // The supply flag owned here (LVDD of TypeD and TypeF): the chip model
    // leaves it alone.
    bool ownsLowVddFlag() const { return lvdd_.mask != 0; }
    // The chip leaves VDD: on its way down VDD passed the trip level.
    void leavingSupply(uint8_t* regs) const;
    // Flags and outputs after anything changed: LVDD, LBAT85 and LBAT75 (set
    // while their level is undercut, cleared only by a written 0), the AC
    // failure of VK370, the reset threshold and the watchdog's time-out.
    void update(uint8_t* regs, bool onSupply, bool alive);
    // A register whose value the source decision or the flags depend on.
    bool watches(uint8_t address) const;

    // A start condition on the bus restarts the watchdog.
    void busStart(const uint8_t* regs, bool onSupply, bool alive);
    // True time passing for the watchdog and the reset pulses.
    void advance(double seconds, const uint8_t* regs, bool onSupply, bool alive);
    // The reset output pulls its pin low: VDD below the threshold (and 250 ms
    // after it came back), or a watchdog time-out's 250 ms pulse.
    bool resetLow(bool alive) const;

  private:
    using Bits = RegBit;
    static bool isSet(const uint8_t* regs, Bits bit)
    {
        return bit.mask && (regs[bit.reg] & bit.mask);
    }
    // The value of a field of bits (0 when the part has none).
    static int field(const uint8_t* regs, Bits bits);

    double vdd() const { return switchOn_ ? supply_ : 0.0; }
    double vddTrip(const uint8_t* regs) const;
    double watchdogPeriod(const uint8_t* regs, bool onSupply, bool alive) const;

    enum class Mode : uint8_t { Standard, Legacy, AtTrip };
    Mode mode_ = Mode::Standard;
    Bits legacy_{};      // BSW (TypeE)
    Bits vddTripBits_{}; // VDD trip level (TypeD, TypeF)
    Bits hysteresis_{};  // BHYS (TypeF)
    Bits lvdd_{};        // LVDD flag
    Bits monitorOff_{};  // LVENB (TypeF)
    uint8_t batteryTripReg_ = 0;
    Bits lbat85_{}, lbat75_{};
    Bits resetThreshold_{};   // VTS2..0 (TypeE parts with a reset output)
    Bits watchdogBits_{};     // WD1..0 (TypeE parts with a watchdog)
    Bits acOff_{}, acFail_{}; // ACENB, ACFAIL (VK370)
    uint8_t acCounter_ = 0;

    double supply_ = kDefaultSupplyVolts;
    double battery_ = kDefaultBatteryVolts;
    bool switchOn_ = false;

    bool acTried_ = false; // the AC input was tried since the chip came on VDD
    bool belowThreshold_ = false;
    double holdLeft_ = 0.0; // the reset held after VDD came back above VTS
    double period_ = 0.0;   // the watchdog's time-out; 0 while it is off
    double watchdogLeft_ = 0.0;
    double pulseLeft_ = 0.0; // a time-out's reset pulse
};

} // namespace kvrx::sim
