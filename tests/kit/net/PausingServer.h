#pragma once

#include <QByteArray>
#include <QList>
#include <atomic>
#include <thread>

// An HTTP listener on 127.0.0.1, in a thread of its own, that answers GET /health and gives every call
// its scripted answer in pieces, pausing `pauseMs` before each after the first: the client reads the
// first piece before its event loop runs and the rest within it. "%ID%" becomes the call's id, padded
// with spaces to its four characters so that no length changes.
class PausingServer {
public:
    PausingServer(QList<QByteArray> pieces, int pauseMs);
    ~PausingServer();
    PausingServer(const PausingServer&) = delete;
    PausingServer& operator=(const PausingServer&) = delete;

    quint16 port() const { return port_; }

private:
    void run(std::atomic<quint16>& port);

    QList<QByteArray> pieces_;
    int pauseMs_;
    std::atomic<bool> stopping_ = false;
    quint16 port_ = 0;
    std::thread thread_;
};
