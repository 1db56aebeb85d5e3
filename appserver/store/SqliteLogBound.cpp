#include "SqliteLogBound.h"

#include "SqlDialect.h"

#include <cstdint>
#include <sqlite3.h>

namespace {

int pageSize(sqlite3* connection)
{
    sqlite3_stmt* statement = nullptr;
    int size = 4096;
    if (sqlite3_prepare_v2(connection, "PRAGMA page_size", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        size = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return size > 0 ? size : 4096;
}

// Called by SQLite after each commit with the pages now in the log; `limit` holds the most allowed.
int afterCommit(void* limit, sqlite3* connection, const char* database, int pages)
{
    if (pages > reinterpret_cast<std::intptr_t>(limit))
        sqlite3_wal_checkpoint_v2(connection, database, SQLITE_CHECKPOINT_RESTART, nullptr, nullptr);
    return SQLITE_OK;
}

} // namespace

void SqliteLogBound::install(sqlite3* connection)
{
    const std::intptr_t limit = SqlDialect::LogSizeLimit / 2 / pageSize(connection);
    sqlite3_wal_hook(connection, afterCommit, reinterpret_cast<void*>(limit));
}
