#pragma once

#include <QString>

// What the server tells systemd through sd_notify (Type=notify): when it serves, reloads and stops,
// and a status line `systemctl status` shows. Outside systemd (no NOTIFY_SOCKET) each does nothing.
namespace ServiceNotifier {

void ready(const QString& status);
void reloading();
void stopping();
void status(const QString& status);

} // namespace ServiceNotifier
