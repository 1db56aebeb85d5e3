#pragma once

#include <QHostAddress>
#include <QString>
#include <chrono>

class Database;

// Slows guessing: failed sign-ins are kept for a window in the database (FALHA_LOGIN), so every server
// of a group counts them. Past a number of failures for one login, or from one address, further
// attempts are refused until a wait has passed since the last failure, doubling with each failure up to
// a minute. Nothing waits in the server: a refused attempt is answered at once.
class SignInThrottle {
public:
    static constexpr int LoginFailures = 5;
    static constexpr int AddressFailures = 20;
    static constexpr std::chrono::minutes Window{15};
    static constexpr std::chrono::seconds FirstWait{15};
    static constexpr std::chrono::seconds LongestWait{60};

    explicit SignInThrottle(Database& database) : database_(database) {}

    // Seconds until `login` may try again from `address`; 0 when it may now.
    qint64 waitFor(const QString& login, const QString& address);
    void recordFailure(const QString& login, const QString& address);
    // A right password clears the login's failures (the address's stay).
    void clear(const QString& login);
    // Every failure from `address`, whichever login it tried: its own count starts over. An IPv4
    // address is cleared in its IPv6-mapped form too, as a dual-stack socket reports it.
    void clearAddress(const QHostAddress& address);
    void purgeExpired();

    // The wait after `failures` within the window, when `allowed` are let through.
    static std::chrono::seconds wait(int failures, int allowed);

private:
    qint64 remaining(const QString& column, const QString& value, int allowed, qint64 now);

    Database& database_;
};
