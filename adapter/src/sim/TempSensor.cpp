#include "TempSensor.h"

#include <algorithm>
#include <cmath>

namespace kvrx::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Wander around the room temperature: two slow waves, periods in seconds.
constexpr double kRoomC = 23.5;
constexpr double kWave1C = 0.3, kWave1Period = 3600.0;
constexpr double kWave2C = 0.1, kWave2Period = 617.0;

// Power-on limit registers (degrees): LM75 Thyst, Tos; LM76 Thyst, Tcrit, Tlow, Thigh.
constexpr std::array<double, 2> kLm75Limits = {75.0, 80.0};
constexpr std::array<double, 4> kLm76Limits = {2.0, 80.0, 10.0, 64.0};

double phaseFrom(uint32_t seed, int shift)
{
    return 2.0 * kPi * static_cast<double>((seed >> shift) & 0xFFFF) / 65536.0;
}

} // namespace

TempSensor::TempSensor(SensorFormat format, uint32_t seed)
    : format_(format), phase1_(phaseFrom(seed, 0)), phase2_(phaseFrom(seed, 16))
{
    regs_[0] = {0, 2, false}; // temperature, filled at each read
    regs_[1] = {0, 1, true};  // configuration
    if (format_ == SensorFormat::LM75) {
        for (size_t i = 0; i < kLm75Limits.size(); ++i)
            regs_[2 + i] = {encode(kLm75Limits[i], format_), 2, true};
    } else {
        for (size_t i = 0; i < kLm76Limits.size(); ++i)
            regs_[2 + i] = {encode(kLm76Limits[i], format_), 2, true};
        regs_[6] = {0, 2, false};
        regs_[7] = {0, 2, false};
    }
}

double TempSensor::celsiusAt(double t) const
{
    if (held_) return *held_;
    return kRoomC + kWave1C * std::sin(2.0 * kPi * t / kWave1Period + phase1_) +
           kWave2C * std::sin(2.0 * kPi * t / kWave2Period + phase2_);
}

uint16_t TempSensor::encode(double celsius, SensorFormat format)
{
    const bool lm75 = format == SensorFormat::LM75;
    const double stepsPerDegree = lm75 ? 2.0 : 16.0;
    const long limit = lm75 ? 256 : 4096; // 9 or 13 bits, two's complement
    const long steps = std::clamp(std::lround(celsius * stepsPerDegree), -limit, limit - 1);
    const long word = steps * (lm75 ? 128 : 8);
    return static_cast<uint16_t>(static_cast<unsigned long>(word) & 0xFFFFu);
}

void TempSensor::writeStream(const uint8_t* bytes, uint32_t count)
{
    if (count == 0) return;
    pointer_ = static_cast<uint8_t>(bytes[0] & (registerCount() - 1));
    Reg& reg = regs_[pointer_];
    for (uint32_t i = 1; i < count && i <= reg.size; ++i) {
        if (!reg.writable) break;
        if (reg.size == 1) {
            reg.value = bytes[i];
        } else if (i == 1) {
            reg.value = static_cast<uint16_t>((reg.value & 0x00FF) | (bytes[i] << 8));
        } else {
            reg.value = static_cast<uint16_t>((reg.value & 0xFF00) | bytes[i]);
        }
    }
}

void TempSensor::write(uint8_t subLen, uint32_t sub, const uint8_t* data, uint32_t count)
{
    // At most 3 sub-address bytes and one register of data matter; the rest
    // of a long write is ignored as the chip does.
    std::array<uint8_t, 6> stream{};
    uint32_t n = 0;
    for (int i = subLen - 1; i >= 0; --i)
        stream[n++] = static_cast<uint8_t>(sub >> (8 * i));
    for (uint32_t i = 0; i < count && n < stream.size(); ++i)
        stream[n++] = data[i];
    writeStream(stream.data(), n);
}

void TempSensor::read(uint8_t subLen, uint32_t sub, double t, uint8_t* buf, uint32_t count)
{
    if (subLen > 0) write(subLen, sub, nullptr, 0);
    regs_[0].value = encode(celsiusAt(t), format_);
    const Reg& reg = regs_[pointer_];
    // Reading on past the register repeats it.
    for (uint32_t i = 0; i < count; ++i) {
        buf[i] = reg.size == 1 ? static_cast<uint8_t>(reg.value)
                               : static_cast<uint8_t>(i % 2 == 0 ? reg.value >> 8 : reg.value);
    }
}

} // namespace kvrx::sim
