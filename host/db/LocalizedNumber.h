#pragma once

#include "Currency.h"

#include <QByteArray>
#include <QString>

class QLocale;

// A number as plain decimal digits, before any locale is applied.
struct DecimalDigits {
    bool negative = false; // false when every digit is zero
    QByteArray integer;    // at least "0"
    QByteArray fraction;
};

// `value` with exactly `decimals` fraction digits (0..4), rounded half to even.
DecimalDigits decimalDigits(Currency value, int decimals);
// A finite `value` with exactly `decimals` fraction digits.
DecimalDigits decimalDigits(double value, int decimals);

// The text of `digits` with the locale's minus sign, decimal point and digits, and its group separator
// between thousands when asked.
QString localizedNumber(const DecimalDigits& digits, bool grouping, const QLocale& locale);
