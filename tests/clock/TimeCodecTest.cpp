#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bus/RtcBus.h"
#include "clock/TimeCodec.h"
#include "kvrx_usb.h"
#include "support/RecordingAdapter.h"
#include "support/RecordingBusTest.h"

namespace {

// ---- BCD conversions ----

TEST(BcdToBin, AddsTheTwoNibblesOfTheLowByte)
{
    struct Case {
        unsigned in;
        int out;
    };
    for (const Case c : {Case{0x00, 0}, Case{0x09, 9}, Case{0x10, 10}, Case{0x59, 59},
                         Case{0x99, 99}, Case{0x1A, 20}, Case{0xFF, 165}, Case{0x123, 23}}) {
        EXPECT_EQ(BcdToBin(c.in), c.out) << std::hex << c.in;
    }
}

TEST(BinToBcd, ShiftAndAddThree)
{
    struct Case {
        uint32_t value;
        int bits;
        uint32_t bcd;
    };
    const Case cases[] = {
        {0, 8, 0x0},
        {9, 8, 0x9},
        {10, 8, 0x10},
        {45, 8, 0x45},
        {99, 8, 0x99},
        {255, 8, 0x255},
        {300, 8, 0x44}, // only the low eight bits count
        {5, 2, 0x1},    // 5 = 0b101, two bits keep 0b01
        {1234, 16, 0x1234},
        {65535, 16, 0x65535},
        {99999, 17, 0x99999},
        {16777215, 24, 0x16777215},
        {0xFFFFFFFF, 40, 0x16777215}, // bits clamp to 24
        {77, 0, 0x0},
        {77, -3, 0x0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BinToBcd(c.value, c.bits), c.bcd) << c.value << " with " << c.bits << " bits";
    }
}

TEST(BinToBcd, RoundTripsEveryByteValueThroughBcdToBin)
{
    for (int v = 0; v <= 99; ++v)
        ASSERT_EQ(BcdToBin(BinToBcd(v, 8)), v);
}

// ---- PC calendar record ----

TEST(SystemTimeConversion, ShiftsYearAndMonthAndZeroesTheRest)
{
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_wday = 4;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_yday = 66;
    t.tm_isdst = 1;

    const SystemTime st = TmToSystemTime(t);
    EXPECT_EQ(st.year, 2024);
    EXPECT_EQ(st.month, 3);
    EXPECT_EQ(st.day, 7);
    EXPECT_EQ(st.dayOfWeek, 4);
    EXPECT_EQ(st.hour, 14);
    EXPECT_EQ(st.minute, 5);
    EXPECT_EQ(st.second, 9);
    EXPECT_EQ(st.milliseconds, 0);

    SystemTime withMs = st;
    withMs.milliseconds = 999;
    const std::tm back = SystemTimeToTm(withMs);
    EXPECT_EQ(back.tm_year, 124);
    EXPECT_EQ(back.tm_mon, 2);
    EXPECT_EQ(back.tm_mday, 7);
    EXPECT_EQ(back.tm_wday, 4);
    EXPECT_EQ(back.tm_hour, 14);
    EXPECT_EQ(back.tm_min, 5);
    EXPECT_EQ(back.tm_sec, 9);
    EXPECT_EQ(back.tm_yday, 0);
    EXPECT_EQ(back.tm_isdst, 0);
}

// ---- time registers ----

std::tm timeOf(int year, int month, int day, int wday, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = wday;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// Thursday 2024-03-07 14:05:09.
const std::tm kSample = timeOf(2024, 3, 7, 4, 14, 5, 9);

class CodecTest : public RecordingBusTest {
  protected:
    uint8_t slave() const { return bus.part().RtcAddress; }

    // The write of the time bytes (to 0x00, or 0x30 for TypeE), if any.
    static const AdapterCall* timeWrite()
    {
        for (const AdapterCall& c : RecordingAdapter::calls()) {
            if (c.op == AdapterOp::Write && c.count >= 7) return &c;
        }
        return nullptr;
    }

    static size_t writeCount()
    {
        size_t n = 0;
        for (const AdapterCall& c : RecordingAdapter::calls())
            n += c.op == AdapterOp::Write;
        return n;
    }
};

// One expected transfer; data only for writes.
struct Xfer {
    AdapterOp op;
    uint8_t subLen;
    uint32_t sub;
    uint32_t count;
    std::vector<uint8_t> data;
};

constexpr AdapterOp R = AdapterOp::Read;
constexpr AdapterOp W = AdapterOp::Write;

// Status/control bytes and old time bytes present in the chip before the write.
// Old time bytes carry flags in SC/MN/HR bits 7..6 and a set bit 7 in byte 5
// (MO of the weekday-first layout).
const std::vector<uint8_t> kOldTime{0xD9, 0xB3, 0xC1, 0x11, 0x12, 0x92, 0x06};

struct WriteCase {
    const char* part;
    uint32_t workAddress;
    uint8_t workValue;
    std::vector<Xfer> expected;
};

class WriteRtcTimeTest : public CodecTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteRtcTimeTest, SendsTheFamilysSequence)
{
    const WriteCase& c = GetParam();
    select(c.part);
    RecordingAdapter::setRegisters(slave(), 0x00, kOldTime);
    RecordingAdapter::setRegisters(slave(), c.workAddress, {c.workValue});
    RecordingAdapter::setRegisters(slave(), 0x08, {0x05});

