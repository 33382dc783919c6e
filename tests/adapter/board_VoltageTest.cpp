// The supply and battery levels of the simulated board through the C ABI:
// argument checks, and that a level set on a board with an empty socket
// reaches the chip inserted later.
#include <gtest/gtest.h>

#include <cmath>

#include "kvrx_usb.h"

namespace {

TEST(BoardVoltage, ArgumentsAreChecked)
{
    EXPECT_EQ(KVRX_SimSetVoltage(1, KVRX_SIM_SUPPLY, 3.3), KVRX_OK);
    EXPECT_EQ(KVRX_SimSetVoltage(1, KVRX_SIM_BATTERY, 0.0), KVRX_OK);
    EXPECT_EQ(KVRX_SimSetVoltage(1, KVRX_SIM_BATTERY, 6.0), KVRX_OK);
    for (int which : {-1, 2, 7})
        EXPECT_EQ(KVRX_SimSetVoltage(1, which, 3.0), KVRX_ERR_BAD_ARG) << which;
    for (double volts : {-0.1, 6.01, std::nan(""), double(INFINITY)})
        EXPECT_EQ(KVRX_SimSetVoltage(1, KVRX_SIM_SUPPLY, volts), KVRX_ERR_BAD_ARG) << volts;
    EXPECT_EQ(KVRX_SimSetVoltage(0, KVRX_SIM_SUPPLY, 3.0), KVRX_ERR_NO_SUCH_BOARD);
    EXPECT_EQ(KVRX_SimSetVoltage(2, KVRX_SIM_SUPPLY, 3.0), KVRX_ERR_NO_SUCH_BOARD);
}

TEST(BoardVoltage, ALevelSetBeforeThePartIsInsertedCounts)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(1, ""), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetVoltage(1, KVRX_SIM_SUPPLY, 1.0), KVRX_OK);
    ASSERT_EQ(KVRX_VccOn(1), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(1, "VK310"), KVRX_OK);
    EXPECT_EQ(i2cWrite(1, 0, 0xDE, 0, nullptr, 0), KVRX_ERR_ADDR_NACK) << "1 V runs nothing";
    ASSERT_EQ(KVRX_SimSetVoltage(1, KVRX_SIM_SUPPLY, 3.3), KVRX_OK);
    EXPECT_EQ(i2cWrite(1, 0, 0xDE, 0, nullptr, 0), KVRX_OK);
}

} // namespace
