#include "TempComp.h"

#include <algorithm>
#include <cmath>

namespace kvrx::sim {

namespace {

constexpr double kDigitalStepPpm = 30.5;
constexpr int kDigitalSteps = 10;      // FDTR steps 11 to 15 are not defined
constexpr int kAnalogMiddle = 32;      // FATR (and IATR) of 0 ppm; one ppm per step
constexpr double kAnalogTop = 32.5;    // FATR 0 and beyond: a digital step up
constexpr double kAnalogFloor = -31.5; // FATR 63 and beyond: a digital step down
constexpr double kTurnoverC = 25.0;
constexpr double kAlphaUnit = 1.0 / 2048.0; // ppm per degree squared
constexpr double kBetaUnit = 1.0 / 16.0;
constexpr double kKelvinOffset = 273.0;
constexpr double kOneMinute = 60.0;
constexpr double kTenMinutes = 600.0;

// IDTR1..0 as digital steps.
constexpr int kIdtrSteps[4] = {0, 1, 0, -1};

uint8_t fdtrOf(int steps)
{
    return static_cast<uint8_t>(steps >= 0 ? steps : 0x10 | -steps);
}

double digitalPpm(uint8_t fdtr)
{
    const double ppm = (fdtr & 0x0F) * kDigitalStepPpm;
    return (fdtr & 0x10) ? -ppm : ppm;
}

} // namespace

bool TempComp::works(Computed what)
{
    switch (what) {
    case Computed::FinalAnalogTrim:
    case Computed::FinalDigitalTrim:
    case Computed::KelvinLow:
    case Computed::KelvinHigh:
    case Computed::NetPpmLow:
    case Computed::NetPpmHigh:
        return true;
    default:
        return false;
    }
}

uint8_t TempComp::value(Computed what) const
{
    const Finals f = finals();
    const long halfPpm = std::clamp(std::lround(2.0 * trimPpm()), -512L, 511L);
    const auto nppm = static_cast<uint16_t>(halfPpm & 0x3FF);
    switch (what) {
    case Computed::FinalAnalogTrim:
        return f.fatr;
    case Computed::FinalDigitalTrim:
        return f.fdtr;
    case Computed::KelvinLow:
        return static_cast<uint8_t>(halfKelvin_ & 0xFF);
    case Computed::KelvinHigh:
        return static_cast<uint8_t>(halfKelvin_ >> 8);
    case Computed::NetPpmLow:
        return static_cast<uint8_t>(nppm & 0xFF);
    case Computed::NetPpmHigh:
        return static_cast<uint8_t>(nppm >> 8);
    default:
        break;
    }
    return 0;
}

// Without sensing the final trims are the initial ones. With it the analog
// trim takes the initial trim and the temperature term; what runs past its
// range goes to the digital trim in steps of 30.5 ppm.
TempComp::Finals TempComp::finals() const
{
    const uint8_t itr = regs_[kItr];
    const int iatr = itr & 0x3F;
    int steps = kIdtrSteps[(itr >> 6) & 0x03];
    if (!(regs_[kBeta] & kTse)) return {static_cast<uint8_t>(iatr), fdtrOf(steps)};

    double analog = (kAnalogMiddle - iatr) + termPpm_;
    while (analog > kAnalogTop && steps < kDigitalSteps) {
        analog -= kDigitalStepPpm;
        ++steps;
    }
    while (analog < kAnalogFloor && steps > -kDigitalSteps) {
        analog += kDigitalStepPpm;
        --steps;
    }
    const long fatr = std::clamp(kAnalogMiddle - std::lround(analog), 0L, 63L);
    return {static_cast<uint8_t>(fatr), fdtrOf(steps)};
}

double TempComp::trimPpm() const
{
    const Finals f = finals();
    return (kAnalogMiddle - f.fatr) + digitalPpm(f.fdtr);
}

// The power-up's conversion ends with the first moment of time that passes,
// at the temperature of that moment; until then the registers show where it
// started.
void TempComp::powerUp(double celsius)
{
    takeReading(celsius);
    powerUpReading_ = true;
}

void TempComp::afterWrite(uint8_t address, double celsius)
{
    if (address == kBeta && (regs_[kBeta] & kTse)) takeReading(celsius);
}

double TempComp::samplePeriod(bool onBattery) const
{
    const uint8_t beta = regs_[kBeta];
    if (!(beta & kTse)) return 0.0;
    if (!onBattery) return kOneMinute;
    if (!(beta & kBtse)) return 0.0;
    return (beta & kBtsr) ? kOneMinute : kTenMinutes;
}

void TempComp::timePassed(double seconds, double celsius, bool onBattery)
{
    if (powerUpReading_) {
        powerUpReading_ = false;
        takeReading(celsius);
    }
    const double period = samplePeriod(onBattery);
    sinceReading_ += seconds;
    if (period <= 0.0 || sinceReading_ < period) return;
    const double left = std::fmod(sinceReading_, period);
    takeReading(celsius);
    sinceReading_ = left;
}

// The reading is what the chip knows of its temperature: the term comes from
// it, not from the true temperature.
void TempComp::takeReading(double celsius)
{
    halfKelvin_ =
        static_cast<int>(std::clamp(std::lround((celsius + kKelvinOffset) * 2.0), 0L, 0x3FFL));
    sinceReading_ = 0.0;

    const double measured = halfKelvin_ / 2.0 - kKelvinOffset;
    const uint8_t xto = regs_[kXto];
    const double turnover = kTurnoverC + ((xto & 0x10) ? -1.0 : 1.0) * (xto & 0x0F);
    const uint8_t alpha = measured < turnover ? regs_[kAlpha] : regs_[kAlphaHot];
    const double beta = (regs_[kBeta] & 0x1F) * kBetaUnit;
    const double dt = measured - turnover;
    termPpm_ = beta * alpha * kAlphaUnit * dt * dt;
}

} // namespace kvrx::sim
