// The i2c-dev backend on a fake system: which buses are boards, the messages
// a transfer makes, what each failure of the kernel becomes, an unplug, run
// time, the bus clock, and the bridge's GPIO lines as port P0 and supply switch.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "i2cdev/I2cDevBackend.h"
#include "kvrx_usb.h"

namespace {

using namespace kvrx::i2cdev;
using namespace std::chrono_literals;

struct Msg {
    uint16_t addr = 0;
    bool read = false;
    std::vector<uint8_t> bytes; // written bytes; for a read, as many zeros as asked for
    bool operator==(const Msg&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Msg& m)
{
    os << (m.read ? "R " : "W ") << std::hex << m.addr << " [";
    for (uint8_t b : m.bytes)
        os << " " << int(b);
    return os << " ]";
}

class FakeSystem : public System {
  public:
    // sysfs
    std::map<std::string, std::vector<std::string>> dirs;
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> links;

    // Device nodes and the bus.
    std::map<std::string, int> openErrno; // path: errno of its open
    std::map<int, std::string> openFds;
    std::vector<std::string> opened;
    std::vector<std::pair<std::string, std::vector<Msg>>> transfers; // node, messages
    int failErrno = 0;                                               // next transfers fail so
    std::vector<uint8_t> readData;                                   // what the chip answers

    // GPIO: one chip.
    struct Line {
        bool requested = false;
        bool openDrain = false;
        int value = -1;
    };
    std::string chipName = "gpiochip4"; // what KVRX_GPIO_CHIP must say to open it
    int chipErrno = 0;
    std::map<unsigned, int> requestErrno;
    int setErrno = 0;
    unsigned chipLines = 16;
    bool chipOpen = false;
    std::string kernelName = "gpiochip4";
    std::map<unsigned, Line> lines;
    std::map<unsigned, int> inputLevel; // what a pin reads when set
    std::vector<unsigned> requests;     // offsets in request order

    std::chrono::steady_clock::time_point clock{};

    // One i2c-dev adapter: its sysfs device and name.
    void addAdapter(unsigned bus, const std::string& device, const std::string& name)
    {
        const std::string entry = "i2c-" + std::to_string(bus);
        dirs["/sys/class/i2c-dev"].push_back(entry);
        links["/sys/class/i2c-dev/" + entry + "/device"] = device;
        files["/sys/class/i2c-dev/" + entry + "/name"] = name;
    }
    void removeAdapter(unsigned bus)
    {
        auto& entries = dirs["/sys/class/i2c-dev"];
        std::erase(entries, "i2c-" + std::to_string(bus));
        links.erase("/sys/class/i2c-dev/i2c-" + std::to_string(bus) + "/device");
    }
    void addUsbDevice(const std::string& path, const std::string& vid, const std::string& pid)
    {
        files[path + "/idVendor"] = vid;
        files[path + "/idProduct"] = pid;
        bind(path, "usb", "usb");
    }
    // A device bound to a driver: its "driver" link.
    void bind(const std::string& device, const std::string& bus, const std::string& driver)
    {
        links[device + "/driver"] = "/sys/bus/" + bus + "/drivers/" + driver;
    }
    // The chip's device in sysfs, found through the GPIO bus by its kernel name.
    void placeChip(const std::string& kernelName, const std::string& device)
    {
        links["/sys/bus/gpio/devices/" + kernelName] = device;
    }

    int open(const std::string& path) override
    {
        opened.push_back(path);
        if (auto it = openErrno.find(path); it != openErrno.end()) return -it->second;
        const int fd = nextFd_++;
        openFds[fd] = path;
        return fd;
    }
    void close(int fd) override { openFds.erase(fd); }

    int transfer(int fd, i2c_msg* msgs, unsigned count) override
    {
        std::vector<Msg> seen;
        for (unsigned i = 0; i < count; ++i) {
            Msg m;
            m.addr = msgs[i].addr;
            m.read = (msgs[i].flags & I2C_M_RD) != 0;
            if (m.read)
                m.bytes.assign(msgs[i].len, 0);
            else
                m.bytes.assign(msgs[i].buf, msgs[i].buf + msgs[i].len);
            seen.push_back(m);
        }
        transfers.emplace_back(openFds.count(fd) ? openFds[fd] : "closed fd", seen);
        if (failErrno != 0) {
            // A failing bridge may leave half-received bytes behind.
            for (unsigned i = 0; i < count; ++i)
                if (msgs[i].flags & I2C_M_RD) std::fill_n(msgs[i].buf, msgs[i].len, 0xEE);
            return -failErrno;
        }
        for (unsigned i = 0; i < count; ++i) {
            if (!(msgs[i].flags & I2C_M_RD)) continue;
            for (unsigned k = 0; k < msgs[i].len; ++k)
                msgs[i].buf[k] = k < readData.size() ? readData[k] : 0;
        }
        return static_cast<int>(count);
    }

