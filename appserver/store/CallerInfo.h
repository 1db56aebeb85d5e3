#pragma once

#include "Account.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Who made a call: the address the connection came from and, once accounts exist, the signed-in
// account (its login is what the history and the log name) and the hash of the session used.
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
};
