#pragma once

#include "HttpConnection.h"

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTimer>

class ConnectionBalancer;
class RpcEndpoint;

// One worker's share of the listening socket, serving HTTP within limits: connections that overstay
// (idle, a head or body late, answers not taken) are reset, connections beyond the caps are closed at
// once, and a request larger than the byte cap is answered 413 and its connection closed before it is
// buffered whole. Accepted connections go through the balancer, which may give them to another worker.
class LimitedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    using Limits = HttpConnection::Limits;

    LimitedTcpServer(Limits limits, ConnectionBalancer& balancer, RpcEndpoint& endpoint,
                     QObject* parent = nullptr);
    ~LimitedTcpServer() override;

    // Serves an accepted connection in this server's thread.
    void adopt(qintptr descriptor, const QHostAddress& peer);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void endOverdue();

    Limits limits_;
    ConnectionBalancer& balancer_;
    RpcEndpoint& endpoint_;
    // One timer sweeps every connection: cheaper than restarting a timer per socket on each request.
    QTimer sweep_;
    QHash<HttpConnection*, QHostAddress> connections_;
};
