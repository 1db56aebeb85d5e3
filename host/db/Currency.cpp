#include "Currency.h"

#include "DecimalText.h"
#include "EConvertError.h"
#include "ERangeError.h"
#include "LocaleDecimalText.h"
#include "LocalizedNumber.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace {

using Int128 = __int128;

[[noreturn]] void outOfRange(const QString& what)
{
    throw ERangeError(QStringLiteral("Valor fora do intervalo: %1.").arg(what));
}

// n / d for d > 0, to the nearest, halves to even.
template <typename Int> Int divideHalfEven(Int n, Int d)
{
    Int quotient = n / d;
    const Int rest = n % d;
    const Int twiceRest = 2 * (rest < 0 ? -rest : rest);
    if (twiceRest > d || (twiceRest == d && (quotient & 1)))
        quotient += n < 0 ? -1 : 1;
    return quotient;
}

bool fitsTicks(Int128 ticks)
{
    return ticks >= std::numeric_limits<std::int64_t>::min() &&
           ticks <= std::numeric_limits<std::int64_t>::max();
}

// |value| × 10000 exactly, rounded half to even: the double is m × 2^e with an integer m below 2^53.
Int128 ticksOfMagnitude(double value)
{
    int exponent = 0;
    const double mantissa = std::frexp(value, &exponent);
    const Int128 scaled = Int128(std::int64_t(std::ldexp(mantissa, 53))) * Currency::Scale;
    const int shift = exponent - 53;
    if (shift >= 0)
        return shift > 20 ? Int128(1) << 100 : scaled << shift; // past 2^20 it is out of range anyway
    if (shift <= -100)
        return 0;
    return divideHalfEven(scaled, Int128(1) << -shift);
}

} // namespace

Currency Currency::fromInt(std::int64_t units)
{
    std::int64_t ticks = 0;
    if (__builtin_mul_overflow(units, Scale, &ticks))
        outOfRange(QString::number(units));
    return fromRaw(ticks);
}

Currency Currency::fromDouble(double value)
{
    if (std::isnan(value))
        throw EConvertError(QStringLiteral("NaN não é um valor decimal válido."));
    if (std::isinf(value))
        outOfRange(QString::number(value));
    const Int128 ticks = ticksOfMagnitude(std::abs(value));
    const Int128 signedTicks = value < 0 ? -ticks : ticks;
    if (!fitsTicks(signedTicks))
        outOfRange(QString::number(value, 'g', 17));
    return fromRaw(std::int64_t(signedTicks));
}

Currency Currency::parse(QStringView text)
{
    std::int64_t ticks = 0;
    const auto status = DecimalText::parse(text.utf16(), text.utf16() + text.size(), ticks);
    if (status != DecimalText::Status::Ok)
        throw EConvertError(DecimalText::errorMessage(status, text));
    return fromRaw(ticks);
}

Currency Currency::parse(QStringView text, const QLocale& locale)
{
    const QByteArray canonical = LocaleDecimalText::toCanonical(text.trimmed(), locale);
    std::int64_t ticks = 0;
    const auto status = canonical.isEmpty() ? DecimalText::Status::Invalid
                                            : DecimalText::parse(canonical.cbegin(), canonical.cend(), ticks);
    if (status != DecimalText::Status::Ok)
        throw EConvertError(DecimalText::errorMessage(status, text));
    return fromRaw(ticks);
}

QString Currency::toString() const
{
    char text[DecimalText::MaxLength];
    return QString::fromLatin1(text, qsizetype(DecimalText::write(ticks_, text)));
}

QString Currency::toString(int decimals, bool grouping, const QLocale& locale) const
{
    return localizedNumber(decimalDigits(*this, decimals), grouping, locale);
}

Currency Currency::roundedTo(int decimals) const
{
    if (decimals < 0 || decimals > Decimals)
        throw ERangeError(QStringLiteral("Casas decimais fora do intervalo: %1.").arg(decimals));
    std::int64_t unit = 1;
    for (int i = decimals; i < Decimals; ++i)
        unit *= 10;
    std::int64_t rounded = 0;
    if (__builtin_mul_overflow(divideHalfEven(ticks_, unit), unit, &rounded))
        outOfRange(toString());
    return fromRaw(rounded);
}

int Currency::integerDigits() const
{
    std::uint64_t units = static_cast<std::uint64_t>(ticks_);
    if (ticks_ < 0)
        units = 0 - units;
    int digits = 0;
    for (units /= Scale; units != 0; units /= 10)
        ++digits;
    return digits;
}

Currency Currency::operator-() const
{
    if (ticks_ == std::numeric_limits<std::int64_t>::min())
        outOfRange(QStringLiteral("-(%1)").arg(toString()));
    return fromRaw(-ticks_);
}

Currency operator+(Currency a, Currency b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a.ticks_, b.ticks_, &sum))
        outOfRange(QStringLiteral("%1 + %2").arg(a.toString(), b.toString()));
    return Currency::fromRaw(sum);
}

Currency operator-(Currency a, Currency b)
{
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(a.ticks_, b.ticks_, &difference))
        outOfRange(QStringLiteral("%1 - %2").arg(a.toString(), b.toString()));
    return Currency::fromRaw(difference);
}

Currency operator*(Currency a, Currency b)
{
    // Both at four decimals: the exact product has eight, brought back to four. Most products fit in
    // 64 bits, where dividing by the constant scale is cheap; the rest take the 128-bit way.
    std::int64_t narrow = 0;
    const Int128 product = __builtin_mul_overflow(a.ticks_, b.ticks_, &narrow)
                               ? divideHalfEven<Int128>(Int128(a.ticks_) * b.ticks_, Currency::Scale)
                               : divideHalfEven<std::int64_t>(narrow, Currency::Scale);
    if (!fitsTicks(product))
        outOfRange(QStringLiteral("%1 × %2").arg(a.toString(), b.toString()));
    return Currency::fromRaw(std::int64_t(product));
}
