#pragma once

#include "AppServerOptions.h"

#include <QObject>
#include <QSslConfiguration>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class ConnectionBalancer;
class Database;
class Housekeeping;
class ListeningSocket;
class ReadinessProbe;
class ServerWorker;

// The whole server: the database brought up to date, then worker threads serving HTTP on one port and
// a housekeeping thread. This thread only starts and stops them, so it takes a stop signal at once.
// With a certificate and key it serves HTTPS only.
class AppServer : public QObject {
    Q_OBJECT

public:
    // Reads the TLS files, migrates `database` (seeding it when asked). Throws Exception when it cannot.
    AppServer(const AppServerOptions& options, std::unique_ptr<Database> database, QObject* parent = nullptr);
    ~AppServer() override;

    // Starts the workers listening and returns the bound port. Throws Exception when it cannot.
    quint16 listen();
    // Reads the certificate and key of `fresh` (the options read again) and has every worker serve
    // new connections with them; connections under way keep theirs. A file that cannot be read leaves
    // the old pair in place, with a warning.
    void reloadTls(const AppServerOptions& fresh);
    // Stops accepting at once, lets the calls in flight finish and be answered, and ends every
    // connection; `stopped` follows, at the latest after the shutdown timeout.
    void stop();

signals:
    // `drained` is false when calls were still under way at the timeout.
    void stopped(bool drained);

private:
    void workerDrained();

    AppServerOptions options_;
    std::optional<QSslConfiguration> tls_;
    std::unique_ptr<Database> database_;
    std::unique_ptr<ListeningSocket> listener_;
    std::unique_ptr<ConnectionBalancer> balancer_;
    std::unique_ptr<ReadinessProbe> readiness_;
    std::vector<std::unique_ptr<ServerWorker>> workers_;
    std::unique_ptr<Housekeeping> housekeeping_;
    QTimer stopTimer_;
    std::size_t draining_ = 0;
    bool stopping_ = false;
};
