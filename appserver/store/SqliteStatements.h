#pragma once

#include "DatabaseRow.h"

#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <unordered_map>

struct sqlite3;

// Queries on the SQLite connection beneath a Qt one, prepared once each and stepped through SQLite's
// own API: rows are read in place instead of copied column by column into variants first. Does not
// own the connection; must be destroyed before it closes. Failures raise SqlFailure.
class SqliteStatements {
public:
    explicit SqliteStatements(sqlite3* connection) : connection_(connection) {}

    void select(const QString& sql, const QVariantList& values,
                const std::function<void(const DatabaseRow&)>& row);

private:
    friend class SqliteCursor;

    struct Finalize {
        void operator()(sqlite3_stmt* statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

    sqlite3_stmt* prepared(const QString& sql);
    void bind(sqlite3_stmt* statement, const QVariantList& values, const QString& sql);
    [[noreturn]] void fail(const QString& driverText, const QString& sql) const;

    sqlite3* connection_;
    std::unordered_map<QString, Statement> statements_;
};
