// The real system calls behind the i2c-dev backend.
#include <dirent.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>

#include "i2cdev/System.h"

#ifdef KVRX_HAVE_GPIOD
#include <gpiod.h>
#endif

namespace kvrx::i2cdev {
namespace {

constexpr const char* kConsumer = "kavrolux-rtc-eval";

class LinuxSystem : public System {
  public:
    ~LinuxSystem() override
    {
#ifdef KVRX_HAVE_GPIOD
        for (auto& [handle, chip] : chips_)
            gpiod_chip_close(chip);
#endif
    }

    int open(const std::string& path) override
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return fd >= 0 ? fd : -errno;
    }

    void close(int fd) override
    {
        ::close(fd);
    }

    int transfer(int fd, i2c_msg* msgs, unsigned count) override
    {
        i2c_rdwr_ioctl_data data{};
        data.msgs = msgs;
        data.nmsgs = count;
        int done;
        do {
            done = ::ioctl(fd, I2C_RDWR, &data);
        } while (done < 0 && errno == EINTR);
        return done >= 0 ? done : -errno;
    }

    std::vector<std::string> list(const std::string& dir) override
    {
        std::vector<std::string> names;
        DIR* d = ::opendir(dir.c_str());
        if (d == nullptr) return names;
        while (const dirent* entry = ::readdir(d)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(d);
        return names;
    }

    std::optional<std::string> readLine(const std::string& path) override
    {
        std::ifstream file(path);
        std::string line;
        if (!file || !std::getline(file, line)) return std::nullopt;
        return line;
    }

    std::string resolve(const std::string& path) override
    {
        char resolved[PATH_MAX];
        return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved)
                                                             : std::string();
    }

#ifdef KVRX_HAVE_GPIOD
    int gpioOpen(const std::string& name) override
    {
        gpiod_chip* chip = gpiod_chip_open_lookup(name.c_str());
        if (chip == nullptr) return errno != 0 ? -errno : -ENOENT;
        const int handle = nextHandle_++;
        chips_[handle] = chip;
        return handle;
    }

    void gpioClose(int handle) override
    {
        auto it = chips_.find(handle);
        if (it == chips_.end()) return;
        gpiod_chip_close(it->second); // releases its lines too
        chips_.erase(it);
    }

    std::string gpioName(int handle) override
    {
        auto it = chips_.find(handle);
        return it == chips_.end() ? std::string() : std::string(gpiod_chip_name(it->second));
    }

    int gpioRequestOutput(int handle, unsigned offset, bool openDrain, int value) override
    {
        gpiod_line* line = lineOf(handle, offset);
        if (line == nullptr) return -errno;
        const int flags = openDrain ? GPIOD_LINE_REQUEST_FLAG_OPEN_DRAIN : 0;
        return gpiod_line_request_output_flags(line, kConsumer, flags, value) == 0 ? 0 : -errno;
    }

    void gpioRelease(int handle, unsigned offset) override
    {
        if (gpiod_line* line = lineOf(handle, offset)) gpiod_line_release(line);
    }

    int gpioGet(int handle, unsigned offset) override
    {
        gpiod_line* line = lineOf(handle, offset);
        if (line == nullptr) return -errno;
        const int value = gpiod_line_get_value(line);
        return value >= 0 ? value : -errno;
    }

    int gpioSet(int handle, unsigned offset, int value) override
    {
        gpiod_line* line = lineOf(handle, offset);
        if (line == nullptr) return -errno;
        return gpiod_line_set_value(line, value) == 0 ? 0 : -errno;
    }
#else
    int gpioOpen(const std::string&) override
    {
        return -ENOTSUP;
    }
    void gpioClose(int) override {}
    std::string gpioName(int) override
    {
        return {};
    }
    int gpioRequestOutput(int, unsigned, bool, int) override
    {
        return -ENOTSUP;
    }
    void gpioRelease(int, unsigned) override {}
    int gpioGet(int, unsigned) override
    {
        return -ENOTSUP;
    }
    int gpioSet(int, unsigned, int) override
    {
        return -ENOTSUP;
    }
#endif

    std::chrono::steady_clock::time_point now() override
    {
        return std::chrono::steady_clock::now();
    }

  private:
#ifdef KVRX_HAVE_GPIOD
    gpiod_line* lineOf(int handle, unsigned offset)
    {
        auto it = chips_.find(handle);
        if (it == chips_.end()) {
            errno = EBADF;
            return nullptr;
        }
        return gpiod_chip_get_line(it->second, offset);
    }

    std::map<int, gpiod_chip*> chips_;
    int nextHandle_ = 1;
#endif
};

} // namespace

std::shared_ptr<System> linuxSystem()
{
    return std::make_shared<LinuxSystem>();
}

} // namespace kvrx::i2cdev
