// What a device sees of one transfer: the sub-address bytes the adapter sent
// (high byte first) followed by the data bytes, as one run of bytes. The
// device takes its own address width off the front; the rest is data.
#pragma once

#include <cstdint>

namespace kvrx::sim {

class WireBytes {
  public:
    WireBytes(uint8_t subLen, uint32_t sub, const uint8_t* data, uint32_t count)
        : subLen_(subLen), data_(data), count_(data ? count : 0)
    {
        for (uint8_t i = 0; i < subLen_; ++i)
            sub_[i] = static_cast<uint8_t>(sub >> (8 * (subLen_ - 1 - i)));
    }

    uint32_t size() const { return subLen_ + count_; }
    uint8_t operator[](uint32_t i) const { return i < subLen_ ? sub_[i] : data_[i - subLen_]; }

    // The first `width` bytes as a big-endian address.
    uint32_t address(int width) const
    {
        uint32_t a = 0;
        for (int i = 0; i < width; ++i)
            a = (a << 8) | (*this)[i];
        return a;
    }

  private:
    uint8_t subLen_;
    uint8_t sub_[3] = {};
    const uint8_t* data_;
    uint32_t count_;
};

} // namespace kvrx::sim
