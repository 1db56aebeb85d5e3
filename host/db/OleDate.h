#pragma once

#include <QtGlobal>
#include <optional>

// A date number taken apart: the day (0 is 1899-12-30) and the milliseconds since that day's midnight.
struct OleDateParts {
    qint64 day = 0;
    int msecs = 0;
};

inline constexpr qint64 OleEpochJulianDay = 2415019; // 1899-12-30
inline constexpr int MSecsPerDay = 86'400'000;

// Rounded to the millisecond, a time that rounds up to midnight moving to the next day. Nothing for a
// number that is not finite or lies millions of years away.
std::optional<OleDateParts> splitOleDate(double value);
double joinOleDate(OleDateParts parts);
