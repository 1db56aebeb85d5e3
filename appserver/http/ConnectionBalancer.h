#pragma once

#include "Metrics.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <map>
#include <mutex>
#include <optional>

class LimitedTcpServer;

// Spreads new connections over the worker threads and caps them for the server as a whole and per
// client address, so one client (or one machine's many) cannot take every slot from the others.
// Whichever worker accepts a connection, it goes to the one holding the fewest: without this, the
// first worker to wake takes every connection of a burst and the others sit idle.
// When the server is full, a new connection takes the place of the oldest one that has not been
// answered a first request yet: slots held by clients that connect and say nothing (or trickle, or
// stall their handshake) go to whoever comes next, and a client that speaks HTTP keeps its slot.
// Trusted proxies are held to the server's cap only: every client behind them shares their address.
class ConnectionBalancer {
public:
    using Id = quint64;

    ConnectionBalancer(int maxConnections, int maxPerAddress, QList<QHostAddress> trustedProxies = {})
        : limit_(maxConnections), perAddressLimit_(maxPerAddress), trustedProxies_(std::move(trustedProxies))
    {}

    void join(LimitedTcpServer* server);
    void leave(LimitedTcpServer* server);

    // Hands an accepted socket to the least loaded server, through its own thread's event loop, with
    // the id it is known by here. Nothing when it was placed; else why not, the socket left to the caller.
    std::optional<Metrics::Refusal> place(qintptr descriptor, const QHostAddress& peer);
    // Connection `id` was answered its first request: it is no longer the first to make room.
    void answered(Id id);
    // Connection `id` of `server`, from `peer`, ended.
    void release(LimitedTcpServer* server, Id id, const QHostAddress& peer);

private:
    struct Member {
        LimitedTcpServer* server;
        int open;
    };

    bool makeRoom();

    std::mutex mutex_;
    QList<Member> members_;
    QHash<QHostAddress, int> perAddress_;
    // Connections not answered yet, oldest (smallest id) first, with the server holding each.
    std::map<Id, LimitedTcpServer*> unanswered_;
    const int limit_;
    const int perAddressLimit_;
    const QList<QHostAddress> trustedProxies_;
    int open_ = 0;
    Id nextId_ = 1;
    // Told to close to make room, and not yet closed: they no longer count against the cap.
    QSet<Id> closing_;
};
