#pragma once

#include <QtGlobal>

// A running process's memory as Linux reports it in /proc/PID/status, in KiB; 0 when it cannot be read.
namespace ProcessMemory {

// VmRSS: what it holds in memory now.
qint64 residentKiB(qint64 pid);
// VmHWM: the most it has held at any time since it started.
qint64 peakKiB(qint64 pid);

} // namespace ProcessMemory