    ASSERT_EQ(WriteRtcTime(bus, kSample, true), 0);

    const auto& calls = RecordingAdapter::calls();
    ASSERT_EQ(calls.size(), c.expected.size());
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE("transfer " + std::to_string(i));
        const Xfer& x = c.expected[i];
        EXPECT_EQ(calls[i].op, x.op);
        EXPECT_EQ(calls[i].board, 1u);
        EXPECT_EQ(calls[i].slave, slave());
        EXPECT_EQ(calls[i].subLen, x.subLen);
        EXPECT_EQ(calls[i].sub, x.sub);
        EXPECT_EQ(calls[i].count, x.count);
        if (x.op == W) {
            EXPECT_EQ(calls[i].data, x.data);
        }
    }
}

const std::vector<uint8_t> kDateFirstSample{0x09, 0x05, 0x94, 0x07, 0x03, 0x24, 0x04};

INSTANTIATE_TEST_SUITE_P(
    Families, WriteRtcTimeTest,
    ::testing::Values(
        // WRTC set (with bits 3..0), bit 6 cleared; then WRTC cleared.
        WriteCase{"VK320",
                  0x07,
                  0x41,
                  {{R, 1, 0x07, 1, {}},
                   {W, 1, 0x07, 1, {0x1F}},
                   {W, 1, 0x00, 7, kDateFirstSample},
                   {W, 1, 0x07, 1, {0x0F}}}},
        WriteCase{"VK310",
                  0x07,
                  0xE0,
                  {{R, 1, 0x07, 1, {}},
                   {W, 1, 0x07, 1, {0xBF}},
                   {W, 1, 0x00, 7, kDateFirstSample},
                   {W, 1, 0x07, 1, {0xAF}}}},
        WriteCase{"Not Selected",
                  0x07,
                  0x00,
                  {{R, 1, 0x07, 1, {}},
                   {W, 1, 0x07, 1, {0x1F}},
                   {W, 1, 0x00, 7, kDateFirstSample},
                   {W, 1, 0x07, 1, {0x0F}}}},
        // TypeK keeps OF (MN bit 7).
        WriteCase{"VK390",
                  0x07,
                  0x00,
                  {{R, 1, 0x07, 1, {}},
                   {R, 1, 0x00, 7, {}},
                   {W, 1, 0x07, 1, {0x1F}},
                   {W, 1, 0x00, 7, {0x09, 0x85, 0x94, 0x07, 0x03, 0x24, 0x04}},
                   {W, 1, 0x07, 1, {0x0F}}}},
        // Weekday-first, ST/OF/CEB/CB kept, status at 0x0B.
        WriteCase{"VK340",
                  0x0B,
                  0x40,
                  {{R, 1, 0x0B, 1, {}},
                   {R, 1, 0x00, 7, {}},
                   {W, 1, 0x0B, 1, {0x1F}},
                   {W, 1, 0x00, 7, {0x89, 0x85, 0xD4, 0x05, 0x07, 0x03, 0x24}},
                   {W, 1, 0x0B, 1, {0x0F}}}},
        WriteCase{"VK382",
                  0x07,
                  0x00,
                  {{R, 1, 0x07, 1, {}},
                   {R, 1, 0x00, 7, {}},
                   {W, 1, 0x00, 7, {0x89, 0x85, 0xD4, 0x05, 0x07, 0x03, 0x24}}}},
        // TypeG keeps CENT (MO bit 7) only.
        WriteCase{"VK380",
                  0x0F,
                  0x00,
                  {{R, 1, 0x0F, 1, {}},
                   {R, 1, 0x00, 7, {}},
                   {W, 1, 0x00, 7, {0x09, 0x05, 0x14, 0x05, 0x07, 0x83, 0x24}}}},
        // TypeD frames with WRTC in the INT register 0x08 (holding 0x05).
        WriteCase{"VK350",
                  0x07,
                  0x00,
                  {{R, 1, 0x07, 1, {}},
                   {R, 1, 0x08, 1, {}},
                   {W, 1, 0x08, 1, {0x45}},
                   {W, 1, 0x00, 7, kDateFirstSample},
                   {W, 1, 0x08, 1, {0x05}}}},
        WriteCase{"VK360",
                  0x3F,
                  0x00,
                  {{R, 2, 0x3F, 1, {}},
                   {W, 2, 0x3F, 1, {0x02}},
                   {W, 2, 0x3F, 1, {0x06}},
                   {W, 2, 0x30, 8, {0x09, 0x05, 0x94, 0x07, 0x03, 0x24, 0x04, 0x20}}}},
        WriteCase{"VK370", 0x08, 0x05, {{R, 1, 0x08, 1, {}}, {W, 1, 0x00, 7, kDateFirstSample}}},
        // TypeH leaves WRTC set.
        WriteCase{
            "VK381",
            0x07,
            0x01,
            {{R, 1, 0x07, 1, {}}, {W, 1, 0x07, 1, {0x11}}, {W, 1, 0x00, 7, kDateFirstSample}}}),
    [](const auto& info) {
        std::string name = info.param.part;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

struct HourCase {
    const char* part;
    int hour;
    bool is24;
    uint8_t hr;
};

class HourEncodingTest : public CodecTest, public ::testing::WithParamInterface<HourCase> {};

TEST_P(HourEncodingTest, HourRegisterFollowsTheFamilysConvention)
{
    const HourCase& c = GetParam();
    select(c.part);
    std::tm t = kSample;
    t.tm_hour = c.hour;
    ASSERT_EQ(WriteRtcTime(bus, t, c.is24), 0);
    const AdapterCall* w = timeWrite();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->data[2], c.hr) << c.part << " hour " << c.hour;
}

INSTANTIATE_TEST_SUITE_P(
    Hours, HourEncodingTest,
    ::testing::Values(HourCase{"VK320", 14, false, 0x22}, HourCase{"VK320", 0, false, 0x12},
                      HourCase{"VK320", 12, false, 0x32}, HourCase{"VK320", 23, false, 0x31},
                      HourCase{"VK320", 11, false, 0x11}, HourCase{"VK320", 0, true, 0x80},
                      HourCase{"VK320", 23, true, 0xA3}, HourCase{"VK360", 0, false, 0x12},
                      HourCase{"VK380", 14, false, 0x62}, HourCase{"VK380", 0, false, 0x52},
                      HourCase{"VK380", 12, false, 0x72}, HourCase{"VK380", 23, true, 0x23},
                      HourCase{"VK382", 14, false, 0x22}, HourCase{"VK382", 23, true, 0x23},
                      HourCase{"VK340", 0, true, 0x00}));

TEST_F(CodecTest, TypeECenturyByteFollowsTheYear)
{
    select("VK360");
    struct Case {
        int year;
        uint8_t yr;
        uint8_t y2k;
    };
    for (const Case c : {Case{1999, 0x99, 0x19}, Case{2000, 0x00, 0x20}, Case{2024, 0x24, 0x20}}) {
        RecordingAdapter::reset();
        std::tm t = kSample;
        t.tm_year = c.year - 1900;
        ASSERT_EQ(WriteRtcTime(bus, t, true), 0);
        const AdapterCall* w = timeWrite();
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(w->data.size(), 8u);
        EXPECT_EQ(w->data[5], c.yr) << c.year;
        EXPECT_EQ(w->data[7], c.y2k) << c.year;
    }
}

struct FailCase {
    const char* part;
    size_t failingCall;
    size_t writesAttempted; // including the failing one
};

class WriteFailureTest : public CodecTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(WriteFailureTest, StopsBeforeTheTimeBytes)
{
    const FailCase& c = GetParam();
    select(c.part);
    RecordingAdapter::failCall(c.failingCall, KVRX_ERR_ADDR_NACK);

    EXPECT_EQ(WriteRtcTime(bus, kSample, true), KVRX_ERR_ADDR_NACK);

    EXPECT_EQ(timeWrite(), nullptr);
    EXPECT_EQ(writeCount(), c.writesAttempted);
}

INSTANTIATE_TEST_SUITE_P(PreliminaryReads, WriteFailureTest,
                         ::testing::Values(FailCase{"Not Selected", 1, 0}, FailCase{"VK310", 1, 0},
                                           FailCase{"VK320", 1, 0}, FailCase{"VK340", 1, 0},
                                           FailCase{"VK340", 2, 0}, FailCase{"VK350", 1, 0},
                                           FailCase{"VK350", 2, 0}, FailCase{"VK360", 1, 0},
                                           FailCase{"VK370", 1, 0}, FailCase{"VK380", 1, 0},
                                           FailCase{"VK380", 2, 0}, FailCase{"VK381", 1, 0},
                                           FailCase{"VK382", 1, 0}, FailCase{"VK382", 2, 0},
                                           FailCase{"VK390", 1, 0}, FailCase{"VK390", 2, 0}));

INSTANTIATE_TEST_SUITE_P(EnableWrites, WriteFailureTest,
                         ::testing::Values(FailCase{"VK320", 2, 1}, FailCase{"VK390", 3, 1},
                                           FailCase{"VK340", 3, 1}, FailCase{"VK350", 3, 1},
                                           FailCase{"VK381", 2, 1}, FailCase{"VK360", 2, 1},
                                           FailCase{"VK360", 3, 2}));

TEST_F(CodecTest, TimeByteFailureIsReturnedAfterTheClosingWrite)
{
    select("VK320");
    RecordingAdapter::failCall(3, KVRX_ERR_DATA_NACK);

    EXPECT_EQ(WriteRtcTime(bus, kSample, true), KVRX_ERR_DATA_NACK);

    const auto& calls = RecordingAdapter::calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].sub, 0x07u);
    EXPECT_EQ(calls[3].data, std::vector<uint8_t>{0x0F});
}

