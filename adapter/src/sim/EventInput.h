// The event-detect input of the parts that have one (VK311, VK321, VK331,
// VK370). The board's event net idles high (pull-up); an event is the net
// held low. The chip looks at it as its configuration register says:
//
//   EV (0x09, TypeA/TypeB) or EVIC (0x0E, TypeF): bit 4 EVEN enables; bits
//   1..0 ESMP sample the input always, at 2 Hz, 1 Hz or every 4 s (on the
//   oscillator's half and whole seconds since the power-up); bits 3..2 EHYS
//   want a level held 0, 1/256, 1/64 or 1/32 s before a sample takes it;
//   bit 6 EVBATB turns detection off while the chip runs on its battery.
//
// An event is the taken level going from high to low; a level held low gives
// one event. TypeA/TypeB set EVT (bit 3 of 0x07); TypeB also records the
// clock (0x14..0x19) at the first event after EVT was cleared, and with
// RTCHLT (bit 5 of EV) the clock stands while EVT is up. TypeF counts events
// in EVCNT (0x0B, stopping at 0xFF) and keeps four stamps of five bytes: the
// first event since the power-up or the last clear (EVIX 0) and the last
// three, latest first (EVIX 1..3), shown at 0x33..0x37 as EVIX (0x0F) picks;
// any write to EVCNT clears the counter and all four stamps.
#pragma once

#include <array>
#include <cstdint>

#include "Calendar.h"
#include "PartTable.h"

namespace kvrx::sim {

class EventInput {
  public:
    EventInput(const PartInfo& part, const TimeLayout& time);

    bool present() const { return kind_ != Kind::None; }

    // What the input sees of its chip: the register file, the oscillator's
    // count of seconds since the power-up, and whether it runs on its battery.
    struct ChipState {
        uint8_t* regs;
        double now;
        bool onBattery;
    };

    // The net's level changed (0 low, 1 high) at oscillator time now.
    void levelChanged(int level, double now);

    // Oscillator seconds from now until the input next acts; infinite while
    // nothing can happen before the level changes again, so long runs need
    // no look at each second.
    double dueIn(const ChipState& chip);
    // At the moment dueIn named: the input's level is taken, and an event is
    // flagged, counted and stamped.
    void act(const ChipState& chip);

    // RTCHLT with EVT up stops the clock.
    bool haltsClock(const uint8_t* regs) const;
    // Writes the input's registers take in their own way (EVIX, EVCNT): true
    // when the write was taken here.
    bool takeWrite(uint8_t address, uint8_t value, uint8_t* regs);
    // A power-up from dead: no stamps, nothing taken yet.
    void powerUp();

  private:
    enum class Kind : uint8_t { None, Flag, FlagAndStamp, Logged };
    using Stamp = std::array<uint8_t, 5>;

    bool enabled(const ChipState& chip) const;
    bool pending() const { return (level_ == 0) != low_; }
    void record(uint8_t* regs);
    Stamp clockStamp(const uint8_t* regs) const;
    void showStamp(uint8_t* regs) const;

    Kind kind_ = Kind::None;
    uint8_t config_ = 0;
    TimeLayout time_;

    int level_ = 1;
    double changedAt_ = 0.0; // oscillator time of the last change of level
    bool low_ = false;       // the level the chip last took is low

    std::array<Stamp, 4> stamps_{};
    bool firstTaken_ = false;
};

} // namespace kvrx::sim
