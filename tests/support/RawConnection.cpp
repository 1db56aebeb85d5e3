#include "RawConnection.h"

#include <QDeadlineTimer>
#include <QThread>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(const char* address, quint16 port)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &out.sin_addr);
    return out;
}

} // namespace

RawConnection::RawConnection(quint16 port, const char* from, int receiveBuffer)
    : fd_(::socket(AF_INET, SOCK_STREAM, 0))
{
    if (fd_ < 0)
        return;
    if (receiveBuffer > 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    const sockaddr_in local = loopback(from, 0);
    const sockaddr_in server = loopback("127.0.0.1", port);
    connected_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 &&
                 ::connect(fd_, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0;
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

RawConnection::~RawConnection()
{
    if (fd_ >= 0)
        ::close(fd_);
}

qint64 RawConnection::sendSome(QByteArrayView bytes)
{
    if (!connected_)
        return -1;
    const ssize_t sent = ::send(fd_, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
    if (sent >= 0)
        return sent;
    return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
}

bool RawConnection::sendAll(QByteArrayView bytes, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!bytes.isEmpty()) {
        const qint64 sent = sendSome(bytes);
        if (sent < 0 || deadline.hasExpired())
            return false;
        bytes = bytes.sliced(sent);
        if (sent == 0) {
            pollfd wait{fd_, POLLOUT, 0};
            ::poll(&wait, 1, 50);
        }
    }
    return true;
}

QByteArray RawConnection::receive(int ms)
{
    pollfd wait{fd_, POLLIN, 0};
    if (!connected_ || ::poll(&wait, 1, ms) <= 0)
        return {};
    QByteArray out;
    char piece[64 * 1024];
    for (ssize_t got = 0; (got = ::recv(fd_, piece, sizeof piece, 0)) > 0;)
        out.append(piece, got);
    return out;
}

bool RawConnection::ended() const
{
    tcp_info info{};
    socklen_t size = sizeof info;
    if (!connected_ || ::getsockopt(fd_, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return true;
    // The state is the client's: CLOSE after a reset, CLOSE_WAIT once the server closed its side.
    return info.tcpi_state != TCP_ESTABLISHED;
}

bool RawConnection::endedWithin(int ms) const
{
    for (QDeadlineTimer deadline(ms); !ended(); QThread::msleep(20)) {
        if (deadline.hasExpired())
            return false;
    }
    return true;
}
