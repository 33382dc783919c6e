// Settings of the simulated board from the environment: random transfer
// failures, the real clock, a pinned part and bad values.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kvrx_usb.h"

namespace {

constexpr uint8_t kSensor = 0x90;

TEST(BoardSettings, FaultsFailTheirShareOfTransfersWithoutAnAcknowledge)
{
    setenv("KVRX_SIM_FAULTS", "0.2", 1);
    setenv("KVRX_SIM_SEED", "7", 1);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetTemperature(1, 25.0), KVRX_OK);
    constexpr int kTransfers = 5000;
    int failed = 0;
    for (int i = 0; i < kTransfers; ++i) {
        uint8_t b[2] = {0xEE, 0xEE};
        const int32_t rc =
            i % 2 ? i2cRead(1, 1, kSensor, 0, b, 2) : i2cWrite(1, 1, kSensor, 1, b, 1);
        if (rc == KVRX_OK) continue;
        ++failed;
        ASSERT_EQ(rc, KVRX_ERR_ADDR_NACK);
        ASSERT_EQ(b[0], 0xEE) << "a failed read leaves the buffer alone";
    }
    // 0.2 of 5000 is 1000, with a standard deviation of about 28.
    EXPECT_GT(failed, 860);
    EXPECT_LT(failed, 1140);
    // Board operations that are not transfers do not fail.
    for (int i = 0; i < 100; ++i) {
        uint32_t s = 0;
        ASSERT_EQ(KVRX_RdRunTime(1, &s), KVRX_OK);
    }
}

TEST(BoardSettings, RealClockTakesWireTimeAndRefusesManualAdvance)
{
    setenv("KVRX_SIM_CLOCK", "real", 1);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    EXPECT_EQ(KVRX_SimAdvance(1.0), KVRX_ERR_BAD_MODE);
    ASSERT_EQ(i2cClockRate(1, 10), KVRX_OK);
    std::vector<uint8_t> buf(KVRX_MAX_TRANSFER);
    // Address, sub-address, address again and the data at 9 bits a byte.
    const double wire = (3.0 + KVRX_MAX_TRANSFER) * 9 / 10000;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(i2cRead(1, 1, kSensor, 0, buf.data(), KVRX_MAX_TRANSFER), KVRX_OK);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, wire);
}

TEST(BoardSettings, PinnedPartStaysInEverySocket)
{
    setenv("KVRX_SIM_PART", "VK380", 1);
    setenv("KVRX_SIM_BOARDS", "2", 1);
    uint8_t b = 0;
    for (uint32_t board : {1u, 2u}) {
        EXPECT_EQ(KVRX_SimPeek(board, 0xD0, 0, &b), KVRX_OK) << board;
        EXPECT_EQ(KVRX_SimSetPart(board, "VK310"), KVRX_OK);
        EXPECT_EQ(KVRX_SimSetPart(board, ""), KVRX_OK);
        EXPECT_EQ(KVRX_SimSetPart(board, "VK999"), KVRX_ERR_UNKNOWN_PART);
        EXPECT_EQ(KVRX_SimPeek(board, 0xD0, 0, &b), KVRX_OK) << board;
        EXPECT_EQ(KVRX_SimPeek(board, 0xDE, 0, &b), KVRX_ERR_NO_DEVICE) << board;
    }
}

// A program's settings are those at its first call; a test restart starts
// the library again as a new process: the settings read anew, every board
// closed, every chip and its time gone.
TEST(BoardSettings, ReadOnceAtTheFirstCallAndAgainOnlyAfterARestart)
{
    setenv("KVRX_SIM_BOARDS", "2", 1);
    uint32_t count = 0;
    ASSERT_EQ(KVRX_GetNumDevices(&count), KVRX_OK);
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(KVRX_Init(2, 400), KVRX_OK);
    ASSERT_EQ(KVRX_VccOn(2), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(2, "VK320"), KVRX_OK);
    ASSERT_EQ(KVRX_SimPoke(2, 0xDE, 0x01, 0x42), KVRX_OK);
    ASSERT_EQ(KVRX_SimAdvance(5.0), KVRX_OK);

    setenv("KVRX_SIM_BOARDS", "3", 1);
    setenv("KVRX_SIM_CLOCK", "bad", 1);
    ASSERT_EQ(KVRX_GetNumDevices(&count), KVRX_OK) << "a running board keeps its settings";
    EXPECT_EQ(count, 2u);

    EXPECT_EQ(KVRX_TestRestart(), KVRX_OK);
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_BAD_SETTING) << "read again";
    setenv("KVRX_SIM_CLOCK", "manual", 1);
    ASSERT_EQ(KVRX_TestRestart(), KVRX_OK);
    ASSERT_EQ(KVRX_GetNumDevices(&count), KVRX_OK);
    EXPECT_EQ(count, 3u);
    uint32_t seconds = 0;
    EXPECT_EQ(KVRX_RdRunTime(2, &seconds), KVRX_ERR_NOT_OPEN);
    uint8_t b = 0;
    EXPECT_EQ(KVRX_SimPeek(2, 0xDE, 0x01, &b), KVRX_ERR_NO_DEVICE) << "the socket is empty again";
    ASSERT_EQ(KVRX_Init(2, 400), KVRX_OK);
    EXPECT_EQ(KVRX_RdRunTime(2, &seconds), KVRX_OK);
    EXPECT_EQ(seconds, 0u) << "a new clock";
    ASSERT_EQ(KVRX_SimSetPart(2, "VK320"), KVRX_OK);
    ASSERT_EQ(KVRX_SimPeek(2, 0xDE, 0x01, &b), KVRX_OK);
    EXPECT_NE(b, 0x42) << "a new chip";
}

class BoardBadSetting : public testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(BoardBadSetting, SwitchesTheBoardOffWithItsOwnCode)
{
    setenv(GetParam().first.c_str(), GetParam().second.c_str(), 1);
    uint32_t count = 0;
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_BAD_SETTING);
    EXPECT_EQ(KVRX_Init(1, 400), KVRX_ERR_BAD_SETTING);
    EXPECT_EQ(KVRX_SimAdvance(1), KVRX_ERR_BAD_SETTING);
    EXPECT_EQ(KVRX_SimSetPart(1, "VK310"), KVRX_ERR_BAD_SETTING);
    EXPECT_NE(std::strstr(KVRX_ResultStr(KVRX_ERR_BAD_SETTING), "KVRX_SIM"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Values, BoardBadSetting,
    testing::Values(std::pair<std::string, std::string>{"KVRX_SIM_BOARDS", "two"},
                    std::pair<std::string, std::string>{"KVRX_SIM_BOARDS", "17"},
                    std::pair<std::string, std::string>{"KVRX_SIM_PART", "vk310"},
                    std::pair<std::string, std::string>{"KVRX_SIM_CLOCK", "fast"},
                    std::pair<std::string, std::string>{"KVRX_SIM_SENSOR", "77"},
                    std::pair<std::string, std::string>{"KVRX_SIM_FAULTS", "1.5"},
                    std::pair<std::string, std::string>{"KVRX_SIM_FAULTS", "-0.1"},
                    std::pair<std::string, std::string>{"KVRX_SIM_SEED", "x1"}),
    [](const auto& info) { return info.param.first + "_" + std::to_string(info.index); });

} // namespace
