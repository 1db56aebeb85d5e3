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
// The days a date text can name: 0001-01-01 to 9999-12-31.
inline constexpr qint64 OleFirstDay = -693'593;
inline constexpr qint64 OleLastDay = 2'958'465;

// Rounded to the millisecond, a time that rounds up to midnight moving to the next day. Nothing for a
// number that is not finite or lies millions of years away.
std::optional<OleDateParts> splitOleDate(double value);
double joinOleDate(OleDateParts parts);
