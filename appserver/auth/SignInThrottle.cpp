#include "SignInThrottle.h"

#include "Database.h"

#include <QDateTime>

namespace {

qint64 windowStart(qint64 now)
{
    return now - std::chrono::milliseconds(SignInThrottle::Window).count();
}

} // namespace

std::chrono::seconds SignInThrottle::wait(int failures, int allowed)
{
    if (failures < allowed)
        return std::chrono::seconds(0);
    const int doublings = std::min(failures - allowed, 8);
    return std::min(LongestWait, FirstWait * (1 << doublings));
}

qint64 SignInThrottle::waitFor(const QString& login, const QString& address)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 ms = std::max(remaining(QStringLiteral("LOGIN"), login, LoginFailures, now),
                               remaining(QStringLiteral("ENDERECO"), address, AddressFailures, now));
    return (ms + 999) / 1000;
}

qint64 SignInThrottle::remaining(const QString& column, const QString& value, int allowed, qint64 now)
{
    int failures = 0;
    qint64 last = 0;
    database_.select(
        QStringLiteral("SELECT COUNT(*), MAX(QUANDO) FROM FALHA_LOGIN WHERE %1 = ? AND QUANDO >= ?")
            .arg(column),
        {value, windowStart(now)}, [&](const QSqlQuery& q) {
            failures = q.value(0).toInt();
            last = q.value(1).toLongLong();
        });
    const qint64 until = last + std::chrono::milliseconds(wait(failures, allowed)).count();
    return std::max<qint64>(0, until - now);
}

void SignInThrottle::recordFailure(const QString& login, const QString& address)
{
    database_.exec(QStringLiteral("INSERT INTO FALHA_LOGIN (LOGIN, ENDERECO, QUANDO) VALUES (?, ?, ?)"),
                   {login, address, QDateTime::currentMSecsSinceEpoch()});
}

void SignInThrottle::clear(const QString& login)
{
    database_.exec(QStringLiteral("DELETE FROM FALHA_LOGIN WHERE LOGIN = ?"), {login});
}

void SignInThrottle::clearAddress(const QHostAddress& address)
{
    bool v4 = false;
    const QHostAddress plain(address.toIPv4Address(&v4));
    const QString text = v4 ? plain.toString() : address.toString();
    const QString mapped = v4 ? QHostAddress(plain.toIPv6Address()).toString() : text;
    database_.exec(QStringLiteral("DELETE FROM FALHA_LOGIN WHERE ENDERECO IN (?, ?)"), {text, mapped});
}

void SignInThrottle::purgeExpired()
{
    database_.exec(QStringLiteral("DELETE FROM FALHA_LOGIN WHERE QUANDO < ?"),
                   {windowStart(QDateTime::currentMSecsSinceEpoch())});
}
