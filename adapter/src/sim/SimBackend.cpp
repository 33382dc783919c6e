// The simulated evaluation board backend: KVRX_SIM_BOARDS boards, each with a
// chip socket, a temperature sensor and port P0, on a real or manual clock.
// The environment is read once, when the backend is made.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "../Backend.h"
#include "Board.h"
#include "Faults.h"
#include "PartTable.h"
#include "SimClock.h"

namespace kvrx {

namespace {

using sim::Board;
using sim::SensorFormat;
using sim::SimClock;

constexpr uint32_t kMaxBoards = 16;
constexpr uint64_t kDefaultSeed = 1;
// Chips run in steps of at most a minute so that they see the board
// temperature change; very long advances use at most this many steps.
constexpr double kStepSeconds = 60.0;
constexpr double kMaxSteps = 100000.0;
// One manual advance covers at most this much; longer runs go in pieces.
constexpr double kMaxAdvanceSeconds = 400.0 * 86400.0;
// Range of a board temperature that can be set (the sensors' working range).
constexpr double kMinCelsius = -55.0;
constexpr double kMaxCelsius = 150.0;
constexpr double kMaxPpm = 1000.0;
constexpr double kMaxVolts = 6.0; // the parts' absolute maximum and a little more

struct Settings {
    uint32_t boards = 1;
    std::optional<int> pinnedRow; // KVRX_SIM_PART
    SimClock::Mode clock = SimClock::Mode::Real;
    SensorFormat sensor = SensorFormat::LM75;
    double faults = 0.0;
    uint64_t seed = kDefaultSeed;
};

const char* envValue(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

template <typename T> bool parseUnsigned(std::string_view text, T& out)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

// A decimal number as the C locale writes it ("0.05", never "0,05"), whatever
// the locale of the program the library runs in.
bool parseDouble(std::string_view text, double& out)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return false;
    }
    const auto [end, ec] = std::from_chars(first, last, out, std::chars_format::general);
    return ec == std::errc() && end == last && std::isfinite(out);
}

// Socket row for a part name: "" and the first row's name empty the socket.
std::optional<int> partRowFor(std::string_view name)
{
    if (name.empty() || name == PartTable[0].PartName) return 0;
    const int row = FindPartRow(name);
    if (row == 0) return std::nullopt;
    return row;
}

// The settings, or the name of the variable that holds a bad value.
std::optional<Settings> readSettings(std::string& badVariable)
{
    Settings s;
    auto bad = [&](const char* name) {
        badVariable = name;
        return std::nullopt;
    };
    if (const char* v = envValue("KVRX_SIM_BOARDS")) {
        if (!parseUnsigned(v, s.boards) || s.boards > kMaxBoards) return bad("KVRX_SIM_BOARDS");
    }
    if (const char* v = envValue("KVRX_SIM_PART")) {
        s.pinnedRow = partRowFor(v);
        if (!s.pinnedRow) return bad("KVRX_SIM_PART");
    }
    if (const char* v = envValue("KVRX_SIM_CLOCK")) {
        if (std::strcmp(v, "real") == 0)
            s.clock = SimClock::Mode::Real;
        else if (std::strcmp(v, "manual") == 0)
            s.clock = SimClock::Mode::Manual;
        else
            return bad("KVRX_SIM_CLOCK");
    }
    if (const char* v = envValue("KVRX_SIM_SENSOR")) {
        if (std::strcmp(v, "75") == 0)
            s.sensor = SensorFormat::LM75;
        else if (std::strcmp(v, "76") == 0)
            s.sensor = SensorFormat::LM76;
        else
            return bad("KVRX_SIM_SENSOR");
    }
    if (const char* v = envValue("KVRX_SIM_FAULTS")) {
        if (!parseDouble(v, s.faults) || s.faults < 0.0 || s.faults > 1.0)
            return bad("KVRX_SIM_FAULTS");
    }
    if (const char* v = envValue("KVRX_SIM_SEED")) {
        if (!parseUnsigned(v, s.seed)) return bad("KVRX_SIM_SEED");
    }
    return s;
}

class SimBackend final : public Backend {
  public:
    explicit SimBackend(const Settings& s)
        : clock_(s.clock), faults_(s.faults, s.seed), pinnedRow_(s.pinnedRow)
    {
        for (uint32_t n = 1; n <= s.boards; ++n) {
            boards_.push_back(std::make_unique<Board>(n, s.seed, s.sensor, clock_.now()));
            if (pinnedRow_) boards_.back()->insert(*pinnedRow_);
        }
    }

    // Boards keep their numbers while others come and go, so the count
    // reaches the highest board plugged in; an unplugged board below it
    // fails its identity query instead of hiding the boards above it.
    int32_t getNumDevices(uint32_t* count) override
    {
        std::lock_guard lock(mutex_);
        uint32_t highest = 0;
        for (uint32_t n = 1; n <= boards_.size(); ++n) {
            if (boards_[n - 1]->attached()) highest = n;
        }
        *count = highest;
        return KVRX_OK;
    }

