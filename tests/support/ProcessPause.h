#pragma once

#include <QtGlobal>

// Holds a running process still (SIGSTOP) and lets it go on (SIGCONT), as a machine that hangs does.
// The kernel stops a process's threads one by one after kill() has returned: a thread that was running
// or just woken may still answer a request sent at once. pause() therefore waits until Linux reports
// every thread of the process stopped in /proc/PID/task.
namespace ProcessPause {

// True once no thread of it runs; false when there is no such process or some thread still runs after
// `timeoutMs` (a bound for a machine under load, not an expected wait).
bool pause(qint64 pid, int timeoutMs = 10000);
void resume(qint64 pid);

} // namespace ProcessPause
