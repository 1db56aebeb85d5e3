#pragma once

#include "ListenerThread.h"

#include <QByteArray>
#include <QList>
#include <atomic>

// An HTTP listener on 127.0.0.1, in a thread of its own, that answers GET /health and gives every call
// its scripted answer in pieces, pausing `pauseMs` before each after the first: the client reads the
// first piece before its event loop runs and the rest within it. "%ID%" becomes the call's id, padded
// with spaces to its four characters so that no length changes.
class PausingServer {
public:
    PausingServer(QList<QByteArray> pieces, int pauseMs);

    quint16 port() const { return listener_.port(); }

private:
    void serve(QTcpSocket& socket, const std::atomic<bool>& stopping) const;

    QList<QByteArray> pieces_;
    int pauseMs_;
    ListenerThread listener_; // last: its thread stops before the rest goes
};
