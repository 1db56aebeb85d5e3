#pragma once

// Process-wide settings of the SQLite library, made before any connection opens.
namespace SqliteLibrary {

// Turns off SQLite's memory statistics, which take one global mutex on every allocation that the worker
// threads' connections would queue on (nothing here reads them), and the per-connection mutexes, since
// no connection is shared between threads.
void configureForThreads();

} // namespace SqliteLibrary
