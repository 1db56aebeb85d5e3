#pragma once

#include <QDate>
#include <QString>
#include <chrono>

class Database;

// Brings the billing records of one branch and date into the measurement lines: copies them as work
// rows under the caller's reservation, then adds a line for every service that has none yet. Lines
// already there are never touched. All in one transaction.
class BillingImport {
public:
    BillingImport(Database& database, std::chrono::seconds reservationTtl)
        : database_(database), reservationTtl_(reservationTtl)
    {}

    // Returns the reservation the work rows went under: `reservation` when still valid, else a new one.
    qint64 run(const QString& branch, QDate date, const QString& reservation);

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
};
