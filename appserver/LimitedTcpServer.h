#pragma once

#include "RequestSizeGuard.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>
#include <QTimer>
#include <chrono>

class ConnectionBudget;
class QTcpSocket;

// The listening socket handed to the HTTP server, with the limits it lacks: idle keep-alive
// connections are closed, connections beyond the cap are closed at once, and a request larger than
// the byte cap is answered 413 and its connection closed before it is buffered whole.
class LimitedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    struct Limits {
        std::chrono::milliseconds idleTimeout{60000};
        qint64 maxRequestBytes = 8 * 1024 * 1024;
    };

    // `budget` caps the connections of every server sharing it.
    LimitedTcpServer(Limits limits, ConnectionBudget& budget, QObject* parent = nullptr);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Watch {
        qint64 lastActive = 0;
        RequestSizeGuard guard;
    };

    void watch(QTcpSocket* socket);
    void onReadyRead(QTcpSocket* socket);
    void closeIdle();
    void refuseOversized(QTcpSocket* socket);

    Limits limits_;
    ConnectionBudget& budget_;
    QElapsedTimer clock_;
    // One timer sweeps every connection: cheaper than restarting a timer per socket on each request.
    QTimer sweep_;
    QHash<QTcpSocket*, Watch> watched_;
};
