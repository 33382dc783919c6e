// The Power management page's encodings against the datasheet figures: where
// each family keeps its supervision, the VDD, battery, switch mode and
// trickle bytes both ways, and the switch-over stamps as the panels show them.
#include <gtest/gtest.h>

#include <string>

#include "pages/power/PowerCodec.h"

using namespace PowerCodec;

namespace {

std::string entry(std::span<const char* const> items, int index)
{
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : "(none)";
}

TEST(PowerCodecRegisters, TypeDAndTypeFOnly)
{
    const auto d = RegistersOf(TypeD);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Vdd, 0x09);
    EXPECT_EQ(d->Battery, 0x0A);
    EXPECT_EQ(d->StampToBattery, 0x16);
    EXPECT_EQ(d->StampToSupply, 0x1B);
    EXPECT_EQ(d->Trickle, std::nullopt);
    EXPECT_EQ(d->SwitchMode, 0x0A);

    const auto f = RegistersOf(TypeF);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Vdd, 0x11);
    EXPECT_EQ(f->Battery, 0x12);
    EXPECT_EQ(f->StampToBattery, 0x29);
    EXPECT_EQ(f->StampToSupply, 0x2E);
    EXPECT_EQ(f->Trickle, 0x10);
    EXPECT_EQ(f->SwitchMode, std::nullopt) << "0x0A is the AC failure counter of VK370";

    for (PartType t : {TypeNone, TypeA, TypeB, TypeC, TypeE, TypeG, TypeH, TypeJ, TypeK})
        EXPECT_EQ(RegistersOf(t), std::nullopt) << int(t);
}

// ---- VDD control ----

TEST(PowerCodecVdd, ReadShowsTheTripLevelAndTheSwitchMode)
{
    struct Case {
        PartType type;
        uint8_t vdd;
        const char* trip;
        bool lowPower;
        std::optional<bool> i2cBat, lvenb;
    };
    const Case cases[] = {
        {TypeD, 0x84, "4.250V", true, std::nullopt, std::nullopt},
        {TypeD, 0x04, "4.250V", false, std::nullopt, std::nullopt},
        {TypeD, 0x07, "Undefined-111", false, std::nullopt, std::nullopt},
        {TypeF, 0x23, "3.060V", false, true, false},
        {TypeF, 0x96, "Undefined-110", true, false, true},
    };
    for (const Case& c : cases) {
        const VddShown s = DecodeVdd(c.type, c.vdd);
        EXPECT_EQ(entry(VddTripItems(), s.Trip), c.trip) << int(c.vdd);
        EXPECT_EQ(s.LowPower, c.lowPower) << int(c.vdd);
        EXPECT_EQ(s.I2cBat, c.i2cBat) << int(c.vdd);
        EXPECT_EQ(s.Lvenb, c.lvenb) << int(c.vdd);
    }
}

TEST(PowerCodecVdd, WriteRebuildsTheFamilysBitsAndKeepsTheOthers)
{
    struct Case {
        const char* what;
        PartType type;
        uint8_t before;
        VddChoice choice;
        uint8_t written;
    };
    const Case cases[] = {
        // Bits 7, 6 and 3 as read; 5, 4 and 2..0 from the page.
        {"TypeF 3.060V with I2CBAT over 0x97", TypeF, 0x97, {3, true, false}, 0xA3},
        {"TypeF LVENB alone", TypeF, 0x00, {0, false, true}, 0x10},
        {"TypeF clears both boxes' bits", TypeF, 0x37, {5, false, false}, 0x05},
        // TypeD owns only the trip level; its boxes count for nothing.
        {"TypeD 2.550V", TypeD, 0x85, {1, true, true}, 0x81},
        {"TypeD 4.675V", TypeD, 0x00, {5, false, false}, 0x05},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeVdd(c.type, c.before, c.choice), c.written) << c.what;
}

TEST(PowerCodecVdd, SwitchModeTakesBit7AndLeavesResealAlone)
{
    EXPECT_EQ(EncodeSwitchMode(0x5A, true), 0xDA);
    EXPECT_EQ(EncodeSwitchMode(0xDA, false), 0x5A) << "RESEAL (bit 6) stays set";
    EXPECT_EQ(EncodeSwitchMode(0x00, false), 0x00);
    EXPECT_EQ(EncodeSwitchMode(0x3F, true), 0xBF);
}

TEST(PowerCodecVdd, ClearingTheStampsSetsAndClearsClrtsOnly)
{
    EXPECT_EQ(WithClrts(0x23, true), 0xA3);
    EXPECT_EQ(WithClrts(0xA3, false), 0x23);
    EXPECT_EQ(WithClrts(0x80, true), 0x80);
}

// ---- battery control ----