// The closing write clears the write-enable bit again; when it fails the chip
// stays open to writes, so the write as a whole failed and says so.
TEST_F(CodecTest, ClosingWriteFailureIsReturned)
{
    for (const char* part : {"VK320", "VK350", "VK340", "VK390"}) {
        RecordingAdapter::reset();
        select(part);
        // After the status (and, where flags share them, the time bytes) read,
        // the enabling write and the time.
        const size_t closing = part == std::string("VK320") ? 4 : 5;
        RecordingAdapter::failCall(closing, KVRX_ERR_DATA_NACK);
        EXPECT_EQ(WriteRtcTime(bus, kSample, true), KVRX_ERR_DATA_NACK) << part;
        EXPECT_EQ(RecordingAdapter::calls().size(), closing) << part;
    }
}

TEST_F(CodecTest, WriteLeavesTheRegisterImageAlone)
{
    select("VK320");
    for (int a = 0; a < 256; ++a)
        bus.data.Regs[a] = 0xA5;
    ASSERT_EQ(WriteRtcTime(bus, kSample, true), 0);
    std::tm t;
    bool is24;
    ASSERT_EQ(ReadRtcTime(bus, t, is24), 0);
    for (int a = 0; a < 256; ++a)
        ASSERT_EQ(bus.data.Regs[a], 0xA5);
}

