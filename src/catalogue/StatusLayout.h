// Where each family keeps its status flags, and how a status lamp names the
// flag it shows. The polling cycle reads the flags; the Set Clock page reads
// the same register for the "clock not set" bit. The lamps themselves, with
// their bits per family, are listed by the page that holds them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "PartTable.h"

// One read of status bytes: register, sub-address length, bytes read.
struct StatusRead {
    uint16_t Address;
    uint8_t SubLen;
    uint8_t Count; // 0: no such read
};

// The reads of a family's status: the main read, then a second one of a
// single byte (TypeC and TypeK's oscillator flag at 0x01).
struct StatusReads {
    StatusRead Main;
    StatusRead Second;
};

const StatusReads& StatusReadsFor(PartType type);

// Where a lamp's bit comes from: byte 0 or 1 of the main read, or the byte of
// the second read.
enum class StatusSource : uint8_t { Main0, Main1, Second };

// A set of families.
class TypeSet {
  public:
    constexpr TypeSet(std::initializer_list<PartType> types)
    {
        for (const PartType type : types)
            bits_ = static_cast<uint16_t>(bits_ | (1u << type));
    }
    constexpr bool contains(PartType type) const { return ((bits_ >> type) & 1u) != 0; }

  private:
    uint16_t bits_ = 0;
};

// The bit a lamp shows for the families named.
struct LampBit {
    TypeSet Types;
    StatusSource Source;
    uint8_t Bit;
};

// When a lamp is switched off without a bit to show.
enum LampOff : uint8_t {
    OffWhenPollingStops = 1, // polling is off or the board does not answer
    OffWhenReadFails = 2,    // the status read failed
    OffWhenClosed = 4,       // the board connection is closed
};

// A status lamp on a page: its control name, the bit it shows in each family
// that has one (a lamp without a bit for the chosen family keeps its state),
// when it is switched off, and the label beside it that the polling cycle
// greys while polling is off (null for none).
struct StatusLamp {
    const char* Name;
    std::span<const LampBit> Bits;
    uint8_t Off = 0; // LampOff flags
    const char* PollLabel = nullptr;
};

// The bit of lamp for the family, or null when the lamp shows none there.
const LampBit* BitFor(const StatusLamp& lamp, PartType type);
