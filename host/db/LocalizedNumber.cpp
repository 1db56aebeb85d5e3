#include "LocalizedNumber.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

bool allZeros(const QByteArray& digits)
{
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
}

} // namespace

DecimalDigits decimalDigits(Currency value, int decimals)
{
    decimals = std::clamp(decimals, 0, Currency::Decimals);
    std::uint64_t magnitude = static_cast<std::uint64_t>(value.raw());
    if (value.raw() < 0)
        magnitude = 0 - magnitude;

    std::uint64_t unit = 1;
    for (int i = decimals; i < Currency::Decimals; ++i)
        unit *= 10;
    // Half to even on the magnitude; the quotient cannot overflow, unit is at least 1.
    std::uint64_t quotient = magnitude / unit;
    const std::uint64_t twiceRest = 2 * (magnitude % unit);
    if (twiceRest > unit || (twiceRest == unit && (quotient & 1)))
        ++quotient;

    std::uint64_t fractionUnit = Currency::Scale / unit;
    DecimalDigits digits;
    digits.integer = QByteArray::number(quotient / fractionUnit);
    if (decimals > 0)
        digits.fraction = QByteArray::number(quotient % fractionUnit).rightJustified(decimals, '0');
    digits.negative = value.raw() < 0 && quotient != 0;
    return digits;
}

DecimalDigits decimalDigits(double value, int decimals)
{
    DecimalDigits digits;
    const QByteArray text = QByteArray::number(std::abs(value), 'f', std::max(decimals, 0));
    const qsizetype point = text.indexOf('.');
    digits.integer = point < 0 ? text : text.left(point);
    if (point >= 0)
        digits.fraction = text.mid(point + 1);
    digits.negative = std::signbit(value) && !(allZeros(digits.integer) && allZeros(digits.fraction));
    return digits;
}

QString localizedNumber(const DecimalDigits& digits, bool grouping, const QLocale& locale)
{
    const QString zero = locale.zeroDigit();
    const auto digit = [&zero](char c) {
        // Locales with their own digits have them in sequence from their zero.
        return zero.size() == 1 ? QChar(zero.at(0).unicode() + (c - '0')) : QChar::fromLatin1(c);
    };
    const QString group = locale.groupSeparator();

    QString text;
    text.reserve(digits.integer.size() * 2 + digits.fraction.size() + 4);
    if (digits.negative)
        text += locale.negativeSign();
    const qsizetype count = digits.integer.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (grouping && i > 0 && (count - i) % 3 == 0)
            text += group;
        text += digit(digits.integer.at(i));
    }
    if (!digits.fraction.isEmpty()) {
        text += locale.decimalPoint();
        for (char c : digits.fraction)
            text += digit(c);
    }
    return text;
}
