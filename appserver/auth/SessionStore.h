#pragma once

#include "Account.h"
#include "SessionLimits.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

class Database;

// Sessions in the server's database (SESSAO), so every server sharing it accepts them. Only each
// token's hash is stored. A session ends when signed out, idle or old beyond its limits, or when its
// user is disabled.
class SessionStore {
public:
    SessionStore(Database& database, SessionLimits limits) : database_(database), limits_(limits) {}

    struct Open {
        Account account;
        QByteArray hash;
    };

    // A new session for `login`; returns the token the client holds.
    QByteArray open(const QString& login);
    // The account behind a live session; nothing for an unknown, ended or expired one, or a disabled
    // user. Records the use (at most once a minute, so calls seldom write).
    std::optional<Open> resolve(QByteArrayView token);
    void end(const QByteArray& hash);
    void endAllOf(const QString& login);
    void purgeExpired();

private:
    Database& database_;
    SessionLimits limits_;
};
