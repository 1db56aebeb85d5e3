#pragma once

#include "ConnectionBalancer.h"
#include "HttpConnection.h"

#include <QHash>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTimer>
#include <optional>

class RpcEndpoint;

// One worker's share of the listening socket, serving HTTP within limits: connections that overstay
// (idle, a head or body late, answers not taken) are reset, connections beyond the caps are closed at
// once, and a request larger than the byte cap is answered 413 and its connection closed before it is
// buffered whole. Accepted connections go through the balancer, which may give them to another worker
// and, when the server is full, have one not yet answered closed to make room.
// Given a TLS configuration, every connection speaks TLS.
class LimitedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    using Limits = HttpConnection::Limits;

    LimitedTcpServer(Limits limits, std::optional<QSslConfiguration> tls, ConnectionBalancer& balancer,
                     RpcEndpoint& endpoint, QObject* parent = nullptr);
    ~LimitedTcpServer() override;

    // Serves an accepted connection in this server's thread.
    void adopt(qintptr descriptor, ConnectionBalancer::Id id, const QHostAddress& peer);
    // Ends connection `id` at once, to make room for a new one.
    void crowdOut(ConnectionBalancer::Id id);
    // Stops accepting and ends each connection once its request under way is answered; `drained`
    // follows when none is left.
    void drain();
    // Connections accepted from now on speak TLS with `tls`; those under way keep theirs. Only for a
    // server that speaks TLS.
    void setTls(const QSslConfiguration& tls) { tls_ = tls; }

signals:
    void drained();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void endOverdue();
    void forget(HttpConnection* connection);
    void reportDrained();

    Limits limits_;
    std::optional<QSslConfiguration> tls_;
    bool draining_ = false;
    bool drainReported_ = false;
    ConnectionBalancer& balancer_;
    RpcEndpoint& endpoint_;
    // One timer sweeps every connection: cheaper than restarting a timer per socket on each request.
    QTimer sweep_;
    struct Client {
        ConnectionBalancer::Id id;
        QHostAddress peer;
    };
    QHash<HttpConnection*, Client> connections_;
    QHash<ConnectionBalancer::Id, HttpConnection*> byId_;
};
