// Linux i2c-dev backend for real USB-I2C bridges. Its settings come from the
// environment; the system calls sit behind i2cdev::System so that tests run
// it on a fake bus and a fake sysfs tree.
#pragma once

#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Backend.h"
#include "i2cdev/System.h"

namespace kvrx::i2cdev {

inline constexpr unsigned kPortPins = 8;
inline constexpr int kNoLine = -1;

// A kernel driver of a known USB-I2C bridge, as its sysfs "driver" link names
// it. An i2c-dev adapter is a bridge when one of the devices above it, up to
// the root, is bound to such a driver (udev's DRIVERS match, which the package's
// rule uses with the same names); anything else on USB (a TV tuner's or a
// capture stick's internal bus) is not a board.
struct BridgeDriver {
    const char* driver;
    const char* bridge; // who binds it, for the reader
};

std::span<const BridgeDriver> bridgeDrivers();

struct Settings {
    // KVRX_I2C_BUSES: exactly these bus numbers are boards; unset: known bridges.
    std::optional<std::vector<unsigned>> buses;
    // KVRX_GPIO_CHIP: name, path, label or number of the bridge's GPIO chip.
    std::string gpioChip;
    // KVRX_PORT_LINES: line offset of P0.0 to P0.7 ("-" or missing: not wired).
    std::array<int, kPortPins> portLines{kNoLine, kNoLine, kNoLine, kNoLine,
                                         kNoLine, kNoLine, kNoLine, kNoLine};
    // KVRX_VCC_LINE: the supply switch's line; a leading "!" when low is on.
    int vccLine = kNoLine;
    bool vccActiveLow = false;
};

// The variables' texts (null: unset); nullopt when one of them is invalid.
std::optional<Settings> parseSettings(const char* buses, const char* gpioChip,
                                      const char* portLines, const char* vccLine);

// The result code of a failed system call (errno) on the bus or a GPIO line.
int32_t codeOfBusErrno(int err);
int32_t codeOfGpioErrno(int err);

std::unique_ptr<Backend> makeBackend(std::shared_ptr<System> system, const Settings& settings);

} // namespace kvrx::i2cdev