    int32_t getDeviceId(uint32_t board, uint8_t* id) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Attached, b)) return rc;
        b->identity(id);
        return KVRX_OK;
    }

    // The parameter is the bus clock in kHz to start with (0 keeps it).
    int32_t init(uint32_t board, uint32_t param) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Attached, b)) return rc;
        if (param != 0 && !Board::validClockRate(param)) return KVRX_ERR_BAD_ARG;
        if (param != 0) b->setClockRate(static_cast<uint16_t>(param));
        b->open();
        return KVRX_OK;
    }

    int32_t vccOn(uint32_t board) override { return supply(board, true); }
    int32_t vccOff(uint32_t board) override { return supply(board, false); }

    int32_t rdRunTime(uint32_t board, uint32_t* seconds) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Open, b)) return rc;
        *seconds = b->runTime(clock_.now());
        return KVRX_OK;
    }

    int32_t portIn(uint32_t board, uint8_t* value) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Open, b)) return rc;
        catchUp();
        *value = b->portIn();
        return KVRX_OK;
    }

    int32_t portOut(uint32_t board, uint8_t value) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Open, b)) return rc;
        catchUp();
        b->portOut(value);
        return KVRX_OK;
    }

    int32_t portMode(uint32_t board, uint8_t mode) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Open, b)) return rc;
        catchUp();
        b->portMode(mode);
        return KVRX_OK;
    }

    int32_t clockRate(uint32_t board, uint16_t khz) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Open, b)) return rc;
        if (!Board::validClockRate(khz)) return KVRX_ERR_BAD_ARG;
        b->setClockRate(khz);
        return KVRX_OK;
    }

    int32_t read(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                 uint32_t count) override
    {
        const auto start = std::chrono::steady_clock::now();
        double seconds = 0.0;
        int32_t rc = KVRX_OK;
        {
            std::lock_guard lock(mutex_);
            Board* b = nullptr;
            if ((rc = find(board, Need::Open, b))) return rc;
            catchUp();
            // The device fills a buffer of our own; the caller's sees only a
            // complete, successful read and never a byte beyond the count.
            std::array<uint8_t, KVRX_MAX_TRANSFER> data{};
            const Board::Outcome out = faults_.nextFails()
                                           ? b->addressFailed(clock_.manual())
                                           : b->read(subLen, slave, sub, data.data(), count,
                                                     clock_.now(), clock_.manual());
            rc = out.code;
            if (rc == KVRX_OK && count > 0) std::memcpy(buf, data.data(), count);
            seconds = b->transferSeconds(out.bytesOnWire);
        }
        waitOnWire(start, seconds);
        return rc;
    }

    int32_t write(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, const uint8_t* buf,
                  uint32_t count) override
    {
        const auto start = std::chrono::steady_clock::now();
        double seconds = 0.0;
        int32_t rc = KVRX_OK;
        {
            std::lock_guard lock(mutex_);
            Board* b = nullptr;
            if ((rc = find(board, Need::Open, b))) return rc;
            catchUp();
            const Board::Outcome out =
                faults_.nextFails() ? b->addressFailed(clock_.manual())
                                    : b->write(subLen, slave, sub, buf, count, clock_.manual());
            rc = out.code;
            seconds = b->transferSeconds(out.bytesOnWire);
        }
        waitOnWire(start, seconds);
        return rc;
    }

    // With KVRX_SIM_PART set the socket keeps that part: any known name is
    // taken without a change, so an application that follows its part list
    // still works against the pinned part.
    int32_t simSetPart(uint32_t board, const char* partName) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        const std::optional<int> row = partRowFor(partName);
        if (!row) return KVRX_ERR_UNKNOWN_PART;
        if (pinnedRow_) return KVRX_OK;
        catchUp();
        b->insert(*row);
        return KVRX_OK;
    }

    int32_t simAdvance(double seconds) override
    {
        std::lock_guard lock(mutex_);
        if (!clock_.manual()) return KVRX_ERR_BAD_MODE;
        if (!std::isfinite(seconds) || seconds < 0.0 || seconds > kMaxAdvanceSeconds)
            return KVRX_ERR_BAD_ARG;
        clock_.advance(seconds);
        catchUp();
        return KVRX_OK;
    }

    // NaN lets the temperature wander again.
    int32_t simSetTemperature(uint32_t board, double celsius) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        if (!std::isnan(celsius) && !(celsius >= kMinCelsius && celsius <= kMaxCelsius))
            return KVRX_ERR_BAD_ARG;
        catchUp(); // the time so far ran at the old temperature
        if (std::isnan(celsius))
            b->sensor().release();
        else
            b->sensor().hold(celsius);
        return KVRX_OK;
    }

    // Peek and poke reach the chip in the socket only; the sensor follows
    // KVRX_SimSetTemperature.
    int32_t simPeek(uint32_t board, uint8_t slave, uint32_t sub, uint8_t* value) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        catchUp();
        sim::Chip* c = b->chip();
        if (c == nullptr || !c->peek(static_cast<uint8_t>(slave & 0xFE), sub, value))
            return KVRX_ERR_NO_DEVICE;
        return KVRX_OK;
    }

    int32_t simPoke(uint32_t board, uint8_t slave, uint32_t sub, uint8_t value) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        catchUp();
        sim::Chip* c = b->chip();
        if (c == nullptr || !c->poke(static_cast<uint8_t>(slave & 0xFE), sub, value))
            return KVRX_ERR_NO_DEVICE;
        return KVRX_OK;
    }

    int32_t simSetAttached(uint32_t board, int attached) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        if (attached != 0 && attached != 1) return KVRX_ERR_BAD_ARG;
        catchUp();
        if (attached)
            b->attach(clock_.now());
        else
            b->detach();
        return KVRX_OK;
    }

    int32_t simEventInput(uint32_t board, int level) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        if (level != 0 && level != 1) return KVRX_ERR_BAD_ARG;
        catchUp();
        b->setExternalEvent(level);
        return KVRX_OK;
    }

    int32_t simSetPpm(uint32_t board, double ppm) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        if (!(std::fabs(ppm) <= kMaxPpm)) return KVRX_ERR_BAD_ARG;
        sim::Chip* c = b->chip();
        if (c == nullptr) return KVRX_ERR_NO_DEVICE;
        catchUp(); // the time so far ran at the old rate
        c->setPpm(ppm);
        return KVRX_OK;
    }

    int32_t simSetVoltage(uint32_t board, int which, double volts) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Exists, b)) return rc;
        if (which != KVRX_SIM_SUPPLY && which != KVRX_SIM_BATTERY) return KVRX_ERR_BAD_ARG;
        if (!(volts >= 0.0 && volts <= kMaxVolts)) return KVRX_ERR_BAD_ARG;
        catchUp(); // the time so far ran at the old levels
        b->setVoltage(which == KVRX_SIM_SUPPLY ? Board::Level::Supply : Board::Level::Battery,
                      volts);
        return KVRX_OK;
    }

  private:
    enum class Need { Exists, Attached, Open };

    int32_t find(uint32_t board, Need need, Board*& out)
    {
        if (board == 0 || board > boards_.size()) return KVRX_ERR_NO_SUCH_BOARD;
        Board* b = boards_[board - 1].get();
        if (need != Need::Exists && !b->attached()) return KVRX_ERR_NOT_ATTACHED;
        if (need == Need::Open && !b->isOpen()) return KVRX_ERR_NOT_OPEN;
        out = b;
        return KVRX_OK;
    }

    int32_t supply(uint32_t board, bool on)
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t rc = find(board, Need::Open, b)) return rc;
        catchUp();
        b->setSupply(on);
        return KVRX_OK;
    }

    // Runs every chip of every board up to the clock's present time, at each
    // board's temperature along the way.
    void catchUp()
    {
        const double target = clock_.now();
        const double remaining = target - chipTime_;
        if (!(remaining > 0.0)) return;
        const double step = std::max(kStepSeconds, remaining / kMaxSteps);
        const auto steps = static_cast<long>(std::ceil(remaining / step));
        for (long i = 0; i < steps; ++i) {
            const double dt = i + 1 == steps ? target - chipTime_ : step;
            // A board that never held a chip has nothing to run (and its
            // sensor's temperature costs two sines a step).
            for (auto& b : boards_)
                if (b->holdsChips()) b->advanceChips(dt, b->celsiusAt(chipTime_ + dt / 2));
            chipTime_ += dt;
        }
        chipTime_ = target;
    }

    // With the real clock a call returns when its transfer would be over.
    void waitOnWire(std::chrono::steady_clock::time_point start, double seconds) const
    {
        if (clock_.manual()) return;
        std::this_thread::sleep_until(
            start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>(seconds)));
    }

    std::mutex mutex_;
    SimClock clock_;
    double chipTime_ = 0.0; // board time the chips have run to
    sim::Faults faults_;
    std::optional<int> pinnedRow_;
    std::vector<std::unique_ptr<Board>> boards_;
};

