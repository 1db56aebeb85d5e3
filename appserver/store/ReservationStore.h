#pragma once

#include "ReservationTicket.h"

#include <QString>
#include <chrono>
#include <optional>

class Database;

// Reservations that mark one import's work rows. A number comes from the database's sequence, so
// servers sharing a database never hand out the same one; its secret makes the ticket unguessable.
// Unreleased reservations expire after the time to live, judged by their creation time in SQL.
// Callers hold the transaction.
class ReservationStore {
public:
    ReservationStore(Database& database, std::chrono::seconds timeToLive)
        : database_(database), timeToLive_(timeToLive)
    {}

    // One caller (client address) holds at most PerCaller reservations: a new one beyond that drops
    // the caller's oldest, with its work rows.
    static constexpr int PerCaller = 32;

    ReservationTicket create(const QString& branch, const QString& caller);
    // `held` while it is still valid; a new ticket when there is none or it expired or was released.
    // Throws Exception when the number is another holder's (the secret does not match).
    ReservationTicket heldOrNew(const std::optional<ReservationTicket>& held, const QString& branch,
                                const QString& caller);
    // Drops the reservation and its work rows; one already gone changes nothing. Throws Exception when
    // the number is another holder's.
    void release(const ReservationTicket& held);
    // The branch `ticket` was drawn for; empty when it was drawn without one or is not stored.
    QString branchOf(const ReservationTicket& ticket);
    // Drops every expired reservation and its work rows.
    void purgeExpired();
    // Reservations stored now, expired ones not yet purged included.
    qint64 count();

private:
    // Whether the reservation is stored and unexpired; throws when it is stored under another secret.
    bool isHeld(const ReservationTicket& held);
    qint64 oldestValidTime() const;
    void keepNewestOf(const QString& caller);

    Database& database_;
    std::chrono::seconds timeToLive_;
};
