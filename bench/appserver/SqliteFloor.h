#pragma once

#include "CallMix.h"
#include "LatencyStats.h"

#include <chrono>

// The second floor: the statements the server runs for the call mix, through SQLite's C API alone
// (prepared once, stepped, every column read), with no Qt SQL, no records and no packets. What the
// server spends above this is all its own.
namespace SqliteFloor {

LatencyStats run(const QString& path, const CallMix& mix, std::chrono::milliseconds duration);

} // namespace SqliteFloor
