// The board's temperature sensor at 0x90: LM75 and LM76 words, the pointer
// register, the slow wander and held temperatures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "kvrx_usb.h"

namespace {

constexpr uint8_t kSensor = 0x90;

uint16_t readWord(uint8_t subLen = 1, uint32_t reg = 0)
{
    uint8_t b[2] = {0xEE, 0xEE};
    EXPECT_EQ(i2cRead(1, subLen, kSensor, reg, b, 2), KVRX_OK);
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

// The application's decoding of an LM76 word, to see the wander in degrees.
double lm76Celsius(uint16_t w)
{
    const int raw = w >> 3;
    return (raw > 0xFFF ? raw - 0x2000 : raw) * 0.0625;
}

struct WordCase {
    double celsius;
    uint16_t lm75;
    uint16_t lm76;
};

// Rounded to the nearest step; outside the LM75's 9 bits it stops at the end.
constexpr WordCase kWords[] = {
    {25.0, 0x1900, 0x0C80},   {23.5, 0x1780, 0x0BC0},     {0.0, 0x0000, 0x0000},
    {0.0625, 0x0000, 0x0008}, {-0.5, 0xFF80, 0xFFC0},     {-0.0625, 0x0000, 0xFFF8},
    {-25.0, 0xE700, 0xF380},  {-25.0625, 0xE700, 0xF378}, {-25.3, 0xE680, 0xF358},
    {125.0, 0x7D00, 0x3E80},  {-55.0, 0xC900, 0xE480},    {150.0, 0x7F80, 0x4B00},
};

void expectWords(bool lm76)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    for (const WordCase& c : kWords) {
        ASSERT_EQ(KVRX_SimSetTemperature(1, c.celsius), KVRX_OK) << c.celsius;
        EXPECT_EQ(readWord(), lm76 ? c.lm76 : c.lm75) << c.celsius;
        // A held temperature does not move with time.
        ASSERT_EQ(KVRX_SimAdvance(3600), KVRX_OK);
        EXPECT_EQ(readWord(), lm76 ? c.lm76 : c.lm75) << c.celsius << " an hour later";
    }
}

TEST(BoardSensor, Lm75WordsOfSetTemperatures)
{
    expectWords(false);
}

TEST(BoardSensor, Lm76WordsOfSetTemperatures)
{
    setenv("KVRX_SIM_SENSOR", "76", 1);
    expectWords(true);
}

TEST(BoardSensor, TemperatureWandersSlowlyAroundRoomTemperature)
{
    setenv("KVRX_SIM_SENSOR", "76", 1);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    double lowest = 100, highest = -100;
    double last = lm76Celsius(readWord());
    for (int i = 0; i < 24 * 60; ++i) { // a day, a reading every minute
        ASSERT_EQ(KVRX_SimAdvance(60), KVRX_OK);
        const uint16_t w = readWord();
        EXPECT_EQ(readWord(), w) << "the same moment reads the same";
        const double t = lm76Celsius(w);
        EXPECT_LE(std::fabs(t - last), 0.125) << "minute " << i;
        lowest = std::min(lowest, t);
        highest = std::max(highest, t);
        last = t;
    }
    EXPECT_GE(lowest, 22.5);
    EXPECT_LE(highest, 24.5);
    EXPECT_GE(highest - lowest, 0.25) << "it does wander";
}

TEST(BoardSensor, HeldTemperatureIsKeptUntilReleased)
{
    setenv("KVRX_SIM_SENSOR", "76", 1);
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetTemperature(1, 40.0), KVRX_OK);
    for (double bad : {-55.5, 150.5, std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(KVRX_SimSetTemperature(1, bad), KVRX_ERR_BAD_ARG) << bad;
    EXPECT_EQ(KVRX_SimSetTemperature(2, 20.0), KVRX_ERR_NO_SUCH_BOARD);
    EXPECT_EQ(lm76Celsius(readWord()), 40.0);
    // NaN lets it wander again.
    ASSERT_EQ(KVRX_SimSetTemperature(1, std::nan("")), KVRX_OK);
    EXPECT_NEAR(lm76Celsius(readWord()), 23.5, 1.0);
}

TEST(BoardSensor, PointerSelectsTheRegisterAndStays)
{
    ASSERT_EQ(KVRX_Init(1, 400), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetTemperature(1, -0.5), KVRX_OK);
    // Configuration register 1 takes a byte; the temperature register none.
    const uint8_t config = 0x18;
    ASSERT_EQ(i2cWrite(1, 1, kSensor, 1, &config, 1), KVRX_OK);
    const uint8_t junk[2] = {0x12, 0x34};
    ASSERT_EQ(i2cWrite(1, 1, kSensor, 0, junk, 2), KVRX_OK);
    EXPECT_EQ(readWord(1, 0), 0xFF80);
    EXPECT_EQ(readWord(0), 0xFF80) << "no sub-address: the pointer stays at 0";
    uint8_t b = 0;
    ASSERT_EQ(i2cRead(1, 1, kSensor, 1, &b, 1), KVRX_OK);
    EXPECT_EQ(b, config);
    ASSERT_EQ(i2cRead(1, 0, kSensor, 0, &b, 1), KVRX_OK);
    EXPECT_EQ(b, config) << "no sub-address: the pointer stays at 1";
    // Peek and poke reach the chip only.
    EXPECT_EQ(KVRX_SimPeek(1, kSensor, 0, &b), KVRX_ERR_NO_DEVICE);
    EXPECT_EQ(KVRX_SimPoke(1, kSensor, 0, 0), KVRX_ERR_NO_DEVICE);
}

} // namespace
