#pragma once

#include <QHostAddress>
#include <QList>

// One listening socket shared by the worker threads: each gets its own descriptor of it and accepts
// from it. The port is bound once and exclusively, so a second server on the same port fails to start.
class ListeningSocket {
public:
    // Throws Exception when the address cannot be bound. Port 0 takes a free port.
    ListeningSocket(const QHostAddress& address, quint16 port);
    ~ListeningSocket();
    ListeningSocket(const ListeningSocket&) = delete;
    ListeningSocket& operator=(const ListeningSocket&) = delete;

    quint16 port() const { return port_; }
    // A new descriptor of the socket, for a QTcpServer that takes it over; throws Exception when the
    // process is out of descriptors.
    qintptr share() const;
    // Stops taking connections on every descriptor at once, even those of a worker busy with a call:
    // clients that connect now are refused rather than left in the backlog.
    void stopListening() const;

private:
    int fd_ = -1;
    quint16 port_ = 0;
};
