#pragma once

#include <QByteArray>

// The name of the user running the host, as the application server records it with their changes
// (header X-Med-User): the system's login name. Empty when the system gives none.
namespace HostUser {

QByteArray headerValue();

} // namespace HostUser
