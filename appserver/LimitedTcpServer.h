#pragma once

#include <QTcpServer>
#include <chrono>

class QTcpSocket;

// The listening socket handed to the HTTP server, with the limits it lacks: idle keep-alive
// connections are closed, connections beyond the cap are closed at once, and a request larger than
// the byte cap is answered 413 and its connection closed before it is buffered whole.
class LimitedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    struct Limits {
        std::chrono::milliseconds idleTimeout{60000};
        int maxConnections = 256;
        qint64 maxRequestBytes = 8 * 1024 * 1024;
    };

    explicit LimitedTcpServer(Limits limits, QObject* parent = nullptr);

    int openConnections() const { return open_; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void watch(QTcpSocket* socket);
    void refuseOversized(QTcpSocket* socket);

    Limits limits_;
    int open_ = 0;
};
