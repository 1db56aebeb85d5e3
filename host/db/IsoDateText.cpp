#include "IsoDateText.h"

#include "OleDate.h"

#include <QDate>
#include <cstdio>

namespace IsoDateText {

std::size_t write(TDateTime value, char* out)
{
    const auto parts = splitOleDate(value.toOleDate());
    if (!parts || parts->day < OleFirstDay || parts->day > OleLastDay)
        return 0;
    int year = 0, month = 0, day = 0;
    QDate::fromJulianDay(OleEpochJulianDay + parts->day).getDate(&year, &month, &day);

    const auto two = [](char* p, int n) {
        p[0] = char('0' + n / 10);
        p[1] = char('0' + n % 10);
    };
    two(out, year / 100);
    two(out + 2, year % 100);
    out[4] = '-';
    two(out + 5, month);
    out[7] = '-';
    two(out + 8, day);
    if (parts->msecs == 0)
        return 10;

    const int msecs = parts->msecs % 1000;
    const int seconds = parts->msecs / 1000;
    out[10] = 'T';
    two(out + 11, seconds / 3600);
    out[13] = ':';
    two(out + 14, seconds / 60 % 60);
    out[16] = ':';
    two(out + 17, seconds % 60);
    if (msecs == 0)
        return 19;
    out[19] = '.';
    out[20] = char('0' + msecs / 100);
    two(out + 21, msecs % 100);
    return 23;
}

bool fromParts(int year, int month, int day, int hour, int minute, int second, int msec, TDateTime& value)
{
    if (year < 1 || !QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return false;
    const qint64 dayNumber = QDate(year, month, day).toJulianDay() - OleEpochJulianDay;
    value = TDateTime(joinOleDate({dayNumber, ((hour * 60 + minute) * 60 + second) * 1000 + msec}));
    return true;
}

QString errorMessage(QStringView text)
{
    return QStringLiteral("'%1' não é uma data válida.").arg(text);
}

} // namespace IsoDateText
