// Setting the PC clock: what the system answered, and the status text that
// says so. Qt-free, so the refusals can be checked without a system bus.
#pragma once

#include <string>
#include <string_view>

enum class PcClockOutcome {
    Set,               // the clock was set
    NotAuthorised,     // polkit (or the bus) refused, or the user cancelled
    AutomaticTimeSync, // timedated will not override network time synchronisation
    NoSystemBus,       // no D-Bus system bus to reach timedated on
    NoTimeService,     // the bus has no systemd-timedated
    Failed,            // anything else; Detail says what
};

struct PcClockSetResult {
    PcClockOutcome Outcome = PcClockOutcome::Failed;
    std::string Detail; // the system's own words, for Failed
};

// D-Bus error names of timedated's SetTime, as an outcome; an empty name is
// success.
PcClockOutcome PcClockOutcomeOfDBusError(std::string_view errorName);

// The errno of a failed clock_settime, as an outcome (EPERM: not authorised).
PcClockSetResult PcClockResultOfErrno(int error);

// Status bar panel 3 after setting the PC clock to `time`
// ("YYYY-MM-DD HH:MM:SS"): that it was set, or why it was not.
std::string PcClockSetText(const PcClockSetResult& result, std::string_view time);
