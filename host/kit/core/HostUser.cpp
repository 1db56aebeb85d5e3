#include "HostUser.h"

#include <QString>
#include <QtGlobal>

namespace HostUser {

QByteArray headerValue()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    // A header line must not break: control characters go, and the server cuts it to 64 anyway.
    name.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return name.left(64).toUtf8();
}

} // namespace HostUser
