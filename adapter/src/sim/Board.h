// One simulated evaluation board: USB state, bus clock, socket supply, port P0,
// the chip socket with every chip ever put into it, and the temperature sensor.
//
// Port wiring: pin 0 is the chip's interrupt / frequency output (active low,
// open drain), pin 1 the chip's event input, or its second interrupt output
// on the parts with two (which have no event input), pin 2 the reset output
// of the TypeE supervisors (open drain). All three nets have pull-ups.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "Chip.h"
#include "Supervisor.h"
#include "TempSensor.h"

namespace kvrx::sim {

class Board {
  public:
    static constexpr uint16_t kDefaultKhz = 100;
    static constexpr uint8_t kPortLatchReset = 0xFF; // all pins released
    static constexpr uint8_t kPortModeReset = 0x00;  // all open-drain
    static constexpr int kIrqPin = 0;
    static constexpr int kEventPin = 1;
    static constexpr int kResetPin = 2;
    enum class Level { Supply, Battery };

    Board(uint32_t number, uint64_t seed, SensorFormat format, double now);

    // USB side. A board comes back from unplugging closed, with its run time
    // restarted and the socket supply off: unplugging cut its power.
    bool attached() const { return attached_; }
    bool isOpen() const { return open_; }
    void attach(double now);
    void detach();
    void open() { open_ = true; }
    uint32_t runTime(double now) const;
    void identity(uint8_t* id) const; // fills 256 bytes

    // I2C clock in kHz: 10 to 1000, and 599 for the 400 kHz setting.
    static bool validClockRate(uint32_t khz);
    void setClockRate(uint16_t khz) { khz_ = khz; }
    // Time a transfer of that many bytes (address and sub-address bytes
    // included) takes on the wire, plus the bridge's latency.
    double transferSeconds(uint32_t bytesOnWire) const;

    bool supplyOn() const { return supplyOn_; }
    void setSupply(bool on);
    // The supply's level while switched on, and the battery's, in volts.
    void setVoltage(Level which, double volts);

    uint8_t portIn() const;
    void portOut(uint8_t latch);
    void portMode(uint8_t mode);
    // Something outside the board on the event net: 0 pulls it low, 1 lets go.
    void setExternalEvent(int level);

    // The socket. Row 0 empties it. A part inserted again is the same chip.
    int socketRow() const { return socketRow_; }
    void insert(int partRow);
    Chip* chip() const;

    TempSensor& sensor() { return sensor_; }
    double celsiusAt(double t) const { return sensor_.celsiusAt(t); }

    // True time passes for every chip this board holds, in or out of the
    // socket: a chip on its battery keeps its clock running.
    void advanceChips(double seconds, double celsius);
    bool holdsChips() const { return !chips_.empty(); }

    struct Outcome {
        int32_t code;
        uint32_t bytesOnWire;
    };
    // One bus transfer on an open board at board time t. With the manual
    // clock the wire time is handed to the chip in the socket.
    Outcome read(uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf, uint32_t count,
                 double t, bool manualClock);
    Outcome write(uint8_t subLen, uint8_t slave, uint32_t sub, const uint8_t* buf, uint32_t count,
                  bool manualClock);
    // A transfer that failed at the address byte.
    Outcome addressFailed(bool manualClock);

  private:
    enum class Device { None, Sensor, Chip };
    Device select(uint8_t slave) const;
    int eventNetLevel() const;
    void updateEventInput();
    double wireSeconds(uint32_t bytes) const;
    void chargeBusTime(double seconds, bool manualClock);

    uint32_t number_;
    uint64_t seed_;
    bool attached_ = true;
    bool open_ = false;
    double attachTime_;
    uint16_t khz_ = kDefaultKhz;
    bool supplyOn_ = false;
    double supplyVolts_ = kDefaultSupplyVolts;
    double batteryVolts_ = kDefaultBatteryVolts;
    uint8_t portLatch_ = kPortLatchReset;
    uint8_t portMode_ = kPortModeReset;
    int externalEvent_ = 1;
    TempSensor sensor_;
    int socketRow_ = 0;
    std::map<int, std::unique_ptr<Chip>> chips_;
    std::map<int, int> eventLevelTold_; // last event-input level each chip was given
};

} // namespace kvrx::sim