TEST(PowerCodecBattery, WriteKeepsOnlyBit7)
{
    struct Case {
        uint8_t before;
        int level85, level75;
        bool bit6;
        uint8_t written;
    };
    const Case cases[] = {
        {0x00, 3, 2, true, 0x5A},  // 2.805V, 2.250V, RESEAL
        {0x80, 3, 2, true, 0xDA},  // bit 7 as read
        {0x7F, 0, 0, false, 0x00}, // everything else from the page
        {0x00, 7, 7, false, 0x3F},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeBattery(c.before, c.level85, c.level75, c.bit6), c.written)
            << int(c.before);
}

TEST(PowerCodecBattery, ReadShowsBothLevelsAndBit6)
{
    const BatteryShown s = DecodeBattery(0x5A);
    EXPECT_EQ(entry(Battery85Items(), s.Level85), "2.805V");
    EXPECT_EQ(entry(Battery75Items(), s.Level75), "2.250V");
    EXPECT_TRUE(s.Bit6);
    const BatteryShown t = DecodeBattery(0x96);
    EXPECT_EQ(entry(Battery85Items(), t.Level85), "2.550V");
    EXPECT_EQ(entry(Battery75Items(), t.Level75), "4.125V");
    EXPECT_FALSE(t.Bit6);
}

// ---- trickle charger ----

TEST(PowerCodecTrickle, BuiltFromThePageAlone)
{
    EXPECT_EQ(EncodeTrickle(2, true), 0x06);
    EXPECT_EQ(EncodeTrickle(3, false), 0x03);
    EXPECT_EQ(EncodeTrickle(0, false), 0x00);
    const TrickleShown s = DecodeTrickle(0xFD);
    EXPECT_EQ(entry(TrickleItems(), s.Resistor), "2200 Ohms");
    EXPECT_TRUE(s.Enabled);
    EXPECT_FALSE(DecodeTrickle(0x03).Enabled);
}

// ---- time stamps ----

TEST(PowerCodecStamps, HourBytesOfBothForms)
{
    struct Case {
        uint8_t hour;
        int decoded;
    };
    const Case cases[] = {
        {0x12, 0},  // 12 AM
        {0x32, 12}, // 12 PM
        {0x92, 12}, // 24-hour form
        {0x01, 1},  {0x21, 13}, {0x31, 23}, {0x80, 0}, {0xA3, 23},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeStamp({0, 0, c.hour, 1, 1}).Hour, c.decoded) << int(c.hour);
}

TEST(PowerCodecStamps, FieldsAndTheMonthFromZero)
{
    const StampTime t = DecodeStamp({0x59, 0x47, 0x94, 0x31, 0x12});
    EXPECT_EQ(t.Second, 59);
    EXPECT_EQ(t.Minute, 47);
    EXPECT_EQ(t.Hour, 14);
    EXPECT_EQ(t.Day, 31);
    EXPECT_EQ(t.Month, 11);
    EXPECT_EQ(DecodeStamp({0, 0, 0, 0, 0x00}).Month, 0) << "a month byte 0 counts as January";
    EXPECT_EQ(DecodeStamp({0, 0, 0, 0, 0x01}).Month, 0);
}

TEST(PowerCodecStamps, PanelTextsPerFormatAndPanel)
{
    struct Case {
        std::array<uint8_t, 5> bytes;
        bool hour24;
        StampPanel panel;
        const char* text;
    };
    const Case cases[] = {
        {{0x09, 0x05, 0x94, 0x07, 0x03}, true, StampPanel::First, "03/07 - 14:05:09"},
        {{0x09, 0x05, 0x94, 0x07, 0x03}, true, StampPanel::Last, "03/07  - 14:05:09"},
        {{0x09, 0x05, 0x94, 0x07, 0x03}, false, StampPanel::First, "03/07  - 02:05:09 PM"},
        {{0x09, 0x05, 0x94, 0x07, 0x03}, false, StampPanel::Last, "03/07  - 02:05:09 PM"},
        {{0x00, 0x00, 0x12, 0x01, 0x01}, false, StampPanel::Last, "01/01  - 12:00:00 AM"},
        {{0x30, 0x59, 0x32, 0x28, 0x02}, false, StampPanel::First, "02/28  - 12:59:30 PM"},
        {{0x00, 0x00, 0x00, 0x00, 0x00}, true, StampPanel::First, "01/00 - 00:00:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StampText(DecodeStamp(c.bytes), c.hour24, c.panel), c.text);
}

TEST(PowerCodecLists, OnlyAnEntryOfTheListIsWritable)
{
    EXPECT_EQ(WritableEntry(-1, VddTripItems()), std::nullopt);
    EXPECT_EQ(WritableEntry(8, Battery85Items()), std::nullopt);
    EXPECT_EQ(WritableEntry(7, Battery75Items()), 7);
    EXPECT_EQ(WritableEntry(4, TrickleItems()), std::nullopt);
}

} // namespace
