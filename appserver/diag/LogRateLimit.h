#pragma once

#include <QtGlobal>
#include <chrono>
#include <mutex>

// Lets at most `perSecond` lines of one kind through each second and counts the rest, so that a
// flood of requests cannot flood the log. Shared by every thread.
class LogRateLimit {
public:
    explicit LogRateLimit(int perSecond) : perSecond_(perSecond) {}

    // True when the line may be written; `dropped` then holds how many were held back since the last
    // line let through, for that line to say.
    bool admit(qint64& dropped);

private:
    const int perSecond_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point second_;
    int admitted_ = 0;
    qint64 dropped_ = 0;
};
