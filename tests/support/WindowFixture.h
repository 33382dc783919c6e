// The one fixture of the window tests: a TMainApp on a settings file of its
// own, in script mode so that error boxes are recorded instead of waiting for
// a click, optionally on a given adapter table from start-up on and with a
// pinned PC clock. A watchdog closes any modal dialog or menu that stays open
// for a few seconds and fails the test, so no test can hang. Each test starts
// on a restarted adapter library (a new simulated board on the manual clock)
// and an empty recording adapter, as in a process of its own.
#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

#include "app/TMainApp.h"
#include "clock/PcClock.h"
#include "support/AppTestSupport.h"

class QObject;
struct AdapterApi;

// What a window is built with; each setter returns the options, so they chain:
// WindowOptions().wide().adapter(&RecordingAdapter::api()).
struct WindowOptions {
    bool Wide = false;                   // the "-r" switch: wide bus list, port page
    const AdapterApi* Adapter = nullptr; // the adapter from start-up on; null: the library
    std::optional<QDateTime> PcTime;     // pins the window's PC clock at this local time
    bool PollTimer = true;               // false: stopped after start-up, the test ticks
    bool ScriptMode = true;              // see userWindow()
    const ScratchStore* Store = nullptr; // settings file; null: the fixture's own

    WindowOptions& wide(bool on = true)
    {
        Wide = on;
        return *this;
    }
    WindowOptions& adapter(const AdapterApi* api)
    {
        Adapter = api;
        return *this;
    }
    WindowOptions& pcTime(const QDateTime& at)
    {
        PcTime = at;
        return *this;
    }
    WindowOptions& stopTimer()
    {
        PollTimer = false;
        return *this;
    }
    // Not script mode: only for tests of what a user's window does beyond it
    // (the real error box, system plug notifications); the watchdog guards them.
    WindowOptions& userWindow()
    {
        ScriptMode = false;
        return *this;
    }
    WindowOptions& store(const ScratchStore& settings)
    {
        Store = &settings;
        return *this;
    }
};

class WindowFixture : public ::testing::Test {
  protected:
    // How long a modal dialog or menu may stay open before the watchdog closes
    // it and fails the test.
    static constexpr int kModalLimitMs = 3000;

    void SetUp() override;
    void TearDown() override;

    // A new window the caller owns (for tests that need two at once).
    std::unique_ptr<TMainApp> makeWindow(const WindowOptions& options = {});
    // The fixture's window, replacing any earlier one.
    TMainApp& open(const WindowOptions& options = {});
    // The fixture's window; open() first.
    TMainApp& window() { return *window_; }

    ScratchStore store;
    // The PC clock of windows opened with a pcTime.
    PinnedPcClock clock{QDateTime(QDate(2024, 1, 1), QTime(0, 0))};
    std::unique_ptr<TMainApp> window_;

  private:
    std::unique_ptr<QObject> watchdog_;
};
