#include "ReservationStore.h"

#include "Database.h"
#include "Exception.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

[[noreturn]] void notTheHolder()
{
    throw Exception(QStringLiteral("A reserva informada pertence a outra tela: não pode ser usada nem "
                                   "liberada por esta. Feche a tela e abra-a novamente."));
}

} // namespace

ReservationTicket ReservationStore::create(const QString& branch, const QString& caller)
{
    static const QString sql = QStringLiteral("INSERT INTO RESERVA (CDFILIAL, CRIADOEM, SEGREDO, CLIENTE) "
                                              "VALUES (?, ?, ?, ?) RETURNING NRRESERVA");
    ReservationTicket ticket{0, ReservationTicket::drawSecret()};
    database_.select(sql, {branch, now(), QString::fromLatin1(ticket.secret), caller},
                     [&](const QSqlQuery& q) { ticket.number = q.value(0).toLongLong(); });
    keepNewestOf(caller);
    return ticket;
}

void ReservationStore::keepNewestOf(const QString& caller)
{
    // The PerCaller-th newest number of the caller, if it has that many; everything older goes.
    static const QString oldestKept =
        QStringLiteral(
            "(SELECT NRRESERVA FROM RESERVA WHERE CLIENTE = ? ORDER BY NRRESERVA DESC LIMIT 1 OFFSET %1)")
            .arg(PerCaller - 1);
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA IN (SELECT NRRESERVA FROM RESERVA "
                                  "WHERE CLIENTE = ? AND NRRESERVA < %1)")
                       .arg(oldestKept),
                   {caller, caller});
    database_.exec(QStringLiteral("DELETE FROM RESERVA WHERE CLIENTE = ? AND NRRESERVA < %1").arg(oldestKept),
                   {caller, caller});
}

ReservationTicket ReservationStore::heldOrNew(const std::optional<ReservationTicket>& held,
                                              const QString& branch, const QString& caller)
{
    if (held && isHeld(*held))
        return *held;
    purgeExpired();
    return create(branch, caller);
}

void ReservationStore::release(const ReservationTicket& held)
{
    isHeld(held);
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA = ?"), {held.number});
    database_.exec(QStringLiteral("DELETE FROM RESERVA WHERE NRRESERVA = ?"), {held.number});
}

QString ReservationStore::branchOf(const ReservationTicket& ticket)
{
    QString branch;
    database_.select(QStringLiteral("SELECT CDFILIAL FROM RESERVA WHERE NRRESERVA = ?"), {ticket.number},
                     [&](const QSqlQuery& q) { branch = q.value(0).toString(); });
    return branch;
}

void ReservationStore::purgeExpired()
{
    const qint64 oldest = oldestValidTime();
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA IN "
                                  "(SELECT NRRESERVA FROM RESERVA WHERE CRIADOEM < ?)"),
                   {oldest});
    database_.exec(QStringLiteral("DELETE FROM RESERVA WHERE CRIADOEM < ?"), {oldest});
}

qint64 ReservationStore::count()
{
    qint64 stored = 0;
    database_.select(QStringLiteral("SELECT COUNT(*) FROM RESERVA"), {},
                     [&](const QSqlQuery& q) { stored = q.value(0).toLongLong(); });
    return stored;
}

bool ReservationStore::isHeld(const ReservationTicket& held)
{
    bool found = false;
    qint64 createdAt = 0;
    QByteArray secret;
    database_.select(QStringLiteral("SELECT SEGREDO, CRIADOEM FROM RESERVA WHERE NRRESERVA = ?"),
                     {held.number}, [&](const QSqlQuery& q) {
                         found = true;
                         secret = q.value(0).toString().toLatin1();
                         createdAt = q.value(1).toLongLong();
                     });
    if (found && !held.provenBy(secret))
        notTheHolder();
    return found && createdAt >= oldestValidTime();
}

qint64 ReservationStore::oldestValidTime() const
{
    return now() - std::chrono::milliseconds(timeToLive_).count();
}
