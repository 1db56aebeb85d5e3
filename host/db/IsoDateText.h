#pragma once

#include "TDateTime.h"

#include <QString>
#include <cstddef>

// ISO text of a TDateTime ("2026-12-07", "2026-12-07T08:30:00", "2026-12-07T08:30:00.250"), shared by
// TDateTime and the packet codec so packets are read and written without going through QString.
namespace IsoDateText {

inline constexpr std::size_t MaxLength = 23;

// Writes the text of `value` into `out`; returns its length, 0 when the value lies outside the years
// 1 to 9999 or is not a date at all.
std::size_t write(TDateTime value, char* out);

// The value for checked parts; false when they name no real date or time of day.
bool fromParts(int year, int month, int day, int hour, int minute, int second, int msec, TDateTime& value);

// The message for a text that did not parse.
QString errorMessage(QStringView text);

template <typename Char> bool parse(const Char* text, std::size_t length, TDateTime& value)
{
    if (length != 10 && length != 19 && length != 23)
        return false;
    const auto number = [text](std::size_t at, std::size_t count, int& out) {
        out = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (text[i] < Char('0') || text[i] > Char('9'))
                return false;
            out = out * 10 + int(text[i] - Char('0'));
        }
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    if (!number(0, 4, year) || text[4] != Char('-') || !number(5, 2, month) || text[7] != Char('-') ||
        !number(8, 2, day))
        return false;
    if (length >= 19 && (text[10] != Char('T') || !number(11, 2, hour) || text[13] != Char(':') ||
                         !number(14, 2, minute) || text[16] != Char(':') || !number(17, 2, second)))
        return false;
    if (length == 23 && (text[19] != Char('.') || !number(20, 3, msec)))
        return false;
    return fromParts(year, month, day, hour, minute, second, msec, value);
}

} // namespace IsoDateText
