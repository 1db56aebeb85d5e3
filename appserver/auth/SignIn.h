#pragma once

#include "SessionLimits.h"

#include <QByteArray>
#include <QString>

class Database;

// Login(login, password): checks the password against the stored argon2id hash and opens a session.
// An unknown login, a disabled user and a wrong password get the same answer after the same work (a
// hash is checked in every case); failures are logged (login and address, never the password),
// counted in /metrics and slowed by SignInThrottle.
class SignIn {
public:
    SignIn(Database& database, SessionLimits limits) : database_(database), limits_(limits) {}

    // The result's JSON text: {"session", "login", "name", "role", "branches"}. Throws Exception with
    // the message for the user when the sign-in is refused.
    QByteArray login(const QString& login, const QString& password, const QString& address);

    static constexpr int MaxPasswordLength = 1024;

private:
    void refuse(const QString& login, const QString& address, const char* why);

    Database& database_;
    SessionLimits limits_;
};
