// Linux i2c-dev backend for real USB-I2C bridges: every /dev/i2c-N character
// device is one board, numbered from 1 in the order of N. The bridges reached
// this way expose no supply switch or port pins, so those operations answer
// "not supported".
#include <dirent.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "../Backend.h"

namespace kvrx {
namespace {

using Clock = std::chrono::steady_clock;

struct Board {
    unsigned number = 0; // N of /dev/i2c-N
    std::string path;
    int fd = -1;
    Clock::time_point openedAt{};
};

// "i2c-N" with N all digits; returns N.
bool parseDeviceName(const char* name, unsigned& number)
{
    if (std::strncmp(name, "i2c-", 4) != 0) return false;
    const char* digits = name + 4;
    if (*digits == '\0' || std::strlen(digits) > 9) return false;
    number = 0;
    for (const char* p = digits; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return false;
        number = number * 10 + static_cast<unsigned>(*p - '0');
    }
    return true;
}

int32_t codeOfErrno(int err)
{
    switch (err) {
    case ENXIO:
    case EREMOTEIO:
        return KVRX_ERR_ADDR_NACK; // nobody acknowledged
    case ENODEV:
        return KVRX_ERR_NOT_ATTACHED; // the bridge was unplugged
    case EOPNOTSUPP:
        return KVRX_ERR_NOT_SUPPORTED;
    default:
        return KVRX_ERR_IO;
    }
}

class I2cDevBackend : public Backend {
  public:
    ~I2cDevBackend() override
    {
        for (Board& b : boards_)
            closeBoard(b);
    }

    int32_t getNumDevices(uint32_t* count) override
    {
        std::lock_guard lock(mutex_);
        *count = 0;
        const int32_t result = scan();
        if (result != 0) return result;
        *count = static_cast<uint32_t>(boards_.size());
        return 0;
    }

    int32_t getDeviceId(uint32_t board, uint8_t* id) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = find(board, b); result != 0) return result;
        std::string text = "i2c-dev " + b->path;
        std::ifstream nameFile("/sys/class/i2c-dev/i2c-" + std::to_string(b->number) + "/name");
        std::string adapterName;
        if (std::getline(nameFile, adapterName) && !adapterName.empty()) text += " " + adapterName;
        std::memset(id, 0, 256);
        std::memcpy(id, text.data(), std::min<size_t>(text.size(), 255));
        return 0;
    }

    // The bus clock is the kernel driver's: a valid one (or 0) is accepted as
    // the simulated board accepts it, and changes nothing.
    int32_t init(uint32_t board, uint32_t khz) override
    {
        if (khz != 0 && (khz < 10 || khz > 1000)) return KVRX_ERR_BAD_ARG;
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = find(board, b); result != 0) return result;
        if (b->fd < 0) {
            b->fd = ::open(b->path.c_str(), O_RDWR | O_CLOEXEC);
            if (b->fd < 0) return codeOfErrno(errno);
        }
        b->openedAt = Clock::now();
        return 0;
    }

    int32_t vccOn(uint32_t) override { return KVRX_ERR_NOT_SUPPORTED; }
    int32_t vccOff(uint32_t) override { return KVRX_ERR_NOT_SUPPORTED; }
    int32_t portIn(uint32_t, uint8_t*) override { return KVRX_ERR_NOT_SUPPORTED; }
    int32_t portOut(uint32_t, uint8_t) override { return KVRX_ERR_NOT_SUPPORTED; }
    int32_t portMode(uint32_t, uint8_t) override { return KVRX_ERR_NOT_SUPPORTED; }

    // Seconds since the board was opened with init.
    int32_t rdRunTime(uint32_t board, uint32_t* seconds) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = findOpen(board, b); result != 0) return result;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - b->openedAt);
        *seconds = static_cast<uint32_t>(elapsed.count());
        return 0;
    }

    // The bus clock of an i2c-dev adapter is fixed by its kernel driver (module
    // parameter or device tree); a valid rate is accepted so callers go on.
    int32_t clockRate(uint32_t board, uint16_t khz) override
    {
        if (khz < 10 || khz > 1000) return KVRX_ERR_BAD_ARG;
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        return findOpen(board, b);
    }

    int32_t read(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                 uint32_t count) override
    {
        std::lock_guard lock(mutex_);
        Board* b = nullptr;
        if (const int32_t result = findOpen(board, b); result != 0) return result;
        uint8_t subBytes[3];
        putSubAddress(subBytes, subLen, sub);
        i2c_msg msgs[2];
        unsigned n = 0;
        // Sub-address first, then a repeated start for the data.
        if (subLen > 0) msgs[n++] = message(slave, 0, subLen, subBytes);
        if (count > 0 || n == 0) msgs[n++] = message(slave, I2C_M_RD, count, buf);
        return transfer(*b, msgs, n);
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
    static void closeBoard(Board& b)
    {
        if (b.fd >= 0) ::close(b.fd);
        b.fd = -1;
    }

    // The sub-address's subLen low-order bytes, high byte first.
    static void putSubAddress(uint8_t* out, uint8_t subLen, uint32_t sub)
    {
        for (unsigned i = 0; i < subLen; ++i)
            out[i] = static_cast<uint8_t>(sub >> (8 * (subLen - 1 - i)));
    }

    // Slaves are given in the 8-bit write form; the kernel wants 7 bits.
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
        i2c_rdwr_ioctl_data data{};
        data.msgs = msgs;
        data.nmsgs = n;
        const int done = ::ioctl(b.fd, I2C_RDWR, &data);
        if (done == static_cast<int>(n)) return 0;
        if (done >= 0) return KVRX_ERR_IO;
        const int32_t code = codeOfErrno(errno);
        // A vanished bridge leaves a dead descriptor; init opens it afresh.
        if (code == KVRX_ERR_NOT_ATTACHED) closeBoard(b);
        return code;
    }

    // Lists the i2c-dev devices again; boards still present stay open.
    int32_t scan()
    {
        scanned_ = true;
        DIR* dir = ::opendir("/dev");
        if (dir == nullptr) return KVRX_ERR_IO;
        std::vector<Board> found;
        while (const dirent* entry = ::readdir(dir)) {
            unsigned number = 0;
            if (!parseDeviceName(entry->d_name, number)) continue;
            Board b;
            b.number = number;
            b.path = std::string("/dev/") + entry->d_name;
            struct stat st {};
            if (::stat(b.path.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) found.push_back(b);
        }
        ::closedir(dir);
        std::sort(found.begin(), found.end(),
                  [](const Board& x, const Board& y) { return x.number < y.number; });
        for (Board& old : boards_) {
            auto same = std::find_if(found.begin(), found.end(),
                                     [&](const Board& b) { return b.path == old.path; });
            if (same == found.end()) {
                closeBoard(old);
            } else {
                same->fd = old.fd;
                same->openedAt = old.openedAt;
            }
        }
        boards_ = std::move(found);
        // No i2c-dev device at all: no adapter plugged in, or i2c-dev not loaded.
        return boards_.empty() ? KVRX_ERR_NO_ADAPTER : 0;
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
        return out->fd < 0 ? KVRX_ERR_NOT_OPEN : 0;
    }

    std::mutex mutex_;
    std::vector<Board> boards_;
    bool scanned_ = false;
};

} // namespace

std::unique_ptr<Backend> makeI2cDevBackend()
{
    return std::make_unique<I2cDevBackend>();
}

} // namespace kvrx
