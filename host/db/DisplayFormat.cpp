#include "DisplayFormat.h"

#include "EConvertError.h"
#include "LocalizedNumber.h"

#include <QLocale>
#include <cmath>

namespace {

// What a "#,##0.000" mask asks for. Before the point: '#', '0' and ','; the '0's from the first one on
// are digits always shown. After it: '0' and '#'; digits up to the last '0' are always shown, the rest
// only when they are not trailing zeros.
struct Mask {
    bool grouping = false;
    int minIntegerDigits = 1;
    int decimals = 0;
    int minDecimals = 0;
};

Mask parseMask(const QString& format)
{
    const qsizetype point = format.indexOf(u'.');
    const QStringView integer = QStringView(format).left(point < 0 ? format.size() : point);
    const QStringView fraction = point < 0 ? QStringView() : QStringView(format).mid(point + 1);
    const auto unsupported = [&] {
        throw EConvertError(QStringLiteral("Formato de exibição não suportado: '%1'.").arg(format));
    };

    Mask mask;
    mask.minIntegerDigits = 0;
    for (QChar c : integer) {
        if (c == u',')
            mask.grouping = true;
        else if (c == u'0')
            ++mask.minIntegerDigits;
        else if (c != u'#' || mask.minIntegerDigits > 0) // '#' only ahead of the '0's
            unsupported();
    }
    for (QChar c : fraction) {
        if (c != u'0' && c != u'#')
            unsupported();
        ++mask.decimals;
        if (c == u'0')
            mask.minDecimals = mask.decimals;
    }
    return mask;
}

QString apply(DecimalDigits digits, const Mask& mask, const QLocale& locale)
{
    while (digits.fraction.size() > mask.minDecimals && digits.fraction.endsWith('0'))
        digits.fraction.chop(1);
    if (digits.integer == "0" && mask.minIntegerDigits == 0)
        digits.integer.clear();
    if (digits.integer.size() < mask.minIntegerDigits)
        digits.integer = digits.integer.rightJustified(mask.minIntegerDigits, '0');
    return localizedNumber(digits, mask.grouping, locale);
}

} // namespace

namespace DisplayFormat {

QString formatCurrency(Currency value, const QString& format, const QLocale& locale)
{
    // No mask: every significant decimal, no grouping.
    const Mask mask = format.isEmpty() ? Mask{false, 1, Currency::Decimals, 0} : parseMask(format);
    return apply(decimalDigits(value, mask.decimals), mask, locale);
}

QString formatFloat(double value, const QString& format, const QLocale& locale)
{
    if (!std::isfinite(value))
        return locale.toString(value);
    if (format.isEmpty()) {
        QLocale plain = locale;
        plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
        return plain.toString(value, 'g', 15);
    }
    const Mask mask = parseMask(format);
    return apply(decimalDigits(value, mask.decimals), mask, locale);
}

} // namespace DisplayFormat
