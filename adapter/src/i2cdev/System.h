// The operating system as the i2c-dev backend sees it: device nodes, the
// I2C_RDWR call, sysfs and GPIO lines. Tests put a fake bus and a fake sysfs
// tree behind it. Failures answer -errno.
#pragma once

#include <linux/i2c.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kvrx::i2cdev {

class System {
  public:
    virtual ~System() = default;

    // Device nodes: open for reading and writing gives a descriptor.
    virtual int open(const std::string& path) = 0;
    virtual void close(int fd) = 0;
    // One I2C_RDWR call: the number of messages done, or -errno.
    virtual int transfer(int fd, i2c_msg* msgs, unsigned count) = 0;

    // sysfs: entry names of a folder (none when it is missing), the first line
    // of a file, and a path with every link resolved ("" when it is missing).
    virtual std::vector<std::string> list(const std::string& dir) = 0;
    virtual std::optional<std::string> readLine(const std::string& path) = 0;
    virtual std::string resolve(const std::string& path) = 0;

    // GPIO: a chip by name, path, label or number gives a handle; lines are
    // requested by offset. The kernel keeps an output's level while it stays
    // requested.
    virtual int gpioOpen(const std::string& chip) = 0;
    virtual void gpioClose(int chip) = 0;
    // The open chip's kernel name ("gpiochip4"), under /sys/bus/gpio/devices.
    virtual std::string gpioName(int chip) = 0;
    virtual int gpioRequestOutput(int chip, unsigned line, bool openDrain, int value) = 0;
    virtual void gpioRelease(int chip, unsigned line) = 0;
    virtual int gpioGet(int chip, unsigned line) = 0; // 0, 1 or -errno
    virtual int gpioSet(int chip, unsigned line, int value) = 0;

    virtual std::chrono::steady_clock::time_point now() = 0;
};

// The real one; GPIO calls answer -ENOTSUP when built without libgpiod.
std::shared_ptr<System> linuxSystem();

} // namespace kvrx::i2cdev
