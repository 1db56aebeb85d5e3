#pragma once

#include "CallerInfo.h"
#include "ReservationTicket.h"

#include <QDate>
#include <QString>
#include <chrono>
#include <optional>

class Database;

// Brings the billing records of one branch and date into the measurement lines: copies them as work
// rows under the caller's reservation, then adds a line for every service that has none yet. Lines
// already there are never touched. All in one transaction, with a history row per line added.
class BillingImport {
public:
    BillingImport(Database& database, std::chrono::seconds reservationTtl, CallerInfo caller = {})
        : database_(database), reservationTtl_(reservationTtl), caller_(std::move(caller))
    {}

    // Returns the reservation the work rows went under: `held` when still valid, else a new one.
    // Throws Exception when `held` is another holder's.
    ReservationTicket run(const QString& branch, QDate date, const std::optional<ReservationTicket>& held);

private:
    struct Billing {
        QString service;
        QVariant staff;
        QVariant unitPrice;
    };

    void copyWorkRows(qint64 reservation, const QString& branch, QDate date);
    QList<Billing> servicesWithoutLine(qint64 reservation);
    void addLine(const QString& branch, QDate date, const Billing& billing);

    Database& database_;
    std::chrono::seconds reservationTtl_;
    CallerInfo caller_;
};
