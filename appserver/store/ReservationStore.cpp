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

ReservationTicket ReservationStore::create(const QString& branch)
{
    static const QString sql = QStringLiteral(
        "INSERT INTO RESERVA (CDFILIAL, CRIADOEM, SEGREDO) VALUES (?, ?, ?) RETURNING NRRESERVA");
    ReservationTicket ticket{0, ReservationTicket::drawSecret()};
    database_.select(sql, {branch, now(), QString::fromLatin1(ticket.secret)},
                     [&](const QSqlQuery& q) { ticket.number = q.value(0).toLongLong(); });
    return ticket;
}

ReservationTicket ReservationStore::heldOrNew(const std::optional<ReservationTicket>& held,
                                              const QString& branch)
{
    if (held && isHeld(*held))
        return *held;
    purgeExpired();
    return create(branch);
}

void ReservationStore::release(const ReservationTicket& held)
{
    isHeld(held);
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA = ?"), {held.number});
    database_.exec(QStringLiteral("DELETE FROM RESERVA WHERE NRRESERVA = ?"), {held.number});
}

void ReservationStore::purgeExpired()
{
    const qint64 oldest = oldestValidTime();
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA IN "
                                  "(SELECT NRRESERVA FROM RESERVA WHERE CRIADOEM < ?)"),
                   {oldest});
    database_.exec(QStringLiteral("DELETE FROM RESERVA WHERE CRIADOEM < ?"), {oldest});
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
