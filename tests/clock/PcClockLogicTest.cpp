#include <gtest/gtest.h>

#include <cerrno>

#include "clock/PcClockLogic.h"

namespace {

// What timedated's SetTime answers, and what status panel 3 then says.
TEST(PcClockSetText, SaysWhetherAndWhyNot)
{
    struct Case {
        const char* errorName;
        const char* text;
    };
    const Case cases[] = {
        {"", " PC clock set to 2024-03-07 14:05:09"},
        {"org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
         " PC clock not set: automatic network time synchronisation is on"},
        {"org.freedesktop.DBus.Error.AccessDenied",
         " PC clock not set: not authorised to set the system clock"},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
         " PC clock not set: not authorised to set the system clock"},
        {"org.freedesktop.PolicyKit1.Error.NotAuthorized",
         " PC clock not set: not authorised to set the system clock"},
        {"org.freedesktop.DBus.Error.ServiceUnknown",
         " PC clock not set: systemd-timedated is not available"},
        {"org.freedesktop.DBus.Error.Disconnected", " PC clock not set: no D-Bus system bus"},
        {"org.freedesktop.DBus.Error.NoReply", " PC clock not set: Did not receive a reply"},
    };
    for (const Case& c : cases) {
        const PcClockSetResult result{PcClockOutcomeOfDBusError(c.errorName),
                                      "Did not receive a reply"};
        EXPECT_EQ(PcClockSetText(result, "2024-03-07 14:05:09"), c.text) << c.errorName;
    }
}

TEST(PcClockSetText, ClockSettimeErrors)
{
    EXPECT_EQ(PcClockSetText(PcClockResultOfErrno(0), "2024-03-07 14:05:09"),
              " PC clock set to 2024-03-07 14:05:09");
    EXPECT_EQ(PcClockResultOfErrno(EPERM).Outcome, PcClockOutcome::NotAuthorised);
    const PcClockSetResult invalid = PcClockResultOfErrno(EINVAL);
    EXPECT_EQ(invalid.Outcome, PcClockOutcome::Failed);
    EXPECT_EQ(PcClockSetText(invalid, "x"), " PC clock not set: Invalid argument");
    EXPECT_EQ(PcClockSetText({PcClockOutcome::Failed, ""}, "x"),
              " PC clock not set: the system refused");
}

} // namespace