// Bad settings: every operation, the board controls included, says so.
class BadSettingsBackend final : public FailingBackend {
  public:
    BadSettingsBackend() : FailingBackend(KVRX_ERR_BAD_SETTING) {}
    int32_t simSetPart(uint32_t, const char*) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simAdvance(double) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simSetTemperature(uint32_t, double) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simPeek(uint32_t, uint8_t, uint32_t, uint8_t*) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simPoke(uint32_t, uint8_t, uint32_t, uint8_t) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simSetAttached(uint32_t, int) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simEventInput(uint32_t, int) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simSetPpm(uint32_t, double) override { return KVRX_ERR_BAD_SETTING; }
    int32_t simSetVoltage(uint32_t, int, double) override { return KVRX_ERR_BAD_SETTING; }
};

} // namespace

std::unique_ptr<Backend> makeSimBackend()
{
    std::string badVariable;
    const std::optional<Settings> settings = readSettings(badVariable);
    if (!settings) {
        // The code alone cannot say which variable; the person starting the
        // program can read it here.
        std::fprintf(stderr, "kvrx_usb: invalid value in %s; the simulated board is off\n",
                     badVariable.c_str());
        return std::make_unique<BadSettingsBackend>();
    }
    return std::make_unique<SimBackend>(*settings);
}

} // namespace kvrx
