#pragma once

#include <atomic>

// How many connections the whole server holds at once, shared by the worker threads.
class ConnectionBudget {
public:
    explicit ConnectionBudget(int limit) : limit_(limit) {}

    bool tryAcquire()
    {
        int open = open_.load();
        while (open < limit_) {
            if (open_.compare_exchange_weak(open, open + 1))
                return true;
        }
        return false;
    }
    void release() { --open_; }

private:
    const int limit_;
    std::atomic<int> open_ = 0;
};
