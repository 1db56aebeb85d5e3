#pragma once

#include <QHostAddress>
#include <QList>

// Listening sockets that share one address and port (SO_REUSEPORT): one per worker thread, and the
// kernel spreads new connections among them. Port 0 takes a free port for all of them.
struct ReusePortListener {
    QList<qintptr> descriptors;
    quint16 port = 0;

    // Throws Exception when the address cannot be bound.
    static ReusePortListener open(const QHostAddress& address, quint16 port, int count);
};
