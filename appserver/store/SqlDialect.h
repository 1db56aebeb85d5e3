#pragma once

#include "DatabaseSpec.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>

class QSqlError;

// Everything that differs between SQLite and PostgreSQL, in one place: column types, how decimals and
// dates are stored, locking, and how a duplicate key is reported. Decimals never pass through double:
// SQLite keeps Currency's raw ticks (value × 10000) as integers, PostgreSQL NUMERIC read and written as
// decimal text.
class SqlDialect {
public:
    explicit SqlDialect(DatabaseSpec::Kind kind) : kind_(kind) {}

    DatabaseSpec::Kind kind() const { return kind_; }
    QString driverName() const;
    // Statements every new connection runs first.
    QStringList sessionSetup() const;
    // Moves committed pages into the database file without blocking anyone; empty when the database
    // does this by itself. Run in the background, so no caller's commit pays for it.
    QString checkpoint() const;
    // Starts the log over once everything in it is in the database file, which plain checkpoints never
    // manage while readers keep coming: without it the log grows for as long as the load lasts.
    // Writers must be held off meanwhile. Empty where the database needs nothing of the kind.
    QString restartLog() const;
    // How long a statement waits for a lock held elsewhere before it fails; empty where the database
    // waits on its own.
    QString busyTimeout(std::chrono::milliseconds wait) const;
    static constexpr std::chrono::milliseconds BusyWait{5000};
    // What a SQLite write-ahead log file keeps of its size once started over.
    static constexpr qint64 LogSizeLimit = 64 * 1024 * 1024;
    QString beginWrite() const;
    // SQLite lets one writer in at a time and makes the others sleep and retry: threads of one process
    // had better queue on a mutex before they begin.
    bool serializesWriters() const { return sqlite(); }
    // SQLite prepares BEGIN and COMMIT like any statement; PostgreSQL cannot PREPARE them.
    bool preparesTransactionControl() const { return sqlite(); }
    // Taken inside the schema transaction so that servers starting together migrate one at a time.
    QString schemaLock() const;
    // Counts the tables named by its one parameter (in upper case) where new tables would be created.
    QString tableCount() const;
    // Taken inside a write transaction, with the request id as its parameter, so that two copies of
    // one call wait for each other; empty where writers already go one at a time.
    QString requestLock() const;

    QString decimalType(int precision, int scale) const;
    QString dateType() const;
    // Statements creating what numbers reservations, and the key column that draws from it.
    QStringList reservationSequence() const;
    QString reservationKeyColumn() const;

    // Bind and read forms; a null value stays null.
    QVariant toDecimal(const QVariant& currency) const;
    QVariant fromDecimal(const QVariant& stored) const;
    QVariant toDate(QDate date) const;
    QDate fromDate(const QVariant& stored) const;

    // `column` compared with one placeholder, null equal to null.
    QString sameValue(const QString& column) const;
    bool isUniqueViolation(const QSqlError& error) const;

private:
    bool sqlite() const { return kind_ == DatabaseSpec::Kind::Sqlite; }

    DatabaseSpec::Kind kind_;
};
