#include "ServiceNotifier.h"

#include <systemd/sd-daemon.h>

namespace {

void tell(const QString& state)
{
    // 0: NOTIFY_SOCKET stays set, for the reloads and the stop that follow.
    sd_notify(0, state.toUtf8().constData());
}

} // namespace

namespace ServiceNotifier {

void ready(const QString& status)
{
    tell(QStringLiteral("READY=1\nSTATUS=") + status);
}

void reloading()
{
    tell(QStringLiteral("RELOADING=1"));
}

void stopping()
{
    tell(QStringLiteral("STOPPING=1"));
}

void status(const QString& status)
{
    tell(QStringLiteral("STATUS=") + status);
}

} // namespace ServiceNotifier