// ---- reading ----

struct ReadCase {
    const char* part;
    std::vector<uint8_t> regs; // the seven time bytes in chip order
    int sec, min, hour, mday, mon, year, wday;
    bool is24;
};

class ReadRtcTimeTest : public CodecTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadRtcTimeTest, DecodesTheFamilysRegisters)
{
    const ReadCase& c = GetParam();
    select(c.part);
    const bool typeE = bus.part().TypeCode == TypeE;
    RecordingAdapter::setRegisters(slave(), typeE ? 0x30 : 0x00, c.regs);

    std::tm t;
    t.tm_yday = 77;
    t.tm_isdst = 1;
    bool is24 = !c.is24;
    ASSERT_EQ(ReadRtcTime(bus, t, is24), 0);

    const auto& calls = RecordingAdapter::calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].subLen, typeE ? 2 : 1);
    EXPECT_EQ(calls[0].sub, typeE ? 0x30u : 0x00u);
    EXPECT_EQ(calls[0].count, 7u);
    EXPECT_EQ(calls[0].slave, slave());

    EXPECT_EQ(t.tm_sec, c.sec);
    EXPECT_EQ(t.tm_min, c.min);
    EXPECT_EQ(t.tm_hour, c.hour);
    EXPECT_EQ(t.tm_mday, c.mday);
    EXPECT_EQ(t.tm_mon, c.mon);
    EXPECT_EQ(t.tm_year, c.year);
    EXPECT_EQ(t.tm_wday, c.wday);
    EXPECT_EQ(t.tm_yday, 0);
    EXPECT_EQ(t.tm_isdst, 0);
    EXPECT_EQ(is24, c.is24);
}

