#pragma once

#include "AppServerOptions.h"
#include "LimitedTcpServer.h"

#include <QSemaphore>
#include <QString>
#include <QThread>

class ConnectionBalancer;

// One thread serving HTTP, accepting from its own descriptor of the shared listening socket, with its own
// database connection and prepared statements. Everything it uses is created and destroyed inside it.
class ServerWorker : public QThread {
    Q_OBJECT

public:
    ServerWorker(const AppServerOptions& options, qintptr listeningSocket, ConnectionBalancer& balancer);
    ~ServerWorker() override;

    // Starts the thread and waits until it serves; throws Exception with its reason when it cannot.
    void startServing();

protected:
    void run() override;

private:
    void serve();

    AppServerOptions options_;
    qintptr listeningSocket_;
    ConnectionBalancer& balancer_;
    QSemaphore ready_;
    QString failure_;
};
