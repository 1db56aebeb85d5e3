#pragma once

#include "Account.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <optional>

// Who made a call: the client's address (the connection's, or behind a trusted proxy the one it
// forwarded) and, once accounts exist, the signed-in account (its login is what the history and the
// log name) and the hash of the session used.
struct CallerInfo {
    QString address;
    QString user;
    // Nothing while the database has no accounts: the shared token let the call in.
    std::optional<Account> account;
    QByteArray session;
    // Accounts exist and the call came without a live session: only Login is answered.
    bool needsSession = false;

    static constexpr qsizetype MaxUserLength = 64;

    // A name a client sent, as it may be stored and shown: valid UTF-8 only, control characters
    // dropped, trimmed and cut to MaxUserLength characters.
    static QString userFromHeader(QByteArrayView header);
    // The client's address: `peer`, or when `peer` is one of `trustedProxies`, the last address of
    // `forwardedFor` (X-Forwarded-For) not itself a trusted proxy. Addresses a client put before that
    // are its own claims and ignored; a proxy that forwarded nothing readable leaves its own address.
    static QHostAddress clientAddress(const QHostAddress& peer, QByteArrayView forwardedFor,
                                      const QList<QHostAddress>& trustedProxies);
};
