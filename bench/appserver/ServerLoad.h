#pragma once

#include "CallMix.h"
#include "LatencyStats.h"

#include <QByteArray>
#include <chrono>

// N clients, each its own keep-alive connection, all polled by this thread, running the call mix
// against a server for a fixed time.
namespace ServerLoad {

// `session`: sent as the bearer of every call (empty: none).
LatencyStats run(quint16 port, const CallMix& mix, int clients, std::chrono::milliseconds duration,
                 const QByteArray& session = {});

} // namespace ServerLoad
