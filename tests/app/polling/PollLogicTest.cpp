#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/PageTable.h"
#include "app/polling/PollLogic.h"
#include "support/CommaLocale.h"

namespace {

std::tm Time(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

StatusResult Status(uint8_t main0, uint8_t main1 = 0, std::optional<uint8_t> second = {})
{
    StatusResult r;
    r.MainOk = true;
    r.Main = {main0, main1};
    r.SecondOk = second.has_value();
    r.Second = second.value_or(0);
    return r;
}

// ---- status lamps ----

// Every lamp of the page table, as the polling cycle lights them.
const std::vector<StatusLamp> kLamps = LampsOf(Pages());

constexpr PartType kFamilies[] = {TypeNone, TypeA, TypeB, TypeC, TypeD, TypeE,
                                  TypeF,    TypeG, TypeH, TypeJ, TypeK};

using S = StatusSource;

// A read that found one bit set, in one byte, and every other bit clear.
StatusResult OneBit(S source, int bit)
{
    StatusResult r = Status(0, 0, uint8_t{0});
    const auto value = static_cast<uint8_t>(1u << bit);
    if (source == S::Main0) r.Main[0] = value;
    if (source == S::Main1) r.Main[1] = value;
    if (source == S::Second) r.Second = value;
    return r;
}

// The lamps a read lights; a lamp set twice by one read is a failure.
std::set<std::string> Lit(PartType type, const StatusResult& status)
{
    std::set<std::string> named;
    std::set<std::string> lit;
    for (const LampState& lamp : StatusLamps(kLamps, type, status)) {
        EXPECT_TRUE(named.insert(lamp.Lamp).second) << "set twice: " << lamp.Lamp;
        if (lamp.On) lit.insert(lamp.Lamp);
    }
    return lit;
}

std::set<std::string> Named(PartType type, const StatusResult& status)
{
    std::set<std::string> named;
    for (const LampState& lamp : StatusLamps(kLamps, type, status))
        named.insert(lamp.Lamp);
    return named;
}

struct WorkedBit {
    const char* Name;
    PartType Type;
    S Source;
    int Bit;
    std::set<std::string> Lamps; // lit by that bit alone, and nothing else
};

// Worked bits of the status table, a few per family: the chip's own flag
// names, the mirrors on other pages, the second byte or read, unused bits.
const WorkedBit kWorkedBits[] = {
    {"TypeNone 0x07 bit 0 RTCF", TypeNone, S::Main0, 0, {"LedRTCF"}},
    {"TypeA 0x07 bit 2 ALM", TypeA, S::Main0, 2, {"LedALM", "LedAlarm"}},
    {"TypeA 0x07 bit 4 unused", TypeA, S::Main0, 4, {}},
    {"TypeB 0x07 bit 3 EVT", TypeB, S::Main0, 3, {"LedEVT", "LedEvent"}},
    {"TypeC 0x0B bit 3, no Event page mirror", TypeC, S::Main0, 3, {"LedEVT"}},
    {"TypeC 0x0B bit 6", TypeC, S::Main0, 6, {"CBSLed2"}},
    {"TypeC 0x01 bit 7 OF", TypeC, S::Second, 7, {"CBSLed8"}},
    {"TypeC 0x01 bit 6", TypeC, S::Second, 6, {}},
    {"TypeD 0x07 bit 3 LVDD", TypeD, S::Main0, 3, {"LedEVT", "CBSLedVDDTRIP"}},
    {"TypeD 0x07 bit 5 DSTADJ", TypeD, S::Main0, 5, {"LedOSCfail", "CBSLedDSTCHNG"}},
    {"TypeD 0x07 bit 7 BUSY", TypeD, S::Main0, 7, {"CBSLed3"}},
    {"TypeE 0x3F bit 5 AL0", TypeE, S::Main0, 5, {"LedAlarm0", "LedAlarm2"}},
    {"TypeE 0x3F bit 7 BAT", TypeE, S::Main0, 7, {"LedBAT"}},
    {"TypeE 0x3F bit 1 unused", TypeE, S::Main0, 1, {}},
    {"TypeF 0x08 bit 5 ALM1", TypeF, S::Main0, 5, {"LedOSCfail", "LedAlarm"}},
    {"TypeF 0x08 bit 6 DSTADJ", TypeF, S::Main0, 6, {"CBSLed2", "CBSLedDSTCHNG"}},
    {"TypeF 0x09 bit 4 XOSCF", TypeF, S::Main1, 4, {"CBSLed5", "CBSLed8"}},
    {"TypeF 0x09 bit 0 ACRDY", TypeF, S::Main1, 0, {"CBSLed7", "CBSLed10"}},
    {"TypeF 0x09 bit 7 unused", TypeF, S::Main1, 7, {}},
    {"TypeG 0x0F bit 0 A1F", TypeG, S::Main0, 0, {"LedRTCF", "LedAlarm"}},
    {"TypeG 0x0F bit 7 OSF", TypeG, S::Main0, 7, {"LedALM"}},
    {"TypeG 0x0F bit 2 unused", TypeG, S::Main0, 2, {}},
    {"TypeH 0x07 bit 1 A2F", TypeH, S::Main0, 1, {"LedBAT", "LedAlarm0"}},
    {"TypeH 0x07 bit 3 OSF", TypeH, S::Main0, 3, {"LedEVT"}},
    {"TypeJ 0x07 bit 0 PF", TypeJ, S::Main0, 0, {"LedRTCF"}},
    {"TypeJ 0x07 bit 1 unused", TypeJ, S::Main0, 1, {}},
    {"TypeK 0x07 bit 3 TMR", TypeK, S::Main0, 3, {"LedEVT", "CBSLed11"}},
    {"TypeK 0x01 bit 7 OF", TypeK, S::Second, 7, {"CBSLed8"}},
};

TEST(PollStatus, WorkedBitsLightExactlyTheirLamps)
{
    for (const WorkedBit& c : kWorkedBits) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Lit(c.Type, OneBit(c.Source, c.Bit)), c.Lamps);
        // The lamps the bit drives go dark again when it clears.
        for (const std::string& lamp : c.Lamps)
            EXPECT_TRUE(Named(c.Type, Status(0, 0, uint8_t{0})).count(lamp)) << lamp;
    }
}

