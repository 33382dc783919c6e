#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bus/RtcBus.h"
#include "kvrx_usb.h"
#include "support/RecordingAdapter.h"
#include "support/RecordingBusTest.h"

namespace {

class RtcBusTest : public RecordingBusTest {
  protected:
    RtcBusTest() : RecordingBusTest(2) {}

    int btnUnlock = 0; // stands for the Unlock button
    int otherButton = 0;
};

// ---- transfers ----

TEST_F(RtcBusTest, ReadFillsExactlyTheRunFromItsAddress)
{
    select("VK320");
    std::fill(std::begin(bus.data.Regs), std::end(bus.data.Regs), 0xEE);
    RecordingAdapter::setRegisters(0xDE, 0x08, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});

    ASSERT_EQ(bus.ReadRegisters(1, 0x0A, 2), 0);

    EXPECT_EQ(bus.data.Regs[0x0A], 0x03);
    EXPECT_EQ(bus.data.Regs[0x0B], 0x04);
    for (int a = 0; a < 256; ++a) {
        if (a != 0x0A && a != 0x0B) {
            EXPECT_EQ(bus.data.Regs[a], 0xEE) << "image byte " << a;
        }
    }
    const auto& calls = RecordingAdapter::calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, AdapterOp::Read);
    EXPECT_EQ(calls[0].board, 2u);
    EXPECT_EQ(calls[0].subLen, 1);
    EXPECT_EQ(calls[0].slave, 0xDE);
    EXPECT_EQ(calls[0].sub, 0x0Au);
    EXPECT_EQ(calls[0].count, 2u);
}

struct WriteCase {
    const char* part;
    uint8_t subLen;
    uint8_t address;
    uint32_t count;
    uint8_t slave;
};

class RegisterWriteTest : public RtcBusTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(RegisterWriteTest, SendsTheImageBytesOfTheRunToThePartsAddress)
{
    const WriteCase& c = GetParam();
    select(c.part);
    for (int a = 0; a < 256; ++a)
        bus.data.Regs[a] = static_cast<uint8_t>(a ^ 0x5A);

    ASSERT_EQ(bus.WriteRegisters(c.subLen, c.address, c.count), 0);

    const auto& calls = RecordingAdapter::calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, AdapterOp::Write);
    EXPECT_EQ(calls[0].board, 2u);
    EXPECT_EQ(calls[0].subLen, c.subLen);
    EXPECT_EQ(calls[0].slave, c.slave);
    EXPECT_EQ(calls[0].sub, c.address);
    const std::vector<uint8_t> expected(bus.data.Regs + c.address,
                                        bus.data.Regs + c.address + c.count);
    EXPECT_EQ(calls[0].data, expected);
}

INSTANTIATE_TEST_SUITE_P(Parts, RegisterWriteTest,
                         ::testing::Values(WriteCase{"VK320", 1, 0x0A, 2, 0xDE},
                                           WriteCase{"VK340", 1, 0x00, 9, 0xD0},
                                           WriteCase{"VK360", 2, 0x30, 8, 0xDE},
                                           WriteCase{"VK382", 1, 0xFF, 1, 0xD0}));

TEST_F(RtcBusTest, RunsPastTheImageAreRefusedWithoutTouchingBusOrImage)
{
    select("VK320");
    for (int a = 0; a < 256; ++a)
        bus.data.Regs[a] = static_cast<uint8_t>(a);
    struct Run {
        uint8_t address;
        uint32_t count;
    };
    for (const Run run : {Run{0xFF, 2}, Run{0xF8, 9}, Run{0x00, 257}, Run{0x80, 0xFFFFFFFF}}) {
        EXPECT_EQ(bus.ReadRegisters(1, run.address, run.count), KVRX_ERR_BAD_ARG);
        EXPECT_EQ(bus.WriteRegisters(1, run.address, run.count), KVRX_ERR_BAD_ARG);
    }
    EXPECT_TRUE(RecordingAdapter::calls().empty());
    for (int a = 0; a < 256; ++a)
        ASSERT_EQ(bus.data.Regs[a], a);
}

TEST_F(RtcBusTest, ReadFailureIsReturned)
{
    select("VK350");
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    EXPECT_EQ(bus.ReadRegisters(1, 0x07, 1), KVRX_ERR_ADDR_NACK);
}

TEST_F(RtcBusTest, PartRowOutsideTheTableSelectsNotSelected)
{
    bus.setPartRow(kPartCount - 1);
    EXPECT_EQ(bus.partRow(), kPartCount - 1);
    for (int row : {-1, kPartCount, 1000}) {
        bus.setPartRow(row);
        EXPECT_EQ(bus.partRow(), 0) << row;
        EXPECT_EQ(bus.part().TypeCode, TypeNone);
    }
}

