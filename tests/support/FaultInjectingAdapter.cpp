#include "support/FaultInjectingAdapter.h"

#include <cstdio>
#include <random>
#include <utility>

#include "kvrx_usb.h"

namespace {

struct State {
    const AdapterApi* inner = nullptr;
    double probability = 0.0;
    std::mt19937_64 rng;
    std::vector<FaultTransfer> transfers;
    size_t failOnly = 0; // counts down; the transfer that finds it at 1 fails
};

State& state()
{
    static State s;
    return s;
}

const AdapterApi& inner()
{
    const State& s = state();
    return s.inner != nullptr ? *s.inner : LibraryAdapter();
}

// Whether the next transfer fails. The draw is made from the generator's raw
// bits, so a seed gives the same failures with any standard library.
bool nextFails()
{
    State& s = state();
    if (s.failOnly > 0) return --s.failOnly == 0;
    if (s.probability <= 0.0) return false;
    const double u = static_cast<double>(s.rng() >> 11) * 0x1.0p-53;
    return u < s.probability;
}

FaultTransfer& recordTransfer(AdapterOp op, uint32_t board, uint8_t subLen, uint8_t slave,
                              uint32_t sub, uint32_t count)
{
    FaultTransfer t;
    t.call.op = op;
    t.call.board = board;
    t.call.subLen = subLen;
    t.call.slave = slave;
    t.call.sub = sub;
    t.call.count = count;
    state().transfers.push_back(std::move(t));
    return state().transfers.back();
}

int32_t faultRead(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                  uint32_t count)
{
    const bool fails = nextFails();
    const int32_t code =
        fails ? KVRX_ERR_ADDR_NACK : inner().Read(board, subLen, slave, sub, buf, count);
    FaultTransfer& t = recordTransfer(AdapterOp::Read, board, subLen, slave, sub, count);
    t.injected = fails;
    t.call.result = code;
    if (code == 0 && buf != nullptr) t.call.data.assign(buf, buf + count);
    return code;
}

int32_t faultWrite(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, const uint8_t* buf,
                   uint32_t count)
{
    const bool fails = nextFails();
    const int32_t code =
        fails ? KVRX_ERR_ADDR_NACK : inner().Write(board, subLen, slave, sub, buf, count);
    FaultTransfer& t = recordTransfer(AdapterOp::Write, board, subLen, slave, sub, count);
    t.injected = fails;
    t.call.result = code;
    if (buf != nullptr) t.call.data.assign(buf, buf + count);
    return code;
}

// Everything else goes straight through.
int32_t GetNumDevices(uint32_t* count)
{
    return inner().GetNumDevices(count);
}
int32_t GetDeviceID(uint32_t board, uint8_t* id)
{
    return inner().GetDeviceID(board, id);
}
int32_t Init(uint32_t board, uint32_t param)
{
    return inner().Init(board, param);
}
const char* ResultStr(int32_t code)
{
    return inner().ResultStr(code);
}
int32_t VccOn(uint32_t board)
{
    return inner().VccOn(board);
}
int32_t VccOff(uint32_t board)
{
    return inner().VccOff(board);
}
int32_t RdRunTime(uint32_t board, uint32_t* seconds)
{
    return inner().RdRunTime(board, seconds);
}
int32_t PortIn(uint32_t board, uint8_t* value)
{
    return inner().PortIn(board, value);
}
int32_t PortOut(uint32_t board, uint8_t value)
{
    return inner().PortOut(board, value);
}
int32_t PortMode(uint32_t board, uint8_t mode)
{
    return inner().PortMode(board, mode);
}
int32_t ClockRate(uint32_t board, uint16_t khz)
{
    return inner().ClockRate(board, khz);
}
uint16_t Bo16(uint16_t value)
{
    return inner().Bo16(value);
}
int32_t SimSetPart(uint32_t board, const char* partName)
{
    return inner().SimSetPart(board, partName);
}
int32_t SimAdvance(double seconds)
{
    return inner().SimAdvance(seconds);
}
int32_t SimSetTemperature(uint32_t board, double celsius)
{
    return inner().SimSetTemperature(board, celsius);
}
int32_t SimPeek(uint32_t board, uint8_t slave, uint32_t sub, uint8_t* value)
{
    return inner().SimPeek(board, slave, sub, value);
}
int32_t SimPoke(uint32_t board, uint8_t slave, uint32_t sub, uint8_t value)
{
    return inner().SimPoke(board, slave, sub, value);
}
int32_t SimSetAttached(uint32_t board, int attached)
{
    return inner().SimSetAttached(board, attached);
}
int32_t SimEventInput(uint32_t board, int level)
{
    return inner().SimEventInput(board, level);
}
int32_t SimSetPpm(uint32_t board, double ppm)
{
    return inner().SimSetPpm(board, ppm);
}
int32_t SimSetVoltage(uint32_t board, int which, double volts)
{
    return inner().SimSetVoltage(board, which, volts);
}

} // namespace

const AdapterApi& FaultInjectingAdapter::api()
{
    static const AdapterApi table{
        GetNumDevices, GetDeviceID,       Init,          ResultStr, VccOn,
        VccOff,        RdRunTime,         PortIn,        PortOut,   PortMode,
        ClockRate,     faultRead,         faultWrite,    Bo16,      SimSetPart,
        SimAdvance,    SimSetTemperature, SimPeek,       SimPoke,   SimSetAttached,
        SimEventInput, SimSetPpm,         SimSetVoltage,
    };
    return table;
}

void FaultInjectingAdapter::reset()
{
    state() = State{};
}

void FaultInjectingAdapter::setInner(const AdapterApi* inner)
{
    state().inner = inner;
}

void FaultInjectingAdapter::inject(double probability, uint64_t seed)
{
    State& s = state();
    s.probability = probability;
    s.rng.seed(seed);
    s.failOnly = 0;
}

void FaultInjectingAdapter::failOnly(size_t n)
{
    state().failOnly = n;
}

const std::vector<FaultTransfer>& FaultInjectingAdapter::transfers()
{
    return state().transfers;
}

void FaultInjectingAdapter::clearTransfers()
{
    state().transfers.clear();
}

int32_t FaultInjectingAdapter::injectedCode()
{
    return KVRX_ERR_ADDR_NACK;
}

std::string describeTransfer(const FaultTransfer& t)
{
    const AdapterCall& c = t.call;
    char text[96];
    std::snprintf(text, sizeof text, "%s slave 0x%02X sub 0x%0*X (%u byte%s)",
                  c.op == AdapterOp::Read ? "read" : "write", c.slave, c.subLen == 2 ? 4 : 2, c.sub,
                  c.count, c.count == 1 ? "" : "s");
    std::string out = text;
    if (c.op == AdapterOp::Write && !c.data.empty()) {
        out += " [";
        for (size_t i = 0; i < c.data.size() && i < 8; ++i) {
            std::snprintf(text, sizeof text, i == 0 ? "%02X" : " %02X", c.data[i]);
            out += text;
        }
        if (c.data.size() > 8) out += " ...";
        out += "]";
    }
    if (c.result != 0)
        out +=
            t.injected ? " failed (injected)" : " failed (code " + std::to_string(c.result) + ")";
    return out;
}
