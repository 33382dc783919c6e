#include "UserMemory.h"

#include <algorithm>

namespace kvrx::sim {

UserMemory::UserMemory(Kind kind, uint32_t size, uint32_t pageSize, int addressBytes)
    : kind_(size ? kind : Kind::None), bytes_(size, kind == Kind::Eeprom ? 0xFF : 0x00),
      pageSize_(kind == Kind::Eeprom ? pageSize : 0), addressBytes_(addressBytes)
{
}

void UserMemory::write(const WireBytes& wire, bool writable, uint32_t protectFirst,
                       uint32_t protectLast)
{
    if (!present() || wire.size() < static_cast<uint32_t>(addressBytes_)) return;
    const uint32_t start = wrap(wire.address(addressBytes_));
    const uint32_t count = wire.size() - addressBytes_;
    if (count == 0) { // address only: sets the read address
        pointer_ = start;
        return;
    }
    bool stored = false;
    uint32_t at = start;
    for (uint32_t i = 0; i < count; ++i) {
        // An EEPROM page write wraps inside its page; SRAM runs on.
        at = pageSize_ ? (start & ~(pageSize_ - 1)) | ((start + i) & (pageSize_ - 1))
                       : wrap(start + i);
        const bool isProtected =
            protectFirst <= protectLast && at >= protectFirst && at <= protectLast;
        if (writable && !isProtected) {
            bytes_[at] = wire[addressBytes_ + i];
            stored = true;
        }
    }
    pointer_ = pageSize_ ? (start & ~(pageSize_ - 1)) | ((at + 1) & (pageSize_ - 1)) : wrap(at + 1);
    if (stored && kind_ == Kind::Eeprom) cycleLeft_ = kWriteCycleSeconds;
}

void UserMemory::read(const WireBytes& addressBytes, uint8_t* buf, uint32_t count)
{
    if (!present()) return;
    if (addressBytes.size() >= static_cast<uint32_t>(addressBytes_))
        pointer_ = wrap(addressBytes.address(addressBytes_));
    for (uint32_t i = 0; i < count; ++i) {
        buf[i] = bytes_[pointer_];
        pointer_ = wrap(pointer_ + 1);
    }
}

void UserMemory::timePassed(double seconds)
{
    if (seconds > 0.0) cycleLeft_ = std::max(0.0, cycleLeft_ - seconds);
}

void UserMemory::contentsLost()
{
    if (kind_ == Kind::Sram) std::fill(bytes_.begin(), bytes_.end(), 0x00);
}

bool UserMemory::peek(uint32_t address, uint8_t* value) const
{
    if (!present() || address >= size() || !value) return false;
    *value = bytes_[address];
    return true;
}

bool UserMemory::poke(uint32_t address, uint8_t value)
{
    if (!present() || address >= size()) return false;
    bytes_[address] = value;
    return true;
}

} // namespace kvrx::sim
