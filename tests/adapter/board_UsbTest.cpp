// The simulated board as a client sees it: enumeration, opening, unplugging,
// run time, bus clock and bus errors, through the C ABI alone.
//
// Each test starts on a restarted library with the manual clock
// (EachCaseFresh.cpp), so a test that needs other settings sets them before
// its first call.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "kvrx_usb.h"

namespace {

constexpr uint8_t kSensor = 0x90;

// Every operation that needs an open board, as one call on a given board.
struct BoardOp {
    const char* name;
    std::function<int32_t(uint32_t)> call;
};

std::vector<BoardOp> boardOps()
{
    return {
        {"VccOn", [](uint32_t b) { return KVRX_VccOn(b); }},
        {"VccOff", [](uint32_t b) { return KVRX_VccOff(b); }},
        {"RdRunTime",
         [](uint32_t b) {
             uint32_t s = 0;
             return KVRX_RdRunTime(b, &s);
         }},
        {"PortIn",
         [](uint32_t b) {
             uint8_t v = 0;
             return KVRX_PortIn(b, &v);
         }},
        {"PortOut", [](uint32_t b) { return KVRX_PortOut(b, 0xFF); }},
        {"PortMode", [](uint32_t b) { return KVRX_PortMode(b, 0x00); }},
        {"i2cClockRate", [](uint32_t b) { return i2cClockRate(b, 100); }},
        {"i2cRead",
         [](uint32_t b) {
             uint8_t buf[2] = {};
             return i2cRead(b, 1, kSensor, 0, buf, 2);
         }},
        {"i2cWrite",
         [](uint32_t b) {
             const uint8_t ptr = 0;
             return i2cWrite(b, 0, kSensor, 0, &ptr, 1);
         }},
    };
}

void expectEveryOp(uint32_t board, int32_t expected, const char* when)
{
    for (const BoardOp& op : boardOps())
        EXPECT_EQ(op.call(board), expected) << op.name << " on board " << board << " " << when;
}

uint32_t numDevices()
{
    uint32_t count = 12345;
    EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_OK);
    return count;
}

uint32_t runTime(uint32_t board)
{
    uint32_t seconds = 0xDEADBEEF;
    EXPECT_EQ(KVRX_RdRunTime(board, &seconds), KVRX_OK);
    return seconds;
}

TEST(BoardUsb, ListsAndIdentifiesEachBoard)
{
    setenv("KVRX_SIM_BOARDS", "3", 1);
    EXPECT_EQ(numDevices(), 3u);
    std::vector<std::string> texts;
    for (uint32_t board = 1; board <= 3; ++board) {
        std::array<uint8_t, 256> id;
        id.fill(0xA5);
        ASSERT_EQ(KVRX_GetDeviceID(board, id.data()), KVRX_OK) << board;
        // A text, ended inside the buffer, and the rest of the buffer cleared.
        const auto end = std::find(id.begin(), id.end(), uint8_t{0});
        ASSERT_NE(end, id.end());
        EXPECT_GT(end - id.begin(), 0);
        EXPECT_TRUE(std::all_of(end, id.end(), [](uint8_t b) { return b == 0; }));
        texts.emplace_back(reinterpret_cast<const char*>(id.data()));
    }
    EXPECT_NE(texts[0], texts[1]);
    EXPECT_NE(texts[1], texts[2]);

    for (uint32_t board : {0u, 4u, 0xFFFFFFFFu}) {
        std::array<uint8_t, 256> id;
        id.fill(0xA5);
        EXPECT_EQ(KVRX_GetDeviceID(board, id.data()), KVRX_ERR_NO_SUCH_BOARD) << board;
        EXPECT_TRUE(std::all_of(id.begin(), id.end(), [](uint8_t b) { return b == 0xA5; }));
        EXPECT_EQ(KVRX_Init(board, 400), KVRX_ERR_NO_SUCH_BOARD) << board;
    }
}

TEST(BoardUsb, EveryOperationNeedsAnExistingOpenBoard)
{
    expectEveryOp(1, KVRX_ERR_NOT_OPEN, "before KVRX_Init");
    expectEveryOp(0, KVRX_ERR_NO_SUCH_BOARD, "");
    expectEveryOp(2, KVRX_ERR_NO_SUCH_BOARD, "");
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    expectEveryOp(1, KVRX_OK, "after KVRX_Init");
    EXPECT_EQ(KVRX_Init(1, 400), KVRX_OK) << "opening an open board again";
    expectEveryOp(1, KVRX_OK, "after a second KVRX_Init");
}

