#pragma once

#include <QtGlobal>
#include <atomic>
#include <functional>
#include <thread>

class QTcpSocket;

// A TCP listener on 127.0.0.1 in a thread of its own, for test servers that must send as the network
// takes bytes whatever the client's thread does. It hands each connection, one at a time, to `serve`,
// which returns when the client is gone or `stopping` is set; the destructor sets it and joins.
class ListenerThread {
public:
    using Serve = std::function<void(QTcpSocket& socket, const std::atomic<bool>& stopping)>;

    explicit ListenerThread(Serve serve);
    ~ListenerThread();
    ListenerThread(const ListenerThread&) = delete;
    ListenerThread& operator=(const ListenerThread&) = delete;

    quint16 port() const { return port_; }

    // How long a server's waits on its socket last before they look at `stopping` again.
    static constexpr int PollMs = 50;

private:
    void run(std::atomic<quint16>& port);

    Serve serve_;
    std::atomic<bool> stopping_ = false;
    quint16 port_ = 0;
    std::thread thread_;
};
