#include "ServerLoad.h"

#include "LoadConnection.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <sys/epoll.h>
#include <unistd.h>
#include <vector>

namespace ServerLoad {

namespace {

// An epoll instance closed with its scope.
class Poller {
public:
    Poller() : fd_(::epoll_create1(EPOLL_CLOEXEC))
    {
        if (fd_ < 0)
            throw std::runtime_error(std::string("epoll_create1: ") + std::strerror(errno));
    }
    ~Poller() { ::close(fd_); }
    Poller(const Poller&) = delete;
    Poller& operator=(const Poller&) = delete;

    void watch(LoadConnection& connection)
    {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.ptr = &connection;
        if (::epoll_ctl(fd_, EPOLL_CTL_ADD, connection.descriptor(), &event) != 0)
            throw std::runtime_error(std::string("epoll_ctl: ") + std::strerror(errno));
    }

    // Hands each connection with data waiting to `ready`; waits at most `timeoutMs`.
    template <typename Ready> void wait(int timeoutMs, Ready ready)
    {
        epoll_event events[64];
        const int count = ::epoll_wait(fd_, events, 64, timeoutMs);
        if (count < 0 && errno != EINTR)
            throw std::runtime_error(std::string("epoll_wait: ") + std::strerror(errno));
        for (int i = 0; i < count; ++i)
            ready(*static_cast<LoadConnection*>(events[i].data.ptr));
    }

private:
    int fd_;
};

bool allIdle(const std::vector<std::unique_ptr<LoadConnection>>& connections)
{
    for (const auto& c : connections) {
        if (!c->idle())
            return false;
    }
    return true;
}

} // namespace

LatencyStats run(quint16 port, const CallMix& mix, int clients, std::chrono::milliseconds duration,
                 const QByteArray& session)
{
    LatencyStats stats;
    Poller poller;
    std::vector<std::unique_ptr<LoadConnection>> connections;
    for (int c = 0; c < clients; ++c) {
        connections.push_back(std::make_unique<LoadConnection>(port, mix, c, stats, session));
        poller.watch(*connections.back());
    }
    QElapsedTimer wall;
    wall.start();
    const QDeadlineTimer deadline(duration);
    for (const auto& c : connections)
        c->start();
    bool stopping = false;
    while (!allIdle(connections)) {
        if (!stopping && deadline.hasExpired()) {
            stopping = true;
            for (const auto& c : connections)
                c->stop();
        }
        const int timeoutMs = stopping ? 100 : int(std::clamp<qint64>(deadline.remainingTime(), 0, 100));
        poller.wait(timeoutMs, [](LoadConnection& c) { c.onReadable(); });
    }
    stats.setElapsed(wall.nsecsElapsed());
    for (const auto& c : connections) {
        if (!c->failure().isEmpty())
            throw std::runtime_error(c->failure().toStdString());
    }
    return stats;
}

} // namespace ServerLoad
