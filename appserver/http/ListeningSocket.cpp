#include "ListeningSocket.h"

#include "Exception.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

socklen_t fill(const QHostAddress& address, quint16 port, sockaddr_storage& out)
{
    std::memset(&out, 0, sizeof out);
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&out);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        return sizeof(sockaddr_in6);
    }
    auto* in4 = reinterpret_cast<sockaddr_in*>(&out);
    in4->sin_family = AF_INET;
    in4->sin_port = htons(port);
    in4->sin_addr.s_addr = htonl(address.toIPv4Address());
    return sizeof(sockaddr_in);
}

quint16 boundPort(int fd)
{
    sockaddr_storage where{};
    socklen_t size = sizeof where;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &size);
    return where.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&where)->sin6_port)
                                       : ntohs(reinterpret_cast<sockaddr_in*>(&where)->sin_port);
}

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

ListeningSocket::ListeningSocket(const QHostAddress& address, quint16 port)
{
    sockaddr_storage where{};
    const socklen_t size = fill(address, port, where);
    fd_ = ::socket(where.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // SO_REUSEADDR only lets a restarted server reclaim its port from connections in TIME_WAIT.
    const int on = 1;
    if (fd_ < 0 || ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd_, reinterpret_cast<sockaddr*>(&where), size) != 0 || ::listen(fd_, SOMAXCONN) != 0) {
        const QString reason = lastError();
        if (fd_ >= 0)
            ::close(fd_);
        throw Exception(
            QStringLiteral("Cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(reason));
    }
    port_ = boundPort(fd_);
}

ListeningSocket::~ListeningSocket()
{
    ::close(fd_);
}

qintptr ListeningSocket::share() const
{
    const int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        throw Exception(QStringLiteral("Cannot share the listening socket: %1").arg(lastError()));
    return copy;
}

void ListeningSocket::stopListening() const
{
    // On Linux, shutting a listening socket down ends its listening, and the queued connections with it.
    ::shutdown(fd_, SHUT_RDWR);
}
