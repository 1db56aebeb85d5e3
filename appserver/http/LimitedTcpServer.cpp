#include "LimitedTcpServer.h"

#include "ConnectionBalancer.h"
#include "Metrics.h"

#include <QSslSocket>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The client's address, read before the socket is handed to any thread.
QHostAddress peerOf(qintptr descriptor)
{
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (::getpeername(int(descriptor), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return {};
    return QHostAddress(reinterpret_cast<const sockaddr*>(&address));
}

} // namespace

LimitedTcpServer::LimitedTcpServer(Limits limits, std::optional<QSslConfiguration> tls,
                                   ConnectionBalancer& balancer, RpcEndpoint& endpoint, QObject* parent)
    : QTcpServer(parent), limits_(limits), tls_(std::move(tls)), balancer_(balancer), endpoint_(endpoint)
{
    const auto shortest = std::min({limits_.idleTimeout, limits_.headTimeout, limits_.bodyTimeout});
    sweep_.setInterval(
        std::clamp(shortest / 4, std::chrono::milliseconds(100), std::chrono::milliseconds(1000)));
    connect(&sweep_, &QTimer::timeout, this, &LimitedTcpServer::endOverdue);
    sweep_.start();
    balancer_.join(this);
}

LimitedTcpServer::~LimitedTcpServer()
{
    for (const QHostAddress& peer : std::as_const(connections_)) {
        balancer_.release(this, peer);
        Metrics::process().connectionClosed();
    }
    balancer_.leave(this);
}

void LimitedTcpServer::incomingConnection(qintptr descriptor)
{
    if (balancer_.place(descriptor, peerOf(descriptor)))
        return;
    QTcpSocket refused;
    refused.setSocketDescriptor(descriptor);
    refused.abort();
}

void LimitedTcpServer::adopt(qintptr descriptor, const QHostAddress& peer)
{
    auto socket = tls_ ? std::make_unique<QSslSocket>() : std::make_unique<QTcpSocket>();
    // Accepted before the stop, placed after it: no request of it can be under way yet.
    if (draining_ || !socket->setSocketDescriptor(descriptor)) {
        if (draining_)
            ::close(int(descriptor));
        balancer_.release(this, peer);
        return;
    }
    // Answers go out whole in one write; never hold one back waiting for an acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto* const tls = qobject_cast<QSslSocket*>(socket.get());
    if (tls)
        tls->setSslConfiguration(*tls_);
    auto* connection = new HttpConnection(socket.release(), endpoint_, limits_, this);
    connections_.insert(connection, peer);
    Metrics::process().connectionOpened();
    connect(connection, &HttpConnection::closed, this, [this, connection] { forget(connection); });
    if (tls)
        tls->startServerEncryption();
}

void LimitedTcpServer::forget(HttpConnection* connection)
{
    const auto at = connections_.constFind(connection);
    if (at == connections_.cend())
        return;
    balancer_.release(this, at.value());
    Metrics::process().connectionClosed();
    connections_.erase(at);
    connection->deleteLater();
    reportDrained();
}

void LimitedTcpServer::reportDrained()
{
    if (draining_ && connections_.isEmpty() && !std::exchange(drainReported_, true))
        emit drained();
}

void LimitedTcpServer::drain()
{
    draining_ = true;
    close();
    // Finishing may end a connection at once, which changes the set.
    const QList<HttpConnection*> open = connections_.keys();
    for (HttpConnection* connection : open)
        connection->finish();
    reportDrained();
}

void LimitedTcpServer::endOverdue()
{
    // Ending reports at once and changes the set: look first, end after.
    QList<HttpConnection*> overdue;
    for (auto at = connections_.cbegin(); at != connections_.cend(); ++at) {
        if (at.key()->overdue())
            overdue.append(at.key());
    }
    for (HttpConnection* connection : overdue)
        connection->abort();
}