INSTANTIATE_TEST_SUITE_P(
    Families, ReadRtcTimeTest,
    ::testing::Values(
        ReadCase{"VK320", {0x09, 0x05, 0x94, 0x07, 0x03, 0x24, 0x04}, 9, 5, 14, 7, 2, 124, 4, true},
        // Flag bits in SC and MN are dropped.
        ReadCase{
            "VK320", {0x89, 0x85, 0x22, 0x07, 0x03, 0x24, 0x04}, 9, 5, 14, 7, 2, 124, 4, false},
        ReadCase{"VK320", {0, 0, 0x12, 0x01, 0x00, 0x00, 0}, 0, 0, 0, 1, 0, 100, 0, false},
        ReadCase{"VK390", {0, 0, 0x32, 0x31, 0x12, 0x99, 6}, 0, 0, 12, 31, 11, 199, 6, false},
        ReadCase{"VK310", {0, 0, 0x92, 0x01, 0x01, 0x00, 0}, 0, 0, 12, 1, 0, 100, 0, true},
        ReadCase{"VK360", {0x59, 0x59, 0xA3, 0x28, 0x02, 0x25, 5}, 59, 59, 23, 28, 1, 125, 5, true},
        ReadCase{"VK360", {0x00, 0x00, 0x11, 0x28, 0x02, 0x25, 5}, 0, 0, 11, 28, 1, 125, 5, false},
        // TypeG: bit 6 selects the 12-hour form; bit 7 of MO is the century flag.
        ReadCase{
            "VK380", {0x30, 0x59, 0x23, 0x06, 0x31, 0x12, 0x99}, 30, 59, 23, 31, 11, 199, 5, true},
        ReadCase{"VK380", {0, 0, 0x52, 0x01, 0x01, 0x81, 0x00}, 0, 0, 0, 1, 0, 100, 0, false},
        ReadCase{"VK380", {0, 0, 0x72, 0x07, 0x01, 0x01, 0x00}, 0, 0, 12, 1, 0, 100, 6, false},
        ReadCase{"VK380", {0, 0, 0x62, 0x01, 0x01, 0x01, 0x00}, 0, 0, 14, 1, 0, 100, 0, false},
        // TypeC and TypeJ: HR bits 7 and 6 are flags; always 24-hour.
        ReadCase{"VK340", {0x89, 0x85, 0xD4, 0x05, 0x07, 0x03, 0x24}, 9, 5, 14, 7, 2, 124, 4, true},
        ReadCase{"VK382", {0x00, 0x00, 0x12, 0x01, 0x01, 0x01, 0x00}, 0, 0, 12, 1, 0, 100, 0, true},
        ReadCase{
            "VK382", {0x00, 0x00, 0x63, 0x01, 0x01, 0x01, 0x00}, 0, 0, 23, 1, 0, 100, 0, true}));

