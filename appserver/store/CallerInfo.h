#pragma once

#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QString>

// Who made a call, as far as the server can tell: the client's address (the connection's, or behind a
// trusted proxy the one it forwarded) and the user name the host reports (X-Med-User). Both only
// describe the caller, neither grants anything.
struct CallerInfo {
    QString address;
    QString user;

    static constexpr qsizetype MaxUserLength = 64;

    // The reported name as it may be stored and shown: valid UTF-8 only, control characters dropped,
    // trimmed and cut to MaxUserLength characters.
    static QString userFromHeader(QByteArrayView header);
    // The client's address: `peer`, or when `peer` is one of `trustedProxies`, the last address of
    // `forwardedFor` (X-Forwarded-For) not itself a trusted proxy. Addresses a client put before that
    // are its own claims and ignored; a proxy that forwarded nothing readable leaves its own address.
    static QHostAddress clientAddress(const QHostAddress& peer, QByteArrayView forwardedFor,
                                      const QList<QHostAddress>& trustedProxies);
};
