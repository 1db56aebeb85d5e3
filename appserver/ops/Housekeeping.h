#pragma once

#include "AppServerOptions.h"

#include <QThread>
#include <chrono>

class Database;

// Purges expired reservations, request outcomes and history rows past their retention and, on SQLite,
// checkpoints the write-ahead log, in a thread of its own with its own connection. Waiting for the writers
// happens there, never in the main thread, which must take a stop signal at once whatever a call is doing.
class Housekeeping : public QThread {
    Q_OBJECT

public:
    explicit Housekeeping(const AppServerOptions& options) : options_(options) {}
    ~Housekeeping() override;

    // One purge, in the caller's thread, on the caller's connection.
    static void purgeExpired(Database& database, const AppServerOptions& options);

protected:
    void run() override;

private:
    void checkpoint(Database& database);
    // False when readers were still in the log after `readersWait`.
    static bool restartLog(Database& database, std::chrono::milliseconds readersWait);

    const AppServerOptions options_;
    // Restarts of the log that gave up in a row.
    int failedRestarts_ = 0;
    qint64 pageBytes_ = 4096;
};