TEST_F(CodecTest, EveryFamilyReadsBackTheDayOfWeekItWrote)
{
    // A rewrite of the time (a format change, Set keeping the chip's day)
    // must leave the day of week where it was.
    for (const char* part :
         {"VK310", "VK340", "VK350", "VK360", "VK370", "VK380", "VK381", "VK382", "VK390"}) {
        for (int wday = 0; wday < 7; ++wday) {
            RecordingAdapter::reset();
            select(part);
            std::tm t = kSample;
            t.tm_wday = wday;
            ASSERT_EQ(WriteRtcTime(bus, t, true), 0) << part;
            std::tm back{};
            bool is24 = false;
            ASSERT_EQ(ReadRtcTime(bus, back, is24), 0) << part;
            EXPECT_EQ(back.tm_wday, wday) << part;
        }
    }
}

TEST_F(CodecTest, FailedReadHandsBackAnAllZeroTime)
{
    for (const char* part : {"VK320", "VK360", "VK380"}) {
        RecordingAdapter::reset();
        select(part);
        RecordingAdapter::failCall(1, KVRX_ERR_NOT_OPEN);
        std::tm t = kSample;
        t.tm_yday = 5;
        bool is24 = true;
        EXPECT_EQ(ReadRtcTime(bus, t, is24), KVRX_ERR_NOT_OPEN);
        EXPECT_FALSE(is24);
        EXPECT_EQ(t.tm_sec | t.tm_min | t.tm_hour | t.tm_mday | t.tm_mon | t.tm_year | t.tm_wday |
                      t.tm_yday | t.tm_isdst,
                  0)
            << part;
    }
}

TEST_F(CodecTest, WrittenTimeReadsBackInBothForms)
{
    for (const char* part :
         {"VK310", "VK320", "VK350", "VK360", "VK370", "VK380", "VK381", "VK390"}) {
        for (bool form24 : {true, false}) {
            for (int hour : {0, 1, 11, 12, 13, 23}) {
                RecordingAdapter::reset();
                select(part);
                std::tm in = kSample;
                in.tm_hour = hour;
                ASSERT_EQ(WriteRtcTime(bus, in, form24), 0);
                std::tm out;
                bool is24;
                ASSERT_EQ(ReadRtcTime(bus, out, is24), 0);
                EXPECT_EQ(out.tm_hour, hour) << part << " " << form24;
                EXPECT_EQ(is24, form24) << part;
                EXPECT_EQ(out.tm_min, in.tm_min);
                EXPECT_EQ(out.tm_sec, in.tm_sec);
                EXPECT_EQ(out.tm_mday, in.tm_mday);
                EXPECT_EQ(out.tm_mon, in.tm_mon);
                EXPECT_EQ(out.tm_year, in.tm_year);
            }
        }
    }
}

} // namespace