    std::vector<std::string> list(const std::string& dir) override
    {
        auto it = dirs.find(dir);
        return it == dirs.end() ? std::vector<std::string>{} : it->second;
    }
    std::optional<std::string> readLine(const std::string& path) override
    {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::string resolve(const std::string& path) override
    {
        auto it = links.find(path);
        return it == links.end() ? std::string() : it->second;
    }

    int gpioOpen(const std::string& chip) override
    {
        if (chipErrno != 0) return -chipErrno;
        if (chip != chipName) return -ENOENT;
        chipOpen = true;
        return 7;
    }
    std::string gpioName(int chip) override
    {
        EXPECT_EQ(chip, 7);
        return chipOpen ? kernelName : std::string();
    }
    void gpioClose(int chip) override
    {
        EXPECT_EQ(chip, 7);
        chipOpen = false;
        for (auto& [offset, line] : lines)
            line.requested = false;
    }
    int gpioRequestOutput(int chip, unsigned offset, bool openDrain, int value) override
    {
        if (chip != 7 || !chipOpen) return -EBADF;
        if (offset >= chipLines) return -EINVAL;
        if (auto it = requestErrno.find(offset); it != requestErrno.end()) return -it->second;
        Line& line = lines[offset];
        if (line.requested) return -EBUSY;
        line = Line{true, openDrain, value};
        requests.push_back(offset);
        return 0;
    }
    void gpioRelease(int, unsigned offset) override { lines[offset].requested = false; }
    int gpioGet(int, unsigned offset) override
    {
        if (!lines[offset].requested) return -EPERM;
        if (setErrno != 0) return -setErrno;
        return inputLevel.count(offset) ? inputLevel[offset] : lines[offset].value;
    }
    int gpioSet(int, unsigned offset, int value) override
    {
        if (!lines[offset].requested) return -EPERM;
        if (setErrno != 0) return -setErrno;
        lines[offset].value = value;
        return 0;
    }

    std::chrono::steady_clock::time_point now() override { return clock; }

  private:
    int nextFd_ = 3;
};

// A PC with its own buses, USB gear with buses of its own, and USB-I2C
// bridges: a CP2112 on the root hub, an i2c-tiny-usb behind a hub.
const std::string kPci = "/sys/devices/pci0000:00";
const std::string kXhci = kPci + "/0000:00:14.0";
const std::string kCp2112 = kXhci + "/usb1/1-2/1-2:1.0/0003:10C4:EA90.0001";

void addPcBuses(FakeSystem& sys)
{
    sys.addAdapter(0, kPci + "/0000:00:1f.4/i2c-0", "SMBus I801 adapter at efa0");
    sys.files[kPci + "/0000:00:1f.4/vendor"] = "0x8086"; // PCI, not USB
    sys.files[kPci + "/0000:00:1f.4/device"] = "0xa323";
    sys.bind(kPci + "/0000:00:1f.4", "pci", "i801_smbus");
    sys.addAdapter(7, kPci + "/0000:00:02.0/drm/card0/card0-DP-1/i2c-7", "DPDDC-B");
    sys.addAdapter(3, kPci + "/0000:00:02.0/i2c-3", "i915 gmbus dpc");
    sys.bind(kPci + "/0000:00:02.0", "pci", "i915");
    sys.bind(kXhci, "pci", "xhci_hcd");
    sys.addUsbDevice(kXhci + "/usb1", "1d6b", "0002"); // the root hub
    sys.bind(kXhci + "/usb1/1-0:1.0", "usb", "hub");
    sys.placeChip("gpiochip0", "/sys/devices/platform/INTC1056:00/gpiochip0"); // the PC's own

    // A video-capture stick and a DVB-T stick: their buses reach their own
    // tuner, decoder and EEPROM (at 0x50..0x57).
    sys.addUsbDevice(kXhci + "/usb1/1-3", "eb1a", "2861");
    sys.bind(kXhci + "/usb1/1-3/1-3:1.0", "usb", "em28xx");
    sys.addAdapter(9, kXhci + "/usb1/1-3/1-3:1.0/i2c-9", "em28xx #0 bus 0");
    sys.addUsbDevice(kXhci + "/usb1/1-5", "0bda", "2838");
    sys.bind(kXhci + "/usb1/1-5/1-5:1.0", "usb", "dvb_usb_rtl28xxu");
    sys.addAdapter(10, kXhci + "/usb1/1-5/1-5:1.0/i2c-10", "Realtek USB demod");
    sys.addAdapter(11, kXhci + "/usb1/1-5/1-5:1.0/i2c-10/i2c-11", "i2c-10-mux (chan_id 0)");
}

void addBridges(FakeSystem& sys)
{
    sys.addUsbDevice(kXhci + "/usb1/1-2", "10c4", "ea90");
    sys.bind(kXhci + "/usb1/1-2/1-2:1.0", "usb", "usbhid");
    sys.bind(kCp2112, "hid", "cp2112");
    sys.addAdapter(5, kCp2112 + "/i2c-5", "CP2112 SMBus Bridge on hidraw0");
    sys.placeChip("gpiochip4", kCp2112 + "/gpiochip4");
    sys.addUsbDevice(kXhci + "/usb1/1-4", "05e3", "0610"); // a hub
    sys.bind(kXhci + "/usb1/1-4/1-4:1.0", "usb", "hub");
    sys.addUsbDevice(kXhci + "/usb1/1-4/1-4.2", "0403", "c631");
    sys.bind(kXhci + "/usb1/1-4/1-4.2/1-4.2:1.0", "usb", "i2c-tiny-usb");
    sys.addAdapter(12, kXhci + "/usb1/1-4/1-4.2/1-4.2:1.0/i2c-12",
                   "i2c-tiny-usb at bus 001 device 009");
}

struct Rig {
    std::shared_ptr<FakeSystem> sys = std::make_shared<FakeSystem>();
    std::unique_ptr<kvrx::Backend> backend;

