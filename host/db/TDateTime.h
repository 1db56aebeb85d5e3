#pragma once

#include "host_db_export.h"

#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <compare>

// A date-time value counted as the OLE Automation date number: days since 1899-12-30, the fraction
// being the time of day (for days before the epoch the fraction still counts forward from midnight).
class HOST_DB_EXPORT TDateTime {
public:
    constexpr TDateTime() = default;
    constexpr explicit TDateTime(double oleDate) : value_(oleDate) {}

    static TDateTime fromDate(QDate date);
    static TDateTime fromDateTime(const QDateTime& dateTime);
    // "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SS[.zzz]"; anything else raises EConvertError.
    static TDateTime fromIsoString(QStringView text);

    constexpr double toOleDate() const { return value_; }
    QDate toDate() const;
    QDateTime toDateTime() const;
    bool hasTime() const;
    // "YYYY-MM-DD" for a plain date, with "THH:MM:SS[.zzz]" when there is a time of day.
    QString toIsoString() const;

    friend constexpr bool operator==(TDateTime, TDateTime) = default;
    friend constexpr auto operator<=>(TDateTime, TDateTime) = default;

private:
    double value_ = 0.0;
};

Q_DECLARE_METATYPE(TDateTime)
