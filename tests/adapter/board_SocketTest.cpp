// The chip socket of the simulated board: which part is in it, its supply,
// the chips kept aside, the interrupt pin, bus time and the crystal error,
// seen through the C ABI with the chip models behind it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "kvrx_usb.h"

namespace {

constexpr uint32_t kBoard = 1;
constexpr uint8_t kMem = 0xAE;

struct Socketed {
    const char* part;
    uint8_t rtc;
    uint8_t subLen;   // register sub-address length
    uint8_t timeBase; // first time register
};

constexpr Socketed kVK310{"VK310", 0xDE, 1, 0x00};
constexpr Socketed kVK320{"VK320", 0xDE, 1, 0x00};
constexpr Socketed kVK350{"VK350", 0xDE, 1, 0x00};
constexpr Socketed kVK360{"VK360", 0xDE, 2, 0x30};
constexpr Socketed kVK370{"VK370", 0xDE, 1, 0x00};
constexpr Socketed kVK380{"VK380", 0xD0, 1, 0x00};
constexpr Socketed kVK390{"VK390", 0xDE, 1, 0x00};

void openPowered()
{
    ASSERT_EQ(KVRX_Init(kBoard, 400), KVRX_OK);
    ASSERT_EQ(KVRX_VccOn(kBoard), KVRX_OK);
}

std::vector<uint8_t> readRegs(const Socketed& p, uint32_t reg, uint32_t count)
{
    std::vector<uint8_t> bytes(count, 0xEE);
    EXPECT_EQ(i2cRead(kBoard, p.subLen, p.rtc, reg, bytes.data(), count), KVRX_OK)
        << p.part << " register " << reg;
    return bytes;
}

uint8_t readReg(const Socketed& p, uint32_t reg)
{
    return readRegs(p, reg, 1)[0];
}

void writeRegs(const Socketed& p, uint32_t reg, std::vector<uint8_t> bytes)
{
    EXPECT_EQ(
        i2cWrite(kBoard, p.subLen, p.rtc, reg, bytes.data(), static_cast<uint32_t>(bytes.size())),
        KVRX_OK)
        << p.part << " register " << reg;
}

// Time bytes SC, MN, HR (24-hour), DT, MO, YR, DW as the application's codec
// writes them: TypeE after WEL and RWEL with the century byte, the others
// framed by the WRTC bit of the status register at 0x07.
void writeTime(const Socketed& p, std::vector<uint8_t> time)
{
    if (p.subLen == 2) {
        writeRegs(p, 0x3F, {0x02});
        writeRegs(p, 0x3F, {0x06});
        time.push_back(0x20);
        writeRegs(p, p.timeBase, time);
        return;
    }
    uint8_t work = readReg(p, 0x07);
    work = static_cast<uint8_t>((work | 0x1F) & 0xBF);
    writeRegs(p, 0x07, {work});
    writeRegs(p, p.timeBase, time);
    writeRegs(p, 0x07, {static_cast<uint8_t>(work & ~0x10)});
}

std::vector<uint8_t> readTime(const Socketed& p)
{
    return readRegs(p, p.timeBase, 7);
}

uint8_t pins()
{
    uint8_t v = 0;
    EXPECT_EQ(KVRX_PortIn(kBoard, &v), KVRX_OK);
    return v;
}

TEST(BoardSocket, UnknownPartNamesLeaveTheSocketAsItWas)
{
    openPowered();
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK320"), KVRX_OK);
    ASSERT_EQ(KVRX_SimPoke(kBoard, 0xDE, 0x01, 0x42), KVRX_OK);
    for (const char* name : {"VK999", "vk320", "VK310 ", " VK310", "Not selected", "VK"}) {
        EXPECT_EQ(KVRX_SimSetPart(kBoard, name), KVRX_ERR_UNKNOWN_PART) << name;
        EXPECT_EQ(readReg(kVK320, 0x01), 0x42) << "after " << name;
    }
    EXPECT_EQ(KVRX_SimSetPart(2, "VK310"), KVRX_ERR_NO_SUCH_BOARD);
    EXPECT_EQ(KVRX_SimSetPart(kBoard, nullptr), KVRX_ERR_BAD_ARG);
    EXPECT_EQ(readReg(kVK320, 0x01), 0x42);
}

// Slaves are given in the 8-bit write form; bit 0 is the bridge's own
// read/write bit, so 0xD1 reaches the same chip as 0xD0, and 0x68 (the
// 7-bit form) is another address. The socket has no supply until VccOn.
TEST(BoardSocket, SlavesAreTheWriteFormWithBitZeroIgnored)
{
    ASSERT_EQ(KVRX_SimSetPart(kBoard, kVK380.part), KVRX_OK);
    ASSERT_EQ(KVRX_Init(kBoard, 400), KVRX_OK);
    uint8_t b = 0x5C;
    EXPECT_EQ(i2cRead(kBoard, 1, 0xD0, 0x0E, &b, 1), KVRX_ERR_ADDR_NACK) << "supply still off";
    ASSERT_EQ(KVRX_VccOn(kBoard), KVRX_OK);

    const uint8_t control = 0x05;
    ASSERT_EQ(i2cWrite(kBoard, 1, 0xD1, 0x0E, &control, 1), KVRX_OK);
    for (uint8_t slave : {0xD0, 0xD1}) {
        b = 0;
        EXPECT_EQ(i2cRead(kBoard, 1, slave, 0x0E, &b, 1), KVRX_OK) << int(slave);
        EXPECT_EQ(b, control) << int(slave);
        b = 0;
        EXPECT_EQ(KVRX_SimPeek(kBoard, slave, 0x0E, &b), KVRX_OK) << int(slave);
        EXPECT_EQ(b, control) << int(slave);
    }
    EXPECT_EQ(i2cRead(kBoard, 1, 0x68, 0x0E, &b, 1), KVRX_ERR_ADDR_NACK);
    uint8_t temperature[2] = {};
    EXPECT_EQ(i2cRead(kBoard, 1, 0x91, 0x00, temperature, 2), KVRX_OK) << "the sensor at 0x90";
}

TEST(BoardSocket, AnEmptySocketHasNothingToReach)
{
    openPowered();
    for (const char* empty : {"", "Not Selected"}) {
        ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK350"), KVRX_OK);
        ASSERT_EQ(KVRX_SimSetPart(kBoard, empty), KVRX_OK) << '"' << empty << '"';
        uint8_t b = 0x5C;
        EXPECT_EQ(i2cRead(kBoard, 1, 0xDE, 0x00, &b, 1), KVRX_ERR_ADDR_NACK);
        EXPECT_EQ(i2cRead(kBoard, 1, kMem, 0x00, &b, 1), KVRX_ERR_ADDR_NACK);
        EXPECT_EQ(KVRX_SimPeek(kBoard, 0xDE, 0x00, &b), KVRX_ERR_NO_DEVICE);
        EXPECT_EQ(KVRX_SimPoke(kBoard, 0xDE, 0x00, 0), KVRX_ERR_NO_DEVICE);
        EXPECT_EQ(KVRX_SimSetPpm(kBoard, 1.0), KVRX_ERR_NO_DEVICE);
        EXPECT_EQ(b, 0x5C);
    }
}

TEST(BoardSocket, EachPartIsAChipOfItsOwnAndComesBackAsItWasLeft)
{
    openPowered();
    // Battery-backed parts keep their registers while they are out of the socket.
    const Socketed parts[] = {kVK310, kVK320, kVK350, kVK360, kVK370, kVK390};
    uint8_t minutes = 0x11;
    for (const Socketed& p : parts) {
        ASSERT_EQ(KVRX_SimSetPart(kBoard, p.part), KVRX_OK);
        ASSERT_EQ(KVRX_SimPoke(kBoard, p.rtc, p.timeBase + 1, minutes), KVRX_OK) << p.part;
        minutes = static_cast<uint8_t>(minutes + 0x11);
    }
    minutes = 0x11;
    for (const Socketed& p : parts) {
        ASSERT_EQ(KVRX_SimSetPart(kBoard, p.part), KVRX_OK);
        EXPECT_EQ(readReg(p, p.timeBase + 1), minutes) << p.part;
        minutes = static_cast<uint8_t>(minutes + 0x11);
    }
}

TEST(BoardSocket, AChipOutOfTheSocketKeepsItsClockRunningOnItsBattery)
{
    openPowered();
    ASSERT_EQ(KVRX_SimSetTemperature(kBoard, 25.0), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK320"), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPpm(kBoard, 0.0), KVRX_OK);
    writeTime(kVK320, {0x00, 0x00, 0x80, 0x01, 0x01, 0x24, 0x01});
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK310"), KVRX_OK);
    ASSERT_EQ(KVRX_SimAdvance(100.5), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK320"), KVRX_OK);
    EXPECT_EQ(readRegs(kVK320, 0x00, 3), (std::vector<uint8_t>{0x40, 0x01, 0x80})) << "00:01:40";
}

TEST(BoardSocket, APartWithoutBatteryTakenOutOfAPoweredSocketComesBackFresh)
{
    openPowered();
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK380"), KVRX_OK);
    writeRegs(kVK380, 0x00, {0x00, 0x33, 0x12, 0x03, 0x07, 0x03, 0x24});
    writeRegs(kVK380, 0x0F, {0x00}); // clear the oscillator-stop flag
    ASSERT_EQ(readReg(kVK380, 0x01), 0x33);
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK310"), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK380"), KVRX_OK);
    EXPECT_NE(readReg(kVK380, 0x01), 0x33);
    EXPECT_EQ(readReg(kVK380, 0x0F) & 0x80, 0x80) << "oscillator-stop flag of a new start";
}

TEST(BoardSocket, AChipsFirstPowerUpSetsItsPowerFailFlag)
{
    ASSERT_EQ(KVRX_Init(kBoard, 400), KVRX_OK);
    // Into a socket without supply: silent until the supply comes on.
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK390"), KVRX_OK);
    uint8_t b = 0;
    EXPECT_EQ(i2cRead(kBoard, 1, 0xDE, 0x07, &b, 1), KVRX_ERR_ADDR_NACK);
    ASSERT_EQ(KVRX_VccOn(kBoard), KVRX_OK);
    EXPECT_EQ(readReg(kVK390, 0x07) & 0x01, 0x01);
    // Into a powered socket: inserting is the power-up.
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK320"), KVRX_OK);
    EXPECT_EQ(readReg(kVK320, 0x07) & 0x01, 0x01);
    writeTime(kVK320, {0x00, 0x00, 0x80, 0x01, 0x01, 0x24, 0x01});
    EXPECT_EQ(readReg(kVK320, 0x07) & 0x01, 0x00) << "a time write clears it";
    // Switching on again is no new power-up.
    ASSERT_EQ(KVRX_VccOn(kBoard), KVRX_OK);
    EXPECT_EQ(readReg(kVK320, 0x07) & 0x01, 0x00);
}

struct SupplyCase {
    Socketed part;
    bool unplug; // the supply goes with the board's USB cable
    uint32_t statusReg;
    uint8_t batteryFlag;
};

void PrintTo(const SupplyCase& c, std::ostream* os)
{
    *os << c.part.part << (c.unplug ? " unplugged" : " switched off");
}

class BoardSupply : public testing::TestWithParam<SupplyCase> {};

TEST_P(BoardSupply, WithoutSupplyTheChipIsSilentAndItsBatteryKeepsTheTime)
{
    const SupplyCase& c = GetParam();
    const Socketed& p = c.part;
    openPowered();
    ASSERT_EQ(KVRX_SimSetTemperature(kBoard, 25.0), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(kBoard, p.part), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPpm(kBoard, 0.0), KVRX_OK);
    // 2024-02-28 23:59:30, a Wednesday.
    writeTime(p, {0x30, 0x59, 0xA3, 0x28, 0x02, 0x24, 0x03});
    EXPECT_EQ(readReg(p, c.statusReg) & c.batteryFlag, 0);

    if (c.unplug) {
        ASSERT_EQ(KVRX_SimSetAttached(kBoard, 0), KVRX_OK);
    } else {
        ASSERT_EQ(KVRX_VccOff(kBoard), KVRX_OK);
        uint8_t b = 0x5C;
        EXPECT_EQ(i2cRead(kBoard, p.subLen, p.rtc, p.timeBase, &b, 1), KVRX_ERR_ADDR_NACK);
        EXPECT_EQ(i2cWrite(kBoard, p.subLen, p.rtc, p.timeBase, &b, 1), KVRX_ERR_ADDR_NACK);
        EXPECT_EQ(b, 0x5C);
    }
    ASSERT_EQ(KVRX_SimAdvance(3600.5), KVRX_OK);
    if (c.unplug) {
        ASSERT_EQ(KVRX_SimSetAttached(kBoard, 1), KVRX_OK);
        ASSERT_EQ(KVRX_Init(kBoard, 400), KVRX_OK);
    }
    ASSERT_EQ(KVRX_VccOn(kBoard), KVRX_OK);
    // 2024-02-29 00:59:30, a Thursday.
    EXPECT_EQ(readTime(p), (std::vector<uint8_t>{0x30, 0x59, 0x80, 0x29, 0x02, 0x24, 0x04}));
    const uint8_t status = readReg(p, c.statusReg);
    EXPECT_EQ(status & c.batteryFlag, c.batteryFlag) << "battery flag";
    EXPECT_EQ(status & 0x01, 0) << "the clock was kept, so no power-fail flag";
}

INSTANTIATE_TEST_SUITE_P(Parts, BoardSupply,
                         testing::Values(SupplyCase{kVK320, false, 0x07, 0x02},
                                         SupplyCase{kVK320, true, 0x07, 0x02},
                                         SupplyCase{kVK390, false, 0x07, 0x02},
                                         SupplyCase{kVK360, false, 0x3F, 0x80},
                                         SupplyCase{kVK360, true, 0x3F, 0x80}),
                         [](const auto& info) {
                             return std::string(info.param.part.part) +
                                    (info.param.unplug ? "_unplugged" : "_switchedOff");
                         });

TEST(BoardSocket, AnAlarmPullsPinZeroLowUntilItsFlagIsCleared)
{
    openPowered();
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK320"), KVRX_OK);
    writeTime(kVK320, {0x00, 0x00, 0x92, 0x07, 0x03, 0x24, 0x04}); // 12:00:00
    writeRegs(kVK320, 0x0C, {0x85, 0x00, 0x00, 0x00, 0x00, 0x00}); // at second 05
    writeRegs(kVK320, 0x08, {0x40});                               // ALME, IRQ output
    writeRegs(kVK320, 0x07, {0x00});                               // flags cleared
    ASSERT_EQ(KVRX_SimAdvance(4.5), KVRX_OK);
    EXPECT_EQ(readReg(kVK320, 0x07) & 0x04, 0);
    EXPECT_EQ(pins() & 0x01, 0x01);
    ASSERT_EQ(KVRX_SimAdvance(1.0), KVRX_OK);
    EXPECT_EQ(readReg(kVK320, 0x07) & 0x04, 0x04) << "alarm flag at second 05";
    EXPECT_EQ(pins() & 0x01, 0x00) << "released pin 0 pulled low by the chip";
    ASSERT_EQ(KVRX_PortMode(kBoard, 0x01), KVRX_OK);
    EXPECT_EQ(pins() & 0x01, 0x01) << "push-pull pin 0 reads its latch";
    ASSERT_EQ(KVRX_PortMode(kBoard, 0x00), KVRX_OK);
    EXPECT_EQ(pins() & 0x01, 0x00);
    // Cleared the way the application clears a flag: the others written as 1.
    writeRegs(kVK320, 0x07, {static_cast<uint8_t>((readReg(kVK320, 0x07) | 0x0F) & ~0x04)});
    EXPECT_EQ(pins() & 0x01, 0x01);
}

TEST(BoardSocket, PpmSetsTheCrystalErrorOfTheChipInTheSocket)
{
    openPowered();
    ASSERT_EQ(KVRX_SimSetTemperature(kBoard, 25.0), KVRX_OK);
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK310"), KVRX_OK);
    for (double bad : {1001.0, -1001.0, std::nan("")})
        EXPECT_EQ(KVRX_SimSetPpm(kBoard, bad), KVRX_ERR_BAD_ARG) << bad;
    EXPECT_EQ(KVRX_SimSetPpm(2, 0.0), KVRX_ERR_NO_SUCH_BOARD);

    const struct {
        double ppm;
        std::vector<uint8_t> after; // 10000.5 s after midnight
    } cases[] = {
        {0.0, {0x40, 0x46, 0x82}},   // 02:46:40
        {100.0, {0x41, 0x46, 0x82}}, // one second more
        {-100.0, {0x39, 0x46, 0x82}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(KVRX_SimSetPpm(kBoard, c.ppm), KVRX_OK);
        writeTime(kVK310, {0x00, 0x00, 0x80, 0x01, 0x06, 0x24, 0x06});
        ASSERT_EQ(KVRX_SimAdvance(10000.5), KVRX_OK);
        EXPECT_EQ(readRegs(kVK310, 0x00, 3), c.after) << c.ppm << " ppm";
    }
}

TEST(BoardSocket, BusTimeEndsTheEepromWriteCycleOnTheManualClock)
{
    openPowered();
    ASSERT_EQ(KVRX_SimSetPart(kBoard, "VK360"), KVRX_OK);
    writeRegs(kVK360, 0x3F, {0x02}); // WEL
    std::vector<uint8_t> line(16);
    for (int i = 0; i < 16; ++i)
        line[i] = static_cast<uint8_t>(0xA0 + i);
    ASSERT_EQ(i2cWrite(kBoard, 2, kMem, 0x0040, line.data(), 16), KVRX_OK);
    // Acknowledge polling: every try costs about a millisecond of the 5 ms cycle.
    int tries = 0;
    uint8_t status = 0;
    int32_t rc = KVRX_ERR_ADDR_NACK;
    while (rc != KVRX_OK && tries < 50) {
        ++tries;
        rc = i2cRead(kBoard, 2, 0xDE, 0x3F, &status, 1);
        ASSERT_TRUE(rc == KVRX_OK || rc == KVRX_ERR_ADDR_NACK) << rc;
    }
    EXPECT_GE(tries, 3);
    EXPECT_LE(tries, 7);
    std::vector<uint8_t> back(16, 0);
    ASSERT_EQ(i2cRead(kBoard, 2, kMem, 0x0040, back.data(), 16), KVRX_OK);
    EXPECT_EQ(back, line);
}

} // namespace
