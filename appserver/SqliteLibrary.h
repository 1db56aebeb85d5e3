#pragma once

// Process-wide settings of the SQLite library, made before any connection opens.
namespace SqliteLibrary {

// Turns off SQLite's memory statistics: they take one global mutex on every allocation, which the
// worker threads' connections would otherwise queue on. Nothing here reads those statistics.
void configureForThreads();

} // namespace SqliteLibrary
