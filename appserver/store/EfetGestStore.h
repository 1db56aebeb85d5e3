#pragma once

#include "Record.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class Database;

// Reads the measurement lines as the screen's record sets carry them.
class EfetGestStore {
public:
    explicit EfetGestStore(Database& database) : database_(database) {}

    // The lines of one branch and date with their service names, by service code (cdsEfetGest's fields).
    QList<Record> lines(const QString& branch, QDate date) const;
    // The same lines as cdsEfetGest's data packet, byte for byte what the codec makes of lines(); on
    // SQLite written straight from the stored columns, the service names merged in by code.
    QByteArray linesPacket(const QString& branch, QDate date) const;
    // The lines with that whole key (cdsVerifServ's one field): empty or one.
    QList<Record> servicesWithKey(const QString& branch, QDate date, const QString& service) const;
    // The same for many services of one branch and date, in the order asked, each found at most once.
    QList<Record> servicesWithKeys(const QString& branch, QDate date, const QStringList& services) const;

private:
    Database& database_;
};
