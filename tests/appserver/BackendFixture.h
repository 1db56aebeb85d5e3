#pragma once

#include "Currency.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>

class Database;
class PostgresServer;

// The database a test's servers run on, SQLite or PostgreSQL, and a direct connection to it for what
// no remote method does: billing records to import, service names, work rows to count.
class BackendFixture {
public:
    enum class Kind { Sqlite, Postgres };

    explicit BackendFixture(Kind kind);
    ~BackendFixture();

    Kind kind() const { return kind_; }
    QString name() const;
    // False, with the reason, when this backend cannot run on this machine.
    bool available(QString* reason) const;

    // A new, empty database as med_appserver's --database takes it. The PostgreSQL cluster starts on
    // first use and serves every database of this fixture.
    QString newDatabase();

    // Direct writes and reads; the schema must exist (a server has started on the database).
    void addService(const QString& database, const QString& branch, const QString& service,
                    const QString& name);
    void addBilling(const QString& database, const QString& branch, QDate date, const QString& service,
                    Currency staff, Currency unitPrice);
    int workRows(const QString& database, qint64 reservation);
    int reservations(const QString& database);

private:
    Database& direct(const QString& database);

    Kind kind_;
    QTemporaryDir dir_;
    std::unique_ptr<PostgresServer> postgres_;
    int created_ = 0;
    std::map<QString, std::unique_ptr<Database>> direct_;
};
