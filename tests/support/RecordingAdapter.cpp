#include "support/RecordingAdapter.h"

#include <deque>
#include <map>
#include <utility>

#include "kvrx_usb.h"

namespace {

struct State {
    std::vector<AdapterCall> calls;
    std::map<std::pair<uint8_t, uint32_t>, uint8_t> registers;
    std::deque<std::vector<uint8_t>> scriptedReads;
    std::map<size_t, int32_t> failingCalls;
    std::map<uint8_t, int32_t> failingSlaves;
    uint32_t deviceCount = 1;
    uint32_t runTime = 0;
    uint8_t portIn = 0;
};

State& state()
{
    static State s;
    return s;
}

// Records a call; returns the code it fails with (0 when it is to succeed).
int32_t record(AdapterCall call)
{
    State& s = state();
    s.calls.push_back(std::move(call));
    AdapterCall& c = s.calls.back();
    int32_t code = 0;
    if (auto it = s.failingCalls.find(s.calls.size()); it != s.failingCalls.end())
        code = it->second;
    else if (c.op == AdapterOp::Read || c.op == AdapterOp::Write) {
        if (auto slave = s.failingSlaves.find(c.slave); slave != s.failingSlaves.end())
            code = slave->second;
    }
    c.result = code;
    return code;
}

int32_t simple(AdapterOp op, uint32_t board, uint32_t value = 0)
{
    AdapterCall c;
    c.op = op;
    c.board = board;
    c.value = value;
    return record(std::move(c));
}

int32_t fakeGetNumDevices(uint32_t* count)
{
    const int32_t code = simple(AdapterOp::GetNumDevices, 0);
    if (code == 0) *count = state().deviceCount;
    return code;
}

int32_t fakeGetDeviceID(uint32_t board, uint8_t* id)
{
    const int32_t code = simple(AdapterOp::GetDeviceID, board);
    if (code == 0 && (board < 1 || board > state().deviceCount)) {
        state().calls.back().result = KVRX_ERR_NO_SUCH_BOARD;
        return KVRX_ERR_NO_SUCH_BOARD;
    }
    if (code == 0) id[0] = 0;
    return code;
}

int32_t fakeInit(uint32_t board, uint32_t param)
{
    return simple(AdapterOp::Init, board, param);
}

const char* fakeResultStr(int32_t code)
{
    // Texts stay put for the whole run: callers keep the pointer.
    static std::map<int32_t, std::string> texts;
    auto [it, added] = texts.try_emplace(code, RecordingAdapter::resultText(code));
    return it->second.c_str();
}

int32_t fakeVccOn(uint32_t board)
{
    return simple(AdapterOp::VccOn, board);
}
int32_t fakeVccOff(uint32_t board)
{
    return simple(AdapterOp::VccOff, board);
}

int32_t fakeRdRunTime(uint32_t board, uint32_t* seconds)
{
    const int32_t code = simple(AdapterOp::RdRunTime, board);
    if (code == 0) *seconds = state().runTime;
    return code;
}

int32_t fakePortIn(uint32_t board, uint8_t* value)
{
    const int32_t code = simple(AdapterOp::PortIn, board);
    if (code == 0) *value = state().portIn;
    return code;
}

int32_t fakePortOut(uint32_t board, uint8_t value)
{
    return simple(AdapterOp::PortOut, board, value);
}
int32_t fakePortMode(uint32_t board, uint8_t mode)
{
    return simple(AdapterOp::PortMode, board, mode);
}
int32_t fakeClockRate(uint32_t board, uint16_t khz)
{
    return simple(AdapterOp::ClockRate, board, khz);
}

AdapterCall transfer(AdapterOp op, uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub,
                     uint32_t count)
{
    AdapterCall c;
    c.op = op;
    c.board = board;
    c.subLen = subLen;
    c.slave = slave;
    c.sub = sub;
    c.count = count;
    return c;
}

int32_t fakeRead(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                 uint32_t count)
{
    const int32_t code = record(transfer(AdapterOp::Read, board, subLen, slave, sub, count));
    if (code != 0) return code;
    State& s = state();
    std::vector<uint8_t> answer(count, 0);
    if (!s.scriptedReads.empty()) {
        const std::vector<uint8_t>& scripted = s.scriptedReads.front();
        for (uint32_t i = 0; i < count && i < scripted.size(); ++i)
            answer[i] = scripted[i];
        s.scriptedReads.pop_front();
    } else {
        for (uint32_t i = 0; i < count; ++i)
            answer[i] = RecordingAdapter::registerAt(slave, sub + i);
    }
    for (uint32_t i = 0; i < count; ++i)
        buf[i] = answer[i];
    s.calls.back().data = std::move(answer);
    return 0;
}

int32_t fakeWrite(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, const uint8_t* buf,
                  uint32_t count)
{
    AdapterCall c = transfer(AdapterOp::Write, board, subLen, slave, sub, count);
    c.data.assign(buf, buf + count);
    const int32_t code = record(std::move(c));
    if (code == 0) RecordingAdapter::setRegisters(slave, sub, state().calls.back().data);
    return code;
}

uint16_t fakeBo16(uint16_t value)
{
    return static_cast<uint16_t>((value << 8) | (value >> 8));
}

int32_t notSupported(AdapterOp op, uint32_t board = 0, uint32_t value = 0)
{
    const int32_t code = simple(op, board, value);
    if (code != 0) return code;
    state().calls.back().result = KVRX_ERR_NOT_SUPPORTED;
    return KVRX_ERR_NOT_SUPPORTED;
}

int32_t fakeSimSetPart(uint32_t board, const char*)
{
    return notSupported(AdapterOp::SimSetPart, board);
}
int32_t fakeSimAdvance(double)
{
    return notSupported(AdapterOp::SimAdvance);
}
int32_t fakeSimSetTemperature(uint32_t board, double)
{
    return notSupported(AdapterOp::SimSetTemperature, board);
}
int32_t fakeSimPeek(uint32_t board, uint8_t, uint32_t, uint8_t*)
{
    return notSupported(AdapterOp::SimPeek, board);
}
int32_t fakeSimPoke(uint32_t board, uint8_t, uint32_t, uint8_t value)
{
    return notSupported(AdapterOp::SimPoke, board, value);
}
int32_t fakeSimSetAttached(uint32_t board, int attached)
{
    return notSupported(AdapterOp::SimSetAttached, board, static_cast<uint32_t>(attached));
}
int32_t fakeSimEventInput(uint32_t board, int level)
{
    return notSupported(AdapterOp::SimEventInput, board, static_cast<uint32_t>(level));
}
int32_t fakeSimSetPpm(uint32_t board, double)
{
    return notSupported(AdapterOp::SimSetPpm, board);
}
int32_t fakeSimSetVoltage(uint32_t board, int which, double)
{
    return notSupported(AdapterOp::SimSetVoltage, board, static_cast<uint32_t>(which));
}

} // namespace

