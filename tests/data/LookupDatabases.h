#pragma once

#include "LocalDatabaseSettings.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class PostgresServer;

// The seeded local databases of the lookup tests, each in a private temporary folder: a SQLite file,
// an embedded Firebird file (with PARAM and NVLSTR) and a PostgreSQL cluster (with test-only NVL and
// ISNULL, so that the Oracle and SQL Server texts run on it verbatim).
class LookupDatabases {
public:
    LookupDatabases();
    ~LookupDatabases();

    LocalDatabaseSettings sqlite();
    // Empty settings, with the reason in `skipReason`, when the engine cannot run here.
    LocalDatabaseSettings firebird(QString* skipReason);
    LocalDatabaseSettings postgres(const QString& dialect, QString* skipReason);

private:
    void createSqlite();
    void createFirebird();
    void createPostgres();

    QTemporaryDir dir_;
    QString sqlitePath_;
    QString firebirdPath_;
    QString firebirdProblem_;
    QString postgresProblem_;
    std::unique_ptr<PostgresServer> postgres_;
};
