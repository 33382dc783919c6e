#include "EventInput.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvrx::sim {

namespace {

// Configuration bits, the same in EV and EVIC.
constexpr uint8_t kEven = 0x10;
constexpr uint8_t kRtchlt = 0x20; // TypeA/TypeB; EVIM on TypeF (not modelled: no pin of its own)
constexpr uint8_t kEvbatb = 0x40;

constexpr uint8_t kStatus = 0x07;
constexpr uint8_t kEvt = 0x08;
constexpr uint8_t kStampB = 0x14; // SCT MNT HRT DTT MOT YRT
constexpr uint8_t kCounter = 0x0B;
constexpr uint8_t kIndex = 0x0F;
constexpr uint8_t kStampF = 0x33; // ESC EMN EHR EDT EMO

// Seconds a level must be held before a sample takes it, by EHYS.
constexpr double kDebounce[4] = {0.0, 1.0 / 256, 1.0 / 64, 1.0 / 32};
// Seconds between samples by ESMP; 0 looks all the time.
constexpr double kSamplePeriod[4] = {0.0, 0.5, 1.0, 4.0};
// Sums of the oscillator's steps fall a hair off the sample moments they aim at.
constexpr double kSlack = 1e-9;

} // namespace

EventInput::EventInput(const PartInfo& part, const TimeLayout& time) : time_(time)
{
    if (!part.HasEventDetect) return;
    switch (part.TypeCode) {
    case TypeA:
    case TypeB:
        kind_ = part.HasTimeStamp ? Kind::FlagAndStamp : Kind::Flag;
        config_ = 0x09;
        break;
    case TypeF:
        kind_ = Kind::Logged;
        config_ = 0x0E;
        break;
    default:
        break;
    }
}

void EventInput::levelChanged(int level, double now)
{
    level = level != 0 ? 1 : 0;
    if (level == level_) return;
    level_ = level;
    changedAt_ = now;
}

bool EventInput::enabled(const ChipState& chip) const
{
    const uint8_t c = chip.regs[config_];
    return (c & kEven) && !(chip.onBattery && (c & kEvbatb));
}

double EventInput::dueIn(const ChipState& chip)
{
    constexpr double kNever = std::numeric_limits<double>::infinity();
    if (!present()) return kNever;
    if (!enabled(chip)) {
        low_ = false; // switched off: a level held low counts again once it is on
        return kNever;
    }
    if (!pending()) return kNever;
    const uint8_t c = chip.regs[config_];
    double at = std::max(changedAt_ + kDebounce[(c >> 2) & 3], chip.now);
    if (const double period = kSamplePeriod[c & 3]; period > 0.0)
        at = std::ceil((at - kSlack) / period) * period;
    return std::max(0.0, at - chip.now);
}

void EventInput::act(const ChipState& chip)
{
    // dueIn named the moment for a level held long enough.
    if (!present() || !enabled(chip) || !pending()) return;
    low_ = level_ == 0;
    if (low_) record(chip.regs);
}

void EventInput::record(uint8_t* regs)
{
    switch (kind_) {
    case Kind::None:
        break;
    case Kind::Flag:
    case Kind::FlagAndStamp:
        // The stamp holds the first event after the flag was cleared.
        if (regs[kStatus] & kEvt) break;
        regs[kStatus] |= kEvt;
        if (kind_ == Kind::FlagAndStamp) {
            const Stamp s = clockStamp(regs);
            std::copy(s.begin(), s.end(), regs + kStampB);
            regs[kStampB + 5] = regs[time_.base + time_.yr];
        }
        break;
    case Kind::Logged: {
        if (regs[kCounter] < 0xFF) ++regs[kCounter];
        const Stamp s = clockStamp(regs);
        if (!firstTaken_) {
            stamps_[0] = s;
            firstTaken_ = true;
        }
        stamps_[3] = stamps_[2];
        stamps_[2] = stamps_[1];
        stamps_[1] = s;
        showStamp(regs);
        break;
    }
    }
}

// Seconds, minutes, hours (in the clock's form, MIL included), date, month.
EventInput::Stamp EventInput::clockStamp(const uint8_t* regs) const
{
    const uint8_t* clock = regs + time_.base;
    return {
        static_cast<uint8_t>(clock[time_.sc] & 0x7F), static_cast<uint8_t>(clock[time_.mn] & 0x7F),
        static_cast<uint8_t>(clock[time_.hr] & 0xBF), static_cast<uint8_t>(clock[time_.dt] & 0x3F),
        static_cast<uint8_t>(clock[time_.mo] & 0x1F)};
}

void EventInput::showStamp(uint8_t* regs) const
{
    const Stamp& s = stamps_[regs[kIndex] & 0x03];
    std::copy(s.begin(), s.end(), regs + kStampF);
}

bool EventInput::haltsClock(const uint8_t* regs) const
{
    if (kind_ != Kind::Flag && kind_ != Kind::FlagAndStamp) return false;
    return (regs[config_] & kRtchlt) && (regs[kStatus] & kEvt);
}

bool EventInput::takeWrite(uint8_t address, uint8_t value, uint8_t* regs)
{
    if (kind_ != Kind::Logged) return false;
    if (address == kIndex) {
        regs[kIndex] = value & 0x03;
        showStamp(regs);
        return true;
    }
    if (address == kCounter) {
        regs[kCounter] = 0;
        stamps_ = {};
        firstTaken_ = false;
        showStamp(regs);
        return true;
    }
    return false;
}

void EventInput::powerUp()
{
    low_ = false;
    changedAt_ = 0.0;
    stamps_ = {};
    firstTaken_ = false;
}

} // namespace kvrx::sim
