// The C entry points called from several threads at once: each call has the
// board to itself, so a transfer never sees another one half done.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "kvrx_usb.h"

namespace {

constexpr uint8_t kMem = 0xAE;
constexpr int kRounds = 100000;

TEST(BoardThreads, ALineWrittenWholeIsReadWholeWhileOthersWriteIt)
{
    setenv("KVRX_SIM_BOARDS", "2", 1);
    for (uint32_t board : {1u, 2u}) {
        ASSERT_EQ(KVRX_Init(board, 400), KVRX_OK);
        ASSERT_EQ(KVRX_SimSetPart(board, "VK350"), KVRX_OK); // 128 bytes of SRAM
        ASSERT_EQ(KVRX_VccOn(board), KVRX_OK);
    }

    // On each board two threads write one line, every byte the same value,
    // and two threads read it; meanwhile the clock moves and the other
    // operations run.
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0}, failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &torn, &failed] {
            const uint32_t board = 1 + t % 2;
            const bool writer = t < 4;
            std::array<uint8_t, 16> line{};
            for (int i = 0; i < kRounds; ++i) {
                if (writer) {
                    line.fill(static_cast<uint8_t>(i * 4 + t));
                    if (i2cWrite(board, 1, kMem, 0x40, line.data(), 16) != KVRX_OK) ++failed;
                } else if (i2cRead(board, 1, kMem, 0x40, line.data(), 16) != KVRX_OK) {
                    ++failed;
                } else if (std::count(line.begin(), line.end(), line[0]) != 16) {
                    ++torn;
                }
            }
        });
    }
    std::thread others([&stop] {
        uint8_t pins = 0, sensor[2];
        uint32_t seconds = 0, count = 0;
        while (!stop) {
            KVRX_SimAdvance(0.25);
            KVRX_PortOut(1, 0xFE);
            KVRX_PortIn(2, &pins);
            KVRX_RdRunTime(1, &seconds);
            KVRX_GetNumDevices(&count);
            KVRX_SimSetTemperature(2, 30.0);
            i2cRead(2, 1, 0x90, 0, sensor, 2);
        }
    });
    for (std::thread& t : threads)
        t.join();
    stop = true;
    others.join();
    EXPECT_EQ(torn.load(), 0) << "reads that met a write half done";
    EXPECT_EQ(failed.load(), 0) << "transfers that failed";
}

} // namespace
