#include "SqliteLibrary.h"

#include <sqlite3.h>

namespace SqliteLibrary {

void configureForThreads()
{
    // Only possible before the library initialises; later it answers SQLITE_MISUSE and stays as it was,
    // which costs speed but nothing else.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

} // namespace SqliteLibrary
