#pragma once

#include "AccountStore.h"
#include "SessionLimits.h"
#include "SignInMethod.h"

#include <QByteArray>
#include <QString>
#include <optional>

class Database;

// Login(login, password): checks the password against the stored argon2id hash, or through PAM, and
// opens a session for an active account of ours. An unknown login, a disabled user and a wrong password
// get the same answer after the same work (the password is checked in every case); failures are logged
// (login, address and why, never the password), counted in /metrics and slowed by SignInThrottle.
// The sign-in runs in three steps so that the slow one may run on another thread: start() and finish()
// use the database, check() does not.
class SignIn {
public:
    // What start() found: the throttle let the sign-in through, and the account as stored.
    struct Started {
        QString login;
        QString password;
        QString address;
        std::optional<AccountStore::Stored> stored;
    };

    // What the password check found.
    struct Check {
        bool matches = false;
        bool failed = false; // PAM could not tell
        // PAM's reason when it refused or failed, for the log.
        QString why;
        // A new hash to store, when the stored one was made with lower limits than now.
        QByteArray rehashed;
        // Set when the check itself could not be made (no memory for the hash): the message for the user.
        QString fault;
    };

    SignIn(Database& database, SessionLimits limits, SignInMethod method = {})
        : database_(database), limits_(limits), method_(std::move(method))
    {}

    // The result's JSON text: {"session", "login", "name", "role", "branches"}. Throws Exception with
    // the message for the user when the sign-in is refused.
    QByteArray login(const QString& login, const QString& password, const QString& address);

    // The throttle and the account; throws Exception with the message for the user when throttled.
    Started start(const QString& login, const QString& password, const QString& address);
    // The slow part: argon2id or PAM. Touches no database and nothing shared, so it runs on any thread;
    // throws nothing.
    static Check check(const SignInMethod& method, const Started& started);
    // The session, or the failure recorded; answers and throws as login() does.
    QByteArray finish(const Started& started, const Check& check);

    static constexpr int MaxPasswordLength = 1024;

private:
    static Check checkPassword(const SignInMethod& method, const Started& started);
    static QString whyRefused(const Check& check, bool stored);
    void refuse(const QString& login, const QString& address, const QString& why);

    Database& database_;
    SessionLimits limits_;
    SignInMethod method_;
};
