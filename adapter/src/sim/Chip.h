// One RTC chip of the simulated board: its clock registers, flags, alarms,
// write protection and, where the part has it, its user memory at 0xAE.
// The board owns the chips and moves time; a chip never looks at the board.
#pragma once

#include <cstdint>
#include <memory>

namespace kvrx::sim {

class Chip {
  public:
    virtual ~Chip() = default;

    // A fresh chip of the part in row partRow (1..21) of the part table. The
    // seed picks the chip's own crystal error (a few ppm).
    static std::unique_ptr<Chip> create(int partRow, uint32_t seed);

    // Whether the chip answers at this 8-bit slave address now (the clock
    // registers at the part's address, user memory at 0xAE). With the supply
    // off only a part with its I2C-in-battery-mode bit set answers; an EEPROM
    // inside its write cycle does not acknowledge.
    virtual bool answers(uint8_t slave, bool supplyOn) const = 0;

    // One bus transaction to a slave that answers. subLen bytes of sub were
    // sent (0: a read continues at the current address; a write's first data
    // bytes are the address). The address counts on through the transfer and
    // wraps from the last register of the part's map to 0; it stays after the
    // last byte for the next transfer. Returns a KVRX result code.
    virtual int32_t read(uint8_t slave, uint8_t subLen, uint32_t sub, uint8_t* buf,
                         uint32_t count) = 0;
    virtual int32_t write(uint8_t slave, uint8_t subLen, uint32_t sub, const uint8_t* buf,
                          uint32_t count) = 0;

    // Direct access without protection or side effects (a time register peeks
    // as its current BCD value; a poke of the seconds restarts the sub-second
    // phase). A poke stores the whole byte, but bits the part's map leaves
    // unnamed read 0, through peek as on the bus. False when the chip has no
    // such device or byte.
    virtual bool peek(uint8_t slave, uint32_t sub, uint8_t* value) = 0;
    virtual bool poke(uint8_t slave, uint32_t sub, uint8_t value) = 0;

    // True time passes (seconds, at the board temperature): the clock runs at
    // its crystal's rate, alarms match, rollovers happen, write cycles end.
    virtual void advance(double seconds, double temperatureC) = 0;
    // Bus time that counts only for the EEPROM write cycle (manual clock).
    virtual void busTimePassed(double seconds) = 0;

    // Socket supply switched (also called with true when the chip is inserted
    // into a powered socket, and with false when it is taken out).
    virtual void supplyChanged(bool on) = 0;

    virtual void setPpm(double ppm) = 0;
    virtual void eventInput(int level) = 0;

    // The chip's interrupt / frequency output (port pin 0) is pulling its pin low now.
    virtual bool irqLow() const = 0;
    // The chip's second interrupt output (port pin 1, on parts with two) is pulling it low.
    virtual bool secondIrqLow() const = 0;

    // The board's supply level (as it is while switched on) and battery level, in volts.
    virtual void setVoltages(double, double) {}
    // A start condition on the bus, whoever the transfer is for.
    virtual void busStart() {}
    // The chip's reset output (port pin 2, on the parts with one) is pulling it low.
    virtual bool resetLow() const { return false; }
};

} // namespace kvrx::sim
