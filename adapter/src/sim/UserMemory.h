// The user memory a part carries at slave 0xAE: a page-written EEPROM with a
// write cycle, or battery-backed SRAM.
#pragma once

#include <cstdint>
#include <vector>

#include "ChipWire.h"

namespace kvrx::sim {

class UserMemory {
  public:
    enum class Kind : uint8_t { None, Eeprom, Sram };

    // Time an EEPROM page write keeps the memory busy.
    static constexpr double kWriteCycleSeconds = 0.005;

    UserMemory() = default;
    UserMemory(Kind kind, uint32_t size, uint32_t pageSize, int addressBytes);

    Kind kind() const { return kind_; }
    bool present() const { return kind_ != Kind::None; }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
    int addressBytes() const { return addressBytes_; }
    bool busy() const { return cycleLeft_ > 0.0; }

    // A write transfer: address first, then data. `writable` is false when
    // the part's write enable is off; addresses in [protectFirst, protectLast]
    // are protected (protectFirst > protectLast: none). Protected or disabled
    // bytes are acknowledged and dropped; a write that stores a byte starts
    // the EEPROM write cycle.
    void write(const WireBytes& wire, bool writable, uint32_t protectFirst, uint32_t protectLast);
    // A read transfer: the address bytes (if any) set the address, then
    // count bytes are read on from it.
    void read(const WireBytes& addressBytes, uint8_t* buf, uint32_t count);

    void timePassed(double seconds);
    void contentsLost(); // SRAM without its supply

    bool peek(uint32_t address, uint8_t* value) const;
    bool poke(uint32_t address, uint8_t value);

  private:
    uint32_t wrap(uint32_t address) const { return address % size(); }

    Kind kind_ = Kind::None;
    std::vector<uint8_t> bytes_;
    uint32_t pageSize_ = 0; // 0: no pages (SRAM)
    int addressBytes_ = 1;
    uint32_t pointer_ = 0;
    double cycleLeft_ = 0.0;
};

} // namespace kvrx::sim
