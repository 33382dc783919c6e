// The Interrupt page's encodings: the frequency register of each family as
// the datasheets lay it out, the VK390 timer's register fields, its box
// parsing, texts and clock-source check.
#include <gtest/gtest.h>

#include <string>

#include "PartTable.h"
#include "pages/interrupt/InterruptCodec.h"

using namespace InterruptCodec;

namespace {

// ---- frequency output: writes ----

struct EncodeCase {
    const char* what;
    PartType type;
    uint8_t before;
    int index;
    bool fobatb;
    bool a1e;
    uint8_t written;
};

constexpr EncodeCase kEncodes[] = {
    // FO3..FO0 and FOBATB; IM, ALME and LPMODE stay.
    {"TypeA 1/32 Hz with FOBATB", TypeA, 0xC0, 15, true, false, 0xDF},
    {"TypeA code 0 clears FO and FOBATB", TypeA, 0xFF, 0, false, false, 0xE0},
    {"TypeB 1 Hz", TypeB, 0x00, 10, false, false, 0x0A},
    {"TypeD 1024 Hz with FOBATB", TypeD, 0x0F, 3, true, false, 0x13},
    {"TypeF 1 Hz keeps bits 7..5", TypeF, 0xFF, 5, false, false, 0xE5},
    {"TypeF High with FOBATB", TypeF, 0x00, 7, true, false, 0x17},
    // FO1..FO0 and FOBATB; IRQ2E and IRQ1E (bits 3..2) survive.
    {"TypeK 512 Hz over 0xEC", TypeK, 0xEC, 2, false, false, 0xEE},
    {"TypeK 1 Hz with FOBATB", TypeK, 0x00, 3, true, false, 0x13},
    {"TypeK 32768 Hz clears only its bits", TypeK, 0xFF, 0, false, false, 0xEC},
    // FO1..FO0 in bits 4..3; no FOBATB bit, the box counts for nothing.
    {"TypeE 32768 Hz", TypeE, 0xFF, 1, false, false, 0xEF},
    {"TypeE 4096 Hz", TypeE, 0x00, 2, true, false, 0x10},
    {"TypeE 1 Hz", TypeE, 0x00, 3, false, false, 0x18},
    {"TypeE interrupt", TypeE, 0xFF, 0, false, false, 0xE7},
    // RS2..RS1 in bits 4..3 beside INTCN, A2IE and A1IE.
    {"TypeG 32768 Hz", TypeG, 0xE7, 3, true, false, 0xFF},
    {"TypeG 1 Hz keeps the IRQ bits", TypeG, 0x1F, 0, false, false, 0x07},
    // IRQE routes alarm 1 to the pin and keeps the frequency bits.
    {"TypeH alarm 1 with A1E", TypeH, 0x18, 4, false, true, 0x1D},
    {"TypeH 1 Hz after the alarm", TypeH, 0x1D, 0, false, true, 0x00},
    {"TypeH alarm 1 without A1E", TypeH, 0x19, 4, false, false, 0x1C},
    {"TypeH 8192 Hz keeps the alarm enables", TypeH, 0xE5, 2, false, true, 0xF0},
};

TEST(InterruptCodecFreq, WriteSetsTheFamilysBitsAndKeepsTheRest)
{
    for (const EncodeCase& c : kEncodes) {
        const FreqChoice choice{c.index, c.fobatb, c.a1e};
        EXPECT_EQ(EncodeFreq(c.type, c.before, choice), c.written) << c.what;
    }
}

// ---- frequency output: reads ----

struct DecodeCase {
    const char* what;
    PartType type;
    uint8_t reg;
    int index;
    std::optional<bool> fobatb;
    std::optional<bool> a1e;
    std::optional<bool> a1eUsable;
    std::optional<uint8_t> image;
};

const DecodeCase kDecodes[] = {
    {"TypeA", TypeA, 0xDF, 15, true, {}, {}, {}},
    {"TypeD", TypeD, 0xE3, 3, false, {}, {}, {}},
    {"TypeF", TypeF, 0x15, 5, true, {}, {}, {}},
    {"TypeK", TypeK, 0xEE, 2, false, {}, {}, {}},
    {"TypeK with FOBATB", TypeK, 0x13, 3, true, {}, {}, {}},
    // The image keeps only the frequency bits of a TypeE read.
    {"TypeE all bits set", TypeE, 0xFF, 3, {}, {}, {}, 0x18},
    {"TypeE 32768 Hz", TypeE, 0xEA, 1, {}, {}, {}, 0x08},
    {"TypeE interrupt", TypeE, 0xE7, 0, {}, {}, {}, 0x00},
    {"TypeG", TypeG, 0xF7, 2, {}, {}, {}, {}},
    {"TypeH alarm 1 with A1E", TypeH, 0x1D, 4, {}, true, true, {}},
    {"TypeH alarm 1 without A1E", TypeH, 0x04, 4, {}, false, true, {}},
    {"TypeH frequency, A1E set", TypeH, 0x19, 3, {}, true, false, {}},
    {"TypeH frequency", TypeH, 0x08, 1, {}, false, false, {}},
};

TEST(InterruptCodecFreq, ReadShowsTheFamilysChoice)
{
    for (const DecodeCase& c : kDecodes) {
        const FreqShown shown = DecodeFreq(c.type, c.reg);
        EXPECT_EQ(shown.Index, c.index) << c.what;
        EXPECT_EQ(shown.Fobatb, c.fobatb) << c.what;
        EXPECT_EQ(shown.A1e, c.a1e) << c.what;
        EXPECT_EQ(shown.A1eUsable, c.a1eUsable) << c.what;
        EXPECT_EQ(shown.NewImage, c.image) << c.what;
    }
}

TEST(InterruptCodecFreq, EveryEntryOfEveryFamilyReadsBackAsWritten)
{
    struct Family {
        PartType type;
        int entries;
        bool fobatb;
    };
    const Family families[] = {{TypeA, 16, true}, {TypeB, 16, true}, {TypeD, 16, true},
                               {TypeF, 8, true},  {TypeK, 4, true},  {TypeE, 4, false},
                               {TypeG, 4, false}, {TypeH, 5, false}};
    for (const Family& f : families) {
        for (int before = 0; before < 256; ++before) {
            for (int index = 0; index < f.entries; ++index) {
                for (const bool fobatb : {false, true}) {
                    const uint8_t reg = EncodeFreq(f.type, static_cast<uint8_t>(before),
                                                   FreqChoice{index, fobatb, true});
                    const FreqShown shown = DecodeFreq(f.type, reg);
                    ASSERT_EQ(shown.Index, index) << int(f.type) << " " << before;
                    if (f.fobatb) {
                        ASSERT_EQ(shown.Fobatb, fobatb) << int(f.type) << " " << before;
                    }
                }
            }
        }
    }
}

// The register the page uses is the one the part's register map names the
// frequency bits in (FO0, or RS1 for the TypeG control register), for every
// part that shows the page.
TEST(InterruptCodecFreq, EachPartsRegisterIsTheOneItsMapNamesTheFrequencyBitsIn)
{
    for (const PartType none : {TypeNone, TypeC, TypeJ})
        EXPECT_EQ(FreqRegister(none), std::nullopt) << int(none);
    for (const PartInfo& part : PartTable) {
        if (part.HasIrqOutput == 0) continue;
        const std::optional<uint8_t> reg = FreqRegister(part.TypeCode);
        ASSERT_TRUE(reg) << part.PartName;
        std::optional<uint8_t> named;
        for (const MapSection& section : MapSections(part.RegisterMap)) {
            for (int i = 0; i < section.RegisterCount; ++i) {
                const RegMapEntry& row = section.FirstRegister[i];
                for (const char* bit : row.BitNames) {
                    if (std::string(bit) == "FO0" || std::string(bit) == "RS1") named = row.Address;
                }
            }
        }
        EXPECT_EQ(reg, named) << part.PartName;
    }
}

TEST(InterruptCodecFreq, OnlyTheAlarmEntryMakesA1eUsable)
{
    for (int index = -1; index < 16; ++index)
        EXPECT_EQ(A1eUsable(index), index == 4) << index;
}

// ---- the part choice's own rule for VK331 ----

TEST(InterruptCodecPartChoice, Vk331AloneNamesItsFirstEntryAndGroupDifferently)
{
    for (const char* part : {"VK310", "VK311", "VK320", "VK321", "VK330", "VK331"}) {
        const std::span<const char* const> items = FreqItemsOfPart(part);
        ASSERT_EQ(items.size(), 16u) << part;
        const bool vk331 = std::string(part) == "VK331";
        EXPECT_STREQ(items[0], vk331 ? "0Hz" : "0Hz (EN IRQ#)") << part;
        EXPECT_STREQ(items[15], "1/32 Hz") << part;
        const FreqCaptions captions = FreqCaptionsOfPart(part);
        if (vk331) {
            EXPECT_STREQ(captions.Group, "Frequency Out on Interrupt Pin");
            EXPECT_STREQ(captions.Label, "Frequency Out (FO)");
        } else {
            EXPECT_EQ(captions.Group, nullptr) << part;
            EXPECT_EQ(captions.Label, nullptr) << part;
        }
    }
}

// ---- VK390 timer ----

TEST(InterruptCodecTimer, ReadDecodesTheControlBits)
{
    // 0xD1: TIM, TMRE, TMOD 01, TCLK 01.
    const TimerSetup read = DecodeTimer(0x00, 0xD1);
    EXPECT_TRUE(read.Periodic);
    EXPECT_TRUE(read.Enable);
    EXPECT_EQ(read.Mode, 1);  // "Secondary Alarm"
    EXPECT_EQ(read.Clock, 1); // "1Sec/100Hz"
    EXPECT_FALSE(read.Irq1e);
    EXPECT_FALSE(read.Irq2e);

    const TimerSetup pins = DecodeTimer(0xF4, 0x2E);
    EXPECT_TRUE(pins.Irq1e);
    EXPECT_FALSE(pins.Irq2e);
    EXPECT_FALSE(pins.Periodic);
    EXPECT_FALSE(pins.Enable);
    EXPECT_EQ(pins.Mode, 2);
    EXPECT_EQ(pins.Clock, 2);
    EXPECT_TRUE(DecodeTimer(0x08, 0x00).Irq2e);
}

TEST(InterruptCodecTimer, WriteSetsTheTimerBitsAndKeepsTheRest)
{
    struct Case {
        const char* what;
        uint8_t intBefore, tmrcBefore;
        TimerSetup setup;
        uint8_t intAfter, tmrcAfter;
    };
    const Case cases[] = {
        {"power fail, 1hr/1min, enabled, periodic over 0x0C", 0x00, 0x0C,
         TimerSetup{false, false, true, true, 3, 3}, 0x00, 0xFF},
        {"all off keeps TMRC bits 3..2 only", 0xFF, 0xFF, TimerSetup{}, 0xF3, 0x0C},
        {"IRQ1E alone", 0xF3, 0x00, TimerSetup{true, false, false, false, 0, 0}, 0xF7, 0x00},
        {"IRQ2E alone, secondary alarm, 1Sec/100Hz", 0x00, 0x30,
         TimerSetup{false, true, true, false, 1, 1}, 0x08, 0x51},
    };
    for (const Case& c : cases) {
        const TimerBytes bytes = EncodeTimer(c.intBefore, c.tmrcBefore, c.setup);
        EXPECT_EQ(bytes.Int, c.intAfter) << c.what;
        EXPECT_EQ(bytes.Tmrc, c.tmrcAfter) << c.what;
        // And back.
        const TimerSetup back = DecodeTimer(bytes.Int, bytes.Tmrc);
        EXPECT_EQ(back.Mode, c.setup.Mode) << c.what;
        EXPECT_EQ(back.Clock, c.setup.Clock) << c.what;
        EXPECT_EQ(back.Periodic, c.setup.Periodic) << c.what;
        EXPECT_EQ(back.Irq1e, c.setup.Irq1e) << c.what;
    }
}

// What the boxes take is the byte box rule of tests/bus/HexFieldTest.cpp.
TEST(InterruptCodecTimer, BoxesShowTwoUpperCaseDigits)
{
    EXPECT_EQ(TimerHex(0x3C), "3C");
    EXPECT_EQ(TimerHex(0x05), "05");
    EXPECT_EQ(TimerHex(0xFF), "FF");
}

TEST(InterruptCodecTimer, TextsFollowTheCheckBoxes)
{
    EXPECT_STREQ(Irq1eText(true), "Alarm IRQ, click to switch");
    EXPECT_STREQ(Irq1eText(false), "FOUT, click to switch");
    EXPECT_STREQ(Irq2eText(true), "Timer IRQ, click to switch");
    EXPECT_STREQ(Irq2eText(false), "Alarm IRQ, click to switch");
    EXPECT_STREQ(TimText(true, SetBy::Click), "Periodic Event, click to switch");
    EXPECT_STREQ(TimText(true, SetBy::Read), "Periodic Event, click to switch");
    EXPECT_STREQ(TimText(false, SetBy::Click), "Single Event, click to switch)");
    EXPECT_STREQ(TimText(false, SetBy::Read), "Single Event, click to switch");
}

TEST(InterruptCodecTimer, ClockSourceCheckNamesTheModesThe4kHzClockCannotServe)
{
    const struct {
        int clock, mode;
        CheckAfter after;
        const char* message;
    } cases[] = {
        {0, 3, CheckAfter::ClockOrRead, "Power Fail TCLK = 00 Error"},
        {0, 3, CheckAfter::ModeChange, "Power Fail TCLK = 00 Error"},
        {0, 2, CheckAfter::ClockOrRead, "WatchDog TCLK = 00 Error"},
        {0, 2, CheckAfter::ModeChange, "Watchdog TCLK = 00 Error"},
        {0, 0, CheckAfter::ClockOrRead, ""},
        {0, 1, CheckAfter::ModeChange, ""},
        {1, 2, CheckAfter::ModeChange, ""},
        {1, 3, CheckAfter::ClockOrRead, ""},
        {3, 3, CheckAfter::ModeChange, ""},
        // Lists without a selection (after a part choice).
        {-1, 2, CheckAfter::ModeChange, ""},
        {0, -1, CheckAfter::ClockOrRead, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClockSourceMessage(c.clock, c.mode, c.after), c.message)
            << c.clock << " " << c.mode << " " << int(c.after);
}

TEST(InterruptCodecTimer, ClearingTmrLeavesTheOtherFlagsAndControlBits)
{
    const struct {
        uint8_t status, written;
    } cases[] = {{0x08, 0x07}, {0xFF, 0xF7}, {0x00, 0x07}, {0xF8, 0xF7}, {0x98, 0x97}};
    for (const auto& c : cases)
        EXPECT_EQ(StatusClearingTmr(c.status), c.written) << int(c.status);
}

} // namespace

// ---- TSE refresh ----

TEST(InterruptCodecTseRefresh, EntryIndexIsThePeriodInSeconds)
{
    const std::span<const char* const> items = TseRefreshItems();
    ASSERT_EQ(items.size(), 11u);
    EXPECT_STREQ(items[0], "Off");
    for (size_t period = 1; period < items.size(); ++period)
        EXPECT_EQ(items[period], std::to_string(period));
}

TEST(InterruptCodecTseRefresh, DueOnceEveryPeriod)
{
    for (const int period : {1, 3, 10}) {
        int count = 0;
        std::string due;
        for (int second = 1; second <= 12; ++second)
            due += TseRefreshDue(period, count) ? 'x' : '.';
        std::string expected;
        for (int second = 1; second <= 12; ++second)
            expected += second % period == 0 ? 'x' : '.';
        EXPECT_EQ(due, expected) << period;
    }
    // "Off" never is, and leaves the count alone.
    int count = 2;
    for (int second = 0; second < 5; ++second)
        EXPECT_FALSE(TseRefreshDue(0, count));
    EXPECT_EQ(count, 2);
    // A count past the period (set by hand) never waits for ever: the next
    // second writes and starts over.
    count = 7;
    EXPECT_TRUE(TseRefreshDue(3, count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(TseRefreshDue(3, count));
}
