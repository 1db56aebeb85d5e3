#pragma once

#include <QSet>
#include <QTcpServer>
#include <QTimer>
#include <chrono>

class ConnectionBalancer;
class HttpConnection;
class RpcEndpoint;

// One worker's share of the listening socket, serving HTTP within limits: idle keep-alive connections
// are closed, connections beyond the cap are closed at once, and a request larger than the byte cap is
// answered 413 and its connection closed before it is buffered whole. Accepted connections go through
// the balancer, which may give them to another worker.
class LimitedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    struct Limits {
        std::chrono::milliseconds idleTimeout{60000};
        qint64 maxRequestBytes = 8 * 1024 * 1024;
    };

    LimitedTcpServer(Limits limits, ConnectionBalancer& balancer, RpcEndpoint& endpoint,
                     QObject* parent = nullptr);
    ~LimitedTcpServer() override;

    // Serves an accepted connection in this server's thread.
    void adopt(qintptr descriptor);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void closeIdle();

    Limits limits_;
    ConnectionBalancer& balancer_;
    RpcEndpoint& endpoint_;
    // One timer sweeps every connection: cheaper than restarting a timer per socket on each request.
    QTimer sweep_;
    QSet<HttpConnection*> connections_;
};
