#include "PlainSocket.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace {

template <typename Call> auto retried(Call call)
{
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

namespace PlainSocket {

qint64 send(qintptr descriptor, QByteArrayView bytes)
{
    const ssize_t sent = retried([&] {
        return ::send(int(descriptor), bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    });
    if (sent >= 0)
        return sent;
    return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
}

bool waitReadable(qintptr descriptor, int timeoutMs)
{
    pollfd watched{int(descriptor), POLLIN, 0};
    return retried([&] { return ::poll(&watched, 1, timeoutMs); }) > 0;
}

qint64 receive(qintptr descriptor, char* into, qint64 maxBytes)
{
    const ssize_t got =
        retried([&] { return ::recv(int(descriptor), into, size_t(maxBytes), MSG_DONTWAIT); });
    if (got >= 0)
        return got;
    return errno == EAGAIN || errno == EWOULDBLOCK ? -2 : -1;
}

bool idle(qintptr descriptor)
{
    char byte = 0;
    const ssize_t got = retried([&] { return ::recv(int(descriptor), &byte, 1, MSG_PEEK | MSG_DONTWAIT); });
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

} // namespace PlainSocket
