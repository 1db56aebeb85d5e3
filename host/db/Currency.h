#pragma once

#include "host_db_export.h"

#include <QMetaType>
#include <QString>
#include <compare>
#include <cstdint>

class QLocale;

// Four-decimal fixed point: a signed 64-bit count of ten-thousandths. Arithmetic is checked: a result
// outside the range raises ERangeError and never wraps; products round to the nearest, halves to even.
class HOST_DB_EXPORT Currency {
public:
    static constexpr std::int64_t Scale = 10000;
    static constexpr int Decimals = 4;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(std::int64_t ticks)
    {
        Currency c;
        c.ticks_ = ticks;
        return c;
    }
    static Currency fromInt(std::int64_t units);
    // Nearest representable value, halves to even; NaN and out-of-range values raise.
    static Currency fromDouble(double value);
    // Canonical form: optional sign, digits, optional '.' and up to four digits ("-1234.5678").
    // More fractional digits are rounded half to even. Anything else raises EConvertError.
    static Currency parse(QStringView text);
    // As typed by a user: the locale's decimal separator, its group separator allowed.
    static Currency parse(QStringView text, const QLocale& locale);

    constexpr std::int64_t raw() const { return ticks_; }
    double toDouble() const { return static_cast<double>(ticks_) / Scale; }
    bool isZero() const { return ticks_ == 0; }

    // Canonical text without trailing zeros: "12.5", "-0.0002", "3".
    QString toString() const;
    // Display text with exactly `decimals` digits (0..4, rounded half to even), the locale's separators,
    // digit grouping when asked.
    QString toString(int decimals, bool grouping, const QLocale& locale) const;

    // Rounded to `decimals` fractional digits (0..4), halves to even.
    Currency roundedTo(int decimals) const;
    // Number of digits before the decimal point (0 for values below one).
    int integerDigits() const;

    Currency operator-() const;
    friend HOST_DB_EXPORT Currency operator+(Currency a, Currency b);
    friend HOST_DB_EXPORT Currency operator-(Currency a, Currency b);
    friend HOST_DB_EXPORT Currency operator*(Currency a, Currency b);
    friend constexpr bool operator==(Currency, Currency) = default;
    friend constexpr auto operator<=>(Currency, Currency) = default;

private:
    std::int64_t ticks_ = 0;
};

Q_DECLARE_METATYPE(Currency)