TEST(PollStatus, SecondReadThatFailedCountsAsZero)
{
    for (const PartType type : {TypeC, TypeK}) {
        StatusResult r = OneBit(S::Second, 7);
        r.SecondOk = false;
        EXPECT_EQ(Lit(type, r), std::set<std::string>{}) << int(type);
        EXPECT_TRUE(Named(type, r).count("CBSLed8")) << int(type);
    }
}

// What holds for every family's row, whatever its bits are.
TEST(PollStatus, EachLampFollowsOneBitAndLivesOnAPage)
{
    const S sources[] = {S::Main0, S::Main1, S::Second};
    for (const PartType type : kFamilies) {
        SCOPED_TRACE(int(type));
        const StatusResult clear = Status(0, 0, uint8_t{0});
        const std::set<std::string> row = Named(type, clear);
        EXPECT_FALSE(row.empty());
        EXPECT_EQ(Lit(type, clear), std::set<std::string>{});
        std::set<std::string> fromSingleBits;
        for (const S source : sources) {
            for (int bit = 0; bit < 8; ++bit) {
                const StatusResult one = OneBit(source, bit);
                // The row names the same lamps whatever was read.
                EXPECT_EQ(Named(type, one), row);
                for (const std::string& lamp : Lit(type, one)) {
                    EXPECT_TRUE(fromSingleBits.insert(lamp).second)
                        << lamp << " follows more than one bit";
                }
            }
        }
        // Bits do not mix: everything set lights what the bits light one by one.
        EXPECT_EQ(Lit(type, Status(0xFF, 0xFF, uint8_t{0xFF})), fromSingleBits);
        for (const std::string& lamp : row)
            EXPECT_NE(PageOfLamp(lamp), nullptr) << lamp << " is a lamp of no page";
    }
}

