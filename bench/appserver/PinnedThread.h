#pragma once

#include <sched.h>

// Keeps the calling thread on one CPU core while it lives, then gives it back the cores it had. A
// process started from the thread meanwhile keeps that core, as one started with `taskset -c CORE`.
class PinnedThread {
public:
    // Throws std::runtime_error when the thread may not run there.
    explicit PinnedThread(int core);
    ~PinnedThread();
    PinnedThread(const PinnedThread&) = delete;
    PinnedThread& operator=(const PinnedThread&) = delete;

    // Whether the calling thread may run on every core of 0 .. `cores` - 1.
    static bool mayUse(int cores);

private:
    cpu_set_t before_;
};
