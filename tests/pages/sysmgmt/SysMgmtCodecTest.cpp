// The System management page's encodings against the datasheet figures: the
// TypeE reset threshold (VTS) and watchdog fields, and the VK370 AC mains
// input, its status bits and counter.
#include <gtest/gtest.h>

#include <string>

#include "pages/sysmgmt/SysMgmtCodec.h"

using namespace SysMgmtCodec;

namespace {

std::string entry(std::span<const char* const> items, int index)
{
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : "(none)";
}

// ---- reset threshold ----

TEST(SysMgmtCodecVts, ReadShowsTheThresholdAndKeepsOnlyItsBitsInTheImage)
{
    struct Case {
        uint8_t pwr;
        const char* shown;
        uint8_t image;
    };
    const Case cases[] = {
        {0xC3, "2.92V VTS2-0", 0x03}, // SBIB and BSW set beside it
        {0x00, "4.64V VTS2-0", 0x00},         {0x41, "4.38V VTS2-0", 0x01},
        {0x84, "2.63V VTS2-0", 0x04},         {0xFF, "UnDefined VTS2-0 0x7", 0x07},
        {0x3D, "UnDefined VTS2-0 0x5", 0x05}, // bits 5..3 are no bits of the part
    };
    for (const Case& c : cases) {
        EXPECT_EQ(entry(VtsItems(), VtsIndex(c.pwr)), c.shown) << int(c.pwr);
        EXPECT_EQ(VtsImage(c.pwr), c.image) << int(c.pwr);
    }
}

TEST(SysMgmtCodecVts, WriteSetsTheThresholdAndKeepsTheSupplyBits)
{
    struct Case {
        uint8_t before;
        int index;
        uint8_t written;
    };
    const Case cases[] = {
        {0xC3, 0, 0xC0}, // "4.64V VTS2-0" over 0xC3
        {0x00, 3, 0x03},
        {0x47, 2, 0x42},
        {0x80, 7, 0x87},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeVts(c.before, c.index), c.written) << int(c.before) << " " << c.index;
}

// ---- watchdog ----

TEST(SysMgmtCodecWatchdog, TheTimeOutCountsDownAsTheListCountsUp)
{
    struct Case {
        uint8_t bl;
        const char* shown;
    };
    const Case cases[] = {
        {0x18, "Disabled"}, {0x10, "250mSec"}, {0x08, "750mSec"},
        {0x00, "1.75 Sec"}, {0xE8, "750mSec"}, // BP2..BP0 set beside WD = 01
        {0x1F, "Disabled"},                    // bits 2..0 no bits of the part
    };
    for (const Case& c : cases) {
        EXPECT_EQ(entry(WatchdogItems(), WatchdogIndex(c.bl)), c.shown) << int(c.bl);
        EXPECT_EQ(WatchdogImage(c.bl), c.bl & 0x18) << "only WD1..0 stay in the image";
    }
}

TEST(SysMgmtCodecWatchdog, WriteKeepsTheBlockProtection)
{
    struct Case {
        uint8_t before;
        int index;
        uint8_t written;
    };
    const Case cases[] = {
        {0xA8, 0, 0xB8}, // "Disabled" over 750 ms: WD = 11, BP2..BP0 = 101 stay
        {0xF8, 3, 0xE0}, // "1.75 Sec": WD = 00
        {0x00, 1, 0x10}, // "250mSec": WD = 10
        {0x40, 2, 0x48}, // "750mSec": WD = 01
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeWatchdog(c.before, c.index), c.written) << int(c.before) << " " << c.index;
}

TEST(SysMgmtCodecLists, OnlyAnEntryOfTheListIsWritable)
{
    EXPECT_EQ(WritableEntry(-1, VtsItems()), std::nullopt) << "nothing chosen yet: \"Click Read\"";
    EXPECT_EQ(WritableEntry(8, VtsItems()), std::nullopt);
    EXPECT_EQ(WritableEntry(7, VtsItems()), 7);
    EXPECT_EQ(WritableEntry(0, WatchdogItems()), 0);
    EXPECT_EQ(WritableEntry(4, WatchdogItems()), std::nullopt);
}

// ---- AC mains input ----

TEST(SysMgmtCodecAc, ReadGivesEachFieldItsButton)
{
    // 0xB6: 50 Hz, AC used, recovery 16 s, failure cycles 1/1, criterion "1".
    const AcSetup a = DecodeAc(0xB6, 0x0F);
    EXPECT_TRUE(a.Hz50);
    EXPECT_FALSE(a.AcDisabled);
    EXPECT_EQ(a.RecoveryPeriod, 3);
    EXPECT_EQ(a.FailureCycles, 1);
    EXPECT_EQ(a.FailCriterion, 2);
    EXPECT_EQ(a.AcMinimum, 0);

    const AcSetup b = DecodeAc(0x49, 0x10);
    EXPECT_FALSE(b.Hz50);
    EXPECT_TRUE(b.AcDisabled);
    EXPECT_EQ(b.RecoveryPeriod, 0);
    EXPECT_EQ(b.FailureCycles, 2);
    EXPECT_EQ(b.FailCriterion, 1);
    EXPECT_EQ(b.AcMinimum, 1) << "ACMIN, bit 4 of FTR";
}

TEST(SysMgmtCodecAc, WriteBuildsAcInFromThePageAndKeepsTheDigitalTrim)
{
    struct Case {
        const char* what;
        AcSetup setup;
        uint8_t ftrBefore;
        uint8_t acIn;
        uint8_t ftr;
    };
    const Case cases[] = {
        {"as read from 0xB6", {true, false, 3, 1, 2, 0}, 0x1A, 0xB6, 0x0A},
        {"AC off, minimum 10 %", {false, true, 1, 3, 0, 1}, 0x05, 0x5C, 0x15},
        {"nothing selected gives 0", {}, 0x1F, 0x00, 0x0F},
        {"60 Hz, criterion 2", {false, false, 2, 0, 3, 0}, 0x00, 0x23, 0x00},
    };
    for (const Case& c : cases) {
        const AcBytes bytes = EncodeAc(c.ftrBefore, c.setup);
        EXPECT_EQ(bytes.AcIn, c.acIn) << c.what;
        EXPECT_EQ(bytes.Ftr, c.ftr) << c.what;
    }
}

TEST(SysMgmtCodecAc, StatusBitsLightTheirOwnLamps)
{
    struct Case {
        uint8_t srac;
        bool xoscf, acfail, acrdy;
    };
    const Case cases[] = {
        {0x00, false, false, false}, {0x01, false, false, true}, {0x02, false, true, false},
        {0x10, true, false, false},  {0x13, true, true, true},   {0xEC, false, false, false},
    };
    for (const Case& c : cases) {
        const AcStatus s = DecodeAcStatus(c.srac, 0);
        EXPECT_EQ(s.Xoscf, c.xoscf) << int(c.srac);
        EXPECT_EQ(s.AcFail, c.acfail) << int(c.srac);
        EXPECT_EQ(s.AcReady, c.acrdy) << int(c.srac);
    }
    EXPECT_EQ(DecodeAcStatus(0, 0xFF).Counter, 255);
    EXPECT_EQ(DecodeAcStatus(0, 0x0A).Counter, 10);
}

} // namespace
