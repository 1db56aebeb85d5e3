#include "ReservationStore.h"

#include "Database.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

qint64 ReservationStore::create(const QString& branch)
{
    static const QString sql =
        QStringLiteral("INSERT INTO RESERVA (CDFILIAL, CRIADOEM) VALUES (?, ?) RETURNING NRRESERVA");
    qint64 number = 0;
    database_.select(sql, {branch, now()}, [&](const QSqlQuery& q) { number = q.value(0).toLongLong(); });
    return number;
}

qint64 ReservationStore::validOrNew(const QString& number, const QString& branch)
{
    bool ok = false;
    const qint64 value = number.toLongLong(&ok);
    if (ok && isValid(value))
        return value;
    purgeExpired();
    return create(branch);
}

void ReservationStore::release(const QString& number)
{
    bool ok = false;
    const qint64 value = number.toLongLong(&ok);
    if (!ok)
        return;
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA = ?"), {value});
    database_.exec(QStringLiteral("DELETE FROM RESERVA WHERE NRRESERVA = ?"), {value});
}

void ReservationStore::purgeExpired()
{
    const qint64 oldest = oldestValidTime();
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA IN "
                                  "(SELECT NRRESERVA FROM RESERVA WHERE CRIADOEM < ?)"),
                   {oldest});
    database_.exec(QStringLiteral("DELETE FROM RESERVA WHERE CRIADOEM < ?"), {oldest});
}

bool ReservationStore::isValid(qint64 number)
{
    bool found = false;
    database_.select(QStringLiteral("SELECT NRRESERVA FROM RESERVA WHERE NRRESERVA = ? AND CRIADOEM >= ?"),
                     {number, oldestValidTime()}, [&](const QSqlQuery&) { found = true; });
    return found;
}

qint64 ReservationStore::oldestValidTime() const
{
    return now() - std::chrono::milliseconds(timeToLive_).count();
}
