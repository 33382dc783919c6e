// Linux i2c-dev backend for real USB-I2C bridges. A board is an i2c-dev
// adapter of a known bridge driver (kBridgeDrivers) on USB, or a bus named in
// KVRX_I2C_BUSES; never the PC's own SMBus or display buses, where a stray
// write could reach the memory modules' configuration EEPROMs, nor the
// internal bus of another USB device (a TV tuner keeps its EEPROM at 0x50..57).
// Boards are numbered from 1 in the order of their bus numbers. Port P0 and
// the supply switch are GPIO lines of the bridge, when the environment names
// them; a chip that is not on the board's own USB device is refused.
#include "i2cdev/I2cDevBackend.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace kvrx::i2cdev {
namespace {

using Clock = std::chrono::steady_clock;

const std::string kClassDir = "/sys/class/i2c-dev";
const std::string kDevicesDir = "/sys/devices";
const std::string kGpioDevicesDir = "/sys/bus/gpio/devices";

// The known bridges. The HID bridges' adapters and GPIO chips hang under their
// HID device; DLN-2's and the CH341's under platform cells of the
// multi-function driver bound to their USB interface. The mainline "ch341"
// driver is the CH341's serial mode and has no bus.
constexpr BridgeDriver kBridgeDrivers[] = {
    {"cp2112", "Silicon Labs CP2112 (hid-cp2112)"},
    {"mcp2221", "Microchip MCP2221, MCP2221A (hid-mcp2221)"},
    {"ft260", "FTDI FT260 (hid-ft260)"},
    {"i2c-tiny-usb", "i2c-tiny-usb and compatibles (i2c-tiny-usb)"},
    {"dln2", "Diolan DLN-2 (dln2, with i2c-dln2 and gpio-dln2)"},
    {"ch341-mfd", "WCH CH341A/B/T in I2C mode (ch341-core, with i2c-ch341 and gpio-ch341)"},
    {"i2c-ch341-usb", "WCH CH341A in I2C mode (i2c-ch341-usb)"},
};
constexpr unsigned kMaxOffset = 4095;
constexpr uint16_t kPlugInKhz = 100;

struct Board {
    unsigned bus = 0;    // N of /dev/i2c-N
    std::string sysPath; // the adapter's sysfs device: who it is
    std::string name;
    bool usb = false;
    std::string usbPath; // sysfs device of the USB device above it
    std::string usbId;   // "vvvv:pppp"
    bool bridge = false; // bound to a known bridge driver
    int fd = -1;
    bool gone = false;     // unplugged while open
    int32_t openError = 0; // why the last opening failed
    Clock::time_point openedAt{};
    uint16_t khz = kPlugInKhz;
};

// "i2c-N" with N all digits.
bool parseBusName(const std::string& name, unsigned& bus)
{
    if (name.size() <= 4 || name.size() > 13 || name.compare(0, 4, "i2c-") != 0) return false;
    const char* first = name.data() + 4;
    const char* last = name.data() + name.size();
    return std::all_of(first, last, [](char c) { return c >= '0' && c <= '9'; }) &&
           std::from_chars(first, last, bus).ec == std::errc();
}

std::string trim(std::string_view text)
{
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    const auto end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

std::vector<std::string> splitCommas(const char* text)
{
    std::vector<std::string> items;
    std::string_view rest(text);
    for (;;) {
        const auto comma = rest.find(',');
        items.push_back(trim(rest.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return items;
}

std::optional<unsigned> number(const std::string& text, unsigned max)
{
    unsigned value = 0;
    const char* last = text.data() + text.size();
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (std::from_chars(text.data(), last, value).ec != std::errc() || value > max)
        return std::nullopt;
    return value;
}

bool isSet(const char* text)
{
    return text != nullptr && !trim(text).empty();
}

} // namespace

std::span<const BridgeDriver> bridgeDrivers()
{
    return kBridgeDrivers;
}

std::optional<Settings> parseSettings(const char* buses, const char* gpioChip,
                                      const char* portLines, const char* vccLine)
{
    Settings s;
    if (isSet(buses)) {
        std::vector<unsigned> list;
        for (const std::string& item : splitCommas(buses)) {
            const auto bus = number(item, 999999);
            if (!bus) return std::nullopt;
            if (std::find(list.begin(), list.end(), *bus) == list.end()) list.push_back(*bus);
        }
        s.buses = std::move(list);
    }
    if (isSet(gpioChip)) s.gpioChip = trim(gpioChip);

    std::vector<unsigned> used;
    auto take = [&used](unsigned offset) {
        if (std::find(used.begin(), used.end(), offset) != used.end()) return false;
        used.push_back(offset);
        return true;
    };
    if (isSet(portLines)) {
        const auto items = splitCommas(portLines);
        if (items.size() > kPortPins) return std::nullopt;
        for (size_t pin = 0; pin < items.size(); ++pin) {
            if (items[pin] == "-") continue;
            const auto offset = number(items[pin], kMaxOffset);
            if (!offset || !take(*offset)) return std::nullopt;
            s.portLines[pin] = static_cast<int>(*offset);
        }
    }
    if (isSet(vccLine)) {
        std::string text = trim(vccLine);
        if (text[0] == '!') {
            s.vccActiveLow = true;
            text = trim(text.substr(1));
        }
        const auto offset = number(text, kMaxOffset);
        if (!offset || !take(*offset)) return std::nullopt;
        s.vccLine = static_cast<int>(*offset);
    }
    // Lines without a chip to find them on.
    if (!used.empty() && s.gpioChip.empty()) return std::nullopt;
    return s;
}

int32_t codeOfBusErrno(int err)
{
    switch (err) {
    case ENXIO:
        return KVRX_ERR_ADDR_NACK; // the address phase got no acknowledge
    case EREMOTEIO:
        return KVRX_ERR_NACK; // drivers that cannot tell address from data
    case ETIMEDOUT:
        return KVRX_ERR_TIMEOUT;
    case ENODEV:
    case ESHUTDOWN:
    case ENOENT:
        return KVRX_ERR_NOT_ATTACHED; // the bridge is gone
    case EACCES:
    case EPERM:
        return KVRX_ERR_PERMISSION;
    case EAGAIN:
        return KVRX_ERR_ARBITRATION;
    case EBUSY:
        return KVRX_ERR_BUS_BUSY;
    case EPROTO:
    case EPIPE:
    case EILSEQ:
    case EBADMSG:
        return KVRX_ERR_PROTOCOL;
    case EOPNOTSUPP:
    case EINVAL:
    case EMSGSIZE:
        return KVRX_ERR_REJECTED;
    default:
        return KVRX_ERR_IO;
    }
}

int32_t codeOfGpioErrno(int err)
{
    switch (err) {
    case EBUSY:
        return KVRX_ERR_GPIO_BUSY;
    case EINVAL:
        return KVRX_ERR_GPIO_LINE;
    case ENOENT:
    case ENOTTY:
        return KVRX_ERR_GPIO_CHIP;
    case ENODEV:
    case ESHUTDOWN:
        return KVRX_ERR_NOT_ATTACHED;
    case EACCES:
    case EPERM:
        return KVRX_ERR_PERMISSION;
    case EOPNOTSUPP:
        return KVRX_ERR_NOT_SUPPORTED; // built without libgpiod
    default:
        return KVRX_ERR_IO;
    }
}

namespace {

class I2cDevBackend : public Backend {
  public:
    I2cDevBackend(std::shared_ptr<System> system, Settings settings)
        : sys_(std::move(system)), settings_(std::move(settings))
    {
        hasPort_ = std::any_of(settings_.portLines.begin(), settings_.portLines.end(),
                               [](int line) { return line != kNoLine; });
    }

    ~I2cDevBackend() override
    {
        releaseGpio();
        for (Board& b : boards_)
            closeBoard(b);
    }

    int32_t getNumDevices(uint32_t* count) override
    {
        std::lock_guard lock(mutex_);
        *count = 0;
        scan();
        if (boards_.empty()) return KVRX_ERR_NO_ADAPTER;
        *count = static_cast<uint32_t>(boards_.size());
        return 0;
    }

    int32_t getDeviceId(uint32_t board, uint8_t* id) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = find(board, b); result != 0) return result;
        std::string text = b->name.empty() ? "i2c adapter" : b->name;
        text += b->usb ? " (USB " + b->usbId + ")" : std::string(" (named in KVRX_I2C_BUSES)");
        text += " on /dev/i2c-" + std::to_string(b->bus);
        std::memset(id, 0, 256);
        std::memcpy(id, text.data(), std::min<size_t>(text.size(), 255));
        return 0;
    }

    // The clock is the kernel driver's: a valid one (or 0) is kept and changes nothing.
    int32_t init(uint32_t board, uint32_t khz) override
    {
        if (khz != 0 && (khz < 10 || khz > 1000)) return KVRX_ERR_BAD_ARG;
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = find(board, b); result != 0) return result;
        if (b->fd < 0) {
            const int fd = sys_->open("/dev/i2c-" + std::to_string(b->bus));
            // Kept, so that the calls after a failed opening (whose result
            // callers may not look at) tell why, not only that it is closed.
            if (fd < 0) return b->openError = codeOfBusErrno(-fd);
            b->fd = fd;
            b->gone = false;
            b->openError = 0;
            b->openedAt = sys_->now();
        }
        if (khz != 0) b->khz = static_cast<uint16_t>(khz);
        // The lines are taken now, so that a busy line shows at the first use.
        if (board == 1) acquireGpio(*b);
        return 0;
    }

    int32_t vccOn(uint32_t board) override { return switchSupply(board, true); }
    int32_t vccOff(uint32_t board) override { return switchSupply(board, false); }

    int32_t portIn(uint32_t board, uint8_t* value) override
    {
        std::lock_guard lock(mutex_);
        if (const int32_t result = gpioBoard(board, hasPort_); result != 0) return result;
        uint8_t bits = 0;
        for (unsigned pin = 0; pin < kPortPins; ++pin) {
            if (settings_.portLines[pin] == kNoLine) continue;
            const int level = sys_->gpioGet(chip_, static_cast<unsigned>(settings_.portLines[pin]));
            if (level < 0) return gpioFailed(-level);
            if (level != 0) bits |= static_cast<uint8_t>(1u << pin);
        }
        *value = bits;
        return 0;
    }

    int32_t portOut(uint32_t board, uint8_t value) override
    {
        std::lock_guard lock(mutex_);
        if (const int32_t result = gpioBoard(board, hasPort_); result != 0) return result;
        for (unsigned pin = 0; pin < kPortPins; ++pin) {
            if (settings_.portLines[pin] == kNoLine) continue;
            const int result = sys_->gpioSet(chip_, static_cast<unsigned>(settings_.portLines[pin]),
                                             (value >> pin) & 1);
            if (result < 0) return gpioFailed(-result);
        }
        latch_ = value;
        return 0;
    }

    // A line changes between push-pull and open-drain only by a new request.
    int32_t portMode(uint32_t board, uint8_t mode) override
    {
        std::lock_guard lock(mutex_);
        if (const int32_t result = gpioBoard(board, hasPort_); result != 0) return result;
        for (unsigned pin = 0; pin < kPortPins; ++pin) {
            const int line = settings_.portLines[pin];
            const uint8_t bit = static_cast<uint8_t>(1u << pin);
            if (line == kNoLine || ((mode ^ mode_) & bit) == 0) continue;
            sys_->gpioRelease(chip_, static_cast<unsigned>(line));
            const int result = sys_->gpioRequestOutput(chip_, static_cast<unsigned>(line),
                                                       (mode & bit) == 0, (latch_ & bit) != 0);
            if (result < 0) return gpioFailed(-result);
            mode_ = static_cast<uint8_t>((mode_ & ~bit) | (mode & bit));
        }
        return 0;
    }

    // Seconds since the board was opened.
    int32_t rdRunTime(uint32_t board, uint32_t* seconds) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = findOpen(board, b); result != 0) return result;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::seconds>(sys_->now() - b->openedAt);
        *seconds = static_cast<uint32_t>(elapsed.count());
        return 0;
    }