TEST(PollStatus, FailedReadSwitchesOffTheSameLampsForEveryFamily)
{
    StatusResult failed = Status(0xFF, 0xFF, uint8_t{0xFF});
    failed.MainOk = false;
    const std::set<std::string> off = Named(TypeA, failed);
    for (const PartType type : kFamilies) {
        EXPECT_EQ(Lit(type, failed), std::set<std::string>{}) << int(type);
        EXPECT_EQ(Named(type, failed), off) << int(type);
    }
    for (const std::string& lamp : off)
        EXPECT_NE(PageOfLamp(lamp), nullptr) << lamp << " is a lamp of no page";
    // Every lamp of the Setup page's status group, and mirrors of other pages;
    // the power-management page's lamps keep their state.
    const PageRow* setup = FindPage("tsSetup");
    ASSERT_NE(setup, nullptr);
    for (const StatusLamp& lamp : setup->Lamps)
        EXPECT_TRUE(off.count(lamp.Name)) << lamp.Name;
    for (const char* lamp : {"LedAlarm", "LedAlarm0", "LedEvent", "CBSLed5"})
        EXPECT_TRUE(off.count(lamp)) << lamp;
    for (const char* lamp : {"CBSLedVDDTRIP", "CBSLed75BTRIP", "CBSLed11"})
        EXPECT_FALSE(off.count(lamp)) << lamp;
}

// ---- chip time state ----

struct TimeStateCase {
    const char* Name;
    PartType Type;
    StatusResult Read;
    int32_t TimeResult;
    ChipTimeState Expected;
};

TEST(PollChipTime, ClockNotSetAndErrorCases)
{
    StatusResult failedRead = Status(0x01);
    failedRead.MainOk = false;
    const TimeStateCase cases[] = {
        {"TypeE RTCF set", TypeE, Status(0x01), 0, ChipTimeState::ClockNotSet},
        {"TypeA RTCF set", TypeA, Status(0x01), 0, ChipTimeState::ClockNotSet},
        {"TypeH power fail", TypeH, Status(0x01), 0, ChipTimeState::ClockNotSet},
        {"TypeF RTCF in the first byte", TypeF, Status(0x01, 0x00), 0, ChipTimeState::ClockNotSet},
        {"TypeF bit 0 of the second byte", TypeF, Status(0x00, 0x01), 0, ChipTimeState::Shown},
        {"TypeC bit 0 of 0x01 is not the status", TypeC, Status(0x00, 0, 0x01), 0,
         ChipTimeState::Shown},
        {"TypeG alarm 1 flag", TypeG, Status(0x01), 0, ChipTimeState::Shown},
        {"TypeJ power fail", TypeJ, Status(0xFF), 0, ChipTimeState::Shown},
        {"not set wins over a failed time read", TypeB, Status(0x01), 4,
         ChipTimeState::ClockNotSet},
        {"failed time read", TypeB, Status(0xFE), 4, ChipTimeState::Error},
        // Only the low seven bits carry a failure; a note above them is none.
        {"a time read with a note", TypeB, Status(0xFE), 0x80, ChipTimeState::Shown},
        {"failed status read counts as 0", TypeE, failedRead, 0, ChipTimeState::Shown},
        {"both reads failed", TypeE, failedRead, 4, ChipTimeState::Error},
        {"clean", TypeK, Status(0xFE, 0, 0xFF), 0, ChipTimeState::Shown},
    };
    for (const TimeStateCase& c : cases) {
        EXPECT_EQ(ChipTimeStateFor(ClockStatusByte(c.Type, c.Read), c.TimeResult), c.Expected)
            << c.Name;
    }
}

TEST(PollChipTime, DisplayTexts)
{
    const std::tm afternoon = Time(2024, 3, 7, 14, 5, 9);
    struct Case {
        ChipTimeState State;
        std::tm T;
        bool Is24;
        const char* Time;
        const char* Date;
    };
    const Case cases[] = {
        {ChipTimeState::Shown, afternoon, true, "14:05:09", "03/07/24"},
        {ChipTimeState::Shown, afternoon, false, "02:05:09 PM", "03/07/24"},
        {ChipTimeState::Shown, Time(2001, 12, 31, 0, 0, 0), false, "12:00:00 AM", "12/31/01"},
        {ChipTimeState::Shown, Time(2000, 1, 1, 12, 30, 0), false, "12:30:00 PM", "01/01/00"},
        {ChipTimeState::Shown, Time(2099, 10, 9, 9, 59, 59), false, "09:59:59 AM", "10/09/99"},
        {ChipTimeState::ClockNotSet, afternoon, true, "Clock Not Set", "Clock Not Set"},
        {ChipTimeState::Error, std::tm{}, false, "Error", "Error"},
    };
    for (const Case& c : cases) {
        const ChipTimeTexts texts = ChipTimeDisplay(c.State, c.T, c.Is24);
        EXPECT_EQ(texts.Time, c.Time);
        EXPECT_EQ(texts.Date, c.Date);
    }
}

