#include "FieldText.h"

#include "Currency.h"
#include "DisplayFormat.h"
#include "TDateTime.h"
#include "TField.h"

#include <QLocale>

namespace FieldText {

namespace {

QString plain(const QVariant& value, const QLocale& locale)
{
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toString(Currency::Decimals, false, locale);
    if (value.metaType() == QMetaType::fromType<double>())
        return locale.toString(value.toDouble(), 'g', 15);
    return value.toString();
}

QString dateText(const TDateTime& value, const QLocale& locale)
{
    if (value.hasTime())
        return locale.toString(value.toDateTime(), QLocale::ShortFormat);
    return locale.toString(value.toDate(), QLocale::ShortFormat);
}

} // namespace

QString Display(const TField& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    const QLocale locale;
    try {
        if (value.metaType() == QMetaType::fromType<Currency>())
            return DisplayFormat::formatCurrency(value.value<Currency>(), field.DisplayFormat(), locale);
        if (value.metaType() == QMetaType::fromType<double>())
            return DisplayFormat::formatFloat(value.toDouble(), field.DisplayFormat(), locale);
        if (value.metaType() == QMetaType::fromType<TDateTime>())
            return dateText(value.value<TDateTime>(), locale);
        return value.toString();
    } catch (...) {
        return plain(value, locale);
    }
}

bool Accepts(const TField& field, QChar c)
{
    const QLocale locale;
    switch (field.DataType()) {
    case TFieldType::ftBCD:
    case TFieldType::ftFloat:
        return c.isDigit() || c == u'-' || c == u'+' || locale.decimalPoint().contains(c) ||
               locale.groupSeparator().contains(c) ||
               (field.DataType() == TFieldType::ftFloat && (c == u'e' || c == u'E'));
    case TFieldType::ftDateTime:
        return c.isDigit() || c == u'/' || c == u'-' || c == u':' || c == u'.' || c == u' ';
    case TFieldType::ftString:
        return c.isPrint();
    }
    return true;
}

} // namespace FieldText