    // i2c-dev has no call that sets the clock (the driver's module parameter or
    // device tree does): the rate is kept and the caller told it is not applied.
    int32_t clockRate(uint32_t board, uint16_t khz) override
    {
        if (khz < 10 || khz > 1000) return KVRX_ERR_BAD_ARG;
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = findOpen(board, b); result != 0) return result;
        b->khz = khz;
        return KVRX_NOTE_CLOCK_FIXED;
    }

    int32_t read(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                 uint32_t count) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = findOpen(board, b); result != 0) return result;
        uint8_t subBytes[3];
        putSubAddress(subBytes, subLen, sub);
        // The caller's buffer (often the register image) changes only on success.
        std::vector<uint8_t> data(count);
        i2c_msg msgs[2];
        unsigned n = 0;
        // The sub-address, then a repeated start for the data.
        if (subLen > 0) msgs[n++] = message(slave, 0, subLen, subBytes);
        if (count > 0 || n == 0) msgs[n++] = message(slave, I2C_M_RD, count, data.data());
        const int32_t result = transfer(*b, msgs, n);
        if (result == 0 && count > 0) std::memcpy(buf, data.data(), count);
        return result;
    }

    int32_t write(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, const uint8_t* buf,
                  uint32_t count) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = findOpen(board, b); result != 0) return result;
        std::vector<uint8_t> bytes(subLen + count);
        putSubAddress(bytes.data(), subLen, sub);
        if (count > 0) std::memcpy(bytes.data() + subLen, buf, count);
        i2c_msg msg = message(slave, 0, static_cast<uint32_t>(bytes.size()), bytes.data());
        return transfer(*b, &msg, 1);
    }

  private:
    void closeBoard(Board& b)
    {
        if (b.fd >= 0) sys_->close(b.fd);
        b.fd = -1;
        if (!gpioOwner_.empty() && b.sysPath == gpioOwner_) releaseGpio();
    }

    // The sub-address's subLen low-order bytes, high byte first.
    static void putSubAddress(uint8_t* out, uint8_t subLen, uint32_t sub)
    {
        for (unsigned i = 0; i < subLen; ++i)
            out[i] = static_cast<uint8_t>(sub >> (8 * (subLen - 1 - i)));
    }

    // Slaves come in the 8-bit write form; the kernel wants the 7-bit address.
    static i2c_msg message(uint8_t slave, uint16_t flags, uint32_t len, uint8_t* buf)
    {
        i2c_msg m{};
        m.addr = static_cast<uint16_t>(slave >> 1);
        m.flags = flags;
        m.len = static_cast<uint16_t>(len);
        m.buf = buf;
        return m;
    }

    int32_t transfer(Board& b, i2c_msg* msgs, unsigned n)
    {
        const int done = sys_->transfer(b.fd, msgs, n);
        if (done == static_cast<int>(n)) return 0;
        // Some messages went out, then it stopped.
        const int32_t code = done >= 0 ? KVRX_ERR_IO : codeOfBusErrno(-done);
        // A vanished bridge leaves a dead descriptor, and while it is open the
        // kernel cannot finish removing the adapter. Many drivers report the
        // unplug as EIO, ETIMEDOUT or EPROTO, so every failure looks whether
        // the bus is still there. KVRX_Init opens a new one afresh.
        if (code == KVRX_ERR_NOT_ATTACHED || !stillThere(b)) {
            closeBoard(b);
            b.gone = true;
            return KVRX_ERR_NOT_ATTACHED;
        }
        return code;
    }

    // The bus's i2c-dev entry, on the same adapter device as when it was listed
    // (a new bridge may take the number over).
    bool stillThere(const Board& b)
    {
        return sys_->resolve(kClassDir + "/i2c-" + std::to_string(b.bus) + "/device") == b.sysPath;
    }

    // The i2c-dev adapters again; boards still present keep their state.
    void scan()
    {
        scanned_ = true;
        std::vector<Board> found;
        for (const std::string& entry : sys_->list(kClassDir)) {
            Board b;
            if (!parseBusName(entry, b.bus)) continue;
            const std::string classPath = kClassDir + "/" + entry;
            b.sysPath = sys_->resolve(classPath + "/device");
            if (b.sysPath.empty()) continue; // went away while we looked
            b.name = trim(sys_->readLine(classPath + "/name").value_or(""));
            findUsbDevice(b);
            b.bridge = b.usb && boundToBridge(b.sysPath);
            const bool named = settings_.buses.has_value();
            if (named ? std::count(settings_.buses->begin(), settings_.buses->end(), b.bus) > 0
                      : b.bridge)
                found.push_back(b);
        }
        std::sort(found.begin(), found.end(),
                  [](const Board& x, const Board& y) { return x.bus < y.bus; });
        for (Board& old : boards_) {
            auto same = std::find_if(found.begin(), found.end(), [&](const Board& b) {
                return b.sysPath == old.sysPath && b.bus == old.bus;
            });
            if (same == found.end()) {
                closeBoard(old);
            } else {
                same->fd = old.fd;
                same->gone = old.gone;
                same->openError = old.openError;
                same->openedAt = old.openedAt;
                same->khz = old.khz;
            }
        }
        boards_ = std::move(found);
    }

    // The nearest device above the adapter that carries a USB vendor and product.
    void findUsbDevice(Board& b)
    {
        std::string path = b.sysPath;
        while (path.size() > kDevicesDir.size() &&
               path.compare(0, kDevicesDir.size() + 1, kDevicesDir + "/") == 0) {
            const auto vendor = sys_->readLine(path + "/idVendor");
            const auto product = sys_->readLine(path + "/idProduct");
            if (vendor && product) {
                b.usb = true;
                b.usbPath = path;
                b.usbId = trim(*vendor) + ":" + trim(*product);
                return;
            }
            path.erase(path.rfind('/'));
        }
    }

    // Whether the device or one above it is bound to a known bridge driver.
    bool boundToBridge(std::string path)
    {
        while (path.size() > kDevicesDir.size() &&
               path.compare(0, kDevicesDir.size() + 1, kDevicesDir + "/") == 0) {
            const std::string driver = sys_->resolve(path + "/driver");
            if (!driver.empty()) {
                const std::string name = driver.substr(driver.rfind('/') + 1);
                for (const BridgeDriver& known : kBridgeDrivers)
                    if (name == known.driver) return true;
            }
            path.erase(path.rfind('/'));
        }
        return false;
    }

    int32_t find(uint32_t board, Board*& out)
    {
        if (!scanned_) scan();
        if (boards_.empty()) return KVRX_ERR_NO_ADAPTER;
        if (board < 1 || board > boards_.size()) return KVRX_ERR_NO_SUCH_BOARD;
        out = &boards_[board - 1];
        return 0;
    }

    int32_t findOpen(uint32_t board, Board*& out)
    {
        if (const int32_t result = find(board, out); result != 0) return result;
        if (out->gone) return KVRX_ERR_NOT_ATTACHED;
        if (out->fd >= 0) return 0;
        return out->openError != 0 ? out->openError : KVRX_ERR_NOT_OPEN;
    }

    // GPIO lines belong to board 1; answers 0 when they are held for it.
    int32_t gpioBoard(uint32_t board, bool configured)
    {
        if (!configured) return KVRX_ERR_NOT_SUPPORTED;
        Board* b = nullptr;
        if (const int32_t result = findOpen(board, b); result != 0) return result;
        if (board != 1) return KVRX_ERR_NOT_SUPPORTED;
        return acquireGpio(*b);
    }

    // Opens the chip and requests the port lines (open-drain, released, as the
    // port starts) and the supply line (off). A failure leaves nothing held.
    int32_t acquireGpio(const Board& b)
    {
        if (!hasPort_ && settings_.vccLine == kNoLine) return 0;
        if (chip_ >= 0 && gpioOwner_ == b.sysPath) return 0;
        releaseGpio();
        const int chip = sys_->gpioOpen(settings_.gpioChip);
        if (chip < 0) {
            const int32_t code = codeOfGpioErrno(-chip);
            return code == KVRX_ERR_GPIO_LINE ? KVRX_ERR_GPIO_CHIP : code;
        }
        // A slip of the name could give the PC's own GPIO controller, whose
        // lines drive anything from a fan to a reset: only the bridge's will do.
        if (!onBoardsUsbDevice(chip, b)) {
            sys_->gpioClose(chip);
            return KVRX_ERR_GPIO_CHIP;
        }
        chip_ = chip;
        gpioOwner_ = b.sysPath;
        latch_ = 0xFF;
        mode_ = 0x00;
        for (unsigned pin = 0; pin < kPortPins; ++pin) {
            const int line = settings_.portLines[pin];
            if (line == kNoLine) continue;
            const int result = sys_->gpioRequestOutput(chip_, static_cast<unsigned>(line), true, 1);
            if (result < 0) return gpioFailed(-result);
        }
        if (settings_.vccLine != kNoLine) {
            const int result = sys_->gpioRequestOutput(
                chip_, static_cast<unsigned>(settings_.vccLine), false, supplyLevel(false));
            if (result < 0) return gpioFailed(-result);
        }
        return 0;
    }

    bool onBoardsUsbDevice(int chip, const Board& b)
    {
        const std::string name = sys_->gpioName(chip);
        const std::string device =
            name.empty() ? std::string() : sys_->resolve(kGpioDevicesDir + "/" + name);
        const bool on =
            !b.usbPath.empty() && device.compare(0, b.usbPath.size() + 1, b.usbPath + "/") == 0;
        if (!on && refusedChip_ != name + "@" + b.sysPath) {
            refusedChip_ = name + "@" + b.sysPath;
            std::fprintf(stderr,
                         "kvrx_usb: KVRX_GPIO_CHIP=\"%s\" is %s (%s), not on the USB device of "
                         "/dev/i2c-%u (%s): its lines are not used\n",
                         settings_.gpioChip.c_str(), name.empty() ? "a chip" : name.c_str(),
                         device.empty() ? "device unknown" : device.c_str(), b.bus,
                         b.usbPath.empty() ? "none" : b.usbPath.c_str());
        }
        return on;
    }

    void releaseGpio()
    {
        if (chip_ >= 0) sys_->gpioClose(chip_); // closing the chip frees its lines
        chip_ = -1;
        gpioOwner_.clear();
    }

    // A failed line call: the lines are dropped so the next call starts afresh.
    int32_t gpioFailed(int err)
    {
        releaseGpio();
        return codeOfGpioErrno(err);
    }

    int supplyLevel(bool on) const { return on != settings_.vccActiveLow ? 1 : 0; }

    int32_t switchSupply(uint32_t board, bool on)
    {
        std::lock_guard lock(mutex_);
        const bool configured = settings_.vccLine != kNoLine;
        if (const int32_t result = gpioBoard(board, configured); result != 0) return result;
        const int result =
            sys_->gpioSet(chip_, static_cast<unsigned>(settings_.vccLine), supplyLevel(on));
        if (result < 0) return gpioFailed(-result);
        return 0;
    }

    std::shared_ptr<System> sys_;
    Settings settings_;
    bool hasPort_ = false;
    std::mutex mutex_;
    std::vector<Board> boards_;
    bool scanned_ = false;

    int chip_ = -1;
    std::string gpioOwner_;   // sysfs path of the board whose lines are held
    std::string refusedChip_; // the chip last refused, told once
    uint8_t latch_ = 0xFF;
    uint8_t mode_ = 0x00;
};

} // namespace

std::unique_ptr<Backend> makeBackend(std::shared_ptr<System> system, const Settings& settings)
{
    return std::make_unique<I2cDevBackend>(std::move(system), settings);
}

} // namespace kvrx::i2cdev

namespace kvrx {

std::unique_ptr<Backend> makeI2cDevBackend()
{
    const char* names[] = {"KVRX_I2C_BUSES", "KVRX_GPIO_CHIP", "KVRX_PORT_LINES", "KVRX_VCC_LINE"};
    const char* values[4];
    for (int i = 0; i < 4; ++i)
        values[i] = std::getenv(names[i]);
    const auto settings = i2cdev::parseSettings(values[0], values[1], values[2], values[3]);
    if (!settings) {
        // The result text names the variables; the values are shown here.
        std::fprintf(stderr, "kvrx_usb: invalid i2c-dev setting:");
        for (int i = 0; i < 4; ++i)
            if (values[i] != nullptr) std::fprintf(stderr, " %s=\"%s\"", names[i], values[i]);
        std::fprintf(stderr, "\n");
        return std::make_unique<FailingBackend>(KVRX_ERR_HW_SETTING);
    }
    return i2cdev::makeBackend(i2cdev::linuxSystem(), *settings);
}

} // namespace kvrx
