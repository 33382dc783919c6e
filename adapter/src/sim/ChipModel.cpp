#include "ChipModel.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "kvrx_usb.h"

namespace kvrx::sim {

namespace {

// The latches of the TypeE status register.
constexpr uint8_t kWel = 0x02;
constexpr uint8_t kRwel = 0x04;

// Crystal model. A 32.768 kHz tuning fork crystal pulled by its load
// capacitance C (motional C1 = 2 fF, shunt C0 = 1 pF):
//     f error (ppm) = 1e6 * C1 / (2 * (C0 + C)),
// taken relative to the nominal 12.5 pF load, so the analog trims span about
// +108 ppm (4.5 pF) to -27 ppm (20.25 pF). The parabolic temperature term of
// -0.034 ppm per degree squared turns at 25 degrees. Digital trims add their
// listed correction directly. A positive error makes the clock run fast.
constexpr double kMotionalPf = 0.002;
constexpr double kShuntPf = 1.0;
constexpr double kNominalLoadPf = 12.5;
constexpr double kTempCoeffPpm = -0.034;
constexpr double kTurnoverC = 25.0;
constexpr double kOwnPpmSpan = 4.0; // own error drawn from -4 .. +4 ppm
// Sums of decimal fractions of a second (ten advances of 0.1 s) fall a hair
// short of the whole second they make; the counter takes them as whole.
constexpr double kPhaseSlack = 1e-9;

// An alarm in the pulse mode (IM) pulls its pin for this long after the match.
constexpr double kPulseSeconds = 0.25;
// Square waves up to this rate follow simulated time on the port; faster ones
// change far quicker than a port read (about a millisecond over USB) and read
// as a steady low level.
constexpr double kVisibleRateHz = 64.0;
// The test frequency of the OUT/FT pin.
constexpr double kFreqTestHz = 512.0;

// TMRC of the countdown timer.
constexpr uint8_t kTim = 0x80;  // periodic
constexpr uint8_t kTmre = 0x40; // enable
enum TimerMode : int { CountDown = 0, SecondaryAlarm = 1, Watchdog = 2, PowerFailCountUp = 3 };
// TCLK: the counting clock and the finer clock of the sub-count, in Hz.
struct TimerClock {
    double count;
    double sub;
};
constexpr TimerClock kTimerClocks[4] = {{100.0, 4096.0},             // "100Hz/4kHz"
                                        {1.0, 100.0},                // "1Sec/100Hz"
                                        {1.0 / 60.0, 1.0},           // "1Min/1Sec"
                                        {1.0 / 3600.0, 1.0 / 60.0}}; // "1hr/1min"

// The value of a BCD byte when both digits are decimal and it lies in
// [low, high], else -1.
int bcdInRange(uint8_t bcd, int low, int high)
{
    if ((bcd & 0x0F) > 9 || (bcd >> 4) > 9) return -1;
    const int value = fromBcd(bcd);
    return value >= low && value <= high ? value : -1;
}

double pullingPpm(double loadPf)
{
    return 1e6 * kMotionalPf / (2.0 * (kShuntPf + loadPf));
}

uint64_t splitMix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double signed6(uint8_t field)
{
    return field >= 32 ? field - 64.0 : field;
}

double digitalTrimPpm(DigitalTrim kind, uint8_t reg)
{
    switch (kind) {
    case DigitalTrim::None:
        break;
    case DigitalTrim::Steps20: {
        const double ppm = (reg & 0x03) * 20.0;
        return (reg & 0x04) ? -ppm : ppm;
    }
    case DigitalTrim::StepsE: {
        const double ppm = ((reg & 0x02) ? 10.0 : 0.0) + ((reg & 0x01) ? 20.0 : 0.0);
        return (reg & 0x04) ? -ppm : ppm;
    }
    case DigitalTrim::Steps10: {
        const int steps = reg & 0x07;
        const double ppm = steps == 7 ? 0.0 : steps * 10.0;
        return (reg & 0x08) ? -ppm : ppm;
    }
    case DigitalTrim::Fine6: {
        const int steps = reg & 0x1F;
        return (reg & 0x20) ? steps * 1e6 / 245760.0 : -steps * 1e6 / 491520.0;
    }
    case DigitalTrim::Initial: {
        static constexpr double kIdtr[4] = {0.0, 32.0, 0.0, -32.0};
        return kIdtr[(reg >> 6) & 0x03];
    }
    }
    return 0.0;
}

} // namespace

ChipModel::ChipModel(const PartInfo& part, const FamilyTraits& family, uint32_t seed)
    : family_(family), rtcAddress_(part.RtcAddress & 0xFE), memAddress_(0),
      hasBattery_(part.HasBatteryBackup != 0),
      hasPin_(part.HasIrqOutput != 0 || part.HasFreqOut != 0), supervisor_(part, family),
      events_(part, family.time)
{
    if (family.memory == UserMemory::Kind::Eeprom && part.EepromBytes) {
        memory_ = UserMemory(UserMemory::Kind::Eeprom, part.EepromBytes, 16, 2);
    } else if (family.memory == UserMemory::Kind::Sram && part.SramBytes) {
        memory_ = UserMemory(UserMemory::Kind::Sram, part.SramBytes, 0, 1);
    }
    if (memory_.present()) memAddress_ = part.MemAddress & 0xFE;

    const uint64_t h = splitMix(seed);
    ownPpm_ = ((h & 0xFFFF) / 65535.0 * 2.0 - 1.0) * kOwnPpmSpan;

    buildRegisterFile(part);
    if (family.tempCompensation) tempComp_.emplace(regs_);

    // Factory-set identity bytes, where the map has them.
    uint64_t id = h;
    for (const char* c = part.PartName; c && *c; ++c)
        id = splitMix(id ^ static_cast<uint8_t>(*c));
    for (uint8_t a : identity_) {
        regs_[a] = static_cast<uint8_t>(id);
        id = (id >> 8) | (id << 56);
    }
    supervisor_.factoryDefaults(regs_.data());
}

void ChipModel::buildRegisterFile(const PartInfo& part)
{
    used_.fill(0xFF); // a register of the family's own that the map leaves out keeps all
    // What the map gives: the addresses, the bits each stores (its mask) and has (the named
    // ones), and each one's access. Captions, and what a name says, only tell the user.
    for (const RegMapEntry* e = part.RegisterMap; e; ++e) {
        if (e->Kind == RegKind::SectionHeader) continue;
        if (e->Kind != RegKind::RegisterRow) break;
        const uint8_t a = e->Address;
        keep_[a] = e->Mask;
        used_[a] = NamedBits(*e);
        spaceEnd_ = std::max<uint32_t>(spaceEnd_, a + 1u);
        switch (e->Access) {
        case RegAccess::ReadWrite:
            kind_[a] = Kind::Plain;
            break;
        case RegAccess::ReadOnly:
            kind_[a] = Kind::ReadOnly;
            break;
        case RegAccess::WriteOnly:
            kind_[a] = Kind::WriteOnly;
            break;
        case RegAccess::FactorySet:
            kind_[a] = Kind::ReadOnly;
            identity_.push_back(a);
            break;
        }
    }

    // The family's own view of its time, status and worked-out registers.
    for (int i = 0; i < family_.timeCount; ++i) {
        const uint8_t a = static_cast<uint8_t>(family_.time.base + i);
        kind_[a] = Kind::Plain;
        keep_[a] = family_.timeMask[i];
    }
    for (const StatusReg& s : family_.status) {
        if (!s.flags) continue;
        kind_[s.reg] = Kind::Plain;
        // A flag inside a time register adds to its bits; a status register holds just these.
        keep_[s.reg] = isTimeRegister(s.reg) ? static_cast<uint8_t>(keep_[s.reg] | s.flags)
                                             : static_cast<uint8_t>(s.flags | s.control);
        flags_[s.reg] = s.flags;
        clearable_[s.reg] = s.flags;
    }
    // The power-fail flag goes only with a time write.
    if (family_.powerFail.present())
        clearable_[family_.powerFail.reg] &= static_cast<uint8_t>(~family_.powerFail.mask);
    // DSTADJ records the change in force; only the chip changes it.
    if (family_.dst.present())
        clearable_[family_.dst.flagReg] &= static_cast<uint8_t>(~family_.dst.flagMask);
    for (const ComputedReg& c : family_.computed) {
        if (c.what == Computed::None) continue;
        kind_[c.reg] = Kind::Computed;
        computed_[c.reg] = c.what;
    }
    if (family_.alias.mask) kind_[family_.alias.reg] = Kind::Alias;
}

// The counter runs from the last register of the map back to 0, as the
// chips' own counters do; an address beyond the map (reads 0, takes no
// write) counts on to the end of the sub-address width.
uint32_t ChipModel::nextAddress(uint32_t address) const
{
    if (address + 1 == spaceEnd_) return 0;
    return (address + 1) & (family_.addressBytes == 2 ? 0xFFFFu : 0xFFu);
}

bool ChipModel::isTimeRegister(uint32_t address) const
{
    return address >= family_.time.base && address < family_.time.base + family_.timeCount;
}

bool ChipModel::isMemory(uint8_t slave) const
{
    return memory_.present() && (slave & 0xFE) == memAddress_;
}

bool ChipModel::isSet(RegBit bit) const
{
    return bit.present() && (regs_[bit.reg] & bit.mask);
}

void ChipModel::setFlag(RegBit bit)
{
    if (bit.present()) regs_[bit.reg] |= bit.mask;
}

void ChipModel::clearFlag(RegBit bit)
{
    if (bit.present()) regs_[bit.reg] &= static_cast<uint8_t>(~bit.mask);
}

// ---------------------------------------------------------------- the bus

bool ChipModel::answers(uint8_t slave, bool supplyOn) const
{
    const uint8_t s = slave & 0xFE;
    if (s != rtcAddress_ && !isMemory(s)) return false;
    if (!(supplyOn && powered_) && !(alive_ && isSet(family_.i2cInBattery))) return false;
    // An EEPROM write cycle keeps the whole die off the bus.
    return !memory_.busy();
}

int32_t ChipModel::read(uint8_t slave, uint8_t subLen, uint32_t sub, uint8_t* buf, uint32_t count)
{
    if (subLen > 3 || (!buf && count)) return KVRX_ERR_BAD_ARG;
    const WireBytes address(subLen, sub, nullptr, 0);
    if (isMemory(slave)) {
        if (subLen > memory_.addressBytes()) {
            // Bytes beyond the address are data written before the read.
            writeMemory(address);
            memory_.read(WireBytes(0, 0, nullptr, 0), buf, count);
        } else {
            memory_.read(address, buf, count);
        }
        return KVRX_OK;
    }
    if ((slave & 0xFE) != rtcAddress_) return KVRX_ERR_ADDR_NACK;
    if (subLen) writeRegisters(address);

    bool statusRead = false;
    for (uint32_t i = 0; i < count; ++i) {
        buf[i] = readRegister(pointer_);
        statusRead = statusRead || pointer_ == family_.autoResetStatus;
        pointer_ = nextAddress(pointer_);
    }
    if (statusRead && isSet(family_.autoReset))
        regs_[family_.autoResetStatus] &= static_cast<uint8_t>(~family_.autoResetClears);
    busAccess();
    return KVRX_OK;
}

int32_t ChipModel::write(uint8_t slave, uint8_t subLen, uint32_t sub, const uint8_t* buf,
                         uint32_t count)
{
    if (subLen > 3 || (!buf && count)) return KVRX_ERR_BAD_ARG;
    const WireBytes wire(subLen, sub, buf, count);
    if (isMemory(slave)) {
        writeMemory(wire);
        return KVRX_OK;
    }
    if ((slave & 0xFE) != rtcAddress_) return KVRX_ERR_ADDR_NACK;
    writeRegisters(wire);
    busAccess();
    return KVRX_OK;
}

void ChipModel::writeMemory(const WireBytes& wire)
{
    uint32_t first = 1, last = 0;
    if (family_.blockProtect.present()) {
        // BP2..BP0: none, upper quarter, upper half, all, first 64, 128, 256 bytes, all.
        static constexpr uint32_t kFirst[8] = {1, 0x180, 0x100, 0, 0, 0, 0, 0};
        static constexpr uint32_t kLast[8] = {0, 0x1FF, 0x1FF, 0x1FF, 0x3F, 0x7F, 0xFF, 0x1FF};
        const RegBit& bp = family_.blockProtect;
        const int level = ((regs_[bp.reg] & bp.mask) >> std::countr_zero(bp.mask)) & 7;
        first = kFirst[level];
        last = kLast[level];
    }
    const bool welRwel = family_.guard == Guard::WelRwel;
    memory_.write(wire, !welRwel || (regs_[family_.wrtc.reg] & kWel), first, last);
    // A memory write uses up RWEL as a register write does.
    if (welRwel && wire.size() > static_cast<uint32_t>(memory_.addressBytes()))
        regs_[family_.wrtc.reg] &= static_cast<uint8_t>(~kRwel);
}

void ChipModel::writeRegisters(const WireBytes& wire)
{
    const int width = family_.addressBytes;
    if (wire.size() < static_cast<uint32_t>(width)) return; // an unfinished address
    pointer_ = wire.address(width);
    rwelAtStart_ = family_.guard == Guard::WelRwel && (regs_[family_.wrtc.reg] & kRwel);

    bool timeWritten = false;
    bool latchUsed = false;
    for (uint32_t i = width; i < wire.size(); ++i) {
        const uint32_t a = pointer_;
        pointer_ = nextAddress(pointer_);
        if (family_.guard == Guard::WelRwel && a == family_.wrtc.reg) {
            writeLatchStatus(wire[i]);
            continue;
        }
        if (family_.guard == Guard::WelRwel) latchUsed = true;
        if (a > 0xFF || !mayWrite(a)) continue;
        storeRegister(static_cast<uint8_t>(a), wire[i]);
        timeWritten = timeWritten || isTimeRegister(a);
    }
    if (timeWritten) clearFlag(family_.powerFail);
    if (latchUsed) regs_[family_.wrtc.reg] &= static_cast<uint8_t>(~kRwel);
}

bool ChipModel::mayWrite(uint32_t address) const
{
    switch (family_.guard) {
    case Guard::None:
        return true;
    case Guard::WrtcBit:
        return !isTimeRegister(address) || isSet(family_.wrtc);
    case Guard::WelRwel:
        return rwelAtStart_;
    }
    return false;
}

void ChipModel::storeRegister(uint8_t a, uint8_t v)
{
    if (events_.takeWrite(a, v, regs_.data())) return;
    switch (kind_[a]) {
    case Kind::Unmapped:
    case Kind::ReadOnly:
    case Kind::Computed:
        return;
    case Kind::Alias: {
        const AliasReg& alias = family_.alias;
        regs_[alias.target] &= static_cast<uint8_t>(~(alias.mask & clearable_[alias.target] & ~v));
        return;
    }
    case Kind::Plain:
    case Kind::WriteOnly:
        break;
    }
    const uint8_t old = regs_[a];
    v = static_cast<uint8_t>((v & used_[a]) | (old & ~used_[a])); // writes miss absent bits
    const uint8_t f = flags_[a];
    const uint8_t cleared = clearable_[a] & static_cast<uint8_t>(~v);
    regs_[a] =
        static_cast<uint8_t>((v & keep_[a] & ~f) | (old & f & ~cleared) | (old & ~keep_[a] & ~f));

    if (isTimeRegister(a) && a == family_.time.base + family_.time.sc) phase_ = 0.0;
    if (a == family_.stampClear.reg && (v & family_.stampClear.mask)) clearStamps();
    dstRegisterWritten(regs_.data(), family_.dst, a);
    afterWrite(a, old);
}

// TypeE status register. Without RWEL set it takes only the latches: WEL
// follows bit 1, RWEL follows bit 2 when WEL was already set (the 0x02, 0x06
// sequence). With RWEL set it is written like any other register: a 0 clears
// BAT, AL1, AL0 or OSCF, WEL follows bit 1, and RWEL is used up.
void ChipModel::writeLatchStatus(uint8_t v)
{
    uint8_t& sr = regs_[family_.wrtc.reg];
    const bool welBefore = (sr & kWel) != 0;
    uint8_t latches = v & kWel;
    if (rwelAtStart_) {
        sr &= static_cast<uint8_t>(~(clearable_[family_.wrtc.reg] & ~v));
        rwelAtStart_ = false;
    } else if ((v & kRwel) && (v & kWel) && welBefore) {
        latches |= kRwel;
    }
    sr = static_cast<uint8_t>((sr & ~(kWel | kRwel)) | latches);
}

// Bits the part does not have read 0, whatever the engine keeps there.
uint8_t ChipModel::readRegister(uint32_t address) const
{
    if (address > 0xFF) return 0;
    uint8_t value = 0;
    switch (kind_[address]) {
    case Kind::Unmapped:
    case Kind::WriteOnly:
        return 0;
    case Kind::Computed:
        value = computedValue(computed_[address]);
        break;
    case Kind::Alias:
        value = regs_[family_.alias.target] & family_.alias.mask;
        break;
    case Kind::Plain:
    case Kind::ReadOnly:
        value = regs_[address];
        break;
    }
    return value & used_[address];
}

uint8_t ChipModel::computedValue(Computed what) const
{
    if (tempComp_ && TempComp::works(what)) return tempComp_->value(what);
    const int halfKelvin = static_cast<int>(std::lround((temperature_ + 273.0) * 2.0));
    switch (what) {
    case Computed::None:
        break;
    case Computed::SubSecHundredths:
        return toBcd(std::min(99, static_cast<int>((phase_ + kPhaseSlack) * 100.0)));
    case Computed::SubSecTenths:
        return toBcd(std::min(9, static_cast<int>((phase_ + kPhaseSlack) * 10.0)));
    case Computed::FinalAnalogTrim:
        // Without temperature compensation the final trims are the initial ones.
        return regs_[family_.analogReg] & 0x3F;
    case Computed::FinalDigitalTrim: {
        static constexpr uint8_t kFdtr[4] = {0x00, 0x01, 0x00, 0x11}; // 0, +30.5, 0, -30.5 ppm
        return kFdtr[(regs_[family_.digitalReg] >> 6) & 0x03];
    }
    case Computed::KelvinLow:
        return static_cast<uint8_t>(std::clamp(halfKelvin, 0, 0x3FF) & 0xFF);
    case Computed::KelvinHigh:
        return static_cast<uint8_t>(std::clamp(halfKelvin, 0, 0x3FF) >> 8);
    case Computed::NetPpmLow:
    case Computed::NetPpmHigh:
        break;
    }
    return 0;
}

bool ChipModel::peek(uint8_t slave, uint32_t sub, uint8_t* value)
{
    if (!value) return false;
    if (isMemory(slave)) return memory_.peek(sub, value);
    if ((slave & 0xFE) != rtcAddress_ || sub > 0xFF || kind_[sub] == Kind::Unmapped) return false;
    *value = kind_[sub] == Kind::WriteOnly ? regs_[sub] & used_[sub] : readRegister(sub);
    return true;
}

bool ChipModel::poke(uint8_t slave, uint32_t sub, uint8_t value)
{
    if (isMemory(slave)) return memory_.poke(sub, value);
    if ((slave & 0xFE) != rtcAddress_ || sub > 0xFF) return false;
    switch (kind_[sub]) {
    case Kind::Unmapped:
    case Kind::Computed:
        return false;
    case Kind::Alias: {
        const AliasReg& alias = family_.alias;
        regs_[alias.target] =
            static_cast<uint8_t>((regs_[alias.target] & ~alias.mask) | (value & alias.mask));
        return true;
    }
    case Kind::Plain:
    case Kind::ReadOnly:
    case Kind::WriteOnly:
        break;
    }
    regs_[sub] = value;
    if (sub == static_cast<uint32_t>(family_.time.base + family_.time.sc)) phase_ = 0.0;
    return true;
}

// ---------------------------------------------------------------- power

void ChipModel::switchSource(bool on)
{
    if (on == powered_) return;
    powered_ = on;
    if (on) {
        if (!alive_) {
            powerUpFromDead();
        } else if (batteryPeriod_) {
            returnFromBattery();
        }
        batteryPeriod_ = false;
        clearFlag(family_.reseal); // the battery is connected again
        return;
    }
    if (hasBattery_ && !isSet(family_.reseal) && supervisor_.batteryHolds()) {
        batteryPeriod_ = true;
        switchToBattery();
    } else {
        alive_ = false; // the clock and everything volatile is gone
        batteryPeriod_ = false;
    }
}

void ChipModel::powerUpFromDead()
{
    for (int a = 0; a < 256; ++a) {
        if (a < family_.keptFirst || a > family_.keptLast) regs_[a] = 0;
    }
    for (const ResetValue& r : family_.resets) {
        if (r.reg || r.value) regs_[r.reg] = r.value;
    }
    // 2000-01-01, a Saturday, midnight.
    const TimeLayout& t = family_.time;
    uint8_t* clock = &regs_[t.base];
    clock[t.hr] = t.hourForm == HourForm::MilBit7 ? 0x80 : 0x00;
    clock[t.dt] = 0x01;
    clock[t.mo] = 0x01;
    clock[t.dw] = static_cast<uint8_t>(t.firstWeekday + 6);
    if (t.y2k >= 0) clock[t.y2k] = 0x20;
    setFlag(family_.powerFail);
    setFlag(family_.oscStop);
    phase_ = 0.0;
    seconds_ = 0;
    pulseAt_.fill(~uint64_t{0});
    timerLeft_ = 0.0;
    timerDone_ = false;
    memory_.contentsLost();
    firstStampFree_ = true;
    events_.powerUp();
    alive_ = true;
    if (tempComp_) tempComp_->powerUp(temperature_);
}

void ChipModel::switchToBattery()
{
    setFlag(family_.batteryModeFlag);
    const TimerTraits& timer = family_.timer;
    if (timer.control && ((regs_[timer.control] >> 4) & 3) == PowerFailCountUp) {
        regs_[timer.value] = 0; // counts the time on the battery
        timerLeft_ = timerPeriod();
    }
    if (family_.stampToBattery && firstStampFree_) {
        takeStamp(family_.stampToBattery);
        firstStampFree_ = false;
    }
}

void ChipModel::returnFromBattery()
{
    if (!supervisor_.ownsLowVddFlag()) setFlag(family_.batteryFlag);
    const TimerTraits& timer = family_.timer;
    if (timer.control && (regs_[timer.control] & kTmre) &&
        ((regs_[timer.control] >> 4) & 3) == PowerFailCountUp)
        setFlag(timer.flag);
    if (family_.stampToSupply) takeStamp(family_.stampToSupply);
}

// Seconds, minutes, hours (in the clock's form), date and month.
void ChipModel::takeStamp(uint8_t first)
{
    const TimeLayout& t = family_.time;
    const uint8_t* clock = &regs_[t.base];
    regs_[first + 0] = clock[t.sc] & 0x7F;
    regs_[first + 1] = clock[t.mn] & 0x7F;
    regs_[first + 2] = clock[t.hr] & 0xBF;
    regs_[first + 3] = clock[t.dt] & 0x3F;
    regs_[first + 4] = clock[t.mo] & 0x1F;
}

void ChipModel::clearStamps()
{
    for (uint8_t first : {family_.stampToBattery, family_.stampToSupply}) {
        if (first) std::fill_n(regs_.begin() + first, 5, 0);
    }
    firstStampFree_ = true;
}

// ---------------------------------------------------------------- time

void ChipModel::setPpm(double ppm)
{
    if (std::isfinite(ppm)) ownPpm_ = ppm;
}

void ChipModel::eventInput(int level)
{
    eventLevel_ = level;
    events_.levelChanged(level, static_cast<double>(seconds_) + phase_);
}

double ChipModel::eventDueIn(double temperatureC)
{
    // At the rate the step will run, so that it ends on the moment.
    const double rate =
        1.0 + rateErrorPpm(std::isfinite(temperatureC) ? temperatureC : temperature_) * 1e-6;
    if (!alive_ || halted() || !(rate > 0.0)) return HUGE_VAL;
    return events_.dueIn(eventState()) / rate;
}

EventInput::ChipState ChipModel::eventState()
{
    return {regs_.data(), static_cast<double>(seconds_) + phase_, onBattery()};
}

double ChipModel::trimPpm() const
{
    if (tempComp_) return tempComp_->trimPpm();
    double loadPf = kNominalLoadPf;
    const uint8_t atr = regs_[family_.analogReg];
    switch (family_.analog) {
    case AnalogTrim::None:
        break;
    case AnalogTrim::Signed6:
    case AnalogTrim::Signed6Battery:
        loadPf = kNominalLoadPf + 0.25 * signed6(atr & 0x3F);
        if (family_.analog == AnalogTrim::Signed6Battery && onBattery()) {
            static constexpr double kBmatrPf[4] = {0.0, -0.5, 0.5, 1.0};
            loadPf += kBmatrPf[(atr >> 6) & 0x03];
        }
        break;
    case AnalogTrim::Initial:
        loadPf = 4.5 + 0.25 * (atr & 0x3F);
        break;
    }
    return pullingPpm(loadPf) - pullingPpm(kNominalLoadPf) +
           digitalTrimPpm(family_.digital, regs_[family_.digitalReg]);
}

double ChipModel::rateErrorPpm(double temperatureC) const
{
    const double dt = temperatureC - kTurnoverC;
    return ownPpm_ + kTempCoeffPpm * dt * dt + trimPpm();
}

bool ChipModel::halted() const
{
    if (events_.haltsClock(regs_.data())) return true;
    for (const RegBit& bit : family_.haltBits) {
        if (isSet(bit)) return true;
    }
    return false;
}

void ChipModel::busTimePassed(double seconds)
{
    memory_.timePassed(seconds);
}

void ChipModel::advance(double seconds, double temperatureC)
{
    if (!(seconds > 0.0)) return;
    // The event input acts inside this step: the chip runs up to that moment first.
    if (const double until = eventDueIn(temperatureC); !eventStep_ && until <= seconds) {
        eventStep_ = true;
        advance(until, temperatureC);
        eventStep_ = false;
        events_.act(eventState());
        advance(seconds - until, temperatureC);
        return;
    }
    memory_.timePassed(seconds);
    supervisor_.advance(seconds, regs_.data(), powered_, alive_);
    if (std::isfinite(temperatureC)) temperature_ = temperatureC;
    if (!alive_) return;
    if (halted()) {
        // The stop-flag circuit sees the oscillator stand still.
        if (family_.haltSetsOscStop) setFlag(family_.oscStop);
        return;
    }

    if (tempComp_) tempComp_->timePassed(seconds, temperature_, onBattery());
    const double rate = std::max(0.0, 1.0 + rateErrorPpm(temperature_) * 1e-6);
    const double counted = seconds * rate;
    // The timer counts apart from the calendar, in whole runs of its clock.
    advanceTimer(counted);
    phase_ += counted;
    if (phase_ + kPhaseSlack < 1.0) return;
    const double whole = std::floor(phase_ + kPhaseSlack);
    phase_ = std::max(0.0, phase_ - whole);
    uint64_t ticks = static_cast<uint64_t>(whole);
    // Whole days at once while nothing needs to look at each second.
    while (ticks >= 86400 && !needsEverySecond()) {
        nextDay(regs_.data(), family_.time);
        seconds_ += 86400;
        ticks -= 86400;
    }
    while (ticks-- > 0)
        secondTick();
}

void ChipModel::secondTick()
{
    tickSecond(regs_.data(), family_.time);
    ++seconds_;
    dstSecondCounted(regs_.data(), family_.time, family_.dst);
    for (int i = 0; i < family_.alarmCount; ++i) {
        const AlarmTraits& alarm = family_.alarms[i];
        if (!alarmArmed(alarm) || !alarmMatches(alarm)) continue;
        setFlag(alarm.flag);
        pulseAt_[i] = seconds_;
    }
    // DST changes, event sampling and temperature compensation hook in here
    // and into needsEverySecond(). The timer and the square waves count from
    // the oscillator's time and need no second of their own.
}

bool ChipModel::needsEverySecond() const
{
    if (dstChangeWithinDay(regs_.data(), family_.time, family_.dst)) return true;
    const bool pulses = isSet(family_.output.pulseMode);
    for (int i = 0; i < family_.alarmCount; ++i) {
        const AlarmTraits& alarm = family_.alarms[i];
        // A match changes nothing while the flag is still up, unless it pulses the pin.
        if (alarmArmed(alarm) && (pulses || !isSet(alarm.flag))) return true;
    }
    return false;
}

bool ChipModel::alarmArmed(const AlarmTraits& alarm) const
{
    if (alarm.enable.present()) return isSet(alarm.enable);
    if (alarm.armedAlways) return true;
    // No enable bit: the alarm is on while any field takes part.
    for (int off = 0; off < 8; ++off) {
        if (alarm.fields[off] == AlarmField::None) continue;
        const uint8_t v = regs_[(alarm.base + off) & 0xFF];
        if (alarm.bit7Masks ? !(v & 0x80) : (v & 0x80)) return true;
    }
    return false;
}

int ChipModel::alarmHour(uint8_t v, const AlarmTraits& alarm) const
{
    bool twelve = false;
    switch (alarm.hour) {
    case AlarmHour::ClockForm:
        twelve = isTwelveHour(regs_[family_.time.base + family_.time.hr], family_.time.hourForm);
        break;
    case AlarmHour::Own24Bit6:
        twelve = (v & 0x40) == 0;
        break;
    case AlarmHour::Own12Bit6:
        twelve = (v & 0x40) != 0;
        break;
    }
    // A byte that is no hour in its form (a 24-hour value under the 12-hour
    // form, hour 00 in the 12-hour form, a digit above 9) never matches, as
    // on the parts: the comparator does not convert between the forms.
    if (!twelve) return bcdInRange(v & 0x3F, 0, 23);
    int h = bcdInRange(v & 0x1F, 1, 12);
    if (h < 0) return -1;
    if (h == 12) h = 0;
    return (v & 0x20) ? h + 12 : h;
}

bool ChipModel::alarmMatches(const AlarmTraits& alarm) const
{
    const TimeLayout& t = family_.time;
    const uint8_t* clock = &regs_[t.base];
    if (alarm.onMinute && (clock[t.sc] & 0x7F) != 0) return false;
    for (int off = 0; off < 8; ++off) {
        const AlarmField field = alarm.fields[off];
        if (field == AlarmField::None) continue;
        const uint8_t v = regs_[(alarm.base + off) & 0xFF];
        if (alarm.bit7Masks ? (v & 0x80) : !(v & 0x80)) continue; // not compared
        bool same = true;
        switch (field) {
        case AlarmField::None:
            break;
        case AlarmField::Sec:
            same = fromBcd(v & 0x7F) == fromBcd(clock[t.sc] & 0x7F);
            break;
        case AlarmField::Min:
            same = fromBcd(v & 0x7F) == fromBcd(clock[t.mn] & 0x7F);
            break;
        case AlarmField::Hour: {
            const int hour = alarmHour(v, alarm);
            same = hour >= 0 && hour == hour24(clock[t.hr], t.hourForm);
            break;
        }
        case AlarmField::Date:
            same = fromBcd(v & 0x3F) == fromBcd(clock[t.dt] & 0x3F);
            break;
        case AlarmField::Month:
            same = fromBcd(v & 0x1F) == fromBcd(clock[t.mo] & 0x1F);
            break;
        case AlarmField::Weekday:
            same = (v & 0x07) == (clock[t.dw] & 0x07);
            break;
        case AlarmField::DayOrDate:
            same = (v & 0x40) ? (v & 0x0F) == (clock[t.dw] & 0x07)
                              : fromBcd(v & 0x3F) == fromBcd(clock[t.dt] & 0x3F);
            break;
        }
        if (!same) return false;
    }
    return true;
}

// ---------------------------------------------------------------- outputs

// The outputs work on the supply; on the battery only on parts with an
// FOBATB bit, while it is clear.
bool ChipModel::outputsOn() const
{
    if (!alive_ || !hasPin_) return false;
    if (powered_) return true;
    const RegBit& off = family_.output.offOnBattery;
    return off.present() && !isSet(off);
}

// Alarm `index` pulls its interrupt output: in the level mode while its flag
// is up, in the pulse mode (IM) for 250 ms from each match.
bool ChipModel::alarmPulls(int index) const
{
    const AlarmTraits& alarm = family_.alarms[index];
    if (!alarm.onPin) return false;
    const RegBit& enable = alarm.irqEnable.present() ? alarm.irqEnable : alarm.enable;
    if (enable.present() && !isSet(enable)) return false;
    if (isSet(family_.output.pulseMode))
        return pulseAt_[index] == seconds_ && phase_ < kPulseSeconds;
    return isSet(alarm.flag);
}

bool ChipModel::anyAlarmPulls() const
{
    for (int i = 0; i < family_.alarmCount; ++i) {
        if (alarmPulls(i)) return true;
    }
    return false;
}

double ChipModel::selectedRate() const
{
    const RegBit& rate = family_.output.rate;
    if (!rate.present()) return kRateHigh;
    const uint8_t bits = regs_[rate.reg] & used_[rate.reg] & rate.mask;
    return family_.output.rates[(bits >> std::countr_zero(rate.mask)) & 0x0F];
}

// The square wave is low for the first half of each period. A period starts
// with a second of the count (whole seconds for the rates below 1 Hz, counted
// from the power-up).
bool ChipModel::waveLow(double hz) const
{
    if (hz == kRateLow) return true;
    if (hz == kRateHigh || hz == kRateIrq || halted()) return false;
    if (hz == kRateMains) hz = isSet(family_.output.mains60) ? 60.0 : 50.0;
    if (hz > kVisibleRateHz) return true;
    double cycles = 0.0;
    if (hz >= 1.0) {
        cycles = phase_ * hz;
    } else {
        const auto period = static_cast<uint64_t>(std::lround(1.0 / hz));
        cycles = (static_cast<double>(seconds_ % period) + phase_) / static_cast<double>(period);
    }
    return cycles - std::floor(cycles) < 0.5;
}

bool ChipModel::irqLow() const
{
    if (!outputsOn()) return false;
    const OutputTraits& out = family_.output;
    switch (out.wiring) {
    case PinWiring::None:
        break;
    case PinWiring::OutFt:
        if (isSet(family_.freqTest)) return waveLow(kFreqTestHz);
        return family_.outLevel.present() && !isSet(family_.outLevel);
    case PinWiring::IrqOrWave: {
        const double rate = selectedRate();
        const bool interrupt = out.irqSelect.present() ? isSet(out.irqSelect) : rate == kRateIrq;
        return interrupt ? anyAlarmPulls() : waveLow(rate);
    }
    case PinWiring::IrqAndWave:
        return anyAlarmPulls() || waveLow(selectedRate());
    case PinWiring::TwoPinInt:
        return isSet(out.irqSelect) ? alarmPulls(1) : waveLow(selectedRate());
    case PinWiring::TwoPinTimer:
        return isSet(out.irqSelect) ? alarmPulls(0) : waveLow(selectedRate());
    }
    return false;
}

bool ChipModel::secondIrqLow() const
{
    if (!outputsOn()) return false;
    const OutputTraits& out = family_.output;
    switch (out.wiring) {
    case PinWiring::TwoPinInt:
        return alarmPulls(0) || (!isSet(out.irqSelect) && alarmPulls(1));
    case PinWiring::TwoPinTimer:
        return isSet(out.irq2Timer) ? isSet(family_.timer.flag) : alarmPulls(0);
    default:
        break;
    }
    return false;
}

// ---------------------------------------------------------------- timer

// Mode 0 counts TVAL down from TDAT at the counting clock; mode 2 does the
// same and restarts at each bus transfer (a watchdog); mode 3 counts up from
// 0 while the chip runs on its battery. Mode 1 has no count of its own here.
bool ChipModel::timerCounting() const
{
    const TimerTraits& timer = family_.timer;
    if (!timer.control || !(regs_[timer.control] & kTmre)) return false;
    switch ((regs_[timer.control] >> 4) & 3) {
    case CountDown:
    case Watchdog:
        return !timerDone_;
    case PowerFailCountUp:
        return onBattery();
    default:
        break;
    }
    return false;
}

double ChipModel::timerPeriod() const
{
    return 1.0 / kTimerClocks[regs_[family_.timer.control] & 3].count;
}

// TSUB sets the first count's distance in ticks of the finer clock (0: a
// whole period; never more than one).
double ChipModel::timerFirstDelay() const
{
    const TimerTraits& timer = family_.timer;
    const double period = timerPeriod();
    const uint8_t sub = regs_[timer.sub];
    if (sub == 0) return period;
    return std::min(period, sub / kTimerClocks[regs_[timer.control] & 3].sub);
}

void ChipModel::startTimer()
{
    const TimerTraits& timer = family_.timer;
    regs_[timer.value] = regs_[timer.initial];
    timerLeft_ = timerFirstDelay();
    timerDone_ = false;
}

void ChipModel::advanceTimer(double seconds)
{
    if (!timerCounting()) return;
    if (seconds + kPhaseSlack < timerLeft_) {
        timerLeft_ -= seconds;
        return;
    }
    const double period = timerPeriod();
    const double past = std::max(0.0, seconds - timerLeft_); // time after the first count
    const double more = std::floor((past + kPhaseSlack) / period);
    timerLeft_ = std::max(0.0, (more + 1.0) * period - past);
    countTimer(more >= 1e18 ? uint64_t{1} << 60 : static_cast<uint64_t>(more) + 1);
}

void ChipModel::countTimer(uint64_t counts)
{
    const TimerTraits& timer = family_.timer;
    uint8_t& value = regs_[timer.value];
    if (((regs_[timer.control] >> 4) & 3) == PowerFailCountUp) {
        value = static_cast<uint8_t>(std::min<uint64_t>(0xFF, value + counts));
        return;
    }
    const uint8_t initial = regs_[timer.initial];
    if (value == 0) {
        // A counter standing at 0 (poked on) loads TDAT with its first count.
        if (initial == 0) return;
        value = initial;
        --counts;
    }
    if (counts < value) {
        value = static_cast<uint8_t>(value - counts);
        return;
    }
    counts -= value;
    value = 0;
    setFlag(timer.flag);
    if (!(regs_[timer.control] & kTim) || initial == 0) {
        timerDone_ = true; // a single event: the timer stops at 0
        return;
    }
    // Periodic: TDAT again at once, and an event every TDAT counts.
    value = static_cast<uint8_t>(initial - counts % initial);
}

// Bus writes of the timer's registers: TMRE turned on (or written again after
// a single countdown ended) starts a count from TDAT, a written TDAT starts the
// count again from the new value, TSUB sets the distance to the next count.
void ChipModel::afterWrite(uint8_t address, uint8_t before)
{
    if (tempComp_) tempComp_->afterWrite(address, temperature_);
    if (supervisor_.watches(address)) settlePower();
    const TimerTraits& timer = family_.timer;
    if (!timer.control) return;
    if (address == timer.control) {
        const uint8_t now = regs_[address];
        if ((now & kTmre) && (!(before & kTmre) || timerDone_ || ((now ^ before) & 0x33)))
            startTimer();
    } else if (address == timer.initial) {
        startTimer();
    } else if (address == timer.sub) {
        timerLeft_ = timerFirstDelay();
    }
}

// Any transfer to the clock registers restarts a watchdog count.
void ChipModel::busAccess()
{
    const TimerTraits& timer = family_.timer;
    if (timer.control && (regs_[timer.control] & kTmre) &&
        ((regs_[timer.control] >> 4) & 3) == Watchdog)
        startTimer();
}

} // namespace kvrx::sim
