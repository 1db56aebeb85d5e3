#include "SqliteLibrary.h"

#include <sqlite3.h>

namespace SqliteLibrary {

void configureForThreads()
{
    // Only possible before the library initialises; later it answers SQLITE_MISUSE and stays as it was,
    // which costs speed but nothing else.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    // Each worker thread has a connection of its own and never shares it, so the per-connection
    // mutexes of SQLite's serialized mode guard nothing here.
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
}

} // namespace SqliteLibrary