    explicit Rig(Settings settings = {}, bool bridges = true)
    {
        addPcBuses(*sys);
        if (bridges) addBridges(*sys);
        backend = makeBackend(sys, settings);
    }
    std::string id(uint32_t board)
    {
        uint8_t buf[256] = {};
        if (backend->getDeviceId(board, buf) != 0) return "no answer";
        return reinterpret_cast<const char*>(buf);
    }
    // Lists, opens board 1 and forgets what that did.
    void openFirst()
    {
        uint32_t count = 0;
        ASSERT_EQ(backend->getNumDevices(&count), 0);
        ASSERT_EQ(backend->init(1, 400), 0);
        sys->transfers.clear();
        sys->requests.clear();
    }
};

Settings settingsOf(const char* buses, const char* chip = nullptr, const char* port = nullptr,
                    const char* vcc = nullptr)
{
    auto s = parseSettings(buses, chip, port, vcc);
    EXPECT_TRUE(s.has_value()) << (buses ? buses : "") << " " << (port ? port : "") << " "
                               << (vcc ? vcc : "");
    return s.value_or(Settings{});
}

TEST(I2cDevBoards, OnlyUsbBridgesOrExactlyTheNamedBusesAreBoards)
{
    struct Case {
        const char* buses;
        bool bridges;
        int32_t result;
        std::vector<std::string> nodes; // what board 1, 2, ... open
    };
    const Case cases[] = {
        {nullptr, true, 0, {"/dev/i2c-5", "/dev/i2c-12"}},
        {nullptr, false, KVRX_ERR_NO_ADAPTER, {}},
        {"", true, 0, {"/dev/i2c-5", "/dev/i2c-12"}},
        {"7", true, 0, {"/dev/i2c-7"}},
        {"9", false, 0, {"/dev/i2c-9"}}, // a USB tuner's bus, named knowingly
        {"12, 0,0", true, 0, {"/dev/i2c-0", "/dev/i2c-12"}},
        {"4", true, KVRX_ERR_NO_ADAPTER, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buses ? c.buses : "unset");
        Rig rig(settingsOf(c.buses), c.bridges);
        uint32_t count = 99;
        EXPECT_EQ(rig.backend->getNumDevices(&count), c.result);
        ASSERT_EQ(count, c.nodes.size());
        for (uint32_t board = 1; board <= count; ++board)
            EXPECT_EQ(rig.backend->init(board, 400), 0);
        EXPECT_EQ(rig.sys->opened, c.nodes);
        EXPECT_EQ(rig.backend->init(count + 1, 400),
                  count == 0 ? KVRX_ERR_NO_ADAPTER : KVRX_ERR_NO_SUCH_BOARD);
    }
}

TEST(I2cDevBoards, IdentityIsTheAdapterNameAndTheBridgesOwnUsbIds)
{
    Rig rig;
    uint32_t count = 0;
    ASSERT_EQ(rig.backend->getNumDevices(&count), 0);
    EXPECT_EQ(rig.id(1), "CP2112 SMBus Bridge on hidraw0 (USB 10c4:ea90) on /dev/i2c-5");
    // Behind a hub: the bridge's ids, not the hub's or the root hub's.
    EXPECT_EQ(rig.id(2), "i2c-tiny-usb at bus 001 device 009 (USB 0403:c631) on /dev/i2c-12");

    Rig named(settingsOf("0"));
    ASSERT_EQ(named.backend->getNumDevices(&count), 0);
    EXPECT_EQ(named.id(1), "SMBus I801 adapter at efa0 (named in KVRX_I2C_BUSES) on /dev/i2c-0");
}

TEST(I2cDevBoards, UnplugAndPlugMoveTheListAndAnOpenBoardFailsAsUnplugged)
{
    Rig rig;
    rig.openFirst();
    rig.sys->clock += 5s;
    uint8_t buf[4] = {1, 2, 3, 4};

    // Pulled out mid-transfer: the descriptor is dropped, later calls fail at once.
    rig.sys->failErrno = ENODEV;
    EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, buf, 4), KVRX_ERR_NOT_ATTACHED);
    EXPECT_TRUE(rig.sys->openFds.empty());
    const size_t transfers = rig.sys->transfers.size();
    uint32_t seconds = 0;
    EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, buf, 4), KVRX_ERR_NOT_ATTACHED);
    EXPECT_EQ(rig.backend->write(1, 1, 0xDE, 0, buf, 4), KVRX_ERR_NOT_ATTACHED);
    EXPECT_EQ(rig.backend->rdRunTime(1, &seconds), KVRX_ERR_NOT_ATTACHED);
    EXPECT_EQ(rig.sys->transfers.size(), transfers);

    // The relisting no longer finds it: the other bridge is board 1.
    rig.sys->removeAdapter(5);
    uint32_t count = 0;
    ASSERT_EQ(rig.backend->getNumDevices(&count), 0);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(rig.id(1).find("i2c-tiny-usb"), 0u);

    // Plugged in again it gets a new bus number, is listed first and opens afresh.
    rig.sys->failErrno = 0;
    rig.sys->bind(kXhci + "/usb1/1-2/1-2:1.0/0003:10C4:EA90.0002", "hid", "cp2112");
    rig.sys->addAdapter(6, kXhci + "/usb1/1-2/1-2:1.0/0003:10C4:EA90.0002/i2c-6",
                        "CP2112 SMBus Bridge on hidraw0");
    ASSERT_EQ(rig.backend->getNumDevices(&count), 0);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, buf, 4), KVRX_ERR_NOT_OPEN);
    ASSERT_EQ(rig.backend->init(1, 400), 0);
    EXPECT_EQ(rig.sys->opened.back(), "/dev/i2c-6");
    EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, buf, 4), 0);
    EXPECT_EQ(rig.backend->rdRunTime(1, &seconds), 0);
    EXPECT_EQ(seconds, 0u);
}

