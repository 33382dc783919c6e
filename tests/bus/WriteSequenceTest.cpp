// The one result vocabulary of the pages: success, the first failure, and the
// write sequence (read the kept bits, encode, write enable, write, report once).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bus/RtcBus.h"
#include "bus/WriteSequence.h"
#include "kvrx_usb.h"
#include "support/RecordingAdapter.h"
#include "support/RecordingBusTest.h"

namespace {

// ---- success and the first failure ----

TEST(Result, ANoteSucceedsAndTheFirstFailureIsKept)
{
    // The low seven bits carry the failure; 0x80 and up alone are notes.
    for (int32_t code : {0, 0x80, 0x100, 0x7F00})
        EXPECT_TRUE(Succeeded(code)) << code;
    for (int32_t code : {int32_t{KVRX_ERR_ADDR_NACK}, 0x7F, 0x181, -1})
        EXPECT_FALSE(Succeeded(code)) << code;

    FirstFailure first;
    EXPECT_TRUE(first.keep(0));
    EXPECT_TRUE(first.keep(0x80));
    EXPECT_TRUE(first.ok());
    EXPECT_EQ(first.code(), 0);
    EXPECT_FALSE(first.keep(KVRX_ERR_ADDR_NACK));
    EXPECT_FALSE(first.keep(KVRX_ERR_DATA_NACK));
    EXPECT_TRUE(first.keep(0));
    EXPECT_FALSE(first.ok());
    EXPECT_EQ(first.code(), KVRX_ERR_ADDR_NACK);
}

// ---- the write sequence ----

class WriteSequenceTest : public RecordingBusTest {
  protected:
    int button = 0; // the clicked button: sender and control alike
    int unlockButton = 0;
    int unlockSteps = 0;

    // The bus's write-enable step, as the window runs it for a page.
    WriteSequence::Unlock unlocker()
    {
        return [this](const void* sender) {
            ++unlockSteps;
            EXPECT_EQ(sender, &button);
            return bus.UnlockPart(sender, &unlockButton).Code;
        };
    }

    // A read-modify-write of one register: bits 3..0 kept, bits 7..4 set to 0xA.
    WriteSequence& readModifyWrite(WriteSequence& sequence, uint8_t address)
    {
        return sequence.read(address, 1)
            .encode([this, address] {
                uint8_t& byte = bus.data.Regs[address];
                byte = static_cast<uint8_t>((byte & 0x0F) | 0xA0);
            })
            .write(address, 1);
    }

    static std::string trace()
    {
        std::string text;
        for (const AdapterCall& c : RecordingAdapter::transfers()) {
            text += c.op == AdapterOp::Read ? "R" : "W";
            text += std::to_string(c.sub);
            for (uint8_t byte : c.data)
                if (c.op == AdapterOp::Write) text += "=" + std::to_string(byte);
            text += " ";
        }
        return text;
    }
};

TEST_F(WriteSequenceTest, KeepsTheBitsItReadAndUnlocksOnlyTheFamilyThatNeedsIt)
{
    const struct {
        const char* part;
        bool withUnlocker;
        const char* transfers;
        uint8_t subLen;
    } cases[] = {
        // 0x35 read, 0xA5 written (165); the step polls 0x3F, then WEL and RWEL.
        {"VK360", true, "R19 R63 W63=2 W63=6 W19=165 ", 2},
        {"VK360", false, "R19 W19=165 ", 2},
        {"VK320", true, "R19 W19=165 ", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.part) + (c.withUnlocker ? " with" : " without"));
        RecordingAdapter::reset();
        unlockSteps = 0;
        select(c.part);
        RecordingAdapter::setRegisters(bus.part().RtcAddress, 0x13, {0x35});

        WriteSequence sequence(bus, &button, &button,
                               c.withUnlocker ? unlocker() : WriteSequence::Unlock{});
        readModifyWrite(sequence, 0x13);

        EXPECT_EQ(trace(), c.transfers);
        for (const AdapterCall& t : RecordingAdapter::transfers())
            EXPECT_EQ(t.subLen, c.subLen);
        EXPECT_EQ(unlockSteps, std::string(c.part) == "VK360" && c.withUnlocker ? 1 : 0);
        EXPECT_TRUE(sequence.ok());
        EXPECT_EQ(sequence.report(), 0);
        EXPECT_TRUE(sink.errorBoxes.empty());
        EXPECT_TRUE(sink.statusTexts.empty());
    }
}

