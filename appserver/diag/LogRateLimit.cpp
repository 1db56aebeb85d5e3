#include "LogRateLimit.h"

bool LogRateLimit::admit(qint64& dropped)
{
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard lock(mutex_);
    if (now - second_ >= std::chrono::seconds(1)) {
        second_ = now;
        admitted_ = 0;
    }
    if (admitted_ >= perSecond_) {
        ++dropped_;
        return false;
    }
    ++admitted_;
    dropped = std::exchange(dropped_, 0);
    return true;
}
