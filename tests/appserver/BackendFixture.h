#pragma once

#include "Currency.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <utility>

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
    // Registers the branch too when it is new.
    void addService(const QString& database, const QString& branch, const QString& service,
                    const QString& name);
    // Many at once, in one transaction: (code, name) pairs.
    void addServices(const QString& database, const QString& branch,
                     const QList<std::pair<QString, QString>>& services);
    void addBilling(const QString& database, const QString& branch, QDate date, const QString& service,
                    Currency staff, Currency unitPrice);
    // Work rows under the reservation that a ticket ("NUMBER-SECRET") names.
    int workRows(const QString& database, const QString& reservation);
    int reservations(const QString& database);
    // Every row of a query, each as its values joined by '|': to compare a database before and after.
    QStringList rows(const QString& database, const QString& sql);
    // Any statement, for states no server would leave.
    void execute(const QString& database, const QString& sql);
    // The first column of the first row of a query, as a number.
    qint64 number(const QString& database, const QString& sql);

private:
    Database& direct(const QString& database);

    Kind kind_;
    QTemporaryDir dir_;
    std::unique_ptr<PostgresServer> postgres_;
    int created_ = 0;
    std::map<QString, std::unique_ptr<Database>> direct_;
};
