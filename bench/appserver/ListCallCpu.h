#pragma once

#include "CallMix.h"

#include <QString>

// CPU of one getEfetGest of the mix's fifty-line list inside this process: JSON-RPC request in, answer
// body out, through the server's own dispatcher, store and encoder on a connection of its own (no
// HTTP, no threads). Microseconds per call, the median of `repetitions` timed batches.
namespace ListCallCpu {

double microsPerCall(const QString& database, const CallMix& mix, int repetitions);

} // namespace ListCallCpu
