#include "LimitedTcpServer.h"

#include "RequestSizeGuard.h"

#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace {

const QByteArray PayloadTooLarge = "HTTP/1.1 413 Payload Too Large\r\n"
                                   "Content-Type: text/plain\r\n"
                                   "Content-Length: 18\r\n"
                                   "Connection: close\r\n\r\n"
                                   "request too large\n";

// Enough to hold the request line and headers of any sane request.
constexpr qint64 HeadPeek = 8192;

} // namespace

LimitedTcpServer::LimitedTcpServer(Limits limits, QObject* parent) : QTcpServer(parent), limits_(limits) {}

void LimitedTcpServer::incomingConnection(qintptr descriptor)
{
    if (open_ >= limits_.maxConnections) {
        QTcpSocket refused;
        refused.setSocketDescriptor(descriptor);
        refused.abort();
        return;
    }
    // Parented to the server until the HTTP server takes it; it deletes the socket once disconnected.
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        socket->deleteLater();
        return;
    }
    ++open_;
    connect(socket, &QObject::destroyed, this, [this] { --open_; });
    watch(socket);
    addPendingConnection(socket);
}

void LimitedTcpServer::watch(QTcpSocket* socket)
{
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    idle->setInterval(limits_.idleTimeout);
    connect(idle, &QTimer::timeout, socket, &QTcpSocket::disconnectFromHost);
    idle->start();

    auto guard = std::make_shared<RequestSizeGuard>(limits_.maxRequestBytes);
    // Connected before the HTTP server's own handler, so an oversized request is stopped first.
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, idle, guard] {
        idle->start();
        const qint64 available = socket->bytesAvailable();
        const QByteArray head = guard->startsRequest() ? socket->peek(HeadPeek) : QByteArray();
        if (guard->tooLarge(available, head))
            refuseOversized(socket);
    });
    connect(socket, &QTcpSocket::bytesWritten, socket, [idle, guard] {
        idle->start();
        guard->requestAnswered();
    });
}

void LimitedTcpServer::refuseOversized(QTcpSocket* socket)
{
    // No one else may read this request: the HTTP server would buffer it whole.
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->write(PayloadTooLarge);
    socket->disconnectFromHost();
}
