#include "TDateTime.h"

#include "EConvertError.h"
#include "IsoDateText.h"
#include "OleDate.h"

#include <QTime>

TDateTime TDateTime::fromDate(QDate date)
{
    if (!date.isValid())
        throw EConvertError(QStringLiteral("Data inválida."));
    return TDateTime(joinOleDate({date.toJulianDay() - OleEpochJulianDay, 0}));
}

TDateTime TDateTime::fromDateTime(const QDateTime& dateTime)
{
    // The wall-clock reading as it stands, whatever its time zone.
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (!date.isValid() || !time.isValid())
        throw EConvertError(QStringLiteral("Data inválida."));
    return TDateTime(joinOleDate({date.toJulianDay() - OleEpochJulianDay, time.msecsSinceStartOfDay()}));
}

TDateTime TDateTime::fromIsoString(QStringView text)
{
    TDateTime value;
    if (!IsoDateText::parse(text.utf16(), std::size_t(text.size()), value))
        throw EConvertError(IsoDateText::errorMessage(text));
    return value;
}

QDate TDateTime::toDate() const
{
    const auto parts = splitOleDate(value_);
    return parts ? QDate::fromJulianDay(OleEpochJulianDay + parts->day) : QDate();
}

QDateTime TDateTime::toDateTime() const
{
    // UTC has no daylight-saving gaps, so every stored wall-clock time exists as it is.
    const auto parts = splitOleDate(value_);
    if (!parts)
        return {};
    return QDateTime(QDate::fromJulianDay(OleEpochJulianDay + parts->day),
                     QTime::fromMSecsSinceStartOfDay(parts->msecs), Qt::UTC);
}

bool TDateTime::hasTime() const
{
    const auto parts = splitOleDate(value_);
    return parts && parts->msecs != 0;
}

QString TDateTime::toIsoString() const
{
    char text[IsoDateText::MaxLength];
    return QString::fromLatin1(text, qsizetype(IsoDateText::write(*this, text)));
}
