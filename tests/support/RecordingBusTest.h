// A bus over the recording adapter, for tests of what the transfers send:
// the record is emptied before each test and a part is chosen by name.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "PartTable.h"
#include "bus/RtcBus.h"
#include "support/RecordingAdapter.h"

class RecordingBusTest : public ::testing::Test {
  protected:
    explicit RecordingBusTest(uint32_t board = 1) : board_(board) {}

    void SetUp() override
    {
        RecordingAdapter::reset();
        bus.BoardNo = board_;
    }

    // "Not Selected" is a choice too; any other name must be a part.
    void select(const char* name)
    {
        const int row = FindPartRow(name);
        ASSERT_TRUE(row != 0 || std::string(name) == "Not Selected") << name;
        bus.setPartRow(row);
    }

    RecordingResultSink sink;
    RtcBus bus{RecordingAdapter::api(), sink};

  private:
    uint32_t board_;
};
