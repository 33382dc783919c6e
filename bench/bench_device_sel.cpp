// The part choice on the full window, over all parts in turn.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "BenchApp.h"
#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>

#include "PartTable.h"
#include "app/AppOptions.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"

namespace {

QApplication& app()
{
    return benchApp();
}

void BM_DeviceSelChangeAllParts(benchmark::State& state)
{
    app();
    QTemporaryDir dir;
    AppOptions options;
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    TMainApp window(options, true);
    window.pollTimer()->stop();
    window.bus().BoardNo = 0; // the window alone, without the simulated socket
    QComboBox* list = window.setupPage()->DeviceSel;
    for (auto _ : state) {
        for (int row = 0; row < kPartCount; ++row) {
            list->setCurrentIndex(row);
            window.DeviceSelChange();
        }
    }
    state.SetItemsProcessed(state.iterations() * kPartCount);
}
BENCHMARK(BM_DeviceSelChangeAllParts)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
