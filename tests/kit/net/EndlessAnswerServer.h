#pragma once

#include <QtGlobal>
#include <atomic>
#include <thread>

// An HTTP listener on 127.0.0.1, in a thread of its own so that it sends as fast as the network takes
// bytes, whatever the client's thread does: it answers GET /health, then answers every call with a
// 200 head and a body that never ends, in chunks or running to the close, until the client goes away.
class EndlessAnswerServer {
public:
    enum class Framing { Chunked, UntilClose };

    explicit EndlessAnswerServer(Framing framing);
    ~EndlessAnswerServer();
    EndlessAnswerServer(const EndlessAnswerServer&) = delete;
    EndlessAnswerServer& operator=(const EndlessAnswerServer&) = delete;

    quint16 port() const { return port_; }

private:
    void run(std::atomic<quint16>& port);

    Framing framing_;
    std::atomic<bool> stopping_ = false;
    quint16 port_ = 0;
    std::thread thread_;
};
