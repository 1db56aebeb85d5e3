#include "ReusePortListener.h"

#include "Exception.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QHostAddress& address, quint16 port, int fd)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    if (fd >= 0)
        ::close(fd);
    throw Exception(
        QStringLiteral("Cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(reason));
}

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

int listenOn(const QHostAddress& address, quint16 port)
{
    sockaddr_storage where{};
    const socklen_t size = fill(address, port, where);
    const int fd = ::socket(where.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&where), size) != 0 || ::listen(fd, SOMAXCONN) != 0)
        fail(address, port, fd);
    return fd;
}

quint16 boundPort(int fd)
{
    sockaddr_storage where{};
    socklen_t size = sizeof where;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &size);
    return where.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&where)->sin6_port)
                                       : ntohs(reinterpret_cast<sockaddr_in*>(&where)->sin_port);
}

} // namespace

ReusePortListener ReusePortListener::open(const QHostAddress& address, quint16 port, int count)
{
    ReusePortListener out;
    try {
        out.descriptors.append(listenOn(address, port));
        out.port = boundPort(int(out.descriptors.first()));
        while (out.descriptors.size() < count)
            out.descriptors.append(listenOn(address, out.port));
    } catch (const Exception&) {
        for (const qintptr fd : out.descriptors)
            ::close(int(fd));
        throw;
    }
    return out;
}
