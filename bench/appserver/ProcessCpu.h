#pragma once

#include <QtGlobal>

// CPU time (user + system) a process has used so far, in microseconds: on a machine shared with
// other work, CPU per call says more than wall-clock throughput.
namespace ProcessCpu {

qint64 ofProcess(qint64 pid);
qint64 ofThisProcess();
// Of the calling thread alone: a one-thread loop's own cost, whatever other threads of this process do.
qint64 ofThisThread();

} // namespace ProcessCpu
