#pragma once

#include "CallMix.h"
#include "LatencyStats.h"

#include <chrono>

// The floor: the same SQL the server runs for the call mix, straight on the database from this
// process, one statement group after another.
namespace DirectLoad {

LatencyStats run(const QString& database, const CallMix& mix, std::chrono::milliseconds duration);

} // namespace DirectLoad
