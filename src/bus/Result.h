// Adapter result codes: the one test of success, and the first failure of a
// run of transfers, which is the one an action reports.
#pragma once

#include <cstdint>

// The low seven bits carry a failure. A code with only higher bits set is a
// note (a bridge whose driver fixes the bus clock, ...) and succeeds.
constexpr bool Succeeded(int32_t code)
{
    return (code & 0x7F) == 0;
}

class FirstFailure {
  public:
    // Keeps code when it is the first failure; true when code succeeded.
    constexpr bool keep(int32_t code)
    {
        if (Succeeded(code)) return true;
        if (ok()) code_ = code;
        return false;
    }
    constexpr bool ok() const { return Succeeded(code_); }
    // The first failure, or 0 while there is none.
    constexpr int32_t code() const { return code_; }

  private:
    int32_t code_ = 0;
};
