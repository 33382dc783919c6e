// A chip on the bench: a part in the socket of a simulated board of its own,
// reached only through the adapter library's C ABI, with the transfers and
// time sequences the application sends to it.
//
// Every bench takes a board of its own, which it gives back when it goes.
// The first bench of a set (none other alive) restarts the adapter library,
// so each set of benches starts on new boards with fresh chips, whether a
// test runs alone or after others in the same process. All boards share the
// manual clock: running one bench runs the chips of every bench alive.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "PartTable.h"
#include "bus/RtcBus.h"
#include "kvrx_usb.h"

namespace chiptest {

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
// Seconds since 2000-01-01 00:00:00 (UTC calendar), and back (with the weekday).
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

// True for the families that keep the weekday before the date (and count it 1..7).
inline bool weekdayFirst(PartType t)
{
    return t == TypeC || t == TypeG || t == TypeJ;
}

// What the board offers of the chip in a bench's socket besides transfers.
class ChipHandle {
  public:
    explicit ChipHandle(uint32_t board) : board_(board) {}

    // Whether the chip acknowledges this slave address now (an empty write;
    // like every transfer it takes about a millisecond of bus time).
    bool answers(uint8_t slave);
    // The chip's interrupt / frequency output pulls port pin 0 low (the pin released).
    bool irqLow();
    // The second interrupt output of a two-pin part pulls port pin 1 low.
    bool irq2Low();
    // The reset output of a TypeE supervisor pulls port pin 2 low.
    bool resetLow();
    // The board's supply (KVRX_SIM_SUPPLY) or battery (KVRX_SIM_BATTERY) level.
    void setVoltage(int which, double volts);
    void setPpm(double ppm);
    bool peek(uint8_t slave, uint32_t sub, uint8_t* value);
    bool poke(uint8_t slave, uint32_t sub, uint8_t value);

  private:
    uint32_t board_;
};

class ChipBench {
  public:
    // exactCrystal: the chip's own crystal error set to 0 ppm.
    explicit ChipBench(const char* partName, bool powerUp = true, bool exactCrystal = true);
    ChipBench(const ChipBench&) = delete; // the bus points into the bench
    ChipBench& operator=(const ChipBench&) = delete;

    ChipHandle& chip() { return chip_; }
    uint32_t board() const { return board_; }
    PartType type() const { return type_; }
    uint8_t rtc() const { return rtc_; }
    uint8_t subLen() const { return type() == TypeE ? 2 : 1; }

    void supply(bool on);

    // Transfers through the board: a slave that does not answer is not acknowledged.
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

    // The application's time codec (ReadRtcTime, WriteRtcTime) on this board.
    int32_t writeTime(const Time& t, bool hour24 = true);
    Time readTime(bool* hour24 = nullptr);

    // True time passing (for every bench) with this board held at a temperature.
    void run(double seconds, double celsius = 25.0);
    void runSeconds(int n)
    {
        for (int i = 0; i < n; ++i)
            run(1.0);
    }

  private:
    // A board of the simulated adapter, held from the bench's first member
    // to its last, so that it is given back even when the constructor throws.
    class BoardLease {
      public:
        BoardLease();
        ~BoardLease();
        BoardLease(const BoardLease&) = delete;
        BoardLease& operator=(const BoardLease&) = delete;
        uint32_t board() const { return board_; }

      private:
        uint32_t board_;
    };

    // Results of the codec's transfers come back as codes; nothing is shown.
    class QuietSink : public ResultSink {
      public:
        void errorBox(const std::string&) override {}
        void statusText(const std::string&) override {}
    };

    BoardLease lease_;
    uint32_t board_;
    PartType type_ = TypeNone;
    uint8_t rtc_ = 0;
    ChipHandle chip_;
    QuietSink sink_;
    RtcBus bus_; // the application's view of this board and part
};

// One part of each family.
struct FamilyPart {
    const char* name;
    PartType type;
};
extern const std::array<FamilyPart, 10> kOnePartPerFamily;
std::string familyName(const ::testing::TestParamInfo<FamilyPart>& info);

} // namespace chiptest
