#include "HttpConnection.h"

#include "CommitGroup.h"
#include "ConnectionRefusals.h"
#include "HttpAnswer.h"
#include "RpcEndpoint.h"
#include "TokenTransport.h"

#include <QSslSocket>
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
    : QObject(parent), socket_(socket), tls_(qobject_cast<QSslSocket*>(socket)), endpoint_(endpoint),
      reader_(limits.maxBodyBytes), limits_(limits), loopbackPeer_(socket->peerAddress().isLoopback())
{
    socket_->setParent(this);
    // While answers are held back the socket stops taking bytes too, and the client's sends stall.
    socket_->setReadBufferSize(ReadBufferBytes);
    sinceActive_.start();
    connect(socket_, &QTcpSocket::readyRead, this, &HttpConnection::readRequests);
    // A QSslSocket says bytesWritten once its TLS layer took the plain text, before the records are
    // even handed to the socket: a goodbye closing our side then would cut the answer it just wrote.
    if (tls_)
        connect(tls_, &QSslSocket::encryptedBytesWritten, this, &HttpConnection::sent);
    else
        connect(socket_, &QTcpSocket::bytesWritten, this, &HttpConnection::sent);
    connect(socket_, &QTcpSocket::disconnected, this, &HttpConnection::ended);
    inRequest_ = true;
    sinceRequest_.start();
    if (tls_ && !tls_->isEncrypted()) {
        // A client that never ends its handshake is as slow as one that never ends its head.
        handshaking_ = true;
        connect(tls_, &QSslSocket::encrypted, this, &HttpConnection::encrypted);
        connect(tls_, &QSslSocket::errorOccurred, this, &HttpConnection::handshakeFailed);
    }
}

void HttpConnection::encrypted()
{
    handshaking_ = false;
    readRequests();
}

void HttpConnection::handshakeFailed(QAbstractSocket::SocketError error)
{
    // A client that merely connects and leaves (a load balancer's TCP check) ends as any other does.
    const bool tlsFailed =
        error == QAbstractSocket::SslHandshakeFailedError || error == QAbstractSocket::SslInternalError;
    if (!handshaking_ || ended_ || !tlsFailed)
        return;
    handshaking_ = false;
    ConnectionRefusals::process().record(Metrics::Refusal::TlsHandshake, socket_->peerAddress(),
                                         socket_->errorString());
    // Not from inside the socket's own signal.
    QMetaObject::invokeMethod(this, &HttpConnection::abort, Qt::QueuedConnection);
}

qint64 HttpConnection::unsent() const
{
    return socket_->bytesToWrite() + (tls_ ? tls_->encryptedBytesToWrite() : 0);
}

bool HttpConnection::refusedInClear(const HttpRequest& request)
{
    const QByteArray refusal = TokenTransport::refusalInClear(request, tls_ != nullptr, loopbackPeer_);
    if (refusal.isEmpty())
        return false;
    // Logged by what carried the secret, never with it.
    ConnectionRefusals::process().record(Metrics::Refusal::SecretInClear, socket_->peerAddress(),
                                         request.authorization.isEmpty() ? u"a password in a Login call"
                                                                         : u"the Authorization header");
    refuse(403, refusal);
    return true;
}

void HttpConnection::finish()
{
    finishing_ = true;
    if (handshaking_)
        abort();
    else if (reader_.buffered() == 0 && !closing_ && !awaiting_)
        close();
}

