#pragma once

#include <QList>
#include <mutex>

class LimitedTcpServer;

// Spreads new connections over the worker threads and caps them for the server as a whole. Whichever
// worker accepts a connection, it goes to the one holding the fewest: without this, the first worker to
// wake takes every connection of a burst and the others sit idle.
class ConnectionBalancer {
public:
    explicit ConnectionBalancer(int maxConnections) : limit_(maxConnections) {}

    void join(LimitedTcpServer* server);
    void leave(LimitedTcpServer* server);

    // Hands an accepted socket to the least loaded server, through its own thread's event loop.
    // False, leaving the socket to the caller, when the cap is reached.
    bool place(qintptr descriptor);
    // A connection of `server` ended.
    void release(LimitedTcpServer* server);

private:
    struct Member {
        LimitedTcpServer* server;
        int open;
    };

    std::mutex mutex_;
    QList<Member> members_;
    const int limit_;
    int open_ = 0;
};
