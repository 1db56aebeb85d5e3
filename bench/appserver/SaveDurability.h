#pragma once

#include <QString>

// What a save costs on SQLite when it is on disk before it is acknowledged (synchronous=FULL, as the
// server runs) against the log merely handed to the operating system (NORMAL): one line modified per
// save through ChangeSetWriter, its history row included, on the same file, side by side.
namespace SaveDurability {

struct Result {
    double normalMicros; // per save, best of the rounds
    double fullMicros;
};

Result run(const QString& path, int saves, int rounds);

} // namespace SaveDurability
