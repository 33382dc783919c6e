// Port P0 of the simulated board: output latch, drive mode and what the pins
// read back, with the event net on pin 1 pulled from outside.
#include <gtest/gtest.h>

#include "kvrx_usb.h"

namespace {

uint8_t portIn(uint32_t board)
{
    uint8_t value = 0x77;
    EXPECT_EQ(KVRX_PortIn(board, &value), KVRX_OK);
    return value;
}

TEST(BoardPort, PinsStartReleasedAndPulledUp)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    EXPECT_EQ(portIn(1), 0xFF);
    EXPECT_EQ(KVRX_PortIn(1, nullptr), KVRX_ERR_BAD_ARG);
}

TEST(BoardPort, PushPullPinsReadTheirLatchOpenDrainPinsReadTheWire)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    // Pin 1 carries the event net; an outside level of 0 pulls it low.
    const struct {
        uint8_t mode;
        uint8_t latch;
        int outside;
        uint8_t reads;
    } cases[] = {
        {0x00, 0xFF, 1, 0xFF},                        // all released: pull-ups
        {0x00, 0x00, 1, 0x00},                        // all driven low
        {0xFF, 0xA5, 1, 0xA5},                        // push-pull drives both levels
        {0x0F, 0x5A, 1, 0x5A}, {0x00, 0xFF, 0, 0xFD}, // released pin 1 follows the pulled-down net
        {0x02, 0xFF, 0, 0xFF},                        // push-pull pin 1 reads its latch
        {0x00, 0xFD, 0, 0xFD},                        // driven low anyway
        {0xFD, 0xFF, 0, 0xFD},                        // only pin 1 open-drain
    };
    for (const auto& c : cases) {
        ASSERT_EQ(KVRX_PortMode(1, c.mode), KVRX_OK);
        ASSERT_EQ(KVRX_PortOut(1, c.latch), KVRX_OK);
        ASSERT_EQ(KVRX_SimEventInput(1, c.outside), KVRX_OK);
        EXPECT_EQ(portIn(1), c.reads)
            << "mode " << int{c.mode} << " latch " << int{c.latch} << " outside " << c.outside;
    }
}

TEST(BoardPort, UnpluggingResetsThePort)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    ASSERT_EQ(KVRX_PortMode(1, 0xFF), KVRX_OK);
    ASSERT_EQ(KVRX_PortOut(1, 0x00), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetAttached(1, 0), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetAttached(1, 1), KVRX_OK);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    EXPECT_EQ(portIn(1), 0xFF);
}

TEST(BoardPort, EventInputTakesOnlyLevelsOnExistingBoards)
{
    EXPECT_EQ(KVRX_SimEventInput(1, 2), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(KVRX_SimEventInput(1, -1), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(KVRX_SimEventInput(2, 0), KVRX_ERR_NO_SUCH_BOARD);
    // The outside world reaches the board whether it is open or not.
    EXPECT_EQ(KVRX_SimEventInput(1, 0), KVRX_OK);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    EXPECT_EQ(portIn(1), 0xFD);
}

} // namespace