TEST(BoardUsb, UnpluggedBoardDropsOutUntilPluggedAndOpenedAgain)
{
    setenv("KVRX_SIM_BOARDS", "2", 1);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    ASSERT_EQ(KVRX_Init(2, 400), KVRX_OK);

    ASSERT_EQ(KVRX_SimSetAttached(2, 0), KVRX_OK);
    EXPECT_EQ(numDevices(), 1u);
    expectEveryOp(2, KVRX_ERR_NOT_ATTACHED, "while unplugged");
    std::array<uint8_t, 256> id{};
    EXPECT_EQ(KVRX_GetDeviceID(2, id.data()), KVRX_ERR_NOT_ATTACHED);
    EXPECT_EQ(KVRX_Init(2, 400), KVRX_ERR_NOT_ATTACHED);
    expectEveryOp(1, KVRX_OK, "while board 2 is unplugged");

    ASSERT_EQ(KVRX_SimSetAttached(2, 1), KVRX_OK);
    EXPECT_EQ(numDevices(), 2u);
    expectEveryOp(2, KVRX_ERR_NOT_OPEN, "plugged in again, not yet opened");
    ASSERT_EQ(KVRX_Init(2, 400), KVRX_OK);
    expectEveryOp(2, KVRX_OK, "opened again");

    EXPECT_EQ(KVRX_SimSetAttached(2, 2), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(KVRX_SimSetAttached(2, -1), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(KVRX_SimSetAttached(3, 0), KVRX_ERR_NO_SUCH_BOARD);
    EXPECT_EQ(numDevices(), 2u);
}

TEST(BoardUsb, BoardsKeepTheirNumbersWhenALowerOneIsUnplugged)
{
    setenv("KVRX_SIM_BOARDS", "3", 1);
    std::array<uint8_t, 256> id{};
    ASSERT_EQ(KVRX_SimSetAttached(1, 0), KVRX_OK);
    // Boards 2 and 3 are still reachable by the count and keep their numbers;
    // board 1 answers its identity query with a failure.
    EXPECT_EQ(numDevices(), 3u);
    EXPECT_EQ(KVRX_GetDeviceID(1, id.data()), KVRX_ERR_NOT_ATTACHED);
    EXPECT_EQ(KVRX_GetDeviceID(2, id.data()), KVRX_OK);
    EXPECT_EQ(KVRX_GetDeviceID(3, id.data()), KVRX_OK);

    ASSERT_EQ(KVRX_SimSetAttached(3, 0), KVRX_OK);
    EXPECT_EQ(numDevices(), 2u);
    ASSERT_EQ(KVRX_SimSetAttached(2, 0), KVRX_OK);
    EXPECT_EQ(numDevices(), 0u);
    ASSERT_EQ(KVRX_SimSetAttached(3, 1), KVRX_OK);
    EXPECT_EQ(numDevices(), 3u);
    EXPECT_EQ(KVRX_GetDeviceID(3, id.data()), KVRX_OK);
}

TEST(BoardUsb, RunTimeCountsWholeSecondsSinceThePlugIn)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    EXPECT_EQ(runTime(1), 0u);
    ASSERT_EQ(KVRX_SimAdvance(2.75), KVRX_OK);
    EXPECT_EQ(runTime(1), 2u);
    ASSERT_EQ(KVRX_SimAdvance(0.25), KVRX_OK);
    EXPECT_EQ(runTime(1), 3u);
    ASSERT_EQ(KVRX_SimAdvance(3 * 86400.0), KVRX_OK);
    EXPECT_EQ(runTime(1), 3u + 3 * 86400u);

    // Unplugged for a while: the count starts again at the new plug-in.
    ASSERT_EQ(KVRX_SimSetAttached(1, 0), KVRX_OK);
    ASSERT_EQ(KVRX_SimAdvance(100), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetAttached(1, 1), KVRX_OK);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    EXPECT_EQ(runTime(1), 0u);
    ASSERT_EQ(KVRX_SimAdvance(4), KVRX_OK);
    EXPECT_EQ(runTime(1), 4u);
    // Plugging in a board that is already in changes nothing.
    ASSERT_EQ(KVRX_SimSetAttached(1, 1), KVRX_OK);
    EXPECT_EQ(runTime(1), 4u);
}

TEST(BoardUsb, ManualAdvanceRefusesBadDurations)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    for (double seconds :
         {-1.0, -1e-9, std::nan(""), std::numeric_limits<double>::infinity(), 1e12})
        EXPECT_EQ(KVRX_SimAdvance(seconds), KVRX_ERR_BAD_ARG) << seconds;
    EXPECT_EQ(runTime(1), 0u);
    EXPECT_EQ(KVRX_SimAdvance(0), KVRX_OK);
}