// ---- deviation ----

struct DeviationCase {
    std::tm Chip;
    std::tm Pc;
    const char* Text;
};

TEST(PollDeviation, TextsOfChipMinusPcTime)
{
    const DeviationCase cases[] = {
        {Time(2024, 3, 7, 14, 5, 9), Time(2024, 3, 7, 14, 5, 9), "-00:00:00"},
        {Time(2024, 3, 7, 15, 5, 14), Time(2024, 3, 7, 14, 5, 9), "01:00:05"},
        {Time(2024, 3, 8, 15, 5, 9), Time(2024, 3, 7, 14, 5, 9), "1d 01:00:00"},
        {Time(2024, 3, 8, 14, 5, 14), Time(2024, 3, 7, 14, 5, 9), "1d 00:00:05"},
        {Time(2024, 3, 8, 14, 5, 8), Time(2024, 3, 7, 14, 5, 9), "23:59:59"},
        {Time(2024, 3, 7, 14, 5, 4), Time(2024, 3, 7, 14, 5, 9), "-00:00:05"},
        {Time(2024, 3, 6, 14, 5, 7), Time(2024, 3, 7, 14, 5, 9), "-1d 00:00:02"},
        // Across a year end and a leap day.
        {Time(2025, 1, 1, 0, 0, 1), Time(2024, 12, 31, 23, 59, 59), "00:00:02"},
        {Time(2024, 3, 1, 0, 0, 0), Time(2024, 2, 28, 23, 0, 0), "1d 01:00:00"},
        {Time(2023, 3, 1, 0, 0, 0), Time(2023, 2, 28, 23, 0, 0), "01:00:00"},
        // A chip years behind shows its whole days in front.
        {Time(2000, 1, 1, 0, 0, 0), Time(2024, 3, 7, 14, 5, 9), "-8832d 14:05:09"},
        {Time(2000, 1, 1, 0, 0, 0), Time(2025, 12, 11, 12, 0, 0), "-9476d 12:00:00"},
    };
    for (const DeviationCase& c : cases) {
        EXPECT_EQ(DeviationText(CalendarSeconds(c.Chip), CalendarSeconds(c.Pc)), c.Text)
            << std::asctime(&c.Chip);
    }
}

TEST(PollDeviation, CalendarSecondsMatchUtcCalendarAndNormaliseLikeMktime)
{
    for (const std::tm& t :
         {Time(1970, 1, 1, 0, 0, 0), Time(2000, 2, 29, 23, 59, 59), Time(2024, 3, 7, 14, 5, 9),
          Time(2099, 12, 31, 12, 0, 0), Time(2100, 3, 1, 0, 0, 0)}) {
        std::tm copy = t;
        EXPECT_EQ(CalendarSeconds(t), static_cast<double>(timegm(&copy))) << std::asctime(&t);
    }
    // Out-of-range chip fields carry over as mktime does: month 13 of 2024 is
    // January 2025, day 0 is the last day of the month before.
    EXPECT_EQ(CalendarSeconds(Time(2024, 13, 1, 0, 0, 0)),
              CalendarSeconds(Time(2025, 1, 1, 0, 0, 0)));
    EXPECT_EQ(CalendarSeconds(Time(2024, 3, 0, 0, 0, 0)),
              CalendarSeconds(Time(2024, 2, 29, 0, 0, 0)));
    EXPECT_EQ(CalendarSeconds(Time(2024, 3, 7, 45, 0, 0)),
              CalendarSeconds(Time(2024, 3, 8, 21, 0, 0)));
}

// ---- board temperature ----

