#include "OleDate.h"

#include <cmath>

std::optional<OleDateParts> splitOleDate(double value)
{
    constexpr double Limit = 1e9; // days; far beyond any date QDate shows
    if (!std::isfinite(value) || std::abs(value) > Limit)
        return std::nullopt;
    // Before the epoch the fraction still counts forward from the day's midnight: -1.25 is day -1 at 06:00.
    const double day = std::trunc(value);
    OleDateParts parts{qint64(day), int(std::llround(std::abs(value - day) * MSecsPerDay))};
    if (parts.msecs == MSecsPerDay) {
        ++parts.day;
        parts.msecs = 0;
    }
    return parts;
}

double joinOleDate(OleDateParts parts)
{
    const double fraction = double(parts.msecs) / MSecsPerDay;
    return parts.day < 0 ? double(parts.day) - fraction : double(parts.day) + fraction;
}
