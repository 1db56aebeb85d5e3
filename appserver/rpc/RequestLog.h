#pragma once

#include <QByteArray>
#include <chrono>
#include <functional>
#include <optional>

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
    // When the connection is lost on the way (the primary died during COMMIT, say), the record on the
    // database reached again says whether the call was applied: its result is returned if so.
    // One caller (client address) has at most PerCaller outcomes kept: a new one beyond that drops the
    // caller's oldest, whose id could then be applied again.
    static constexpr int PerCaller = 10000;

    QByteArray once(const QByteArray& id, const QByteArray& fingerprint, const QString& caller,
                    const std::function<QByteArray()>& write);
    // Drops every outcome older than the time to live.
    void purgeExpired();

private:
    struct Recorded {
        QByteArray fingerprint;
        QByteArray result;
    };

    QByteArray runOnce(const QByteArray& id, const QByteArray& fingerprint, const QString& caller,
                       const std::function<QByteArray()>& write);
    std::optional<Recorded> recorded(const QByteArray& id);
    static QByteArray checked(const Recorded& recorded, const QByteArray& fingerprint);
    std::optional<QByteArray> outcomeAfterLostConnection(const QByteArray& id, const QByteArray& fingerprint);
    qint64 oldestValidTime() const;
    void keepNewestOf(const QString& caller);

    Database& database_;
    std::chrono::seconds timeToLive_;
};
