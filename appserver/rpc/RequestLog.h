#pragma once

#include <QByteArray>
#include <chrono>
#include <functional>

class Database;

// The first outcome of every write call that carried a request id, stored in the same transaction as
// the change the call made. The same call sent again (its answer was lost, the client retried, maybe
// on another server of the group) gets that outcome back and changes nothing. Outcomes are kept for a
// bounded time, then purged in SQL.
class RequestLog {
public:
    RequestLog(Database& database, std::chrono::seconds timeToLive)
        : database_(database), timeToLive_(timeToLive)
    {}

    // The result of `write` for `id`: run now, in one transaction with its record, or read back from an
    // earlier call. `fingerprint` identifies the request; an id seen with another fingerprint raises
    // RpcError InvalidRequest. A failing `write` leaves no record, so sending it again runs it again.
    QByteArray once(const QByteArray& id, const QByteArray& fingerprint,
                    const std::function<QByteArray()>& write);
    // Drops every outcome older than the time to live.
    void purgeExpired();

private:
    qint64 oldestValidTime() const;

    Database& database_;
    std::chrono::seconds timeToLive_;
};
