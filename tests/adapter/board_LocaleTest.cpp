// The simulated board's environment values mean the same in every locale:
// the library runs inside a program that took the user's locale at start, and
// "0.05" must stay five in a hundred under a decimal-comma one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kvrx_usb.h"
#include "support/CommaLocale.h"

namespace {

constexpr uint8_t kSensor = 0x90;

TEST(BoardLocale, DecimalCommaLocaleReadsFaultsAsTheCLocaleWritesThem)
{
    KVRX_COMMA_LOCALE(comma);
    setenv("KVRX_SIM_SEED", "3", 1);
    setenv("KVRX_SIM_FAULTS", "0.05", 1);
    ASSERT_EQ(KVRX_TestRestart(), KVRX_OK);
    uint32_t count = 0;
    ASSERT_EQ(KVRX_GetNumDevices(&count), KVRX_OK) << "0.05 is taken";
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    constexpr int kTransfers = 4000;
    int failed = 0;
    for (int i = 0; i < kTransfers; ++i) {
        uint8_t b[2] = {};
        if (i2cRead(1, 1, kSensor, 0, b, 2) != KVRX_OK) ++failed;
    }
    // 0.05 of 4000 is 200, with a standard deviation of about 14; read as 0
    // (the "0" before a point the locale does not know) none would fail.
    EXPECT_GT(failed, 130);
    EXPECT_LT(failed, 270);

    // The locale's own way of writing it is not a value of the file's kind.
    for (const char* bad : {"0,05", "0.05 ", "1,0"}) {
        SCOPED_TRACE(bad);
        setenv("KVRX_SIM_FAULTS", bad, 1);
        ASSERT_EQ(KVRX_TestRestart(), KVRX_OK);
        EXPECT_EQ(KVRX_GetNumDevices(&count), KVRX_ERR_BAD_SETTING);
    }
}

} // namespace
