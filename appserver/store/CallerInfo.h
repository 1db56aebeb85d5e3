#pragma once

#include <QByteArrayView>
#include <QString>

// Who made a call, as far as the server can tell: the address the connection came from and the user
// name the host reports (X-Med-User). Both only describe the caller, neither grants anything.
struct CallerInfo {
    QString address;
    QString user;

    static constexpr qsizetype MaxUserLength = 64;

    // The reported name as it may be stored and shown: valid UTF-8 only, control characters dropped,
    // trimmed and cut to MaxUserLength characters.
    static QString userFromHeader(QByteArrayView header);
};
