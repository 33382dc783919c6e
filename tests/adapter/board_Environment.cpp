// The board tests run on the manual clock unless a test asks for the real one
// (before its first call: the board reads its environment once per process).
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class ManualClock : public testing::Environment {
  public:
    void SetUp() override { setenv("KVRX_SIM_CLOCK", "manual", 0); }
};

const testing::Environment* const kManualClock = testing::AddGlobalTestEnvironment(new ManualClock);

} // namespace