struct SensorCase {
    uint16_t Word;
    int Sensor;
    int32_t Offset;
    double Celsius;
};

TEST(PollTemperature, SensorWordsAndOffsets)
{
    const SensorCase cases[] = {
        {0xFF80, 75, 0, -0.5},    {0x0C80, 76, 0, 25.0},   {0x1900, 75, 15, 26.5},
        {0x197F, 75, 0, 25.0},    {0x0C87, 76, 0, 25.0},   {0x1780, 75, 0, 23.5},
        {0xE700, 75, -15, -26.5}, {0xF380, 76, 5, -24.5},  {0x8000, 75, 0, -128.0},
        {0x7F80, 75, 0, 127.5},   {0x0008, 76, 0, 0.0625}, {0xFFF8, 76, 0, -0.0625},
        {0x0000, 76, -50, -5.0},  {0x0000, 75, 50, 5.0},
    };
    for (const SensorCase& c : cases) {
        EXPECT_DOUBLE_EQ(DecodeSensorWord(c.Word, c.Sensor, c.Offset), c.Celsius)
            << std::hex << c.Word << std::dec << " LM" << c.Sensor << " offset " << c.Offset;
    }
}

TEST(PollTemperature, SensorSendsHighByteFirst)
{
    EXPECT_EQ(SensorWord(0x19, 0x00), 0x1900);
    EXPECT_EQ(SensorWord(0xFF, 0x80), 0xFF80);
    EXPECT_EQ(kSensorSlave, 0x90);
    EXPECT_EQ(kSensorRegister, 0x00);
}

TEST(PollTemperature, DisplayTexts)
{
    EXPECT_EQ(TemperatureText(23.5), "23.5000*C (74.30*F)");
    EXPECT_EQ(TemperatureText(DecodeSensorWord(0xFF80, 75, 0)), "-0.5000*C (31.10*F)");
    EXPECT_EQ(TemperatureText(DecodeSensorWord(0x0C80, 76, 0)), "25.0000*C (77.00*F)");
    EXPECT_EQ(TemperatureText(DecodeSensorWord(0x0018, 76, 0)), "0.1875*C (32.34*F)");
    EXPECT_EQ(TemperatureText(-40.0), "-40.0000*C (-40.00*F)");
    EXPECT_EQ(TemperatureText(DecodeSensorWord(0xFF80, 75, 5)), "0.0000*C (32.00*F)");
    // 32.675 is computed as 32.67499...; the display still rounds the half up.
    EXPECT_EQ(TemperatureText(DecodeSensorWord(0x0030, 76, 0)), "0.3750*C (32.68*F)");
    EXPECT_EQ(TemperatureText(18.875), "18.8750*C (65.98*F)");
    EXPECT_EQ(TemperatureText(std::nullopt), "Error");
}

TEST(PollTemperature, OffsetTextAndSteps)
{
    EXPECT_EQ(TempOffsetText(0), "0.0*C");
    EXPECT_EQ(TempOffsetText(-15), "-1.5*C");
    EXPECT_EQ(TempOffsetText(-5), "-0.5*C");
    EXPECT_EQ(TempOffsetText(7), "0.7*C");
    EXPECT_EQ(TempOffsetText(50), "5.0*C");
    EXPECT_EQ(TempOffsetText(-50), "-5.0*C");

    EXPECT_EQ(TempOffsetUp(49), 50);
    EXPECT_EQ(TempOffsetUp(50), 50);
    EXPECT_EQ(TempOffsetUp(-50), -49);
    EXPECT_EQ(TempOffsetDown(-49), -50);
    EXPECT_EQ(TempOffsetDown(-50), -50);
    EXPECT_EQ(TempOffsetDown(50), 49);
}

// ---- tick timing and graph ----

