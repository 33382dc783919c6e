// C entry points: pick the backend named by KVRX_BACKEND at the first call,
// then forward. KVRX_TestRestart drops it, so that a test program starts each
// case as a new process would.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "Backend.h"

namespace {

std::mutex choiceMutex;
std::unique_ptr<kvrx::Backend> chosen;        // guarded by choiceMutex
std::atomic<kvrx::Backend*> current{nullptr}; // chosen.get() once made

std::unique_ptr<kvrx::Backend> makeBackend()
{
    const char* name = std::getenv("KVRX_BACKEND");
    if (name == nullptr || *name == '\0' || std::strcmp(name, "sim") == 0)
        return kvrx::makeSimBackend();
    if (std::strcmp(name, "i2c-dev") == 0) return kvrx::makeI2cDevBackend();
    return std::make_unique<kvrx::FailingBackend>(KVRX_ERR_UNKNOWN_BACKEND);
}

kvrx::Backend& backend()
{
    if (kvrx::Backend* b = current.load(std::memory_order_acquire)) return *b;
    std::lock_guard lock(choiceMutex);
    if (!chosen) {
        chosen = makeBackend();
        current.store(chosen.get(), std::memory_order_release);
    }
    return *chosen;
}

} // namespace

extern "C" {

int32_t KVRX_GetNumDevices(uint32_t* count)
{
    if (count == nullptr) return KVRX_ERR_BAD_ARG;
    return backend().getNumDevices(count);
}

int32_t KVRX_GetDeviceID(uint32_t board, uint8_t* id)
{
    if (id == nullptr) return KVRX_ERR_BAD_ARG;
    return backend().getDeviceId(board, id);
}

int32_t KVRX_Init(uint32_t board, uint32_t param)
{
    return backend().init(board, param);
}

const char* KVRX_ResultStr(int32_t code)
{
    switch (code) {
    case KVRX_OK:
        return "Success";
    case KVRX_ERR_NO_ADAPTER:
        return "No USB-I2C adapter is reachable";
    case KVRX_ERR_NO_SUCH_BOARD:
        return "No evaluation board with that number";
    case KVRX_ERR_NOT_OPEN:
        return "The evaluation board is not open";
    case KVRX_ERR_ADDR_NACK:
        return "I2C slave address not acknowledged";
    case KVRX_ERR_DATA_NACK:
        return "I2C data byte not acknowledged";
    case KVRX_ERR_BAD_ARG:
        return "Invalid argument";
    case KVRX_ERR_NOT_SUPPORTED:
        return "Not supported by this adapter";
    case KVRX_ERR_UNKNOWN_BACKEND:
        return "Unknown adapter backend in KVRX_BACKEND (use \"sim\" or \"i2c-dev\")";
    case KVRX_ERR_NOT_ATTACHED:
        return "The evaluation board is unplugged";
    case KVRX_ERR_TOO_LONG:
        return "Transfer longer than the adapter moves at once";
    case KVRX_ERR_UNKNOWN_PART:
        return "No such part for the simulated socket";
    case KVRX_ERR_IO:
        return "Adapter I/O error";
    case KVRX_ERR_BAD_MODE:
        return "Not available in this clock mode";
    case KVRX_ERR_NO_DEVICE:
        return "No such device on the simulated board";
    case KVRX_ERR_BAD_SETTING:
        return "Invalid simulated-board setting in the environment (KVRX_SIM_*)";
    case KVRX_ERR_TIMEOUT:
        return "I2C transfer timed out: the chip does not answer or the bus is held low";
    case KVRX_ERR_PERMISSION:
        return "Permission denied on the USB-I2C bridge: join the \"i2c\" group "
               "(usermod -aG i2c USER), log in again and replug the bridge";
    case KVRX_ERR_NACK:
        return "I2C transfer not acknowledged (address or data)";
    case KVRX_ERR_ARBITRATION:
        return "I2C arbitration lost: another master drives the bus";
    case KVRX_ERR_BUS_BUSY:
        return "I2C bus busy for too long";
    case KVRX_ERR_PROTOCOL:
        return "I2C or USB protocol error between the bridge and the chip";
    case KVRX_ERR_REJECTED:
        return "The bridge's driver refuses this transfer (its length or the message sequence)";
    case KVRX_ERR_HW_SETTING:
        return "Invalid i2c-dev setting in the environment (KVRX_I2C_BUSES, KVRX_GPIO_CHIP, "
               "KVRX_PORT_LINES or KVRX_VCC_LINE)";
    case KVRX_ERR_GPIO_CHIP:
        return "The GPIO chip named in KVRX_GPIO_CHIP is not there, or not on the board's bridge";
    case KVRX_ERR_GPIO_BUSY:
        return "A GPIO line of the port or supply is used by another program";
    case KVRX_ERR_GPIO_LINE:
        return "The GPIO chip has no line with an offset given in KVRX_PORT_LINES or KVRX_VCC_LINE";
    case KVRX_NOTE_CLOCK_FIXED:
        return "Bus speed not applied: the bridge's driver fixes it";
    default:
        return "Unknown adapter result code";
    }
}

int32_t KVRX_VccOn(uint32_t board)
{
    return backend().vccOn(board);
}
int32_t KVRX_VccOff(uint32_t board)
{
    return backend().vccOff(board);
}

int32_t KVRX_RdRunTime(uint32_t board, uint32_t* seconds)
{
    if (seconds == nullptr) return KVRX_ERR_BAD_ARG;
    return backend().rdRunTime(board, seconds);
}

int32_t KVRX_PortIn(uint32_t board, uint8_t* value)
{
    if (value == nullptr) return KVRX_ERR_BAD_ARG;
    return backend().portIn(board, value);
}

int32_t KVRX_PortOut(uint32_t board, uint8_t value)
{
    return backend().portOut(board, value);
}
int32_t KVRX_PortMode(uint32_t board, uint8_t mode)
{
    return backend().portMode(board, mode);
}
int32_t i2cClockRate(uint32_t board, uint16_t khz)
{
    return backend().clockRate(board, khz);
}

int32_t i2cRead(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                uint32_t count)
{
    if (subLen > 3 || (buf == nullptr && count > 0)) return KVRX_ERR_BAD_ARG;
    if (count > KVRX_MAX_TRANSFER) return KVRX_ERR_TOO_LONG;
    return backend().read(board, subLen, slave, sub, buf, count);
}

int32_t i2cWrite(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, const uint8_t* buf,
                 uint32_t count)
{
    if (subLen > 3 || (buf == nullptr && count > 0)) return KVRX_ERR_BAD_ARG;
    if (count > KVRX_MAX_TRANSFER) return KVRX_ERR_TOO_LONG;
    return backend().write(board, subLen, slave, sub, buf, count);
}

uint16_t bo16(uint16_t value)
{
    return static_cast<uint16_t>((value << 8) | (value >> 8));
}

int32_t KVRX_SimSetPart(uint32_t board, const char* partName)
{
    if (partName == nullptr) return KVRX_ERR_BAD_ARG;
    return backend().simSetPart(board, partName);
}
int32_t KVRX_SimAdvance(double seconds)
{
    return backend().simAdvance(seconds);
}
int32_t KVRX_SimSetTemperature(uint32_t board, double celsius)
{
    return backend().simSetTemperature(board, celsius);
}
int32_t KVRX_SimPeek(uint32_t board, uint8_t slave, uint32_t sub, uint8_t* value)
{
    if (value == nullptr) return KVRX_ERR_BAD_ARG;
    return backend().simPeek(board, slave, sub, value);
}
int32_t KVRX_SimPoke(uint32_t board, uint8_t slave, uint32_t sub, uint8_t value)
{
    return backend().simPoke(board, slave, sub, value);
}
int32_t KVRX_SimSetAttached(uint32_t board, int attached)
{
    return backend().simSetAttached(board, attached);
}
int32_t KVRX_SimEventInput(uint32_t board, int level)
{
    return backend().simEventInput(board, level);
}
int32_t KVRX_SimSetPpm(uint32_t board, double ppm)
{
    return backend().simSetPpm(board, ppm);
}
int32_t KVRX_SimSetVoltage(uint32_t board, int which, double volts)
{
    return backend().simSetVoltage(board, which, volts);
}

int32_t KVRX_TestRestart(void)
{
    std::lock_guard lock(choiceMutex);
    current.store(nullptr, std::memory_order_release);
    chosen.reset();
    return KVRX_OK;
}

} // extern "C"
