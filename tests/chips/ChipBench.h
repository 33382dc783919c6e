// A chip on the bench: the transfers and time sequences the application
// sends to a part, played straight into a chip model.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PartTable.h"
#include "kvrx_usb.h"
#include "sim/Chip.h"

namespace chiptest {

using kvrx::sim::Chip;

// A calendar time as the application's codec hands it over.
struct Time {
    int year = 2024; // full year
    int month = 1;   // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0; // 0 = Sunday
    bool operator==(const Time&) const = default;
};

std::string toString(const Time& t);
// Seconds since 2000-01-01 00:00:00, and back (with the weekday).
long secondsOf(const Time& t);
Time timeAt(long seconds);
inline Time addSeconds(const Time& t, long n)
{
    return timeAt(secondsOf(t) + n);
}
inline void PrintTo(const Time& t, std::ostream* os)
{
    *os << toString(t);
}

inline uint8_t bcd(int v)
{
    return static_cast<uint8_t>(((v / 10) << 4) | (v % 10));
}
inline int bin(uint8_t b)
{
    return (b & 0x0F) + 10 * ((b >> 4) & 0x0F);
}

// True for the families that keep the weekday before the date (and count it 1..7).
inline bool weekdayFirst(PartType t)
{
    return t == TypeC || t == TypeG || t == TypeJ;
}

class ChipBench {
  public:
    explicit ChipBench(const char* partName, uint32_t seed = 7, bool powerUp = true);

    Chip& chip() { return *chip_; }
    const PartInfo& part() const { return PartTable[row_]; }
    PartType type() const { return part().TypeCode; }
    uint8_t rtc() const { return part().RtcAddress; }
    uint8_t subLen() const { return type() == TypeE ? 2 : 1; }

    void supply(bool on)
    {
        supplyOn_ = on;
        chip_->supplyChanged(on);
    }
    bool supplyOn() const { return supplyOn_; }

    // Transfers as the board makes them: a slave that does not answer is not acknowledged.
    int32_t read(uint8_t slave, uint8_t subLen, uint32_t sub, uint8_t* buf, uint32_t count);
    int32_t write(uint8_t slave, uint8_t subLen, uint32_t sub, const uint8_t* buf, uint32_t count);
    int32_t write(uint8_t slave, uint8_t subLen, uint32_t sub, std::vector<uint8_t> bytes)
    {
        return write(slave, subLen, sub, bytes.data(), static_cast<uint32_t>(bytes.size()));
    }

    // Registers of the part at its own address and sub-address length.
    std::vector<uint8_t> regs(uint32_t reg, uint32_t count);
    uint8_t reg(uint32_t reg) { return regs(reg, 1)[0]; }
    void setRegs(uint32_t reg, std::vector<uint8_t> bytes);
    void setReg(uint32_t reg, uint8_t value) { setRegs(reg, {value}); }
    // Read-modify-write of the bits in mask.
    void changeReg(uint32_t reg, uint8_t mask, uint8_t bits)
    {
        setReg(reg, static_cast<uint8_t>((this->reg(reg) & ~mask) | (bits & mask)));
    }
    uint8_t peek(uint32_t reg);

    // TypeE write enable: acknowledge polling on the status register, then WEL, WEL|RWEL.
    int unlock();

    // The application's time codec.
    int32_t writeTime(const Time& t, bool hour24 = true);
    Time readTime(bool* hour24 = nullptr);

    // True time passing at the board temperature.
    void run(double seconds, double celsius = 25.0) { chip_->advance(seconds, celsius); }
    void runSeconds(int n)
    {
        for (int i = 0; i < n; ++i)
            run(1.0);
    }

  private:
    int row_;
    std::unique_ptr<Chip> chip_;
    bool supplyOn_ = false;
};

// One part of each family.
struct FamilyPart {
    const char* name;
    PartType type;
};
extern const std::array<FamilyPart, 10> kOnePartPerFamily;
std::string familyName(const ::testing::TestParamInfo<FamilyPart>& info);

} // namespace chiptest
