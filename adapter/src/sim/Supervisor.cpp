#include "Supervisor.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace kvrx::sim {

namespace {

// The switch-over comparators.
constexpr double kBatteryHysteresis = 0.050; // VBATHYS
constexpr double kSwitchTrip = 2.2;          // VTRIP of the standard mode
constexpr double kSwitchTripHysteresis = 0.030;
constexpr double kTripHysteresis = 0.050; // BHYS: around the VDD trip level
// Below this nothing keeps running: not on the supply, not on the battery.
constexpr double kMinimumVolts = 1.8;

// Volts of each list by field value. Codes the datasheets leave undefined act
// as the highest level.
constexpr double kVddTrip[8] = {2.295, 2.550, 2.805, 3.060, 4.250, 4.675, 5.0, 5.0};
constexpr double kTrip85[8] = {2.125, 2.295, 2.550, 2.805, 3.060, 4.250, 4.675, 5.0};
constexpr double kTrip75[8] = {1.875, 2.025, 2.250, 2.475, 2.700, 3.750, 4.125, 5.0};
constexpr double kResetThreshold[8] = {4.64, 4.38, 3.09, 2.92, 2.63, 4.64, 4.64, 4.64};
constexpr uint8_t kFactoryThreshold = 3; // 2.92 V

// WD1..0: 11 off, 10 250 ms, 01 750 ms, 00 1.75 s.
constexpr double kWatchdogPeriod[4] = {1.75, 0.75, 0.25, 0.0};
constexpr uint8_t kWatchdogOff = 0x18;
// The reset output's pulse after a time-out, and its hold after VDD came
// back above the threshold.
constexpr double kResetPulse = 0.25;

// TypeE registers (two-byte sub-addresses, all below 0x100).
constexpr uint8_t kPwr = 0x14; // SBIB BSW - - - VTS2..0
constexpr uint8_t kBl = 0x10;  // BP2..0 WD1..0

// The part has the bits of mask at the register address (the bits its map names).
bool partHas(const PartInfo& part, uint8_t address, uint8_t mask)
{
    const RegMapEntry* row = FindRegister(part.RegisterMap, address);
    return row != nullptr && (NamedBits(*row) & mask) == mask;
}

} // namespace

Supervisor::Supervisor(const PartInfo& part, const FamilyTraits& family)
{
    switch (family.type) {
    case TypeD:
        vddTripBits_ = {0x09, 0x07};
        lvdd_ = family.batteryFlag; // LVDD
        break;
    case TypeF:
        mode_ = Mode::AtTrip;
        vddTripBits_ = {0x11, 0x07};
        hysteresis_ = {0x12, 0x40};
        lvdd_ = family.batteryFlag; // LVDD
        monitorOff_ = {0x11, 0x10};
        acOff_ = {0x13, 0x40};
        acFail_ = {0x09, 0x02};
        acCounter_ = 0x0A;
        break;
    case TypeE:
        legacy_ = {kPwr, 0x40};
        if (partHas(part, kPwr, 0x07)) resetThreshold_ = {kPwr, 0x07};
        if (part.HasWatchdog) watchdogBits_ = {kBl, kWatchdogOff};
        break;
    default:
        break;
    }
    batteryTripReg_ = family.batteryTripReg;
    lbat85_ = family.lowBattery85;
    lbat75_ = family.lowBattery75;
}

void Supervisor::factoryDefaults(uint8_t* regs) const
{
    if (resetThreshold_.mask)
        regs[kPwr] = static_cast<uint8_t>((regs[kPwr] & ~0x07) | kFactoryThreshold);
    if (watchdogBits_.mask) regs[kBl] |= kWatchdogOff;
}

int Supervisor::field(const uint8_t* regs, Bits bits)
{
    if (!bits.mask) return 0;
    return (regs[bits.reg] & bits.mask) >> std::countr_zero(bits.mask);
}

void Supervisor::setLevels(double supply, double battery)
{
    supply_ = supply;
    battery_ = battery;
}

bool Supervisor::batteryHolds() const
{
    return battery_ >= kMinimumVolts;
}

double Supervisor::vddTrip(const uint8_t* regs) const
{
    return kVddTrip[field(regs, vddTripBits_) & 7];
}

bool Supervisor::runsOnSupply(const uint8_t* regs, bool onSupply, bool alive) const
{
    const double v = vdd();
    if (v < kMinimumVolts) return false;
    // The first power-up comes through VDD.
    if (!alive) return true;
    Mode mode = mode_;
    if (mode == Mode::Standard && isSet(regs, legacy_)) mode = Mode::Legacy;
    switch (mode) {
    case Mode::Standard:
        if (onSupply) return !(v < battery_ - kBatteryHysteresis && v < kSwitchTrip);
        return v > battery_ + kBatteryHysteresis || v > kSwitchTrip + kSwitchTripHysteresis;
    case Mode::Legacy:
        if (onSupply) return !(v < battery_ - kBatteryHysteresis);
        return v > battery_ + kBatteryHysteresis;
    case Mode::AtTrip: {
        const double h = isSet(regs, hysteresis_) ? kTripHysteresis : 0.0;
        const double trip = vddTrip(regs);
        return onSupply ? v >= trip - h : v >= trip + h;
    }
    }
    return true;
}

