// What sets one chip family apart, as data: where its time registers are and
// how they count, its status flags, its write protection, its alarms, its
// trims and its user memory. The chip model reads these tables; the register
// maps of the part catalogue supply the rest from their fields: which
// addresses exist, which bits they keep and have, and each register's access
// (read-write, read-only, write-only or set at the factory). Captions and
// names are for the user; the chip never reads them.
#pragma once

#include <array>
#include <cstdint>

#include "Calendar.h"
#include "DaylightSaving.h"
#include "PartTable.h"
#include "UserMemory.h"

namespace kvrx::sim {

// One or more bits of one register; mask 0 means the family has no such bit.
struct RegBit {
    uint8_t reg = 0;
    uint8_t mask = 0;
    constexpr bool present() const { return mask != 0; }
};

enum class Guard : uint8_t {
    None,    // time registers always writable
    WrtcBit, // time registers writable while the WRTC bit is set
    WelRwel, // every register but the status register needs WEL then RWEL first
};

// A register whose flag bits the chip sets; a write of 0 clears a flag, a
// write of 1 leaves it. `control` bits are stored as written.
struct StatusReg {
    uint8_t reg = 0;
    uint8_t flags = 0;
    uint8_t control = 0;
};

enum class AlarmField : uint8_t { None, Sec, Min, Hour, Date, Month, Weekday, DayOrDate };

enum class AlarmHour : uint8_t {
    ClockForm, // 12 or 24-hour as the clock's hour register is
    Own24Bit6, // bit 6 of the alarm hour set: 24-hour
    Own12Bit6, // bit 6 of the alarm hour set: 12-hour
};

struct AlarmTraits {
    uint8_t base = 0;
    std::array<AlarmField, 8> fields{}; // the field at each offset from base
    bool bit7Masks = false;             // bit 7 of a field: 1 = not compared (else 1 = compared)
    AlarmHour hour = AlarmHour::ClockForm;
    RegBit enable{}; // absent: armed when a field is compared, or always (armedAlways)
    bool armedAlways = false;
    RegBit flag{};
    RegBit irqEnable{};    // absent: the enable bit drives the output
    bool onMinute = false; // no seconds field: matches at second 0
    bool onPin = true;     // the alarm reaches an output pin at all
};

// Entries of a frequency output's rate list besides rates in Hz.
inline constexpr double kRateIrq = 0.0;    // no square wave: the pin serves the interrupts
inline constexpr double kRateLow = -1.0;   // the pin driven low
inline constexpr double kRateHigh = -2.0;  // the pin released
inline constexpr double kRateMains = -3.0; // 50 or 60 Hz, as the mains setting says

// How the interrupt and frequency outputs reach port pin 0 (and pin 1).
enum class PinWiring : uint8_t {
    None,       // no output pin
    IrqOrWave,  // one IRQ/FOUT pin: the interrupts in the rate list's kRateIrq entry or with
                // irqSelect set, else the square wave
    IrqAndWave, // an interrupt output and a frequency output on one net: low while either is
    OutFt,      // OUT drives the pin while FT is clear; FT puts out the 512 Hz test wave
    TwoPinInt,  // IRQ1/FOUT on pin 0 and IRQ2 on pin 1; irqSelect (INTCN) set: alarm 2 on
                // pin 0 and alarm 1 on pin 1; clear: the wave on pin 0, both alarms on pin 1
    TwoPinTimer // IRQ1/FOUT on pin 0: the alarm with irqSelect (IRQ1E) set, else the wave;
                // IRQ2 on pin 1: the timer with irq2Timer (IRQ2E) set, else the alarm
};

struct OutputTraits {
    PinWiring wiring = PinWiring::None;
    RegBit rate{};                  // the rate code field
    std::array<double, 16> rates{}; // by code: Hz, or one of the kRate entries
    RegBit irqSelect{};
    RegBit irq2Timer{};
    RegBit offOnBattery{}; // FOBATB: both pins released while on the battery
    RegBit pulseMode{};    // IM: an alarm pulls the pin for 250 ms at each match, not until cleared
    RegBit mains60{};      // the mains rate is 60 Hz with this set, else 50 Hz
};

// A countdown timer (TypeK): TMRC holds TIM (bit 7, periodic), TMRE (bit 6),
// TMOD (bits 5..4) and TCLK (bits 1..0).
struct TimerTraits {
    uint8_t control = 0; // 0: no timer
    uint8_t initial = 0; // TDAT
    uint8_t value = 0;   // TVAL, read only
    uint8_t sub = 0;     // TSUB, write only
    RegBit flag{};       // TMR
};

enum class AnalogTrim : uint8_t {
    None,
    Signed6,        // bits 5..0: 12.50 pF + 0.25 pF x signed field
    Signed6Battery, // as Signed6, plus bits 7..6 (BMATR) added in battery mode
    Initial,        // bits 5..0: 4.50 pF + 0.25 pF x field; bits 7..6 a digital step
};

enum class DigitalTrim : uint8_t {
    None,
    Steps20, // bit 2 sign, bits 1..0 x 20 ppm
    StepsE,  // bit 2 sign, bit 1 10 ppm, bit 0 20 ppm
    Steps10, // bit 3 sign, bits 2..0 x 10 ppm, 7 counts as 0
    Fine6,   // bit 5 set: + 4.069 ppm steps, clear: - 2.035 ppm steps, bits 4..0
    Initial, // bits 7..6 of the analog trim register: 0, +32, 0, -32 ppm
};

// Registers whose value the chip works out when read.
enum class Computed : uint8_t {
    None,
    SubSecHundredths, // BCD hundredths of the current second
    SubSecTenths,     // BCD tenths of the current second
    FinalAnalogTrim,
    FinalDigitalTrim,
    KelvinLow, // temperature in half kelvin, low byte
    KelvinHigh,
    NetPpmLow, // the final trims' correction in half ppm, low byte
    NetPpmHigh,
};

struct ComputedReg {
    uint8_t reg = 0;
    Computed what = Computed::None;
};

// A register bit that reads and clears another register's flag.
struct AliasReg {
    uint8_t reg = 0;
    uint8_t target = 0;
    uint8_t mask = 0;
};

struct ResetValue {
    uint8_t reg = 0;
    uint8_t value = 0;
};

struct FamilyTraits {
    PartType type = TypeNone;
    int addressBytes = 1; // register sub-address length