const AdapterApi& RecordingAdapter::api()
{
    static const AdapterApi table{
        fakeGetNumDevices,
        fakeGetDeviceID,
        fakeInit,
        fakeResultStr,
        fakeVccOn,
        fakeVccOff,
        fakeRdRunTime,
        fakePortIn,
        fakePortOut,
        fakePortMode,
        fakeClockRate,
        fakeRead,
        fakeWrite,
        fakeBo16,
        fakeSimSetPart,
        fakeSimAdvance,
        fakeSimSetTemperature,
        fakeSimPeek,
        fakeSimPoke,
        fakeSimSetAttached,
        fakeSimEventInput,
        fakeSimSetPpm,
        fakeSimSetVoltage,
    };
    return table;
}

void RecordingAdapter::reset()
{
    state() = State{};
}

const std::vector<AdapterCall>& RecordingAdapter::calls()
{
    return state().calls;
}

std::vector<AdapterCall> RecordingAdapter::transfers()
{
    std::vector<AdapterCall> result;
    for (const AdapterCall& c : state().calls) {
        if (c.op == AdapterOp::Read || c.op == AdapterOp::Write) result.push_back(c);
    }
    return result;
}

void RecordingAdapter::setRegisters(uint8_t slave, uint32_t sub, const std::vector<uint8_t>& bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        state().registers[{slave, sub + static_cast<uint32_t>(i)}] = bytes[i];
}

uint8_t RecordingAdapter::registerAt(uint8_t slave, uint32_t sub)
{
    const auto& regs = state().registers;
    auto it = regs.find({slave, sub});
    return it == regs.end() ? 0 : it->second;
}

void RecordingAdapter::queueRead(std::vector<uint8_t> bytes)
{
    state().scriptedReads.push_back(std::move(bytes));
}

void RecordingAdapter::failCall(size_t n, int32_t code)
{
    state().failingCalls[n] = code;
}

void RecordingAdapter::failSlave(uint8_t slave, int32_t code)
{
    state().failingSlaves[slave] = code;
}

void RecordingAdapter::setDeviceCount(uint32_t count)
{
    state().deviceCount = count;
}
void RecordingAdapter::setRunTime(uint32_t seconds)
{
    state().runTime = seconds;
}
void RecordingAdapter::setPortIn(uint8_t value)
{
    state().portIn = value;
}

std::string RecordingAdapter::resultText(int32_t code)
{
    return "Fake result " + std::to_string(code);
}
