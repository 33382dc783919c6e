// The simulated board's settings in the environment (KVRX_SIM_*), read by the
// adapter library through its C ABI: the input sets or clears each variable,
// the library restarts and lists its boards.
//
// - The answer is KVRX_OK or KVRX_ERR_BAD_SETTING, never anything else (and
//   never a crash); the same environment gives the same answer.
// - The settings are refused exactly when one of the variables alone is.
// - Refused settings refuse every later call as well; accepted ones give at
//   most 16 boards, each of which opens.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "kvrx_usb.h"

namespace {

constexpr const char* kNames[] = {"KVRX_SIM_BOARDS", "KVRX_SIM_PART",   "KVRX_SIM_CLOCK",
                                  "KVRX_SIM_SENSOR", "KVRX_SIM_FAULTS", "KVRX_SIM_SEED"};
constexpr size_t kCount = sizeof kNames / sizeof kNames[0];

// Values that a user may well write, good and bad, for the fuzzer to start
// from and mix with its own.
constexpr const char* kSamples[] = {"1",
                                    "16",
                                    "17",
                                    "0",
                                    "real",
                                    "manual",
                                    "75",
                                    "76",
                                    "0.05",
                                    "1e-3",
                                    "+0.5",
                                    "-0",
                                    "0,05",
                                    "VK320",
                                    "VK360",
                                    "nan",
                                    "inf",
                                    " 1",
                                    "1 ",
                                    "0x10",
                                    "18446744073709551615",
                                    "18446744073709551616",
                                    "Not Selected",
                                    ""};

using Values = std::array<std::optional<std::string>, kCount>;

struct Answer {
    int32_t code = 0;
    uint32_t boards = 0;
};

Answer restartWith(const Values& values)
{
    for (size_t i = 0; i < kCount; ++i) {
        if (values[i])
            setenv(kNames[i], values[i]->c_str(), 1);
        else
            unsetenv(kNames[i]);
    }
    KVRX_TestRestart();
    Answer answer;
    answer.code = KVRX_GetNumDevices(&answer.boards);
    const char* text = KVRX_ResultStr(answer.code);
    FUZZ_CHECK(text != nullptr && *text != '\0');
    FUZZ_CHECK(answer.code == KVRX_OK || answer.code == KVRX_ERR_BAD_SETTING);
    return answer;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("KVRX_BACKEND", "sim", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    Values values;
    for (auto& value : values) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            break; // not set
        case 1:
            value = kSamples[in.ConsumeIntegralInRange<size_t>(0, std::size(kSamples) - 1)];
            break;
        default: {
            // An environment value ends at its first NUL.
            const std::string raw = in.ConsumeRandomLengthString(64);
            value = std::string(raw.c_str());
        }
        }
    }

    const Answer answer = restartWith(values);
    const Answer again = restartWith(values);
    FUZZ_CHECK(again.code == answer.code);
    if (answer.code == KVRX_OK) FUZZ_CHECK(again.boards == answer.boards);

    bool oneRefused = false;
    for (size_t i = 0; i < kCount; ++i) {
        if (!values[i]) continue;
        Values alone;
        alone[i] = values[i];
        oneRefused = oneRefused || restartWith(alone).code == KVRX_ERR_BAD_SETTING;
    }
    FUZZ_CHECK((answer.code == KVRX_ERR_BAD_SETTING) == oneRefused);

    restartWith(values);
    if (answer.code == KVRX_ERR_BAD_SETTING) {
        FUZZ_CHECK(KVRX_Init(1, 100) == KVRX_ERR_BAD_SETTING);
        FUZZ_CHECK(KVRX_SimAdvance(1.0) == KVRX_ERR_BAD_SETTING);
        uint8_t byte = 0;
        FUZZ_CHECK(i2cRead(1, 1, 0xD0, 0, &byte, 1) == KVRX_ERR_BAD_SETTING);
        return 0;
    }
    FUZZ_CHECK(answer.boards <= 16);
    for (uint32_t board = 1; board <= answer.boards; ++board) {
        FUZZ_CHECK(KVRX_Init(board, 100) == KVRX_OK);
        FUZZ_CHECK(KVRX_VccOn(board) == KVRX_OK);
        uint8_t bytes[8] = {};
        const int32_t read = i2cRead(board, 1, 0xD0, 0, bytes, sizeof bytes);
        FUZZ_CHECK(KVRX_ResultStr(read) != nullptr);
    }
    const int32_t advanced = KVRX_SimAdvance(1.0);
    FUZZ_CHECK(advanced == KVRX_OK || advanced == KVRX_ERR_BAD_MODE);
    return 0;
}
