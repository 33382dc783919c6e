// A window benchmark's set-up: the window in script mode (an error box is
// recorded, never waited on) on the simulated board's manual clock, a VK320
// in the socket, supply on, chip time set, the PC clock pinned.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>
#include <memory>

#include "BenchApp.h"
#include "PartTable.h"
#include "app/AppOptions.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "clock/PcClock.h"
#include "clock/TimeCodec.h"

struct BenchWindow {
    BenchWindow() : clock(QDateTime(QDate(2024, 6, 12), QTime(14, 30, 1)))
    {
        // The simulated chip's time stands still unless told to move.
        if (qEnvironmentVariableIsEmpty("KVRX_SIM_CLOCK")) qputenv("KVRX_SIM_CLOCK", "manual");
        benchApp();
        AppOptions options;
        options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
        window = std::make_unique<TMainApp>(options, true);
        window->pollTimer()->stop();
        window->setPcClock(&clock);
        const AdapterApi& api = window->bus().api();
        ok = api.SimSetPart(1, "VK320") == 0 && window->bus().BoardNo == 1;
        window->setupPage()->DeviceSel->setCurrentIndex(FindPartRow("VK320"));
        window->DeviceSelChange();
        window->setupPage()->VccChecked->setChecked(true);
        std::tm t{};
        t.tm_year = 124;
        t.tm_mon = 5;
        t.tm_mday = 12;
        t.tm_hour = 14;
        t.tm_min = 30;
        t.tm_sec = 1;
        ok = ok && WriteRtcTime(window->bus(), t, true) == 0;
    }
    ~BenchWindow() { window->setPcClock(nullptr); }

    QTemporaryDir dir;
    PinnedPcClock clock;
    std::unique_ptr<TMainApp> window;
    bool ok = false;
};
