#pragma once

#include "ListenerThread.h"

#include <atomic>

// An HTTP listener on 127.0.0.1, in a thread of its own so that it sends as fast as the network takes
// bytes, whatever the client's thread does: it answers GET /health, then answers every call with a
// 200 head and a body that never ends, in chunks or running to the close, until the client goes away.
class EndlessAnswerServer {
public:
    enum class Framing { Chunked, UntilClose };

    explicit EndlessAnswerServer(Framing framing);

    quint16 port() const { return listener_.port(); }

private:
    void serve(QTcpSocket& socket, const std::atomic<bool>& stopping) const;

    Framing framing_;
    ListenerThread listener_; // last: its thread stops before the rest goes
};
