#include "HttpConnection.h"

#include "HttpAnswer.h"
#include "RpcEndpoint.h"

#include <QTcpSocket>
#include <sys/socket.h>

namespace {

// What one socket may hold of a client's bytes that the reader has not taken yet.
constexpr qint64 ReadBufferBytes = 256 * 1024;
// How long, and for how many more bytes, a goodbye waits for the client to close its side once
// everything is sent. A client still sending after that is reset.
constexpr qint64 LingerMs = 2000;
constexpr qint64 LingerBytes = 1024 * 1024;

} // namespace

HttpConnection::HttpConnection(QTcpSocket* socket, RpcEndpoint& endpoint, const Limits& limits,
                               QObject* parent)
    : QObject(parent), socket_(socket), endpoint_(endpoint), reader_(limits.maxBodyBytes), limits_(limits),
      loopbackPeer_(socket->peerAddress().isLoopback()),
      peer_(socket->peerAddress().toString().toLatin1())
{
    socket_->setParent(this);
    // While answers are held back the socket stops taking bytes too, and the client's sends stall.
    socket_->setReadBufferSize(ReadBufferBytes);
    sinceActive_.start();
    connect(socket_, &QTcpSocket::readyRead, this, &HttpConnection::readRequests);
    connect(socket_, &QTcpSocket::bytesWritten, this, &HttpConnection::sent);
    connect(socket_, &QTcpSocket::disconnected, this, &HttpConnection::ended);
}

bool HttpConnection::overdue() const
{
    const qint64 idle = sinceActive_.elapsed();
    if (closing_)
        return idle > limits_.idleTimeout.count() || (halfClosed_ && sinceClosing_.elapsed() > LingerMs);
    if (inRequest_ && !paused_) {
        const auto allowed = headIn_ ? limits_.bodyTimeout : limits_.headTimeout;
        return sinceRequest_.elapsed() > allowed.count();
    }
    return idle > limits_.idleTimeout.count();
}

void HttpConnection::abort()
{
    if (ended_)
        return;
    // No lingering in the kernel either: the unsent answers go now, with a reset.
    const ::linger reset{1, 0};
    ::setsockopt(int(socket_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    socket_->abort();
    ended();
}

void HttpConnection::ended()
{
    if (!std::exchange(ended_, true))
        emit closed();
}

void HttpConnection::readRequests()
{
    if (closing_) {
        dropped_ += socket_->readAll().size();
        if (dropped_ > LingerBytes)
            abort();
        return;
    }
    if (paused_)
        return;
    reader_.feed(socket_->readAll());
    if (!inRequest_ && reader_.buffered() > 0) {
        inRequest_ = true;
        sinceRequest_.start();
    }
    serve();
}

void HttpConnection::serve()
{
    HttpRequest request;
    while (!closing_) {
        if (socket_->bytesToWrite() > limits_.maxUnsentBytes) {
            paused_ = true;
            break;
        }
        switch (reader_.next(request)) {
        case HttpRequestReader::Outcome::NeedMore:
            // Sent now rather than on the event loop's next turn, which would cost a wake-up per call.
            socket_->flush();
            return;
        case HttpRequestReader::Outcome::Head:
            headIn_ = true;
            if (const auto refusal = endpoint_.refusal(request)) {
                socket_->write(refusal->wire(false));
                close();
            }
            break;
        case HttpRequestReader::Outcome::Request:
            requestDone();
            request.peer = peer_;
            socket_->write(endpoint_.answer(request, loopbackPeer_).wire(request.keepAlive));
            if (!request.keepAlive)
                close();
            break;
        case HttpRequestReader::Outcome::Malformed:
            return refuse(400, "malformed request\n");
        case HttpRequestReader::Outcome::TooLarge:
            return refuse(413, "request too large\n");
        case HttpRequestReader::Outcome::LengthRequired:
            return refuse(411, "a Content-Length is required\n");
        }
    }
    socket_->flush();
}

void HttpConnection::requestDone()
{
    sinceActive_.restart();
    headIn_ = false;
    inRequest_ = reader_.buffered() > 0;
    if (inRequest_)
        sinceRequest_.restart();
}

void HttpConnection::sent()
{
    sinceActive_.restart();
    if (closing_) {
        if (socket_->bytesToWrite() == 0)
            closeOurSide();
    } else if (paused_ && socket_->bytesToWrite() <= limits_.maxUnsentBytes / 2) {
        paused_ = false;
        readRequests();
    }
}

void HttpConnection::refuse(int status, const QByteArray& text)
{
    socket_->write(HttpAnswer{status, "text/plain", text}.wire(false));
    close();
}

void HttpConnection::close()
{
    closing_ = true;
    socket_->flush();
    if (socket_->bytesToWrite() == 0)
        closeOurSide();
}

void HttpConnection::closeOurSide()
{
    if (std::exchange(halfClosed_, true))
        return;
    sinceClosing_.start();
    ::shutdown(int(socket_->socketDescriptor()), SHUT_WR);
}
