#pragma once

#include "AccountStore.h"
#include "SessionLimits.h"
#include "SignInMethod.h"

#include <QByteArray>
#include <QString>

class Database;

// Login(login, password): checks the password against the stored argon2id hash, or through PAM, and
// opens a session for an active account of ours. An unknown login, a disabled user and a wrong password
// get the same answer after the same work (the password is checked in every case); failures are logged
// (login, address and why, never the password), counted in /metrics and slowed by SignInThrottle.
class SignIn {
public:
    SignIn(Database& database, SessionLimits limits, SignInMethod method = {})
        : database_(database), limits_(limits), method_(std::move(method))
    {}

    // The result's JSON text: {"session", "login", "name", "role", "branches"}. Throws Exception with
    // the message for the user when the sign-in is refused.
    QByteArray login(const QString& login, const QString& password, const QString& address);

    static constexpr int MaxPasswordLength = 1024;

private:
    struct Check {
        bool matches = false;
        bool failed = false; // PAM could not tell
        // PAM's reason when it refused or failed, for the log.
        QString why;
    };

    Check checkPassword(const QString& login, const std::optional<AccountStore::Stored>& stored,
                        const QString& password, const QString& address) const;
    static QString whyRefused(const Check& check, bool stored);
    void refuse(const QString& login, const QString& address, const QString& why);

    Database& database_;
    SessionLimits limits_;
    SignInMethod method_;
};