bool HttpConnection::overdue() const
{
    const qint64 idle = sinceActive_.elapsed();
    if (closing_)
        return idle > limits_.idleTimeout.count() || (halfClosed_ && sinceClosing_.elapsed() > LingerMs);
    // A sign-in being checked: the client waits for us, within the idle timeout.
    if (inRequest_ && !paused_ && !awaiting_) {
        const auto allowed = headIn_ ? limits_.bodyTimeout : limits_.headTimeout;
        // Not a byte of the request yet: idle as well as late.
        return sinceRequest_.elapsed() > allowed.count() ||
               (reader_.buffered() == 0 && idle > limits_.idleTimeout.count());
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
    if (paused_ || handshaking_ || awaiting_)
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
        if (unsent() > limits_.maxUnsentBytes) {
            paused_ = true;
            break;
        }
        switch (reader_.next(request)) {
        case HttpRequestReader::Outcome::NeedMore:
            // Sent now rather than on the event loop's next turn, which would cost a wake-up per call.
            push();
            return;
        case HttpRequestReader::Outcome::Head:
            headIn_ = true;
            if (refusedInClear(request))
                return;
            if (const auto refusal = endpoint_.refusal(request, socket_->peerAddress())) {
                socket_->write(refusal->wire(false));
                holdForCommit();
                close();
            } else if (request.expectsContinue) {
                // Else such a client waits a second or so before it sends the body anyway.
                socket_->write("HTTP/1.1 100 Continue\r\n\r\n");
            }
            break;
        case HttpRequestReader::Outcome::Request: {
            // The head was judged by its header; the body may hold a password.
            if (refusedInClear(request))
                return;
            requestDone();
            answer(request);
            if (awaiting_)
                return;
            break;
        }
        case HttpRequestReader::Outcome::Malformed:
            return refuse(400, "malformed request\n");
        case HttpRequestReader::Outcome::TooLarge:
            return refuse(413, "request too large\n");
        case HttpRequestReader::Outcome::LengthRequired:
            return refuse(411, "a Content-Length is required\n");
        }
    }
    push();
}

void HttpConnection::requestDone()
{
    if (!std::exchange(answered_, true))
        emit firstAnswered();
    sinceActive_.restart();
    headIn_ = false;
    inRequest_ = reader_.buffered() > 0;
    if (inRequest_)
        sinceRequest_.restart();
}

void HttpConnection::answer(const HttpRequest& request)
{
    const auto later = [self = QPointer(this), keepAlive = request.keepAlive](const HttpAnswer& reply) {
        // The connection may have gone while the answer was being made.
        if (self)
            self->answered(reply, keepAlive);
    };
    if (const auto now = endpoint_.answer(request, socket_->peerAddress(), later))
        return answered(*now, request.keepAlive);
    awaiting_ = true;
    // What was already answered leaves now.
    push();
}

void HttpConnection::answered(const HttpAnswer& reply, bool keepAlive)
{
    const bool later = std::exchange(awaiting_, false);
    if (ended_)
        return;
    // A stopping server answers what it was asked, then says goodbye.
    keepAlive = keepAlive && !finishing_;
    socket_->write(reply.wire(keepAlive));
    holdForCommit();
    if (!keepAlive)
        close();
    else if (later) {
        sinceActive_.restart();
        // The requests that came meanwhile, and what is sent.
        readRequests();
    }
}

void HttpConnection::holdForCommit()
{
    if (held_)
        return;
    if (CommitGroup* group = endpoint_.pendingCommit()) {
        held_ = true;
        connect(group, &CommitGroup::settled, this, &HttpConnection::commitSettled, Qt::SingleShotConnection);
    }
}

void HttpConnection::commitSettled(bool committed)
{
    held_ = false;
    if (!committed)
        return abort();
    socket_->flush();
    if (closing_ && unsent() == 0)
        closeOurSide();
}

void HttpConnection::push()
{
    if (!held_)
        socket_->flush();
}

void HttpConnection::sent()
{
    sinceActive_.restart();
    if (closing_) {
        if (unsent() == 0)
            closeOurSide();
    } else if (paused_ && unsent() <= limits_.maxUnsentBytes / 2) {
        paused_ = false;
        readRequests();
    }
}

void HttpConnection::refuse(int status, const QByteArray& text)
{
    socket_->write(HttpAnswer{status, "text/plain", text}.wire(false));
    holdForCommit();
    close();
}

void HttpConnection::close()
{
    closing_ = true;
    reader_.discard();
    // A held answer goes, and the goodbye after it, once its commit is settled.
    if (held_)
        return;
    socket_->flush();
    if (unsent() == 0)
        closeOurSide();
}

void HttpConnection::closeOurSide()
{
    if (std::exchange(halfClosed_, true))
        return;
    sinceClosing_.start();
    ::shutdown(int(socket_->socketDescriptor()), SHUT_WR);
}
