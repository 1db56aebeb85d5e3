#pragma once

struct sqlite3;

// Holds a SQLite connection's write-ahead log within its bound from the writers' side. The
// housekeeping thread's checkpoints keep the log far smaller while the machine has time to spare; on a
// starved one its restarts come too late or give up behind slow readers, and the log grew past the
// bound. So once a commit leaves more than half the bound in the log, the connection that committed
// starts the log over before its call is answered, waiting for the readers still in it (new ones read
// the database file meanwhile); the server's writer lock, still held, keeps other writers out.
namespace SqliteLogBound {

void install(sqlite3* connection);

} // namespace SqliteLogBound
