// The bench itself: benches alive together hold boards of their own, and
// each new set starts on fresh boards, however many sets a program runs.
#include "ChipBench.h"

namespace chiptest {
namespace {

TEST(ChipBench, EachNewSetOfBenchesStartsOnFreshBoardsAndChips)
{
    for (int round = 0; round < 20; ++round) { // more rounds than boards
        ChipBench first("VK320"), second("VK320");
        EXPECT_EQ(first.board(), 1u) << "round " << round;
        EXPECT_EQ(second.board(), 2u) << "round " << round;
        uint32_t seconds = 99;
        ASSERT_EQ(KVRX_OK, KVRX_RdRunTime(first.board(), &seconds));
        EXPECT_EQ(seconds, 0u) << "round " << round << ": a new clock";
        EXPECT_NE(first.peek(0x01), 0x42) << "round " << round << ": a new chip";
        ASSERT_TRUE(first.chip().poke(first.rtc(), 0x01, 0x42));
        first.run(100.0);
    }
}

} // namespace
} // namespace chiptest
