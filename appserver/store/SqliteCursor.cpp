#include "SqliteCursor.h"

#include "SqliteStatements.h"

#include <sqlite3.h>

SqliteCursor::SqliteCursor(SqliteStatements& statements, const QString& sql)
    : statements_(statements), sql_(sql), statement_(statements.prepared(sql)), row_(statement_)
{}

SqliteCursor::~SqliteCursor()
{
    sqlite3_reset(statement_);
}

void SqliteCursor::start(const QVariantList& values)
{
    atRow_ = false;
    sqlite3_reset(statement_);
    statements_.bind(statement_, values, sql_);
    step();
}

void SqliteCursor::next()
{
    // Stepping a finished statement would run it again from the start.
    if (atRow_)
        step();
}

void SqliteCursor::step()
{
    const int code = sqlite3_step(statement_);
    atRow_ = code == SQLITE_ROW;
    if (atRow_)
        row_.stepped();
    else if (code != SQLITE_DONE)
        statements_.fail(QStringLiteral("Unable to fetch row"), sql_);
}
