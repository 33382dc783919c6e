// The i2c-dev backend and the library's own answers, through the C ABI. Each test
// starts on a restarted library (EachCaseFresh.cpp), so it may pick the backend
// before its first call.
#include <gtest/gtest.h>

#include <glob.h>

#include <cstdlib>
#include <set>
#include <string>

#include "kvrx_usb.h"

namespace {

bool anyI2cDevice()
{
    glob_t found{};
    const bool any = ::glob("/dev/i2c-*", 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    ::globfree(&found);
    return any;
}

void useBackend(const char* name)
{
    ::setenv("KVRX_BACKEND", name, 1);
}

TEST(I2cDevBackend, WithoutAnyI2cDeviceNoAdapterIsReported)
{
    if (anyI2cDevice()) GTEST_SKIP() << "this machine has /dev/i2c-* devices";
    useBackend("i2c-dev");

    uint32_t count = 77;
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_NO_ADAPTER);
    EXPECT_EQ(count, 0u);

    uint8_t id[256] = {};
    uint8_t buf[4] = {};
    uint32_t seconds = 0;
    EXPECT_EQ(KVRX_GetDeviceID(1, id), KVRX_ERR_NO_ADAPTER);
    EXPECT_EQ(KVRX_Init(1, 400), KVRX_ERR_NO_ADAPTER);
    EXPECT_EQ(KVRX_RdRunTime(1, &seconds), KVRX_ERR_NO_ADAPTER);
    EXPECT_EQ(i2cClockRate(1, 400), KVRX_ERR_NO_ADAPTER);
    EXPECT_EQ(i2cRead(1, 1, 0xDE, 0x00, buf, 4), KVRX_ERR_NO_ADAPTER);
    EXPECT_EQ(i2cWrite(1, 1, 0xDE, 0x00, buf, 4), KVRX_ERR_NO_ADAPTER);
}

// The bus clock a board is opened with is checked as on the simulated board,
// before any device is looked for.
TEST(I2cDevBackend, OpeningWithABadClockIsABadArgument)
{
    useBackend("i2c-dev");
    for (uint32_t khz : {5u, 1001u, 0xFFFFFFFFu})
        EXPECT_EQ(KVRX_Init(1, khz), KVRX_ERR_BAD_ARG) << khz;
}

TEST(I2cDevBackend, BoardsOutsideTheListAreRefused)
{
    useBackend("i2c-dev");
    uint32_t count = 0;
    if (KVRX_GetNumDevices(&count) != 0) count = 0;

    uint8_t id[256] = {};
    const int32_t expected = count == 0 ? KVRX_ERR_NO_ADAPTER : KVRX_ERR_NO_SUCH_BOARD;
    for (uint32_t board : {0u, count + 1, 0xFFFFFFFFu}) {
        EXPECT_EQ(KVRX_GetDeviceID(board, id), expected) << board;
        EXPECT_EQ(KVRX_Init(board, 400), expected) << board;
    }
}

TEST(I2cDevBackend, SupplyPortsAndSimulatorControlsAreNotSupported)
{
    useBackend("i2c-dev");
    uint8_t value = 0;
    EXPECT_EQ(KVRX_VccOn(1), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_VccOff(1), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_PortIn(1, &value), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_PortOut(1, 0x0F), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_PortMode(1, 0xFF), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_SimSetPart(1, "VK320"), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_SimAdvance(1.0), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_SimPeek(1, 0xDE, 0, &value), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_SimSetAttached(1, 0), KVRX_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KVRX_SimSetVoltage(1, KVRX_SIM_SUPPLY, 3.0), KVRX_ERR_NOT_SUPPORTED);
}

TEST(I2cDevBackend, ClockRateOutsideTenToThousandKhzIsABadArgument)
{
    useBackend("i2c-dev");
    for (uint16_t khz : {0, 9, 1001, 65535})
        EXPECT_EQ(i2cClockRate(1, khz), KVRX_ERR_BAD_ARG) << khz;
    // Valid rates get past the range check to the board lookup (no board is open).
    for (uint16_t khz : {10, 100, 599, 1000})
        EXPECT_NE(i2cClockRate(1, khz), KVRX_ERR_BAD_ARG) << khz;
}

TEST(I2cDevBackend, TransferArgumentsAreCheckedBeforeTheBus)
{
    useBackend("i2c-dev");
    uint8_t buf[KVRX_MAX_TRANSFER + 1] = {};
    EXPECT_EQ(i2cRead(1, 4, 0xDE, 0, buf, 1), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(i2cWrite(1, 4, 0xDE, 0, buf, 1), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(i2cRead(1, 1, 0xDE, 0, nullptr, 1), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(i2cWrite(1, 1, 0xDE, 0, nullptr, 1), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(i2cRead(1, 1, 0xDE, 0, buf, KVRX_MAX_TRANSFER + 1), KVRX_ERR_TOO_LONG);
    EXPECT_EQ(i2cWrite(1, 1, 0xDE, 0, buf, KVRX_MAX_TRANSFER + 1), KVRX_ERR_TOO_LONG);
}

TEST(AdapterLibrary, UnknownBackendNameFailsEveryCallWithItsOwnCode)
{
    useBackend("usb-magic");
    uint32_t count = 0;
    uint8_t buf[2] = {};
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_UNKNOWN_BACKEND);
    EXPECT_EQ(KVRX_Init(1, 400), KVRX_ERR_UNKNOWN_BACKEND);
    EXPECT_EQ(KVRX_VccOn(1), KVRX_ERR_UNKNOWN_BACKEND);
    EXPECT_EQ(i2cRead(1, 1, 0xDE, 0, buf, 2), KVRX_ERR_UNKNOWN_BACKEND);
    const std::string text = KVRX_ResultStr(KVRX_ERR_UNKNOWN_BACKEND);
    EXPECT_NE(text.find("KVRX_BACKEND"), std::string::npos) << text;
    EXPECT_NE(text.find("i2c-dev"), std::string::npos) << text;
}

// The backend is chosen at the first call and kept; a test restart chooses again.
TEST(AdapterLibrary, BackendIsChosenOnceAndAgainAfterARestart)
{
    uint32_t count = 0;
    ASSERT_EQ(KVRX_GetNumDevices(&count), KVRX_OK) << "the simulated board by default";
    useBackend("usb-magic");
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_OK);
    EXPECT_EQ(KVRX_SimAdvance(0.0), KVRX_OK);
    ASSERT_EQ(KVRX_TestRestart(), KVRX_OK);
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_UNKNOWN_BACKEND);
    useBackend("sim");
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_UNKNOWN_BACKEND);
    ASSERT_EQ(KVRX_TestRestart(), KVRX_OK);
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_OK);
}

