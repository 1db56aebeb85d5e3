#include "LimitedTcpServer.h"

#include "ConnectionBalancer.h"

#include <QTcpSocket>

namespace {

const QByteArray PayloadTooLarge = "HTTP/1.1 413 Payload Too Large\r\n"
                                   "Content-Type: text/plain\r\n"
                                   "Content-Length: 18\r\n"
                                   "Connection: close\r\n\r\n"
                                   "request too large\n";

// Enough to hold the request line and headers of any sane request.
constexpr qint64 HeadPeek = 8192;

} // namespace

LimitedTcpServer::LimitedTcpServer(Limits limits, ConnectionBalancer& balancer, QObject* parent)
    : QTcpServer(parent), limits_(limits), balancer_(balancer)
{
    clock_.start();
    sweep_.setInterval(std::max(limits_.idleTimeout / 4, std::chrono::milliseconds(100)));
    connect(&sweep_, &QTimer::timeout, this, &LimitedTcpServer::closeIdle);
    sweep_.start();
    balancer_.join(this);
}

LimitedTcpServer::~LimitedTcpServer()
{
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
    // Parented to the server until the HTTP server takes it; it deletes the socket once disconnected.
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        balancer_.release(this);
        socket->deleteLater();
        return;
    }
    // Answers go out whole in one write; never hold one back waiting for an acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    watch(socket);
    addPendingConnection(socket);
    emit newConnection();
}

void LimitedTcpServer::watch(QTcpSocket* socket)
{
    watched_.insert(socket, Watch{clock_.elapsed(), RequestSizeGuard(limits_.maxRequestBytes)});
    // The pointer is only a key here: the socket is already gone.
    connect(socket, &QObject::destroyed, this, [this, socket] {
        watched_.remove(socket);
        balancer_.release(this);
    });
    // Connected before the HTTP server's own handler, so an oversized request is stopped first.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        const auto w = watched_.find(socket);
        if (w == watched_.end())
            return;
        w->lastActive = clock_.elapsed();
        w->guard.requestAnswered();
    });
}

void LimitedTcpServer::onReadyRead(QTcpSocket* socket)
{
    const auto w = watched_.find(socket);
    if (w == watched_.end())
        return;
    w->lastActive = clock_.elapsed();
    const qint64 available = socket->bytesAvailable();
    const QByteArray head = w->guard.startsRequest() ? socket->peek(HeadPeek) : QByteArray();
    if (w->guard.tooLarge(available, head))
        refuseOversized(socket);
}

void LimitedTcpServer::closeIdle()
{
    const qint64 oldest = clock_.elapsed() - limits_.idleTimeout.count();
    QList<QTcpSocket*> idle;
    for (auto it = watched_.cbegin(); it != watched_.cend(); ++it) {
        if (it->lastActive < oldest)
            idle.append(it.key());
    }
    for (QTcpSocket* socket : idle)
        socket->disconnectFromHost();
}

void LimitedTcpServer::refuseOversized(QTcpSocket* socket)
{
    // No one else may read this request: the HTTP server would buffer it whole.
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->write(PayloadTooLarge);
    socket->disconnectFromHost();
}
