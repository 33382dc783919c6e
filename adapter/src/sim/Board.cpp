#include "Board.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "kvrx_usb.h"

namespace kvrx::sim {

namespace {

constexpr double kLatencySeconds = 0.001; // USB round trip of the bridge
constexpr double kBitsPerByte = 9.0;      // eight data bits and the acknowledge

uint64_t splitMix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

bool bit(uint8_t value, int n)
{
    return ((value >> n) & 1) != 0;
}

} // namespace

Board::Board(uint32_t number, uint64_t seed, SensorFormat format, double now)
    : number_(number), seed_(seed), attachTime_(now),
      sensor_(format, static_cast<uint32_t>(splitMix(seed ^ (uint64_t{number} << 40))))
{
}

void Board::attach(double now)
{
    if (attached_) return;
    attached_ = true;
    open_ = false;
    attachTime_ = now;
}

void Board::detach()
{
    if (!attached_) return;
    setSupply(false);
    attached_ = false;
    open_ = false;
    khz_ = kDefaultKhz;
    portLatch_ = kPortLatchReset;
    portMode_ = kPortModeReset;
    updateEventInput();
}

uint32_t Board::runTime(double now) const
{
    const double seconds = std::floor(now - attachTime_);
    if (seconds <= 0) return 0;
    if (seconds >= 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(seconds);
}

void Board::identity(uint8_t* id) const
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "Kavrolux USB RTC Evaluation Board (simulated); board %u; firmware 1.00",
                  static_cast<unsigned>(number_));
    std::memset(id, 0, 256);
    std::memcpy(id, text, std::strlen(text));
}

bool Board::validClockRate(uint32_t khz)
{
    return (khz >= 10 && khz <= 1000) || khz == 599;
}

double Board::wireSeconds(uint32_t bytes) const
{
    const double khz = khz_ == 599 ? 400.0 : khz_; // 599 is the 400 kHz setting
    return bytes * kBitsPerByte / (khz * 1000.0);
}

double Board::transferSeconds(uint32_t bytesOnWire) const
{
    return kLatencySeconds + wireSeconds(bytesOnWire);
}

void Board::setSupply(bool on)
{
    if (supplyOn_ == on) return;
    supplyOn_ = on;
    if (Chip* c = chip()) c->supplyChanged(on);
}

uint8_t Board::portIn() const
{
    uint8_t value = 0;
    const Chip* c = chip();
    for (int pin = 0; pin < 8; ++pin) {
        bool high = bit(portLatch_, pin);
        if (!bit(portMode_, pin) && high) {
            // Released open-drain pin: the pull-up wins unless something pulls low.
            if (pin == kIrqPin && c != nullptr && c->irqLow()) high = false;
            if (pin == kEventPin && (externalEvent_ == 0 || (c != nullptr && c->secondIrqLow())))
                high = false;
            if (pin == kResetPin && c != nullptr && c->resetLow()) high = false;
        }
        if (high) value = static_cast<uint8_t>(value | (1u << pin));
    }
    return value;
}

void Board::setVoltage(Level which, double volts)
{
    (which == Level::Supply ? supplyVolts_ : batteryVolts_) = volts;
    if (Chip* c = chip()) c->setVoltages(supplyVolts_, batteryVolts_);
}

void Board::portOut(uint8_t latch)
{
    portLatch_ = latch;
    updateEventInput();
}

void Board::portMode(uint8_t mode)
{
    portMode_ = mode;
    updateEventInput();
}

void Board::setExternalEvent(int level)
{
    externalEvent_ = level;
    updateEventInput();
}

int Board::eventNetLevel() const
{
    // A push-pull pin drives the net whatever pulls outside, as port reads see it.
    if (bit(portMode_, kEventPin)) return bit(portLatch_, kEventPin) ? 1 : 0;
    // Low when the port drives it low or something outside pulls it low.
    return bit(portLatch_, kEventPin) && externalEvent_ != 0 ? 1 : 0;
}

