#pragma once

#include "AppServerOptions.h"

#include <memory>

class Database;
class ShutdownSignal;

// The server's first database connection. A PostgreSQL server that does not answer yet (the machine
// is starting, the database restarts) is asked again 1 s later, then 2, 4… up to every 30 s, with a
// warning each time, instead of the process exiting and leaving the retry to systemd.
namespace DatabaseStart {

// Null when `shutdown` asked to stop while waiting. Throws what opening throws for SQLite, and for a
// refused login or a missing database, which do not pass by themselves.
std::unique_ptr<Database> open(const AppServerOptions& options, ShutdownSignal& shutdown);

} // namespace DatabaseStart
