#include "LimitedTcpServer.h"

#include "ConnectionBalancer.h"
#include "HttpConnection.h"

#include <QTcpSocket>

LimitedTcpServer::LimitedTcpServer(Limits limits, ConnectionBalancer& balancer, RpcEndpoint& endpoint,
                                   QObject* parent)
    : QTcpServer(parent), limits_(limits), balancer_(balancer), endpoint_(endpoint)
{
    sweep_.setInterval(std::max(limits_.idleTimeout / 4, std::chrono::milliseconds(100)));
    connect(&sweep_, &QTimer::timeout, this, &LimitedTcpServer::closeIdle);
    sweep_.start();
    balancer_.join(this);
}

LimitedTcpServer::~LimitedTcpServer()
{
    for (qsizetype i = 0; i < connections_.size(); ++i)
        balancer_.release(this);
    balancer_.leave(this);
}

void LimitedTcpServer::incomingConnection(qintptr descriptor)
{
    if (balancer_.place(descriptor))
        return;
    QTcpSocket refused;
    refused.setSocketDescriptor(descriptor);
    refused.abort();
}

void LimitedTcpServer::adopt(qintptr descriptor)
{
    auto socket = std::make_unique<QTcpSocket>();
    if (!socket->setSocketDescriptor(descriptor)) {
        balancer_.release(this);
        return;
    }
    // Answers go out whole in one write; never hold one back waiting for an acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto* connection = new HttpConnection(socket.release(), endpoint_, limits_.maxRequestBytes, this);
    connections_.insert(connection);
    connect(connection, &HttpConnection::closed, this, [this, connection] {
        if (connections_.remove(connection))
            balancer_.release(this);
        connection->deleteLater();
    });
}

void LimitedTcpServer::closeIdle()
{
    const qint64 limit = limits_.idleTimeout.count();
    // Closing may report at once and change the set: look first, close after.
    QList<HttpConnection*> idle;
    for (HttpConnection* connection : std::as_const(connections_)) {
        if (connection->idleMs() > limit)
            idle.append(connection);
    }
    for (HttpConnection* connection : idle)
        connection->close();
}
