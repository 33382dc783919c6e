#include "clock/PcClockLogic.h"

#include <cerrno>
#include <cstring>

PcClockOutcome PcClockOutcomeOfDBusError(std::string_view errorName)
{
    struct Row {
        const char* Name;
        PcClockOutcome Outcome;
    };
    static constexpr Row kRows[] = {
        {"org.freedesktop.timedate1.AutomaticTimeSyncEnabled", PcClockOutcome::AutomaticTimeSync},
        {"org.freedesktop.DBus.Error.AccessDenied", PcClockOutcome::NotAuthorised},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
         PcClockOutcome::NotAuthorised},
        {"org.freedesktop.PolicyKit1.Error.NotAuthorized", PcClockOutcome::NotAuthorised},
        {"org.freedesktop.PolicyKit1.Error.Cancelled", PcClockOutcome::NotAuthorised},
        {"org.freedesktop.DBus.Error.ServiceUnknown", PcClockOutcome::NoTimeService},
        {"org.freedesktop.DBus.Error.NameHasNoOwner", PcClockOutcome::NoTimeService},
        {"org.freedesktop.DBus.Error.Disconnected", PcClockOutcome::NoSystemBus},
    };
    if (errorName.empty()) return PcClockOutcome::Set;
    for (const Row& row : kRows) {
        if (errorName == row.Name) return row.Outcome;
    }
    return PcClockOutcome::Failed;
}

PcClockSetResult PcClockResultOfErrno(int error)
{
    if (error == 0) return {PcClockOutcome::Set, {}};
    if (error == EPERM || error == EACCES) return {PcClockOutcome::NotAuthorised, {}};
    return {PcClockOutcome::Failed, std::strerror(error)};
}

std::string PcClockSetText(const PcClockSetResult& result, std::string_view time)
{
    const std::string notSet = " PC clock not set: ";
    switch (result.Outcome) {
    case PcClockOutcome::Set:
        return " PC clock set to " + std::string(time);
    case PcClockOutcome::NotAuthorised:
        return notSet + "not authorised to set the system clock";
    case PcClockOutcome::AutomaticTimeSync:
        return notSet + "automatic network time synchronisation is on";
    case PcClockOutcome::NoSystemBus:
        return notSet + "no D-Bus system bus";
    case PcClockOutcome::NoTimeService:
        return notSet + "systemd-timedated is not available";
    case PcClockOutcome::Failed:
        break;
    }
    return notSet + (result.Detail.empty() ? std::string("the system refused") : result.Detail);
}
