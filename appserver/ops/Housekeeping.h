#pragma once

#include "AppServerOptions.h"

#include <QThread>

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
    static void checkpoint(Database& database);
    static void restartLog(Database& database);

    const AppServerOptions options_;
};
