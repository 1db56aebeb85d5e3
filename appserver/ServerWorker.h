#pragma once

#include "AppServerOptions.h"
#include "LimitedTcpServer.h"

#include <QSemaphore>
#include <QString>
#include <QThread>

class ConnectionBudget;

// One thread serving HTTP on its own listening socket, with its own database connection and
// prepared statements. Everything it uses is created and destroyed inside the thread.
class ServerWorker : public QThread {
    Q_OBJECT

public:
    ServerWorker(const AppServerOptions& options, qintptr listeningSocket, ConnectionBudget& budget);
    ~ServerWorker() override;

    // Starts the thread and waits until it serves; throws Exception with its reason when it cannot.
    void startServing();

protected:
    void run() override;

private:
    void serve();

    AppServerOptions options_;
    qintptr listeningSocket_;
    ConnectionBudget& budget_;
    QSemaphore ready_;
    QString failure_;
};