void Supervisor::leavingSupply(uint8_t* regs) const
{
    if (lvdd_.mask && !isSet(regs, monitorOff_)) regs[lvdd_.reg] |= lvdd_.mask;
}

bool Supervisor::watches(uint8_t address) const
{
    for (Bits b : {legacy_, vddTripBits_, hysteresis_, lvdd_, monitorOff_, lbat85_, lbat75_,
                   resetThreshold_, watchdogBits_, acOff_, acFail_}) {
        if (b.mask && b.reg == address) return true;
    }
    return batteryTripReg_ != 0 && address == batteryTripReg_;
}

double Supervisor::watchdogPeriod(const uint8_t* regs, bool onSupply, bool alive) const
{
    // The watchdog rests on the battery.
    if (!watchdogBits_.mask || !alive || !onSupply) return 0.0;
    return kWatchdogPeriod[field(regs, watchdogBits_) & 3];
}

void Supervisor::update(uint8_t* regs, bool onSupply, bool alive)
{
    const bool running = alive && onSupply;
    if (running) {
        if (lvdd_.mask && !isSet(regs, monitorOff_) && vdd() < vddTrip(regs))
            regs[lvdd_.reg] |= lvdd_.mask;
        if (batteryTripReg_) {
            const uint8_t trip = regs[batteryTripReg_];
            if (battery_ < kTrip85[(trip >> 3) & 7] && lbat85_.mask)
                regs[lbat85_.reg] |= lbat85_.mask;
            if (battery_ < kTrip75[trip & 7] && lbat75_.mask) regs[lbat75_.reg] |= lbat75_.mask;
        }
    }

    // No mains on the board: each time the chip comes on VDD with the AC input
    // in use, the input fails and the chip goes over to its crystal.
    if (acFail_.mask) {
        if (!running || isSet(regs, acOff_)) {
            acTried_ = false;
        } else if (!acTried_) {
            acTried_ = true;
            regs[acFail_.reg] |= acFail_.mask;
            if (regs[acCounter_] < 0xFF) ++regs[acCounter_];
        }
    }

    if (resetThreshold_.mask) {
        const bool below = alive && vdd() < kResetThreshold[field(regs, resetThreshold_) & 7];
        if (belowThreshold_ && !below) holdLeft_ = kResetPulse;
        if (below) holdLeft_ = 0.0;
        belowThreshold_ = below;
    }

    const double period = watchdogPeriod(regs, onSupply, alive);
    if (period != period_) {
        // Switched on, off or to another time-out: a fresh count.
        period_ = period;
        watchdogLeft_ = period;
        if (period == 0.0) pulseLeft_ = 0.0;
    }
}

void Supervisor::busStart(const uint8_t* regs, bool onSupply, bool alive)
{
    // A start during the reset pulse has no effect.
    if (period_ == 0.0 || pulseLeft_ > 0.0) return;
    if (watchdogPeriod(regs, onSupply, alive) == 0.0) return;
    watchdogLeft_ = period_;
}

void Supervisor::advance(double seconds, const uint8_t* regs, bool onSupply, bool alive)
{
    if (!(seconds > 0.0)) return;
    holdLeft_ = std::max(0.0, holdLeft_ - seconds);
    if (period_ == 0.0 || watchdogPeriod(regs, onSupply, alive) == 0.0) return;
    double t = seconds;
    if (pulseLeft_ > 0.0) {
        const double used = std::min(t, pulseLeft_);
        pulseLeft_ -= used;
        t -= used;
        if (pulseLeft_ > 0.0) return;
        pulseLeft_ = 0.0;
        watchdogLeft_ = period_; // the count starts again after the pulse
    }
    if (t < watchdogLeft_) {
        watchdogLeft_ -= t;
        return;
    }
    // Time-outs from here on, one every period and pulse, while nobody
    // starts a transfer.
    t = std::fmod(t - watchdogLeft_, period_ + kResetPulse);
    if (t < kResetPulse) {
        pulseLeft_ = kResetPulse - t;
    } else {
        pulseLeft_ = 0.0;
        watchdogLeft_ = period_ - (t - kResetPulse);
    }
}

bool Supervisor::resetLow(bool alive) const
{
    if (!alive) return false;
    return belowThreshold_ || holdLeft_ > 0.0 || pulseLeft_ > 0.0;
}

} // namespace kvrx::sim