TEST(AdapterLibrary, Bo16SwapsTheTwoBytes)
{
    struct Case {
        uint16_t in, out;
    };
    for (const Case c : {Case{0x1234, 0x3412}, Case{0x00FF, 0xFF00}, Case{0x0000, 0x0000},
                         Case{0xFFFF, 0xFFFF}, Case{0xA55A, 0x5AA5}, Case{0x0100, 0x0001}}) {
        EXPECT_EQ(bo16(c.in), c.out) << std::hex << c.in;
    }
}

TEST(AdapterLibrary, EveryFailureCodeHasLowBitsAndATextOfItsOwn)
{
    const int32_t named[] = {
        KVRX_ERR_NO_ADAPTER,    KVRX_ERR_NO_SUCH_BOARD,   KVRX_ERR_NOT_OPEN,
        KVRX_ERR_ADDR_NACK,     KVRX_ERR_DATA_NACK,       KVRX_ERR_BAD_ARG,
        KVRX_ERR_NOT_SUPPORTED, KVRX_ERR_UNKNOWN_BACKEND, KVRX_ERR_NOT_ATTACHED,
        KVRX_ERR_TOO_LONG,      KVRX_ERR_UNKNOWN_PART,    KVRX_ERR_IO,
        KVRX_ERR_BAD_MODE,      KVRX_ERR_NO_DEVICE,       KVRX_ERR_BAD_SETTING,
        KVRX_ERR_TIMEOUT,       KVRX_ERR_PERMISSION,      KVRX_ERR_NACK,
        KVRX_ERR_ARBITRATION,   KVRX_ERR_BUS_BUSY,        KVRX_ERR_PROTOCOL,
        KVRX_ERR_REJECTED,      KVRX_ERR_HW_SETTING,      KVRX_ERR_GPIO_CHIP,
        KVRX_ERR_GPIO_BUSY,     KVRX_ERR_GPIO_LINE};
    const std::string fallback = KVRX_ResultStr(100000);
    const std::string success = KVRX_ResultStr(KVRX_OK);
    for (int32_t code : named) {
        EXPECT_NE(code & 0x7F, 0) << code;
        const std::string text = KVRX_ResultStr(code);
        EXPECT_NE(text, fallback) << code;
        EXPECT_NE(text, success) << code;
    }
    // Every code the library knows (named or not) reads differently from the others.
    std::set<std::string> texts;
    int known = 0;
    for (int32_t code = 1; code < 128; ++code) {
        const std::string text = KVRX_ResultStr(code);
        ASSERT_FALSE(text.empty()) << code;
        if (text == fallback) continue;
        ++known;
        EXPECT_TRUE(texts.insert(text).second) << "text of code " << code << " repeats: " << text;
    }
    EXPECT_GE(known, static_cast<int>(std::size(named)));
    // A note reads as success to a caller testing the low bits, yet has its own text.
    const std::string note = KVRX_ResultStr(KVRX_NOTE_CLOCK_FIXED);
    EXPECT_EQ(KVRX_NOTE_CLOCK_FIXED & 0x7F, 0);
    EXPECT_NE(note, fallback);
    EXPECT_EQ(texts.count(note), 0u);
}