TEST_F(WriteSequenceTest, TheFirstFailureStopsTheRestAndIsReportedOnce)
{
    select("VK320");
    const struct {
        size_t failing; // call number; 0: none fails
        int32_t code;
        const char* transfers;
        bool encoded;
    } cases[] = {
        {0, 0, "R10 W10=160 W11=7 ", true},
        // A note is no failure: everything goes, nothing is shown.
        {1, 0x80, "R10 W10=160 W11=7 ", true},
        // A failed read writes nothing built on it.
        {1, KVRX_ERR_ADDR_NACK, "R10 ", false},
        {2, KVRX_ERR_DATA_NACK, "R10 W10=160 ", true},
        {3, KVRX_ERR_DATA_NACK, "R10 W10=160 W11=7 ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("call " + std::to_string(c.failing));
        RecordingAdapter::reset();
        sink = RecordingResultSink{};
        if (c.failing > 0) RecordingAdapter::failCall(c.failing, c.code);
        bool encoded = false;
        const uint8_t seven = 7;

        WriteSequence sequence(bus, &button, &button);
        sequence.read(0x0A, 1)
            .encode([&] {
                encoded = true;
                bus.data.Regs[0x0A] = 0xA0;
            })
            .write(0x0A, 1)
            .step([&] { return bus.api().Write(bus.BoardNo, 1, 0xDE, 0x0B, &seven, 1); });
        const int32_t reported = sequence.report();

        EXPECT_EQ(trace(), c.transfers);
        EXPECT_EQ(encoded, c.encoded);
        const bool failed = c.failing > 0 && !Succeeded(c.code);
        EXPECT_EQ(sequence.ok(), !failed);
        EXPECT_EQ(reported, failed ? c.code : 0);
        const std::vector<std::string> boxes =
            failed ? std::vector<std::string>{"Communication error Occured\r" +
                                              RecordingAdapter::resultText(c.code)}
                   : std::vector<std::string>{};
        EXPECT_EQ(sink.errorBoxes, boxes);
        EXPECT_TRUE(sink.statusTexts.empty());
    }
}

// A TypeE part whose write-enable step fails (WEL, or RWEL) would acknowledge
// the write and drop it: the write does not go, and the step's failure is the
// action's, in its box; the step itself, not clicked, says so in the status bar.
TEST_F(WriteSequenceTest, AFailedWriteEnableStepStopsTheWriteAndIsReported)
{
    select("VK360");
    // Calls: 1 the read of 0x13, 2 the acknowledge poll, 3 WEL, 4 RWEL.
    const struct {
        size_t failing;
        const char* transfers;
    } cases[] = {
        {3, "R19 R63 W63=2 "},
        {4, "R19 R63 W63=2 W63=6 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("call " + std::to_string(c.failing));
        RecordingAdapter::reset();
        sink = RecordingResultSink{};
        RecordingAdapter::failCall(c.failing, KVRX_ERR_DATA_NACK);

        WriteSequence sequence(bus, &button, &button, unlocker());
        readModifyWrite(sequence, 0x13);
        sequence.report();

        EXPECT_EQ(trace(), c.transfers);
        EXPECT_FALSE(sequence.ok());
        EXPECT_EQ(sequence.code(), KVRX_ERR_DATA_NACK);
        const std::string text = RecordingAdapter::resultText(KVRX_ERR_DATA_NACK);
        EXPECT_EQ(sink.errorBoxes,
                  std::vector<std::string>{"Communication error Occured\r" + text});
        EXPECT_EQ(sink.statusTexts, std::vector<std::string>{" " + text});
    }
}

TEST_F(WriteSequenceTest, CarryOnRunsTheNextStepsAndTheFirstFailureStaysTheReportedOne)
{
    select("VK320");
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    RecordingAdapter::failCall(3, KVRX_ERR_DATA_NACK);

    WriteSequence sequence(bus, &button, &button);
    readModifyWrite(sequence, 0x08); // the read fails: nothing of it is written
    sequence.carryOn();
    readModifyWrite(sequence, 0x09); // its write fails
    sequence.carryOn().write(0x0A, 1);
    sequence.report();

    EXPECT_EQ(trace(), "R8 R9 W9=160 W10=0 ");
    EXPECT_EQ(sequence.code(), KVRX_ERR_ADDR_NACK);
    EXPECT_EQ(sink.errorBoxes,
              std::vector<std::string>{"Communication error Occured\r" +
                                       RecordingAdapter::resultText(KVRX_ERR_ADDR_NACK)});
}

TEST_F(WriteSequenceTest, AStepOfAnotherActionReportsInTheStatusBar)
{
    select("VK320");
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    int otherControl = 0;
    WriteSequence(bus, nullptr, &otherControl).read(0x0A, 1).write(0x0A, 1).report();
    EXPECT_TRUE(sink.errorBoxes.empty());
    EXPECT_EQ(sink.statusTexts,
              std::vector<std::string>{" " + RecordingAdapter::resultText(KVRX_ERR_ADDR_NACK)});
}

} // namespace
