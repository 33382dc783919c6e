// The adapter library's operations as one table, so tests can put a recording
// fake or the simulated board behind the application.
#pragma once

#include <cstdint>

struct AdapterApi {
    int32_t (*GetNumDevices)(uint32_t* count);
    int32_t (*GetDeviceID)(uint32_t board, uint8_t* id);
    int32_t (*Init)(uint32_t board, uint32_t param);
    const char* (*ResultStr)(int32_t code);
    int32_t (*VccOn)(uint32_t board);
    int32_t (*VccOff)(uint32_t board);
    int32_t (*RdRunTime)(uint32_t board, uint32_t* seconds);
    int32_t (*PortIn)(uint32_t board, uint8_t* value);
    int32_t (*PortOut)(uint32_t board, uint8_t value);
    int32_t (*PortMode)(uint32_t board, uint8_t mode);
    int32_t (*ClockRate)(uint32_t board, uint16_t khz);
    int32_t (*Read)(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                    uint32_t count);
    int32_t (*Write)(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub,
                     const uint8_t* buf, uint32_t count);
    uint16_t (*Bo16)(uint16_t value);

    // Simulated-board controls (fail with "not supported" on real adapters).
    int32_t (*SimSetPart)(uint32_t board, const char* partName);
    int32_t (*SimAdvance)(double seconds);
    int32_t (*SimSetTemperature)(uint32_t board, double celsius);
    int32_t (*SimPeek)(uint32_t board, uint8_t slave, uint32_t sub, uint8_t* value);
    int32_t (*SimPoke)(uint32_t board, uint8_t slave, uint32_t sub, uint8_t value);
    int32_t (*SimSetAttached)(uint32_t board, int attached);
    int32_t (*SimEventInput)(uint32_t board, int level);
    int32_t (*SimSetPpm)(uint32_t board, double ppm);
    int32_t (*SimSetVoltage)(uint32_t board, int which, double volts);
};

// The table bound to libkvrx_usb.
const AdapterApi& LibraryAdapter();
