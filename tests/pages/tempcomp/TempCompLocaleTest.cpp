// The Kelvin register's Celsius text keeps the design's '.' under a
// decimal-comma locale ("23.50*C ", never "23,50*C ").
#include <gtest/gtest.h>

#include "pages/tempcomp/TempCompCodec.h"
#include "support/CommaLocale.h"

TEST(TempCompLocale, KelvinTextKeepsThePointUnderADecimalCommaLocale)
{
    KVRX_COMMA_LOCALE(comma);
    // Half kelvins: 593 is 296.5 K, 23.5 degrees Celsius.
    EXPECT_EQ(TempCompCodec::KelvinCelsiusText(593 & 0xFF, 593 >> 8), "23.50*C ");
    EXPECT_EQ(TempCompCodec::KelvinCelsiusText(0, 0), "-273.00*C ");
    EXPECT_EQ(TempCompCodec::KelvinCelsiusText(0xFF, 0xFF), "32494.50*C ");
}
