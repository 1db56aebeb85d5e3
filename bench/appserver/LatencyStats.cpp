#include "LatencyStats.h"

#include <algorithm>

double LatencyStats::percentileMs(double fraction)
{
    if (samples_.isEmpty())
        return 0.0;
    if (!sorted_) {
        std::sort(samples_.begin(), samples_.end());
        sorted_ = true;
    }
    const auto index = qsizetype(fraction * double(samples_.size() - 1));
    return double(samples_[index]) / 1e6;
}