TEST(PollTiming, WorkOncePerPcSecondAndSampleEverySixth)
{
    PollClock clock;
    uint32_t elapsed = 0; // just restarted
    // Ticks every 110 ms see each second about nine times.
    std::vector<uint32_t> workedAt;
    std::vector<uint32_t> sampledAt;
    for (int s = 1; s <= 13; ++s) {
        for (int tick = 0; tick < 9; ++tick) {
            if (!clock.beginTick(s % 60, elapsed)) continue;
            workedAt.push_back(elapsed);
            if (IsSampleSecond(elapsed)) sampledAt.push_back(elapsed);
        }
    }
    EXPECT_EQ(workedAt.size(), 13u);
    EXPECT_EQ(elapsed, 13u);
    EXPECT_EQ(sampledAt, (std::vector<uint32_t>{6, 12}));

    // The second wraps from 59 to 0 and still counts as a new second.
    clock.LastSecond = 59;
    EXPECT_TRUE(clock.beginTick(0, elapsed));
    EXPECT_FALSE(clock.beginTick(0, elapsed));
    EXPECT_EQ(elapsed, 14u);
}

TEST(PollTiming, GraphSampleInHoursSinceRestart)
{
    const GraphSample first = MakeGraphSample(6, 1000.0, 1003.0, 24.25);
    EXPECT_DOUBLE_EQ(first.X, 6.0 / 3600.0);
    EXPECT_DOUBLE_EQ(first.Deviation, -3.0);
    ASSERT_TRUE(first.Temperature.has_value());
    EXPECT_DOUBLE_EQ(*first.Temperature, 24.25);

    const GraphSample noSensor = MakeGraphSample(7200, 5000.0, 4998.0, std::nullopt);
    EXPECT_DOUBLE_EQ(noSensor.X, 2.0);
    EXPECT_DOUBLE_EQ(noSensor.Deviation, 2.0);
    EXPECT_FALSE(noSensor.Temperature.has_value());
}

TEST(PollTiming, RunningTimeAndPollDurationTexts)
{
    EXPECT_EQ(RunTimeText(0), " Up 0 Day(s) 00:00:00");
    EXPECT_EQ(RunTimeText(93784), " Up 1 Day(s) 02:03:04");
    EXPECT_EQ(RunTimeText(86399), " Up 0 Day(s) 23:59:59");
    EXPECT_EQ(RunTimeText(4294967295u), " Up 49710 Day(s) 06:28:15");

    EXPECT_EQ(PollDurationText(1.2344), " 1.234 mS");
    EXPECT_EQ(PollDurationText(0.5), " 0.500 mS");
    EXPECT_EQ(PollDurationText(12.3456), " 12.346 mS");
    EXPECT_EQ(PollDurationText(0.0), " 0.000 mS");
    // Halves round away from zero on the decimal value, not on its binary
    // neighbour (0.5005 scales to 500.49999...).
    EXPECT_EQ(PollDurationText(0.5005), " 0.501 mS");
    EXPECT_EQ(PollDurationText(250.0), " 250.000 mS");
    EXPECT_STREQ(kUsbActiveText, " USB: Active");
}

// The panel's numbers keep the design's '.' under a decimal-comma locale,
// values too large for the exact rounding among them.
TEST(PollTexts, DecimalCommaLocaleKeepsThePoint)
{
    KVRX_COMMA_LOCALE(comma);
    EXPECT_EQ(TemperatureText(23.5), "23.5000*C (74.30*F)");
    EXPECT_EQ(TemperatureText(-0.5), "-0.5000*C (31.10*F)");
    EXPECT_EQ(TempOffsetText(-15), "-1.5*C");
    EXPECT_EQ(PollDurationText(1.2344), " 1.234 mS");
    EXPECT_EQ(PollDurationText(1e16), " 10000000000000000.000 mS");
    EXPECT_EQ(TemperatureText(1e15), "1000000000000000.0000*C (1800000000000032.00*F)");
    EXPECT_EQ(PollDurationText(-1e18), " -1000000000000000000.000 mS");
}

// ---- bus speed ----

TEST(PollBusSpeed, EntryTextToKilohertz)
{
    const std::map<std::string, uint16_t> cases = {
        {"400", 599}, {"100", 100}, {"1000", 1000}, {"10", 10},  {"600", 600},     {"0400", 599},
        {"", 100},    {"abc", 100}, {"4O0", 100},   {"-5", 100}, {"99999", 65535},
    };
    for (const auto& [text, khz] : cases)
        EXPECT_EQ(BusSpeedKhz(text), khz) << '"' << text << '"';
}

} // namespace
