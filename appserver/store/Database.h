#pragma once

#include "DatabaseRow.h"
#include "DatabaseSpec.h"
#include "SqlDialect.h"

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

class SqliteCursor;
class SqliteStatements;

// One connection, its dialect and its prepared statements: each statement text is prepared once per
// connection and reused. Every failure raises SqlFailure.
class Database {
public:
    explicit Database(const DatabaseSpec& spec);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const SqlDialect& dialect() const { return dialect_; }

    // Runs a prepared statement; returns the number of rows it changed.
    int exec(const QString& sql, const QVariantList& values = {});
    // Runs a prepared query and hands each row to `row`, in order.
    void select(const QString& sql, const QVariantList& values,
                const std::function<void(const QSqlQuery&)>& row);
    // The same for the hot reads: on SQLite the rows are read in place through SQLite's own API.
    void selectRows(const QString& sql, const QVariantList& values,
                    const std::function<void(const DatabaseRow&)>& row);
    // Whether selectRows reads rows in place (SQLite), so their stored bytes can be copied out as they are.
    bool readsInPlace() const { return native_ != nullptr; }
    // On SQLite, a query stepped on demand beside a selectRows in progress (see SqliteCursor); null on
    // other databases.
    std::unique_ptr<SqliteCursor> cursor(const QString& sql);
    // Runs a statement that cannot be prepared (DDL).
    void execDirect(const QString& sql);
    // BEGIN, COMMIT, ROLLBACK: prepared once where the database allows it.
    void execControl(const QString& sql);

    // Whether a Transaction is open on this connection (kept by Transaction).
    bool inTransaction() const { return inTransaction_; }
    void setInTransaction(bool open) { inTransaction_ = open; }

    // Whether the connection still answers a query.
    bool answers();
    // After a failure: when the connection no longer answers (the database server restarted), drops
    // it and opens a new one. Throws SqlFailure when that fails too.
    void recoverConnection();

private:
    void open();
    void close();
    void reconnect();
    QSqlQuery& run(const QString& sql, const QVariantList& values);

    DatabaseSpec spec_;
    SqlDialect dialect_;
    QString connectionName_;
    QHash<QString, QSqlQuery> statements_;
    std::unique_ptr<SqliteStatements> native_;
    bool inTransaction_ = false;
};
