#pragma once

#include "AppServerOptions.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

class ConnectionBalancer;
class Database;
class ServerWorker;

// The whole server: the database brought up to date, then worker threads serving HTTP on one port.
// This thread keeps a connection of its own for housekeeping: purging expired reservations and, on
// SQLite, checkpointing the write-ahead log.
class AppServer : public QObject {
    Q_OBJECT

public:
    // Opens and migrates the database (seeding it when asked). Throws Exception when it cannot.
    explicit AppServer(const AppServerOptions& options, QObject* parent = nullptr);
    ~AppServer() override;

    // Starts the workers listening and returns the bound port. Throws Exception when it cannot.
    quint16 listen();

private:
    void purgeExpired();
    void checkpoint();
    void restartLog();

    AppServerOptions options_;
    std::unique_ptr<Database> database_;
    std::unique_ptr<ConnectionBalancer> balancer_;
    std::vector<std::unique_ptr<ServerWorker>> workers_;
    QTimer purgeTimer_;
    QTimer checkpointTimer_;
};