// Clients built against earlier versions of the library keep their numbers.
TEST(AdapterLibrary, FirstResultCodesKeepTheirNumbers)
{
    struct Case {
        int32_t code, number;
    };
    for (const Case c :
         {Case{KVRX_OK, 0}, Case{KVRX_ERR_NO_ADAPTER, 1}, Case{KVRX_ERR_NO_SUCH_BOARD, 2},
          Case{KVRX_ERR_NOT_OPEN, 3}, Case{KVRX_ERR_ADDR_NACK, 4}, Case{KVRX_ERR_DATA_NACK, 5},
          Case{KVRX_ERR_BAD_ARG, 6}, Case{KVRX_ERR_NOT_SUPPORTED, 7},
          Case{KVRX_ERR_UNKNOWN_BACKEND, 8}, Case{KVRX_ERR_NOT_ATTACHED, 9},
          Case{KVRX_ERR_TOO_LONG, 10}, Case{KVRX_ERR_UNKNOWN_PART, 11}, Case{KVRX_ERR_IO, 12},
          Case{KVRX_ERR_BAD_MODE, 13}, Case{KVRX_ERR_NO_DEVICE, 14},
          Case{KVRX_ERR_BAD_SETTING, 15}})
        EXPECT_EQ(c.code, c.number);
}

TEST(I2cDevBackend, AnInvalidSettingFailsEveryCallNamingTheVariables)
{
    useBackend("i2c-dev");
    ::setenv("KVRX_PORT_LINES", "0,1,x", 1);
    uint32_t count = 0;
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_HW_SETTING);
    EXPECT_EQ(KVRX_VccOn(1), KVRX_ERR_HW_SETTING);
    const std::string text = KVRX_ResultStr(KVRX_ERR_HW_SETTING);
    for (const char* name :
         {"KVRX_I2C_BUSES", "KVRX_GPIO_CHIP", "KVRX_PORT_LINES", "KVRX_VCC_LINE"})
        EXPECT_NE(text.find(name), std::string::npos) << name;
}

} // namespace