    // Time registers in address order from time.base; timeMask holds the
    // bits each keeps (count bits, 12/24-hour bit, control and flag bits).
    TimeLayout time{};
    uint8_t timeCount = 7;
    std::array<uint8_t, 8> timeMask{};

    Guard guard = Guard::None;
    RegBit wrtc{}; // WrtcBit: the enable bit; WelRwel: the status register, WEL|RWEL
    std::array<StatusReg, 2> status{};
    RegBit powerFail{};       // set at a power-up without time kept; cleared by a time write
    RegBit oscStop{};         // oscillator-stop flag, set when the oscillator started from dead
    RegBit batteryFlag{};     // set when the supply returns after a battery period
    RegBit batteryModeFlag{}; // set on switching to the battery
    RegBit lowBattery85{}, lowBattery75{};
    uint8_t batteryTripReg = 0; // bits 5..3: 85 % level, bits 2..0: 75 % level
    RegBit autoReset{};         // ARST: a status read clears autoResetClears
    uint8_t autoResetStatus = 0;
    uint8_t autoResetClears = 0;
    std::array<RegBit, 2> haltBits{}; // any set stops the oscillator
    bool haltSetsOscStop = false;     // a stopped oscillator raises oscStop
    RegBit reseal{};                  // disconnects the battery at the next supply loss
    RegBit i2cInBattery{};            // the bus answers on the battery
    uint8_t stampToBattery = 0, stampToSupply = 0; // 5-byte switch-over stamps (0: none)
    RegBit stampClear{};

    std::array<AlarmTraits, 2> alarms{};
    uint8_t alarmCount = 0;
    OutputTraits output{};
    RegBit outLevel{}, freqTest{}; // OutFt wiring: OUT drives the pin while FT is clear
    TimerTraits timer{};

    AnalogTrim analog = AnalogTrim::None;
    uint8_t analogReg = 0;
    DigitalTrim digital = DigitalTrim::None;
    uint8_t digitalReg = 0;

    UserMemory::Kind memory = UserMemory::Kind::None;
    RegBit blockProtect{}; // BP2..BP0

    std::array<ComputedReg, 6> computed{};
    AliasReg alias{};
    std::array<ResetValue, 2> resets{};
    // Registers kept without power (the TypeE nonvolatile block), inclusive.
    uint8_t keptFirst = 1, keptLast = 0;
    DstTraits dst{}; // daylight saving changes (DaylightSaving.h)
    // The chip measures its temperature and trims itself (TempComp).
    bool tempCompensation = false;
};

// The family of a type code, or nullptr for TypeNone.
const FamilyTraits* familyTraits(PartType type);

} // namespace kvrx::sim
