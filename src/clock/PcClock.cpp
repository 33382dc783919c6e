#include "clock/PcClock.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cerrno>
#include <ctime>
#include <unistd.h>

namespace {

// Long enough for a user to type a password into the authorisation dialog;
// the call does not hold up the window meanwhile.
constexpr int kAuthorisationTimeoutMs = 5 * 60 * 1000;

} // namespace

void SystemPcClock::setLocalTime(const QDateTime& local, PcClockSetDone done)
{
    if (geteuid() == 0) {
        const qint64 ms = local.toMSecsSinceEpoch();
        const timespec at{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
        done(PcClockResultOfErrno(clock_settime(CLOCK_REALTIME, &at) == 0 ? 0 : errno));
        return;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        done({PcClockOutcome::NoSystemBus, bus.lastError().message().toStdString()});
        return;
    }
    // Relative to now: the clock comes out right however long the user takes
    // to authorise the change.
    const qint64 deltaUs = (local.toMSecsSinceEpoch() - QDateTime::currentMSecsSinceEpoch()) * 1000;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    call << static_cast<qlonglong>(deltaUs) << true << true; // usec, relative, interactive
    call.setInteractiveAuthorizationAllowed(true);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAuthorisationTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [done](QDBusPendingCallWatcher* finished) {
                         const QDBusPendingReply<> reply = *finished;
                         finished->deleteLater();
                         if (!reply.isError()) {
                             done({PcClockOutcome::Set, {}});
                             return;
                         }
                         const QDBusError error = reply.error();
                         done({PcClockOutcomeOfDBusError(error.name().toStdString()),
                               error.message().toStdString()});
                     });
}