// ---- result reporting ----

struct ReportCase {
    const char* what;
    bool clicked; // sender is the control
    int32_t code;
    bool box;
    bool status;
};

class ReportResultTest : public RtcBusTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportResultTest, RoutesFailuresByWhoStartedTheAction)
{
    const ReportCase& c = GetParam();
    const void* sender = c.clicked ? static_cast<const void*>(&btnUnlock) : &otherButton;
    bus.ReportResult(sender, &btnUnlock, c.code);

    const std::string text = RecordingAdapter::resultText(c.code);
    if (c.box) {
        ASSERT_EQ(sink.errorBoxes.size(), 1u);
        EXPECT_EQ(sink.errorBoxes[0], "Communication error Occured\r" + text);
    } else {
        EXPECT_TRUE(sink.errorBoxes.empty());
    }
    if (c.status) {
        ASSERT_EQ(sink.statusTexts.size(), 1u);
        EXPECT_EQ(sink.statusTexts[0], " " + text);
    } else {
        EXPECT_TRUE(sink.statusTexts.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ReportResultTest,
    ::testing::Values(ReportCase{"success_clicked", true, 0, false, false},
                      ReportCase{"success_step", false, 0, false, false},
                      ReportCase{"high_bit_only", true, 0x80, false, false},
                      ReportCase{"bit8_only", true, 0x100, false, false},
                      ReportCase{"nack_clicked", true, KVRX_ERR_ADDR_NACK, true, false},
                      ReportCase{"nack_step", false, KVRX_ERR_ADDR_NACK, false, true},
                      ReportCase{"low_bits_with_high", true, 0x181, true, false},
                      ReportCase{"negative", false, -1, false, true}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(RtcBusTest, FailureWithoutSenderGoesToTheStatusBar)
{
    bus.ReportResult(nullptr, nullptr, KVRX_ERR_NOT_OPEN);
    EXPECT_TRUE(sink.errorBoxes.empty());
    EXPECT_EQ(sink.statusTexts, std::vector<std::string>{" " + RecordingAdapter::resultText(3)});
}

// Confirmations: a clicked control's success says what was done, once; a
// step's success, a failure and a control without a text say nothing of it.
TEST_F(RtcBusTest, SuccessOfAClickedControlConfirms)
{
    bus.setConfirmations([this](const void* control) {
        return control == &btnUnlock ? std::string(" Unlocked") : std::string();
    });
    bus.ReportResult(&btnUnlock, &btnUnlock, 0);
    bus.ReportResult(&btnUnlock, &btnUnlock, 0x80); // a note succeeds
    EXPECT_EQ(sink.statusTexts, (std::vector<std::string>{" Unlocked", " Unlocked"}));
    sink.statusTexts.clear();

    bus.ReportResult(&otherButton, &btnUnlock, 0); // a step of another action
    bus.ReportResult(nullptr, nullptr, 0);         // start-up, timers
    bus.ReportResult(&otherButton, &otherButton, 0); // no text for it
    EXPECT_TRUE(sink.statusTexts.empty());

    bus.ReportResult(&btnUnlock, &btnUnlock, KVRX_ERR_ADDR_NACK);
    EXPECT_TRUE(sink.statusTexts.empty());
    EXPECT_EQ(sink.errorBoxes.size(), 1u);
}

// ---- write enable of TypeE parts ----

class UnlockPartTest : public RtcBusTest {
  protected:
    void SetUp() override
    {
        RtcBusTest::SetUp();
        select("VK360");
    }

    static std::vector<AdapterCall> writes()
    {
        std::vector<AdapterCall> w;
        for (const AdapterCall& c : RecordingAdapter::calls())
            if (c.op == AdapterOp::Write) w.push_back(c);
        return w;
    }

    static void expectEnableWrites()
    {
        const auto w = writes();
        ASSERT_EQ(w.size(), 2u);
        for (const AdapterCall& c : w) {
            EXPECT_EQ(c.subLen, 2);
            EXPECT_EQ(c.slave, 0xDE);
            EXPECT_EQ(c.sub, 0x3Fu);
            EXPECT_EQ(c.board, 2u);
        }
        EXPECT_EQ(w[0].data, std::vector<uint8_t>{0x02});
        EXPECT_EQ(w[1].data, std::vector<uint8_t>{0x06});
    }
};

TEST_F(UnlockPartTest, AnsweringPartTakesOnePollThenBothEnableWrites)
{
    RecordingAdapter::setRegisters(0xDE, 0x3F, {0x91});

    const RtcBus::UnlockResult done = bus.UnlockPart(&btnUnlock, &btnUnlock);

    const auto& calls = RecordingAdapter::calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].op, AdapterOp::Read);
    EXPECT_EQ(calls[0].subLen, 2);
    EXPECT_EQ(calls[0].sub, 0x3Fu);
    EXPECT_EQ(calls[0].count, 1u);
    EXPECT_EQ(bus.data.Regs[0x3F], 0x91);
    expectEnableWrites();
    EXPECT_EQ(done.Tries, 1);
    EXPECT_EQ(done.Code, 0);
    EXPECT_TRUE(sink.errorBoxes.empty());
    EXPECT_TRUE(sink.statusTexts.empty());
}

TEST_F(UnlockPartTest, PollStopsAtTheFirstAnswer)
{
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    RecordingAdapter::failCall(2, KVRX_ERR_ADDR_NACK);

    const RtcBus::UnlockResult done = bus.UnlockPart(&btnUnlock, &btnUnlock);

    EXPECT_EQ(done.Tries, 3);
    EXPECT_EQ(done.Code, 0);
    expectEnableWrites();
}

TEST_F(UnlockPartTest, SilentPartIsPolledThirtyTimesAndTheFailureReported)
{
    RecordingAdapter::failSlave(0xDE, KVRX_ERR_ADDR_NACK);

    const RtcBus::UnlockResult done = bus.UnlockPart(&btnUnlock, &btnUnlock);

    // Thirty polls, then WEL, which fails too: RWEL is not tried.
    const auto& calls = RecordingAdapter::calls();
    ASSERT_EQ(calls.size(), 31u);
    for (size_t i = 0; i < 30; ++i)
        EXPECT_EQ(calls[i].op, AdapterOp::Read) << i;
    EXPECT_EQ(calls[30].op, AdapterOp::Write);
    EXPECT_EQ(calls[30].data, std::vector<uint8_t>{0x02});
    EXPECT_EQ(done.Tries, 30);
    EXPECT_EQ(done.Code, KVRX_ERR_ADDR_NACK);
    EXPECT_EQ(sink.errorBoxes,
              std::vector<std::string>{"Communication error Occured\r" +
                                       RecordingAdapter::resultText(KVRX_ERR_ADDR_NACK)});
}

TEST_F(UnlockPartTest, SecondWriteFailureOpensBoxOnlyWhenUnlockWasClicked)
{
    RecordingAdapter::failCall(3, KVRX_ERR_DATA_NACK);
    EXPECT_EQ(bus.UnlockPart(&btnUnlock, &btnUnlock).Code, KVRX_ERR_DATA_NACK);
    EXPECT_EQ(sink.errorBoxes.size(), 1u);
    EXPECT_TRUE(sink.statusTexts.empty());

    RecordingAdapter::reset();
    sink = RecordingResultSink{};
    RecordingAdapter::failCall(3, KVRX_ERR_DATA_NACK);
    EXPECT_EQ(bus.UnlockPart(&otherButton, &btnUnlock).Code, KVRX_ERR_DATA_NACK);
    EXPECT_TRUE(sink.errorBoxes.empty());
    EXPECT_EQ(sink.statusTexts,
              std::vector<std::string>{" " + RecordingAdapter::resultText(KVRX_ERR_DATA_NACK)});
}

// Without WEL the part refuses RWEL and then acknowledges and drops the
// write the step was for: a failed WEL ends the step, and it is the step's
// result, reported as the second write's failure is.
TEST_F(UnlockPartTest, FirstWriteFailureEndsTheStepAndIsReported)
{
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);

    EXPECT_EQ(bus.UnlockPart(&btnUnlock, &btnUnlock).Code, KVRX_ERR_DATA_NACK);

    const auto w = writes();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].data, std::vector<uint8_t>{0x02});
    EXPECT_EQ(sink.errorBoxes,
              std::vector<std::string>{"Communication error Occured\r" +
                                       RecordingAdapter::resultText(KVRX_ERR_DATA_NACK)});

    RecordingAdapter::reset();
    sink = RecordingResultSink{};
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    bus.UnlockPart(&otherButton, &btnUnlock);
    EXPECT_TRUE(sink.errorBoxes.empty());
    EXPECT_EQ(sink.statusTexts,
              std::vector<std::string>{" " + RecordingAdapter::resultText(KVRX_ERR_DATA_NACK)});
}

TEST_F(RtcBusTest, UnlockDoesNothingForOtherFamilies)
{
    for (const char* name : {"Not Selected", "VK310", "VK320", "VK340", "VK350", "VK370", "VK380",
                             "VK381", "VK382", "VK390"}) {
        bus.setPartRow(FindPartRow(name));
        const RtcBus::UnlockResult done = bus.UnlockPart(&btnUnlock, &btnUnlock);
        EXPECT_EQ(done.Tries, 0) << name;
        EXPECT_EQ(done.Code, 0) << name;
        EXPECT_TRUE(RecordingAdapter::calls().empty()) << name;
    }
}

} // namespace
