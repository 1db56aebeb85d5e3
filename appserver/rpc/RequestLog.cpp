#include "RequestLog.h"

#include "Database.h"
#include "RpcError.h"
#include "Transaction.h"

#include <QDateTime>
#include <QSqlQuery>
#include <optional>

namespace {

struct Recorded {
    QByteArray fingerprint;
    QByteArray result;
};

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

QByteArray RequestLog::once(const QByteArray& id, const QByteArray& fingerprint,
                            const std::function<QByteArray()>& write)
{
    Transaction transaction(database_);
    // Two copies of one call on two servers: the second waits here for the first to finish.
    if (const QString lock = database_.dialect().requestLock(); !lock.isEmpty())
        database_.exec(lock, {QString::fromLatin1(id)});
    std::optional<Recorded> recorded;
    database_.select(
        QStringLiteral("SELECT IMPRESSAO, RESULTADO FROM REQUISICAO WHERE IDREQUISICAO = ? AND "
                       "CRIADOEM >= ?"),
        {QString::fromLatin1(id), oldestValidTime()}, [&](const QSqlQuery& q) {
            recorded = Recorded{q.value(0).toString().toLatin1(), q.value(1).toString().toUtf8()};
        });
    if (recorded) {
        if (recorded->fingerprint != fingerprint)
            throw RpcError(RpcError::InvalidRequest,
                           QStringLiteral("Requisição inválida: o identificador de requisição já foi usado "
                                          "por outra requisição."));
        return recorded->result;
    }
    // An expired record of the same id gives way to the new one.
    database_.exec(QStringLiteral("DELETE FROM REQUISICAO WHERE IDREQUISICAO = ?"),
                   {QString::fromLatin1(id)});
    const QByteArray result = write();
    database_.exec(
        QStringLiteral("INSERT INTO REQUISICAO (IDREQUISICAO, IMPRESSAO, RESULTADO, CRIADOEM) "
                       "VALUES (?, ?, ?, ?)"),
        {QString::fromLatin1(id), QString::fromLatin1(fingerprint), QString::fromUtf8(result), now()});
    transaction.commit();
    return result;
}

void RequestLog::purgeExpired()
{
    Transaction transaction(database_);
    database_.exec(QStringLiteral("DELETE FROM REQUISICAO WHERE CRIADOEM < ?"), {oldestValidTime()});
    transaction.commit();
}

qint64 RequestLog::oldestValidTime() const
{
    return now() - std::chrono::milliseconds(timeToLive_).count();
}
