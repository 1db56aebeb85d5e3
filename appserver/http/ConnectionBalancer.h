#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <mutex>

class LimitedTcpServer;

// Spreads new connections over the worker threads and caps them for the server as a whole and per
// client address, so one client (or one machine's many) cannot take every slot from the others.
// Whichever worker accepts a connection, it goes to the one holding the fewest: without this, the
// first worker to wake takes every connection of a burst and the others sit idle.
class ConnectionBalancer {
public:
    ConnectionBalancer(int maxConnections, int maxPerAddress)
        : limit_(maxConnections), perAddressLimit_(maxPerAddress)
    {}

    void join(LimitedTcpServer* server);
    void leave(LimitedTcpServer* server);

    // Hands an accepted socket to the least loaded server, through its own thread's event loop.
    // False, leaving the socket to the caller, when a cap is reached.
    bool place(qintptr descriptor, const QHostAddress& peer);
    // A connection of `server`, from `peer`, ended.
    void release(LimitedTcpServer* server, const QHostAddress& peer);

private:
    struct Member {
        LimitedTcpServer* server;
        int open;
    };

    std::mutex mutex_;
    QList<Member> members_;
    QHash<QHostAddress, int> perAddress_;
    const int limit_;
    const int perAddressLimit_;
    int open_ = 0;
};
