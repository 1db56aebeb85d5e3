#pragma once

#include "AppServerOptions.h"
#include "LimitedTcpServer.h"

#include <QSemaphore>
#include <QSslConfiguration>
#include <QString>
#include <QThread>
#include <optional>

class ConnectionBalancer;
class ReadinessProbe;

// One thread serving HTTP, accepting from its own descriptor of the shared listening socket, with its own
// database connection and prepared statements. Everything it uses is created and destroyed inside it.
class ServerWorker : public QThread {
    Q_OBJECT

public:
    ServerWorker(const AppServerOptions& options, std::optional<QSslConfiguration> tls,
                 qintptr listeningSocket, ConnectionBalancer& balancer, ReadinessProbe& readiness);
    ~ServerWorker() override;

    // Starts the thread and waits until it serves; throws Exception with its reason when it cannot.
    void startServing();
    // Asks the worker, in its own thread, to stop accepting and end its connections as their calls
    // finish; `drained` follows when none is left. A worker busy with a call gets to it after the call.
    void drain();
    // New connections are served with `tls` from now on (asked of the worker's own thread).
    void setTls(const QSslConfiguration& tls);

signals:
    void drained();

protected:
    void run() override;

private:
    void serve();

    AppServerOptions options_;
    const std::optional<QSslConfiguration> tls_; // as at start
    // Set before the worker reports ready, lives until its thread ends.
    LimitedTcpServer* server_ = nullptr;
    qintptr listeningSocket_;
    ConnectionBalancer& balancer_;
    ReadinessProbe& readiness_;
    QSemaphore ready_;
    QString failure_;
};