// Many bridges' drivers report a pull-out as an ordinary bus failure. The
// board is closed at once when its bus is gone, which also lets the kernel
// finish removing the adapter; the run time (the polling cycle's first call)
// then fails, so nothing goes on showing the board as active.
TEST(I2cDevBoards, AFailureOnABusThatIsGoneClosesTheBoardAtOnce)
{
    struct Case {
        const char* what;
        int err;
        void (*unplug)(FakeSystem&);
    };
    auto pulled = [](FakeSystem& s) { s.removeAdapter(5); };
    // Another bridge got the number before the failure was seen.
    auto replaced = [](FakeSystem& s) {
        s.removeAdapter(5);
        s.addAdapter(5, kXhci + "/usb1/1-6/1-6:1.0/i2c-5", "i2c-tiny-usb at bus 001 device 012");
    };
    const Case cases[] = {
        {"EIO", EIO, pulled},
        {"ETIMEDOUT", ETIMEDOUT, pulled},
        {"EPROTO", EPROTO, pulled},
        {"EREMOTEIO", EREMOTEIO, pulled},
        {"EIO, number taken over", EIO, replaced},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.openFirst();
        c.unplug(*rig.sys);
        rig.sys->failErrno = c.err;
        uint8_t buf[2] = {};
        EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, buf, 2), KVRX_ERR_NOT_ATTACHED);
        EXPECT_TRUE(rig.sys->openFds.empty());
        uint32_t seconds = 0;
        EXPECT_EQ(rig.backend->rdRunTime(1, &seconds), KVRX_ERR_NOT_ATTACHED);
        EXPECT_EQ(rig.backend->write(1, 1, 0xDE, 0, buf, 2), KVRX_ERR_NOT_ATTACHED);
        EXPECT_EQ(rig.sys->transfers.size(), 1u);
    }

    // The same failures with the bus still there are the chip's or the wire's:
    // the board stays open.
    for (const int err : {EIO, ETIMEDOUT, EPROTO, EREMOTEIO}) {
        SCOPED_TRACE(strerror(err));
        Rig rig;
        rig.openFirst();
        rig.sys->failErrno = err;
        uint8_t byte = 0;
        EXPECT_EQ(rig.backend->write(1, 1, 0xDE, 0, &byte, 1), codeOfBusErrno(err));
        EXPECT_EQ(rig.sys->openFds.size(), 1u);
        rig.sys->failErrno = 0;
        uint32_t seconds = 0;
        EXPECT_EQ(rig.backend->rdRunTime(1, &seconds), 0);
        EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, &byte, 1), 0);
    }
}

TEST(I2cDevBoards, ABoardStillPresentStaysOpenAcrossRelistings)
{
    Rig rig;
    rig.openFirst();
    uint32_t count = 0;
    const std::string mcp = kXhci + "/usb1/1-6/1-6:1.2/0003:04D8:00DD.0003";
    rig.sys->addUsbDevice(kXhci + "/usb1/1-6", "04d8", "00dd");
    rig.sys->bind(mcp, "hid", "mcp2221");
    rig.sys->addAdapter(2, mcp + "/i2c-2", "MCP2221 usb-i2c bridge");
    ASSERT_EQ(rig.backend->getNumDevices(&count), 0);
    ASSERT_EQ(count, 3u);
    // The CP2112 is board 2 now, still open on its descriptor.
    uint8_t byte = 0;
    EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, &byte, 1), KVRX_ERR_NOT_OPEN);
    EXPECT_EQ(rig.backend->read(2, 1, 0xDE, 0, &byte, 1), 0);
    ASSERT_EQ(rig.sys->transfers.size(), 1u);
    EXPECT_EQ(rig.sys->transfers[0].first, "/dev/i2c-5");
}

