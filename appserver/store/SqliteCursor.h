#pragma once

#include "DatabaseRow.h"

#include <QString>
#include <QVariantList>

class SqliteStatements;
struct sqlite3_stmt;

// One query stepped on demand, beside a select in progress on the same connection, as a merge of two
// ordered reads needs; started over with other values where a seek beats stepping on. Its row is read
// in place and valid until the next step. Uses the connection's prepared statement for its text, so
// one cursor per text at a time, and resets it when destroyed: no read snapshot stays pinned. Failures
// raise SqlFailure.
class SqliteCursor {
public:
    SqliteCursor(SqliteStatements& statements, const QString& sql);
    ~SqliteCursor();
    SqliteCursor(const SqliteCursor&) = delete;
    SqliteCursor& operator=(const SqliteCursor&) = delete;

    // Binds `values` and steps to the first row.
    void start(const QVariantList& values);
    // Steps to the next row; past the last one it stays there.
    void next();
    // Whether row() is a row: false before start() and past the last row.
    bool atRow() const { return atRow_; }
    const DatabaseRow& row() const { return row_; }

private:
    void step();

    SqliteStatements& statements_;
    QString sql_;
    sqlite3_stmt* statement_;
    DatabaseRow row_;
    bool atRow_ = false;
};
