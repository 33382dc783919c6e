// One implementation of the adapter operations. The C entry points in
// kvrx_usb.cpp forward to the backend chosen at the first call.
#pragma once

#include <cstdint>
#include <memory>

#include "kvrx_usb.h"

namespace kvrx {

class Backend {
public:
    virtual ~Backend() = default;

    virtual int32_t getNumDevices(uint32_t* count) = 0;
    virtual int32_t getDeviceId(uint32_t board, uint8_t* id) = 0;
    virtual int32_t init(uint32_t board, uint32_t param) = 0;
    virtual int32_t vccOn(uint32_t board) = 0;
    virtual int32_t vccOff(uint32_t board) = 0;
    virtual int32_t rdRunTime(uint32_t board, uint32_t* seconds) = 0;
    virtual int32_t portIn(uint32_t board, uint8_t* value) = 0;
    virtual int32_t portOut(uint32_t board, uint8_t value) = 0;
    virtual int32_t portMode(uint32_t board, uint8_t mode) = 0;
    virtual int32_t clockRate(uint32_t board, uint16_t khz) = 0;
    virtual int32_t read(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                         uint32_t count) = 0;
    virtual int32_t write(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub,
                          const uint8_t* buf, uint32_t count) = 0;

    // Simulated-board controls: only the simulated board has them.
    virtual int32_t simSetPart(uint32_t, const char*) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simAdvance(double) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simSetTemperature(uint32_t, double) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simPeek(uint32_t, uint8_t, uint32_t, uint8_t*) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simPoke(uint32_t, uint8_t, uint32_t, uint8_t) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simSetAttached(uint32_t, int) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simEventInput(uint32_t, int) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simSetPpm(uint32_t, double) { return KVRX_ERR_NOT_SUPPORTED; }
    virtual int32_t simSetVoltage(uint32_t, int, double) { return KVRX_ERR_NOT_SUPPORTED; }
};

// A backend whose every operation fails with one code (no adapter, unknown backend).
class FailingBackend : public Backend {
public:
    explicit FailingBackend(int32_t code) : code_(code) {}
    int32_t getNumDevices(uint32_t*) override { return code_; }
    int32_t getDeviceId(uint32_t, uint8_t*) override { return code_; }
    int32_t init(uint32_t, uint32_t) override { return code_; }
    int32_t vccOn(uint32_t) override { return code_; }
    int32_t vccOff(uint32_t) override { return code_; }
    int32_t rdRunTime(uint32_t, uint32_t*) override { return code_; }
    int32_t portIn(uint32_t, uint8_t*) override { return code_; }
    int32_t portOut(uint32_t, uint8_t) override { return code_; }
    int32_t portMode(uint32_t, uint8_t) override { return code_; }
    int32_t clockRate(uint32_t, uint16_t) override { return code_; }
    int32_t read(uint32_t, uint8_t, uint8_t, uint32_t, uint8_t*, uint32_t) override { return code_; }
    int32_t write(uint32_t, uint8_t, uint8_t, uint32_t, const uint8_t*, uint32_t) override
    {
        return code_;
    }

private:
    int32_t code_;
};

// Factories of the backends (each in its own folder).
std::unique_ptr<Backend> makeSimBackend();
std::unique_ptr<Backend> makeI2cDevBackend();

}  // namespace kvrx