// How each bridge's driver hangs its bus in sysfs, next to USB gear that has a
// bus of its own. Only the bridges' buses are boards.
TEST(I2cDevBoards, BridgesAreKnownByTheirDriverWhereverTheBusHangs)
{
    const std::string dev = kXhci + "/usb1/1-7";
    const std::string intf = dev + "/1-7:1.0";
    struct Case {
        const char* what;
        void (*plug)(FakeSystem&, const std::string& dev, const std::string& intf);
        bool board;
    };
    const Case cases[] = {
        {"MCP2221: under its HID device",
         [](FakeSystem& s, const std::string& d, const std::string& i) {
             s.addUsbDevice(d, "04d8", "00dd");
             s.bind(i, "usb", "usbhid");
             s.bind(i + "/0003:04D8:00DD.0004", "hid", "mcp2221");
             s.addAdapter(20, i + "/0003:04D8:00DD.0004/i2c-20", "MCP2221 usb-i2c bridge");
         },
         true},
        {"FT260: under its HID device",
         [](FakeSystem& s, const std::string& d, const std::string& i) {
             s.addUsbDevice(d, "0403", "6030");
             s.bind(i, "usb", "usbhid");
             s.bind(i + "/0003:0403:6030.0005", "hid", "ft260");
             s.addAdapter(20, i + "/0003:0403:6030.0005/i2c-20", "FT260 usb-i2c bridge");
         },
         true},
        {"DLN-2: under the I2C cell of the interface's multi-function driver",
         [](FakeSystem& s, const std::string& d, const std::string& i) {
             s.addUsbDevice(d, "a257", "2013");
             s.bind(i, "usb", "dln2");
             s.bind(i + "/dln2-i2c.0", "platform", "dln2-i2c");
             s.addAdapter(20, i + "/dln2-i2c.0/i2c-20", "dln2-i2c-1-7-0");
         },
         true},
        {"CH341: under the I2C cell of ch341-core",
         [](FakeSystem& s, const std::string& d, const std::string& i) {
             s.addUsbDevice(d, "1a86", "5512");
             s.bind(i, "usb", "ch341-mfd");
             s.bind(i + "/ch341-i2c.1.auto", "platform", "ch341-i2c");
             s.addAdapter(20, i + "/ch341-i2c.1.auto/i2c-20", "CH341 I2C USB bus 001 device 011");
         },
         true},
        {"CH341: under the interface of i2c-ch341-usb",
         [](FakeSystem& s, const std::string& d, const std::string& i) {
             s.addUsbDevice(d, "1a86", "5512");
             s.bind(i, "usb", "i2c-ch341-usb");
             s.addAdapter(20, i + "/i2c-20", "i2c-ch341-usb at bus 001 device 011");
         },
         true},
        {"a DisplayLink screen adapter's DDC bus (the monitor's EEPROM at 0x50)",
         [](FakeSystem& s, const std::string& d, const std::string& i) {
             s.addUsbDevice(d, "17e9", "0377");
             s.bind(i, "usb", "udl");
             s.addAdapter(20, i + "/i2c-20", "DisplayLink DDC");
         },
         false},
        {"a bridge's bus whose driver has let go of the device",
         [](FakeSystem& s, const std::string& d, const std::string& i) {
             s.addUsbDevice(d, "10c4", "ea90");
             s.bind(i, "usb", "usbhid");
             s.addAdapter(20, i + "/0003:10C4:EA90.0006/i2c-20", "CP2112 SMBus Bridge on hidraw3");
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(Settings{}, false);
        c.plug(*rig.sys, dev, intf);
        uint32_t count = 0;
        EXPECT_EQ(rig.backend->getNumDevices(&count), c.board ? 0 : KVRX_ERR_NO_ADAPTER);
        ASSERT_EQ(count, c.board ? 1u : 0u);
        if (!c.board) continue;
        ASSERT_EQ(rig.backend->init(1, 400), 0);
        EXPECT_EQ(rig.sys->opened, std::vector<std::string>{"/dev/i2c-20"});
    }
}

// The package's udev rule opens to the "i2c" group the same bridges the
// backend lists, and nothing else.
TEST(I2cDevBoards, TheUdevRuleOpensExactlyTheKnownBridges)
{
    std::ifstream file(KVRX_PACKAGING_DIR "/60-kavrolux-rtc-i2c.rules");
    ASSERT_TRUE(file) << KVRX_PACKAGING_DIR;
    std::set<std::string> known;
    for (const BridgeDriver& b : bridgeDrivers())
        known.insert(b.driver);
    std::set<std::string> subsystems;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(line);
        const std::string key = "DRIVERS==\"";
        const auto at = line.find(key);
        ASSERT_NE(at, std::string::npos) << "a rule that does not ask for a bridge's driver";
        const auto end = line.find('"', at + key.size());
        ASSERT_NE(end, std::string::npos);
        std::set<std::string> drivers;
        std::string rest = line.substr(at + key.size(), end - at - key.size());
        for (size_t bar; (bar = rest.find('|')) != std::string::npos; rest.erase(0, bar + 1))
            drivers.insert(rest.substr(0, bar));
        drivers.insert(rest);
        EXPECT_EQ(drivers, known);
        EXPECT_EQ(line.find("SUBSYSTEMS=="), std::string::npos) << "any USB device would do";
        const std::string subsystem = "SUBSYSTEM==\"";
        const auto sub = line.find(subsystem);
        ASSERT_NE(sub, std::string::npos);
        const auto from = sub + subsystem.size();
        subsystems.insert(line.substr(from, line.find('"', from) - from));
    }
    EXPECT_EQ(subsystems, (std::set<std::string>{"i2c-dev", "gpio"}));
}

TEST(I2cDevTransfers, SubAddressGoesFirstHighByteFirstAndReadsUseARepeatedStart)
{
    using B = std::vector<uint8_t>;
    struct Case {
        bool read;
        uint8_t subLen;
        uint8_t slave;
        uint32_t sub;
        B data; // written, or answered by the chip
        std::vector<Msg> msgs;
    };
    const B sixteen{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    B sixteenOut{0x07};
    sixteenOut.insert(sixteenOut.end(), sixteen.begin(), sixteen.end());
    const Case cases[] = {
        // Reads: the sub-address as a write, then the read in the same call.
        {true, 0, 0xDE, 0x12, {0x55}, {{0x6F, true, {0}}}},
        {true, 1, 0xDE, 0x1234, {0x55, 0x66}, {{0x6F, false, {0x34}}, {0x6F, true, {0, 0}}}},
        {true, 2, 0xAE, 0x1234, {1, 2, 3}, {{0x57, false, {0x12, 0x34}}, {0x57, true, {0, 0, 0}}}},
        {true, 3, 0xA0, 0xABCDEF, {9}, {{0x50, false, {0xAB, 0xCD, 0xEF}}, {0x50, true, {0}}}},
        {true, 1, 0x91, 0x00, sixteen, {{0x48, false, {0x00}}, {0x48, true, B(16, 0)}}},
        // Nothing to read: only the sub-address, or an empty read as a probe.
        {true, 1, 0xDE, 0x05, {}, {{0x6F, false, {0x05}}}},
        {true, 0, 0xDE, 0x05, {}, {{0x6F, true, {}}}},
        // Writes: one message, sub-address then data.
        {false, 0, 0xDE, 0x99, {0x01, 0x02}, {{0x6F, false, {0x01, 0x02}}}},
        {false, 1, 0xD0, 0x07, sixteen, {{0x68, false, sixteenOut}}},
        {false, 2, 0xDE, 0x0014, {0xC0}, {{0x6F, false, {0x00, 0x14, 0xC0}}}},
        {false, 3, 0xDF, 0x010203, {0xAA}, {{0x6F, false, {0x01, 0x02, 0x03, 0xAA}}}},
        {false, 0, 0xDE, 0x00, {}, {{0x6F, false, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.read ? "read" : "write") << " subLen "
                                        << int(c.subLen) << " count " << c.data.size());
        Rig rig;
        rig.openFirst();
        const auto count = static_cast<uint32_t>(c.data.size());
        if (c.read) {
            rig.sys->readData = c.data;
            B buf(count, 0xEE);
            ASSERT_EQ(rig.backend->read(1, c.subLen, c.slave, c.sub, buf.data(), count), 0);
            EXPECT_EQ(buf, c.data);
        } else {
            ASSERT_EQ(rig.backend->write(1, c.subLen, c.slave, c.sub, c.data.data(), count), 0);
        }
        ASSERT_EQ(rig.sys->transfers.size(), 1u);
        EXPECT_EQ(rig.sys->transfers[0].first, "/dev/i2c-5");
        EXPECT_EQ(rig.sys->transfers[0].second, c.msgs);
    }
}

TEST(I2cDevTransfers, EachKernelFailureHasItsOwnCodeAndAFailedReadLeavesTheBuffer)
{
    struct Case {
        int err;
        int32_t code;
    };
    // The I2C fault codes Linux drivers return, and USB's for a bridge that went away.
    const Case cases[] = {
        {ENXIO, KVRX_ERR_ADDR_NACK},
        {EREMOTEIO, KVRX_ERR_NACK},
        {ETIMEDOUT, KVRX_ERR_TIMEOUT},
        {ENODEV, KVRX_ERR_NOT_ATTACHED},
        {ESHUTDOWN, KVRX_ERR_NOT_ATTACHED},
        {EAGAIN, KVRX_ERR_ARBITRATION},
        {EBUSY, KVRX_ERR_BUS_BUSY},
        {EPROTO, KVRX_ERR_PROTOCOL},
        {EBADMSG, KVRX_ERR_PROTOCOL},
        {EOPNOTSUPP, KVRX_ERR_REJECTED},
        {EINVAL, KVRX_ERR_REJECTED},
        {EMSGSIZE, KVRX_ERR_REJECTED},
        {EIO, KVRX_ERR_IO},
        {ENOMEM, KVRX_ERR_IO},
    };
    std::set<int32_t> codes;
    std::set<std::string> texts;
    for (const Case& c : cases) {
        SCOPED_TRACE(strerror(c.err));
        Rig rig;
        rig.openFirst();
        rig.sys->failErrno = c.err;
        uint8_t buf[3] = {0x11, 0x22, 0x33};
        EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, buf, 3), c.code);
        EXPECT_EQ(buf[0], 0x11);
        EXPECT_EQ(buf[2], 0x33);
        rig.sys->failErrno = c.err;
        EXPECT_EQ(rig.backend->write(1, 1, 0xDE, 0, buf, 3), c.code);
        codes.insert(c.code);
        texts.insert(KVRX_ResultStr(c.code));
    }
    // A text of its own for each cause.
    EXPECT_EQ(texts.size(), codes.size());
    EXPECT_EQ(texts.count(KVRX_ResultStr(12345)), 0u);
}

TEST(I2cDevTransfers, OpeningWithoutAccessAsksForTheI2cGroup)
{
    struct Case {
        int err;
        int32_t code;
    };
    for (const Case c : {Case{EACCES, KVRX_ERR_PERMISSION}, Case{EPERM, KVRX_ERR_PERMISSION},
                         Case{ENOENT, KVRX_ERR_NOT_ATTACHED}, Case{EIO, KVRX_ERR_IO}}) {
        Rig rig;
        uint32_t count = 0;
        ASSERT_EQ(rig.backend->getNumDevices(&count), 0);
        rig.sys->openErrno["/dev/i2c-5"] = c.err;
        EXPECT_EQ(rig.backend->init(1, 400), c.code) << strerror(c.err);
        // Later calls tell why the board is not open.
        uint8_t byte = 0;
        uint32_t seconds = 0;
        EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, &byte, 1), c.code);
        EXPECT_EQ(rig.backend->clockRate(1, 100), c.code);
        EXPECT_EQ(rig.backend->rdRunTime(1, &seconds), c.code);
        // Put right, the next opening clears it.
        rig.sys->openErrno.clear();
        EXPECT_EQ(rig.backend->init(1, 400), 0);
        EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, &byte, 1), 0);
    }
    const std::string text = KVRX_ResultStr(KVRX_ERR_PERMISSION);
    EXPECT_NE(text.find("\"i2c\" group"), std::string::npos) << text;
}

