// Write All of the 512-byte EEPROM of a VK360 on the simulated board with
// real bus timing at 400 kHz, against the memory's physical limit: 32 write
// cycles of 5 ms plus the wire time of 32 line transfers. The "ratio" counter
// is the measured time over that limit. Every line goes after its own
// write-enable step (an acknowledge poll of the status register, then WEL and
// WEL|RWEL), three transfers the chip cannot take during a write cycle;
// "ratio_to_sequence" adds them to the limit at the best round trip this
// bridge gives for each.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "BenchApp.h"
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "PartTable.h"
#include "app/AppOptions.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "bus/RtcBus.h"
#include "pages/memory/MemoryPage.h"

namespace {

constexpr int kLines = 32;
constexpr double kWriteCycle = 0.005;
constexpr double kKhz = 400.0;
constexpr int kLineBytes = 16;

QApplication& app()
{
    return benchApp();
}

// The physical limit; addressBytes counts the slave and memory address bytes
// that go with each line (0: the data alone).
double limitSeconds(int addressBytes)
{
    const double wire = (kLineBytes + addressBytes) * 9.0 / (kKhz * 1000.0);
    return kLines * (kWriteCycle + wire);
}

// The best of several round trips of a transfer: what it costs on this
// bridge without the machine's other work.
template <class Transfer> double bestRoundTrip(Transfer transfer)
{
    double best = 1.0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (transfer() != 0) return 0.0;
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    }
    return best;
}

void BM_WriteAllEeprom512(benchmark::State& state)
{
    app();
    QTemporaryDir dir;
    AppOptions options;
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    TMainApp window(options, true);
    window.pollTimer()->stop();
    RtcBus& bus = window.bus();
    if (bus.BoardNo == 0) {
        state.SkipWithError("no simulated board");
        return;
    }
    const AdapterApi& api = bus.api();
    api.SimSetPart(bus.BoardNo, "VK360");
    api.VccOn(bus.BoardNo);
    api.ClockRate(bus.BoardNo, 400);
    QComboBox* list = window.setupPage()->DeviceSel;
    list->setCurrentIndex(FindPartRow("VK360"));
    window.DeviceSelChange();
    auto* page = window.findChild<MemoryPage*>();
    if (!page) {
        state.SkipWithError("no memory page");
        return;
    }

    // The write-enable step's transfers to the status register at 0x3F.
    const uint32_t board = bus.BoardNo;
    const double pollTrip = bestRoundTrip([&] {
        uint8_t status = 0;
        return api.Read(board, 2, 0xDE, 0x3F, &status, 1);
    });
    const double latchTrip = bestRoundTrip([&] {
        const uint8_t wel = 0x02;
        return api.Write(board, 2, 0xDE, 0x3F, &wel, 1);
    });
    if (pollTrip <= 0.0 || latchTrip <= 0.0) {
        state.SkipWithError("the status register does not answer");
        return;
    }

    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        page->BtnWrEepromClick();
        const double seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
        total += seconds;
    }
    // Every byte holds its address (Data = Adr), or the run does not count.
    for (uint32_t a = 0; a < kLines * kLineBytes; a += 37) {
        uint8_t value = 0;
        if (api.SimPeek(bus.BoardNo, 0xAE, a, &value) != 0 || value != (a & 0xFF)) {
            state.SkipWithError("Write All did not store the pattern");
            return;
        }
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["ms"] = mean * 1e3;
    state.counters["ratio"] = mean / limitSeconds(0);
    state.counters["ratio_with_address"] = mean / limitSeconds(3);
    state.counters["ratio_to_sequence"] =
        mean / (limitSeconds(0) + kLines * (pollTrip + 2 * latchTrip));
}
BENCHMARK(BM_WriteAllEeprom512)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    // Real bus timing and a socket that holds the part.
    setenv("KVRX_SIM_CLOCK", "real", 1);
    setenv("KVRX_SIM_PART", "VK360", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
