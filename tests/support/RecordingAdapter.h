// A fake adapter library that records every call, answers reads from a register
// store per slave (or from scripted answers), and fails chosen calls. Its state
// is static because AdapterApi holds plain function pointers; reset() between tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bus/AdapterApi.h"
#include "bus/RtcBus.h"

enum class AdapterOp {
    GetNumDevices,
    GetDeviceID,
    Init,
    VccOn,
    VccOff,
    RdRunTime,
    PortIn,
    PortOut,
    PortMode,
    ClockRate,
    Read,
    Write,
    SimSetPart,
    SimAdvance,
    SimSetTemperature,
    SimPeek,
    SimPoke,
    SimSetAttached,
    SimEventInput,
    SimSetPpm,
    SimSetVoltage,
};

struct AdapterCall {
    AdapterOp op{};
    uint32_t board = 0;
    uint8_t subLen = 0;
    uint8_t slave = 0;
    uint32_t sub = 0;
    uint32_t count = 0;
    uint32_t value = 0;        // Init parameter, clock rate, port value or mode, attached flag
    std::vector<uint8_t> data; // bytes written, or bytes a successful read delivered
    int32_t result = 0;
};

class RecordingAdapter {
  public:
    static const AdapterApi& api();

    // Forgets calls, registers, scripted answers and failures; one board attached.
    static void reset();

    // Every call except ResultStr and bo16, in order.
    static const std::vector<AdapterCall>& calls();
    // Only the reads and writes.
    static std::vector<AdapterCall> transfers();

    // Register store: reads answer from it, successful writes land in it; bytes
    // never set read as 0.
    static void setRegisters(uint8_t slave, uint32_t sub, const std::vector<uint8_t>& bytes);
    static uint8_t registerAt(uint8_t slave, uint32_t sub);

    // The next successful reads answer these bytes in turn (missing bytes read 0),
    // ahead of the store.
    static void queueRead(std::vector<uint8_t> bytes);

    // Call number n (1-based, counted over calls()) returns code.
    static void failCall(size_t n, int32_t code);
    // Every read and write to this slave returns code.
    static void failSlave(uint8_t slave, int32_t code);

    static void setDeviceCount(uint32_t count);
    static void setRunTime(uint32_t seconds);
    static void setPortIn(uint8_t value);

    // The text ResultStr gives for a code.
    static std::string resultText(int32_t code);
};

// Records what ReportResult shows.
class RecordingResultSink : public ResultSink {
  public:
    void errorBox(const std::string& text) override { errorBoxes.push_back(text); }
    void statusText(const std::string& text) override { statusTexts.push_back(text); }

    std::vector<std::string> errorBoxes;
    std::vector<std::string> statusTexts;
};