TEST(BoardUsb, ClockRateTakesTenToThousandKilohertzAnd599)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    const struct {
        uint16_t khz;
        int32_t result;
    } cases[] = {
        {0, KVRX_ERR_BAD_ARG}, {9, KVRX_ERR_BAD_ARG},    {10, KVRX_OK},
        {100, KVRX_OK},        {400, KVRX_OK},           {599, KVRX_OK},
        {1000, KVRX_OK},       {1001, KVRX_ERR_BAD_ARG}, {65535, KVRX_ERR_BAD_ARG},
    };
    for (const auto& c : cases)
        EXPECT_EQ(i2cClockRate(1, c.khz), c.result) << c.khz;
}

TEST(BoardUsb, OpeningWithABadClockLeavesTheBoardClosed)
{
    EXPECT_EQ(KVRX_Init(1, 5), KVRX_ERR_BAD_ARG);
    uint32_t seconds = 0;
    EXPECT_EQ(KVRX_RdRunTime(1, &seconds), KVRX_ERR_NOT_OPEN);
    EXPECT_EQ(KVRX_Init(1, 599), KVRX_OK);
    EXPECT_EQ(KVRX_RdRunTime(1, &seconds), KVRX_OK);
}

TEST(BoardBus, NobodyAnswersAtAnAddressWithoutADevice)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    ASSERT_EQ(KVRX_VccOn(1), KVRX_OK);
    // The socket is empty, so the chip and memory addresses are silent too.
    for (uint8_t slave : {0x00, 0x50, 0xA0, 0xAE, 0xD0, 0xDE, 0xFE}) {
        std::array<uint8_t, 8> buf;
        buf.fill(0x5C);
        EXPECT_EQ(i2cRead(1, 1, slave, 0, buf.data(), 4), KVRX_ERR_ADDR_NACK) << int{slave};
        EXPECT_TRUE(std::all_of(buf.begin(), buf.end(), [](uint8_t b) { return b == 0x5C; }));
        EXPECT_EQ(i2cWrite(1, 1, slave, 0, buf.data(), 4), KVRX_ERR_ADDR_NACK) << int{slave};
        EXPECT_EQ(i2cRead(1, 0, slave, 0, nullptr, 0), KVRX_ERR_ADDR_NACK) << int{slave};
    }
}

TEST(BoardBus, CountsBeyondOneTransferAreRefusedWithoutTouchingTheBuffer)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    std::vector<uint8_t> buf(KVRX_MAX_TRANSFER + 16, 0x3E);
    EXPECT_EQ(i2cRead(1, 1, kSensor, 0, buf.data(), KVRX_MAX_TRANSFER + 1), KVRX_ERR_TOO_LONG);
    EXPECT_TRUE(std::all_of(buf.begin(), buf.end(), [](uint8_t b) { return b == 0x3E; }));
    EXPECT_EQ(i2cWrite(1, 1, kSensor, 0, buf.data(), KVRX_MAX_TRANSFER + 1), KVRX_ERR_TOO_LONG);
    EXPECT_EQ(i2cRead(1, 1, kSensor, 0, buf.data(), 0xFFFFFFFFu), KVRX_ERR_TOO_LONG);

    // The largest transfer goes through and stops at its count.
    ASSERT_EQ(KVRX_SimSetTemperature(1, 25.0), KVRX_OK);
    EXPECT_EQ(i2cRead(1, 1, kSensor, 0, buf.data(), KVRX_MAX_TRANSFER), KVRX_OK);
    EXPECT_EQ(buf[0], 0x19);
    EXPECT_TRUE(std::all_of(buf.begin() + KVRX_MAX_TRANSFER, buf.end(),
                            [](uint8_t b) { return b == 0x3E; }));
}

TEST(BoardBus, MalformedTransfersAreBadArguments)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    uint8_t buf[2] = {};
    EXPECT_EQ(i2cRead(1, 4, kSensor, 0, buf, 2), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(i2cWrite(1, 4, kSensor, 0, buf, 2), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(i2cRead(1, 1, kSensor, 0, nullptr, 2), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(i2cWrite(1, 1, kSensor, 0, nullptr, 2), KVRX_ERR_BAD_ARG);
    // No data at all is an address probe.
    EXPECT_EQ(i2cWrite(1, 0, kSensor, 0, nullptr, 0), KVRX_OK);
    uint32_t seconds = 0;
    EXPECT_EQ(KVRX_RdRunTime(1, nullptr), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(KVRX_GetNumDevices(nullptr), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(KVRX_RdRunTime(1, &seconds), KVRX_OK);
}

} // namespace