void Board::updateEventInput()
{
    Chip* c = chip();
    if (c == nullptr) return;
    const int level = eventNetLevel();
    auto told = eventLevelTold_.try_emplace(socketRow_, 1).first; // chips start at idle high
    if (told->second != level) {
        told->second = level;
        c->eventInput(level);
    }
}

void Board::insert(int partRow)
{
    if (partRow == socketRow_) return;
    if (supplyOn_) {
        if (Chip* old = chip()) old->supplyChanged(false);
    }
    socketRow_ = partRow;
    if (partRow == 0) return;
    auto& slot = chips_[partRow];
    if (!slot) {
        const uint64_t chipSeed =
            splitMix(seed_ ^ (uint64_t{number_} << 32) ^ static_cast<uint64_t>(partRow));
        slot = Chip::create(partRow, static_cast<uint32_t>(chipSeed));
    }
    slot->setVoltages(supplyVolts_, batteryVolts_);
    if (supplyOn_) slot->supplyChanged(true);
    updateEventInput();
}

Chip* Board::chip() const
{
    if (socketRow_ == 0) return nullptr;
    auto it = chips_.find(socketRow_);
    return it == chips_.end() ? nullptr : it->second.get();
}

void Board::advanceChips(double seconds, double celsius)
{
    for (auto& [row, c] : chips_)
        c->advance(seconds, celsius);
}

Board::Device Board::select(uint8_t slave) const
{
    if (slave == TempSensor::kAddress) return Device::Sensor;
    const Chip* c = chip();
    if (c != nullptr && c->answers(slave, supplyOn_)) return Device::Chip;
    return Device::None;
}

void Board::chargeBusTime(double seconds, bool manualClock)
{
    // With the real clock true time passes anyway; the manual clock stands
    // still, so only the chip's write cycle hears of the bus time.
    if (!manualClock) return;
    if (Chip* c = chip()) c->busTimePassed(seconds);
}

Board::Outcome Board::addressFailed(bool manualClock)
{
    if (Chip* c = chip()) c->busStart();
    chargeBusTime(transferSeconds(1), manualClock);
    return {KVRX_ERR_ADDR_NACK, 1};
}

Board::Outcome Board::read(uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                           uint32_t count, double t, bool manualClock)
{
    slave = static_cast<uint8_t>(slave & 0xFE); // the bridge sets the read/write bit
    if (Chip* c = chip()) c->busStart();
    // The address goes out (and the latency passes) before the slave answers
    // or not: an EEPROM in its write cycle sees that time first.
    chargeBusTime(transferSeconds(1), manualClock);
    const Device device = select(slave);
    if (device == Device::None) return {KVRX_ERR_ADDR_NACK, 1};
    // Sub-address bytes, then a repeated start with the address again.
    const uint32_t rest = subLen + (subLen > 0 ? 1u : 0u) + count;
    chargeBusTime(wireSeconds(rest), manualClock);
    if (device == Device::Sensor) {
        sensor_.read(subLen, sub, t, buf, count);
        return {KVRX_OK, 1 + rest};
    }
    return {chip()->read(slave, subLen, sub, buf, count), 1 + rest};
}

Board::Outcome Board::write(uint8_t subLen, uint8_t slave, uint32_t sub, const uint8_t* buf,
                            uint32_t count, bool manualClock)
{
    slave = static_cast<uint8_t>(slave & 0xFE);
    if (Chip* c = chip()) c->busStart();
    chargeBusTime(transferSeconds(1), manualClock);
    const Device device = select(slave);
    if (device == Device::None) return {KVRX_ERR_ADDR_NACK, 1};
    const uint32_t rest = subLen + count;
    chargeBusTime(wireSeconds(rest), manualClock);
    if (device == Device::Sensor) {
        sensor_.write(subLen, sub, buf, count);
        return {KVRX_OK, 1 + rest};
    }
    return {chip()->write(slave, subLen, sub, buf, count), 1 + rest};
}

} // namespace kvrx::sim
