#include "RequestLog.h"

#include "Database.h"
#include "RpcError.h"
#include "SqlFailure.h"
#include "Transaction.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QSqlQuery>
#include <QThread>

namespace {

// How long a call whose connection was lost waits for the database to answer again (a failover
// elects a new primary within seconds) to learn whether it was applied.
constexpr std::chrono::seconds OutcomeWait{15};

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

QByteArray RequestLog::once(const QByteArray& id, const QByteArray& fingerprint, const QString& caller,
                            const std::function<QByteArray()>& write)
{
    try {
        return runOnce(id, fingerprint, caller, write);
    } catch (const SqlFailure&) {
        if (const std::optional<QByteArray> result = outcomeAfterLostConnection(id, fingerprint))
            return *result;
        throw;
    }
}

QByteArray RequestLog::runOnce(const QByteArray& id, const QByteArray& fingerprint, const QString& caller,
                               const std::function<QByteArray()>& write)
{
    Transaction transaction(database_);
    // Two copies of one call on two servers: the second waits here for the first to finish.
    if (const QString lock = database_.dialect().requestLock(); !lock.isEmpty())
        database_.exec(lock, {QString::fromLatin1(id)});
    if (const std::optional<Recorded> earlier = recorded(id))
        return checked(*earlier, fingerprint);
    // An expired record of the same id gives way to the new one.
    database_.exec(QStringLiteral("DELETE FROM REQUISICAO WHERE IDREQUISICAO = ?"),
                   {QString::fromLatin1(id)});
    const QByteArray result = write();
    database_.exec(
        QStringLiteral("INSERT INTO REQUISICAO (IDREQUISICAO, IMPRESSAO, RESULTADO, CRIADOEM, CLIENTE) "
                       "VALUES (?, ?, ?, ?, ?)"),
        {QString::fromLatin1(id), QString::fromLatin1(fingerprint), QString::fromUtf8(result), now(),
         caller});
    keepNewestOf(caller);
    transaction.commit();
    return result;
}

std::optional<RequestLog::Recorded> RequestLog::recorded(const QByteArray& id)
{
    std::optional<Recorded> found;
    database_.select(QStringLiteral("SELECT IMPRESSAO, RESULTADO FROM REQUISICAO WHERE IDREQUISICAO = ? AND "
                                    "CRIADOEM >= ?"),
                     {QString::fromLatin1(id), oldestValidTime()}, [&](const QSqlQuery& q) {
                         found = Recorded{q.value(0).toString().toLatin1(), q.value(1).toString().toUtf8()};
                     });
    return found;
}

QByteArray RequestLog::checked(const Recorded& recorded, const QByteArray& fingerprint)
{
    if (recorded.fingerprint != fingerprint)
        throw RpcError(RpcError::InvalidRequest,
                       QStringLiteral("Requisição inválida: o identificador de requisição já foi usado "
                                      "por outra requisição."));
    return recorded.result;
}

// A failure on a connection that still answers was the database refusing the write: nothing was
// applied. A lost connection may have taken the COMMIT with it or not; the record, written in the
// same transaction, is on the primary exactly when the change is. Inside a caller's transaction the
// caller decides.
std::optional<QByteArray> RequestLog::outcomeAfterLostConnection(const QByteArray& id,
                                                                 const QByteArray& fingerprint)
{
    if (database_.inTransaction() || database_.answers())
        return std::nullopt;
    const QDeadlineTimer deadline(OutcomeWait);
    while (!deadline.hasExpired()) {
        try {
            database_.recoverConnection();
            const std::optional<Recorded> earlier = recorded(id);
            return earlier ? std::optional(checked(*earlier, fingerprint)) : std::nullopt;
        } catch (const SqlFailure&) {
            QThread::msleep(250);
        }
    }
    return std::nullopt;
}

void RequestLog::keepNewestOf(const QString& caller)
{
    static const QString sql =
        QStringLiteral("DELETE FROM REQUISICAO WHERE CLIENTE = ? AND CRIADOEM < (SELECT CRIADOEM FROM "
                       "REQUISICAO WHERE CLIENTE = ? ORDER BY CRIADOEM DESC LIMIT 1 OFFSET %1)")
            .arg(PerCaller - 1);
    database_.exec(sql, {caller, caller});
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