TEST(I2cDevBoardState, RunTimeCountsFromTheOpeningAndTheClockIsKeptButNotApplied)
{
    Rig rig;
    uint32_t count = 0, seconds = 99;
    ASSERT_EQ(rig.backend->getNumDevices(&count), 0);
    EXPECT_EQ(rig.backend->rdRunTime(1, &seconds), KVRX_ERR_NOT_OPEN);
    EXPECT_EQ(rig.backend->clockRate(1, 400), KVRX_ERR_NOT_OPEN);

    rig.sys->clock += 100s;
    ASSERT_EQ(rig.backend->init(1, 400), 0);
    rig.sys->clock += 42900ms;
    ASSERT_EQ(rig.backend->rdRunTime(1, &seconds), 0);
    EXPECT_EQ(seconds, 42u);
    // Opening the open board again (every relisting does) keeps counting.
    ASSERT_EQ(rig.backend->init(1, 400), 0);
    rig.sys->clock += 1s;
    ASSERT_EQ(rig.backend->rdRunTime(1, &seconds), 0);
    EXPECT_EQ(seconds, 43u);

    for (uint16_t khz : {10, 100, 599, 1000}) {
        const int32_t code = rig.backend->clockRate(1, khz);
        EXPECT_EQ(code, KVRX_NOTE_CLOCK_FIXED) << khz;
    }
    // A note, not a failure: callers testing the low seven bits go on.
    EXPECT_EQ(KVRX_NOTE_CLOCK_FIXED & 0x7F, 0);
    EXPECT_NE(std::string(KVRX_ResultStr(KVRX_NOTE_CLOCK_FIXED)), KVRX_ResultStr(12345));
    EXPECT_EQ(rig.backend->clockRate(1, 9), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(rig.backend->clockRate(1, 1001), KVRX_ERR_BAD_ARG);
    EXPECT_TRUE(rig.sys->transfers.empty());
}

TEST(I2cDevSettings, VariablesAreReadStrictly)
{
    struct Case {
        const char *buses, *chip, *port, *vcc;
        bool valid;
    };
    const Case cases[] = {
        {"3,7", nullptr, nullptr, nullptr, true},
        {" 3 , 7 ", nullptr, nullptr, nullptr, true},
        {"3,,7", nullptr, nullptr, nullptr, false},
        {"3;7", nullptr, nullptr, nullptr, false},
        {"-1", nullptr, nullptr, nullptr, false},
        {"i2c-3", nullptr, nullptr, nullptr, false},
        {nullptr, "gpiochip4", "0,1,2,3,4,5,6,7", "8", true},
        {nullptr, "gpiochip4", "0,1,2,3,4,5,6,7,8", nullptr, false}, // nine pins
        {nullptr, "gpiochip4", "4,-,7", "!2", true},
        {nullptr, "gpiochip4", "4,4", nullptr, false}, // one line twice
        {nullptr, "gpiochip4", "4,5", "5", false},     // supply on a pin
        {nullptr, "gpiochip4", "a", nullptr, false},
        {nullptr, "gpiochip4", nullptr, "!", false},
        {nullptr, nullptr, "0,1", nullptr, false}, // lines without a chip
        {nullptr, "", nullptr, "3", false},
        {nullptr, "gpiochip4", nullptr, nullptr, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseSettings(c.buses, c.chip, c.port, c.vcc).has_value(), c.valid)
            << (c.buses ? c.buses : "-") << " | " << (c.port ? c.port : "-") << " | "
            << (c.vcc ? c.vcc : "-");
    }
    const Settings s = settingsOf(nullptr, "gpiochip4", "4,-,7", "!2");
    EXPECT_EQ(s.portLines[0], 4);
    EXPECT_EQ(s.portLines[1], kNoLine);
    EXPECT_EQ(s.portLines[2], 7);
    EXPECT_EQ(s.portLines[3], kNoLine);
    EXPECT_EQ(s.vccLine, 2);
    EXPECT_TRUE(s.vccActiveLow);
}

// Port P0 on lines 8 to 11 of the bridge's GPIO chip, the supply on line 3.
Rig gpioRig(const char* vcc = "3", const char* port = "8,9,10,11")
{
    return Rig(settingsOf(nullptr, "gpiochip4", port, vcc));
}

TEST(I2cDevGpio, OpeningTakesThePortReleasedAndTheSupplyOff)
{
    Rig rig = gpioRig();
    uint32_t count = 0;
    ASSERT_EQ(rig.backend->getNumDevices(&count), 0);
    ASSERT_EQ(rig.backend->init(1, 400), 0);
    for (unsigned offset : {8u, 9u, 10u, 11u}) {
        const auto& line = rig.sys->lines[offset];
        EXPECT_TRUE(line.requested && line.openDrain && line.value == 1) << offset;
    }
    const auto& vcc = rig.sys->lines[3];
    EXPECT_TRUE(vcc.requested && !vcc.openDrain && vcc.value == 0);

    EXPECT_EQ(rig.backend->vccOn(1), 0);
    EXPECT_EQ(rig.sys->lines[3].value, 1);
    // Opened again by a relisting: the lines stay as they are.
    ASSERT_EQ(rig.backend->init(1, 400), 0);
    EXPECT_EQ(rig.sys->lines[3].value, 1);
    EXPECT_EQ(rig.backend->vccOff(1), 0);
    EXPECT_EQ(rig.sys->lines[3].value, 0);

    // An active-low switch: on is low.
    Rig low = gpioRig("!3");
    ASSERT_EQ(low.backend->getNumDevices(&count), 0);
    ASSERT_EQ(low.backend->init(1, 400), 0);
    EXPECT_EQ(low.sys->lines[3].value, 1);
    EXPECT_EQ(low.backend->vccOn(1), 0);
    EXPECT_EQ(low.sys->lines[3].value, 0);
}

TEST(I2cDevGpio, PortPinsFollowOutModeAndIn)
{
    Rig rig = gpioRig(nullptr, "8,-,10,11");
    rig.openFirst();
    EXPECT_EQ(rig.backend->portOut(1, 0x05), 0);
    EXPECT_EQ(rig.sys->lines[8].value, 1);
    EXPECT_EQ(rig.sys->lines[10].value, 1);
    EXPECT_EQ(rig.sys->lines[11].value, 0);

    // P0.0 and P0.3 to push-pull: only they are taken again, at their latched level.
    EXPECT_EQ(rig.backend->portMode(1, 0x09), 0);
    EXPECT_EQ(rig.sys->requests, (std::vector<unsigned>{8, 11}));
    EXPECT_FALSE(rig.sys->lines[8].openDrain);
    EXPECT_EQ(rig.sys->lines[8].value, 1);
    EXPECT_FALSE(rig.sys->lines[11].openDrain);
    EXPECT_EQ(rig.sys->lines[11].value, 0);
    EXPECT_TRUE(rig.sys->lines[10].openDrain);
    EXPECT_EQ(rig.backend->portMode(1, 0x09), 0);
    EXPECT_EQ(rig.sys->requests.size(), 2u);

    // A released open-drain pin reads what the outside world drives; unwired pins read 0.
    rig.sys->inputLevel[10] = 0;
    uint8_t in = 0xAA;
    EXPECT_EQ(rig.backend->portIn(1, &in), 0);
    EXPECT_EQ(in, 0x01);
    rig.sys->inputLevel[11] = 1;
    EXPECT_EQ(rig.backend->portIn(1, &in), 0);
    EXPECT_EQ(in, 0x09);
}

TEST(I2cDevGpio, WithoutLinesOrOnAnotherBoardTheyAreNotSupported)
{
    uint8_t value = 0;
    Rig bare;
    bare.openFirst();
    Rig supplyOnly = gpioRig("3", nullptr);
    supplyOnly.openFirst();
    Rig portOnly = gpioRig(nullptr, "8");
    portOnly.openFirst();
    ASSERT_EQ(portOnly.backend->init(2, 400), 0);
    struct Case {
        Rig* rig;
        uint32_t board;
        bool supply, port;
    };
    for (const Case c : {Case{&bare, 1, false, false}, Case{&supplyOnly, 1, true, false},
                         Case{&portOnly, 1, false, true}, Case{&portOnly, 2, false, false}}) {
        kvrx::Backend& b = *c.rig->backend;
        const int32_t supply = c.supply ? 0 : KVRX_ERR_NOT_SUPPORTED;
        const int32_t port = c.port ? 0 : KVRX_ERR_NOT_SUPPORTED;
        EXPECT_EQ(b.vccOn(c.board), supply);
        EXPECT_EQ(b.vccOff(c.board), supply);
        EXPECT_EQ(b.portIn(c.board, &value), port);
        EXPECT_EQ(b.portOut(c.board, 0xFF), port);
        EXPECT_EQ(b.portMode(c.board, 0x00), port);
    }
    EXPECT_TRUE(bare.sys->requests.empty());
}

// KVRX_GPIO_CHIP names a chip; a slip must not hand the port and the supply
// switch to lines of the PC or of another device.
TEST(I2cDevGpio, AChipOffTheBoardsOwnUsbDeviceIsRefused)
{
    struct Case {
        const char* what;
        const char* buses;
        void (*arrange)(FakeSystem&);
        int32_t code;
    };
    const Case cases[] = {
        {"the bridge's own", nullptr, [](FakeSystem&) {}, 0},
        {"the PC's GPIO controller", nullptr, [](FakeSystem& s) { s.kernelName = "gpiochip0"; },
         KVRX_ERR_GPIO_CHIP},
        {"another USB device's", nullptr,
         [](FakeSystem& s) {
             s.addUsbDevice(kXhci + "/usb1/1-6", "04d8", "00dd");
             s.placeChip("gpiochip4", kXhci + "/usb1/1-6/1-6:1.2/0003:04D8:00DD.0003/gpiochip4");
         },
         KVRX_ERR_GPIO_CHIP},
        {"a USB device whose name begins like the bridge's", nullptr,
         [](FakeSystem& s) {
             s.addUsbDevice(kXhci + "/usb1/1-20", "10c4", "ea90");
             s.placeChip("gpiochip4", kXhci + "/usb1/1-20/1-20:1.0/0003:10C4:EA90.0009/gpiochip4");
         },
         KVRX_ERR_GPIO_CHIP},
        {"not in sysfs", nullptr, [](FakeSystem& s) { s.kernelName = "gpiochip6"; },
         KVRX_ERR_GPIO_CHIP},
        {"a named bus on no USB device", "0", [](FakeSystem&) {}, KVRX_ERR_GPIO_CHIP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(settingsOf(c.buses, "gpiochip4", "8,9,10,11", "3"));
        c.arrange(*rig.sys);
        rig.openFirst();
        EXPECT_EQ(rig.backend->vccOn(1), c.code);
        EXPECT_EQ(rig.sys->chipOpen, c.code == 0);
        EXPECT_EQ(rig.sys->lines[3].value, c.code == 0 ? 1 : -1);
        uint8_t in = 0;
        EXPECT_EQ(rig.backend->portIn(1, &in), c.code);
        if (c.code != 0) {
            EXPECT_TRUE(rig.sys->requests.empty());
        }
    }
}

TEST(I2cDevGpio, LineFailuresHaveTheirOwnCodesAndLeaveNothingHeld)
{
    struct Case {
        const char* what;
        void (*arrange)(FakeSystem&);
        int32_t code;
    };
    const Case cases[] = {
        {"no chip", [](FakeSystem& s) { s.chipName = "gpiochip9"; }, KVRX_ERR_GPIO_CHIP},
        {"chip not readable", [](FakeSystem& s) { s.chipErrno = EACCES; }, KVRX_ERR_PERMISSION},
        {"line held elsewhere", [](FakeSystem& s) { s.requestErrno[9] = EBUSY; },
         KVRX_ERR_GPIO_BUSY},
        {"no such line", [](FakeSystem& s) { s.chipLines = 10; }, KVRX_ERR_GPIO_LINE},
        {"built without libgpiod", [](FakeSystem& s) { s.chipErrno = EOPNOTSUPP; },
         KVRX_ERR_NOT_SUPPORTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig = gpioRig();
        c.arrange(*rig.sys);
        rig.openFirst(); // the bus works without the lines
        EXPECT_EQ(rig.backend->vccOn(1), c.code);
        uint8_t in = 0;
        EXPECT_EQ(rig.backend->portIn(1, &in), c.code);
        EXPECT_FALSE(rig.sys->chipOpen);
        uint8_t byte = 0;
        EXPECT_EQ(rig.backend->read(1, 1, 0xDE, 0, &byte, 1), 0);
    }

    // Freed by the other program, the line is taken at the next call.
    Rig rig = gpioRig();
    rig.sys->requestErrno[3] = EBUSY;
    rig.openFirst();
    EXPECT_EQ(rig.backend->vccOn(1), KVRX_ERR_GPIO_BUSY);
    rig.sys->requestErrno.clear();
    EXPECT_EQ(rig.backend->vccOn(1), 0);
    EXPECT_EQ(rig.sys->lines[3].value, 1);

    // The bridge unplugged under its lines.
    rig.sys->setErrno = ENODEV;
    EXPECT_EQ(rig.backend->portOut(1, 0x00), KVRX_ERR_NOT_ATTACHED);
    EXPECT_FALSE(rig.sys->chipOpen);
}

} // namespace
