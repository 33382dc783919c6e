// Temperature compensation of the TypeD parts (VK350, VK352, VK354). The chip
// measures its temperature and, while TSE is set, works out its final analog
// and digital trims from the initial trims, the crystal's coefficients ALPHA
// (below the turnover temperature XTO) and ALPHA HOT (above it) and the gain
// BETA. The crystal then runs at the rate the final trims give it.
//
//   ITR   0x0B  IDTR1..0: 0, +1, 0, -1 digital steps; IATR5..0: +32 - IATR ppm
//   ALPHA 0x0C  ppm per degree squared, in 1/2048
//   BETA  0x0D  TSE, BTSE, BTSR; BETA4..0: gain of the temperature term in 1/16
//   FATR  0x0E  final analog trim: +32 - FATR ppm
//   FDTR  0x0F  final digital trim: bit 4 the sign, bits 3..0 steps of 30.5 ppm
//   TK    0x28, 0x29  the last reading in half kelvin (10 bits): T = TK / 2 - 273
//   NPPM  0x2A, 0x2B  the final trims' net correction in half ppm (10 bits, two's complement)
//   XTO   0x2C  turnover: 25 degrees plus XTO3..0, minus with XTO4 set
//   ALPHAH 0x2D ALPHA above the turnover, in 1/2048
//
// A reading is taken at the power-up (finished with the first moment of time
// that passes), at every write of BETA with TSE set, and every minute while
// TSE is set; on the battery only with BTSE set too, every minute with BTSR
// set and every ten minutes with it clear.
#pragma once

#include <array>
#include <cstdint>

#include "FamilyTraits.h"

namespace kvrx::sim {

class TempComp {
  public:
    // regs: the chip's register file, which outlives the compensation.
    explicit TempComp(const std::array<uint8_t, 256>& regs) : regs_(regs) {}

    // The registers this chip works out: the final trims, the reading and NPPM.
    static bool works(Computed what);
    uint8_t value(Computed what) const;

    // What the final trims add to the crystal's rate, in ppm.
    double trimPpm() const;

    // The chip's power-up (registers already cleared): a first reading.
    void powerUp(double celsius);
    // A register was written by the bus; celsius is the chip's temperature now.
    void afterWrite(uint8_t address, double celsius);
    // True time passed at a temperature: the readings that fall due. A long
    // run at one temperature takes one reading, at its start: later ones would
    // find the same temperature.
    void timePassed(double seconds, double celsius, bool onBattery);

    // Registers and bits (see above).
    static constexpr uint8_t kItr = 0x0B;
    static constexpr uint8_t kAlpha = 0x0C;
    static constexpr uint8_t kBeta = 0x0D;
    static constexpr uint8_t kXto = 0x2C;
    static constexpr uint8_t kAlphaHot = 0x2D;
    static constexpr uint8_t kTse = 0x80;
    static constexpr uint8_t kBtse = 0x40;
    static constexpr uint8_t kBtsr = 0x20;

  private:
    struct Finals {
        uint8_t fatr = 0;
        uint8_t fdtr = 0;
    };
    Finals finals() const;
    // Seconds between readings now; 0 for none.
    double samplePeriod(bool onBattery) const;
    void takeReading(double celsius);

    const std::array<uint8_t, 256>& regs_;
    int halfKelvin_ = 596; // 25 degrees until the first reading
    double termPpm_ = 0.0; // temperature term worked out at the last reading
    double sinceReading_ = 0.0;
    bool powerUpReading_ = false; // the power-up's reading ends when time passes
};

} // namespace kvrx::sim
