// The board's temperature sensor at 0x90: an LM75 or LM76 register set behind
// a pointer byte. Register 0 holds the temperature word, high byte first.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace kvrx::sim {

enum class SensorFormat { LM75, LM76 };

class TempSensor {
  public:
    static constexpr uint8_t kAddress = 0x90;

    TempSensor(SensorFormat format, uint32_t seed);

    SensorFormat format() const { return format_; }

    // Board temperature at board time t (seconds): a held value exactly, or
    // else a slow small wander around 23.5 degrees that depends only on t.
    double celsiusAt(double t) const;
    void hold(double celsius) { held_ = celsius; }
    void release() { held_.reset(); }

    // Temperature word in the sensor's form: LM75 9 bits of 0.5 degree in
    // bits 15..7, LM76 13 bits of 0.0625 degree in bits 15..3, two's
    // complement; rounded to the nearest step and held inside the range.
    static uint16_t encode(double celsius, SensorFormat format);

    // Bus side. The sub-address bytes (high first) and the data form one byte
    // stream as on the wire: the first byte sets the pointer, the rest fill the
    // pointed register from its high byte. A read sends its sub-address bytes
    // that way first (none: read at the current pointer).
    void write(uint8_t subLen, uint32_t sub, const uint8_t* data, uint32_t count);
    void read(uint8_t subLen, uint32_t sub, double t, uint8_t* buf, uint32_t count);

  private:
    struct Reg {
        uint16_t value;
        uint8_t size; // 1 or 2 bytes
        bool writable;
    };

    void writeStream(const uint8_t* bytes, uint32_t count);
    int registerCount() const { return format_ == SensorFormat::LM75 ? 4 : 8; }

    SensorFormat format_;
    std::optional<double> held_;
    double phase1_;
    double phase2_;
    uint8_t pointer_ = 0;
    std::array<Reg, 8> regs_{};
};

} // namespace kvrx::sim
