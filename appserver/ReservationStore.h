#pragma once

#include <QString>
#include <chrono>

class Database;

// Numbers that mark one import's work rows. A number comes from the database's sequence, so servers
// sharing a database never hand out the same one; unreleased numbers expire after the time to live,
// judged by their creation time in SQL. Callers hold the transaction.
class ReservationStore {
public:
    ReservationStore(Database& database, std::chrono::seconds timeToLive)
        : database_(database), timeToLive_(timeToLive)
    {}

    qint64 create(const QString& branch);
    // `number` while it is still valid; otherwise (expired, released, unknown, not a number) a new one.
    qint64 validOrNew(const QString& number, const QString& branch);
    // Drops the reservation and its work rows; an unknown number changes nothing.
    void release(const QString& number);
    // Drops every expired reservation and its work rows.
    void purgeExpired();

private:
    bool isValid(qint64 number);
    qint64 oldestValidTime() const;

    Database& database_;
    std::chrono::seconds timeToLive_;
};
