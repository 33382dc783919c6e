// The working chip behind every family: a register file shaped by the part's
// register map, a BCD clock counting in the family's layout off a crystal
// with its own error, flags, write protection, alarms and user memory, all
// steered by the family's table (FamilyTraits).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "Chip.h"
#include "ChipWire.h"
#include "EventInput.h"
#include "FamilyTraits.h"
#include "PartTable.h"
#include "TempComp.h"
#include "Supervisor.h"
#include "UserMemory.h"

namespace kvrx::sim {

class ChipModel final : public Chip {
  public:
    ChipModel(const PartInfo& part, const FamilyTraits& family, uint32_t seed);

    bool answers(uint8_t slave, bool supplyOn) const override;
    int32_t read(uint8_t slave, uint8_t subLen, uint32_t sub, uint8_t* buf,
                 uint32_t count) override;
    int32_t write(uint8_t slave, uint8_t subLen, uint32_t sub, const uint8_t* buf,
                  uint32_t count) override;
    bool peek(uint8_t slave, uint32_t sub, uint8_t* value) override;
    bool poke(uint8_t slave, uint32_t sub, uint8_t value) override;
    void advance(double seconds, double temperatureC) override;
    void busTimePassed(double seconds) override;
    void supplyChanged(bool on) override;
    void setPpm(double ppm) override;
    void eventInput(int level) override;
    bool irqLow() const override;
    bool secondIrqLow() const override;
    void setVoltages(double supply, double battery) override; // ChipPower.cpp
    void busStart() override;
    bool resetLow() const override;

    // The crystal's rate error in ppm now (own error, temperature, trims).
    double rateErrorPpm(double temperatureC) const;
    // Fraction of the current second already counted (0 <= phase < 1).
    double subSecondPhase() const { return phase_; }

  private:
    enum class Kind : uint8_t { Unmapped, Plain, ReadOnly, WriteOnly, Computed, Alias };

    void buildRegisterFile(const PartInfo& part);
    bool isTimeRegister(uint32_t address) const;
    uint32_t nextAddress(uint32_t address) const;
    bool isMemory(uint8_t slave) const;

    uint8_t readRegister(uint32_t address) const;
    void writeRegisters(const WireBytes& wire);
    void writeMemory(const WireBytes& wire);
    bool mayWrite(uint32_t address) const;
    void storeRegister(uint8_t address, uint8_t value);
    void writeLatchStatus(uint8_t value);
    void setFlag(RegBit bit);
    void clearFlag(RegBit bit);
    bool isSet(RegBit bit) const;

    // Power.
    void switchSource(bool onSupply); // run on VDD, or on the battery (or not at all)
    void settlePower();               // the source and flags the supervisor asks for
    void powerUpFromDead();
    void switchToBattery();
    void returnFromBattery();
    bool onBattery() const { return alive_ && !powered_; }
    void takeStamp(uint8_t first);
    void clearStamps();

    // Time.
    bool halted() const;
    void secondTick();
    bool needsEverySecond() const;
    bool alarmArmed(const AlarmTraits& alarm) const;
    bool alarmMatches(const AlarmTraits& alarm) const;
    // The alarm hour byte as 0..23, or -1 when it is no hour in its form.
    int alarmHour(uint8_t value, const AlarmTraits& alarm) const;

    // Outputs.
    bool outputsOn() const;
    bool alarmPulls(int index) const;
    bool anyAlarmPulls() const;
    double selectedRate() const;
    bool waveLow(double hz) const;

    // Countdown timer.
    bool timerCounting() const;
    double timerPeriod() const;
    double timerFirstDelay() const;
    void startTimer();
    void advanceTimer(double seconds);
    void countTimer(uint64_t counts);
    void afterWrite(uint8_t address, uint8_t before);
    void busAccess();
    uint8_t computedValue(Computed what) const;
    double trimPpm() const;
    // The event input: true seconds until it acts, and what it sees of the chip.
    double eventDueIn(double temperatureC);
    EventInput::ChipState eventState();

    const FamilyTraits& family_;
    uint8_t rtcAddress_;
    uint8_t memAddress_;
    bool hasBattery_;
    bool hasPin_; // an interrupt or frequency output
    UserMemory memory_;
    Supervisor supervisor_;

    std::array<uint8_t, 256> regs_{};
    std::array<Kind, 256> kind_{};
    std::array<uint8_t, 256> keep_{};      // bits a register stores
    std::array<uint8_t, 256> used_{};      // bits the part has: the map's named bits
    std::array<uint8_t, 256> flags_{};     // bits only the chip sets
    std::array<uint8_t, 256> clearable_{}; // flag bits a written 0 clears
    std::array<Computed, 256> computed_{};
    std::vector<uint8_t> identity_; // ID bytes, set at the factory

    uint32_t pointer_ = 0;  // register address counter
    uint32_t spaceEnd_ = 0; // one past the last register: the counter wraps there
    bool rwelAtStart_ = false;

    bool powered_ = false; // supply on
    bool alive_ = false;   // the clock domain has power (supply or battery)
    bool batteryPeriod_ = false;
    bool firstStampFree_ = true;

    double ownPpm_ = 0.0;
    double phase_ = 0.0;
    uint64_t seconds_ = 0; // whole seconds the oscillator counted since the power-up
    // The second each alarm last matched in the pulse mode (the pin's 250 ms pulse).
    std::array<uint64_t, 2> pulseAt_{~uint64_t{0}, ~uint64_t{0}};
    double timerLeft_ = 0.0; // oscillator time to the timer's next count
    bool timerDone_ = false; // a single countdown reached 0
    double temperature_ = 25.0;
    int eventLevel_ = 1;
    EventInput events_;
    bool eventStep_ = false; // running up to the moment the event input acts
    std::optional<TempComp> tempComp_; // the TypeD temperature compensation
};

} // namespace kvrx::sim
