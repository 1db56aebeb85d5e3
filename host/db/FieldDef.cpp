#include "FieldDef.h"

#include "Currency.h"
#include "ERangeError.h"
#include "FieldValue.h"
#include "OleDate.h"
#include "TDateTime.h"

#include <algorithm>
#include <cmath>

namespace {

using FieldValue::held;
using FieldValue::refuse;

QVariant normalizedString(const FieldDef& field, const QVariant& value)
{
    const QString& text = held<QString>(field, value);
    if (text.size() > field.size)
        refuse(field,
               QStringLiteral("o texto '%1' excede %2 caracteres.").arg(text, QString::number(field.size)));
    return value;
}

QVariant normalizedDateTime(const FieldDef& field, const QVariant& value)
{
    // Only dates a packet can carry: the years 1 to 9999.
    const auto parts = splitOleDate(held<TDateTime>(field, value).toOleDate());
    if (!parts || parts->day < OleFirstDay || parts->day > OleLastDay)
        refuse(field, QStringLiteral("a data está fora do intervalo de 0001-01-01 a 9999-12-31."));
    return value;
}

QVariant normalizedBcd(const FieldDef& field, const QVariant& value)
{
    const Currency original = held<Currency>(field, value);
    const auto tooLarge = [&] {
        refuse(field,
               QStringLiteral("o valor %1 excede a precisão (%2, %3).")
                   .arg(original.toString(), QString::number(field.precision), QString::number(field.scale)));
    };
    Currency rounded;
    try {
        rounded = original.roundedTo(std::clamp(field.scale, 0, Currency::Decimals));
    } catch (const ERangeError&) {
        tooLarge();
    }
    if (rounded.integerDigits() > field.precision - field.scale)
        tooLarge();
    return rounded == original ? value : QVariant::fromValue(rounded);
}

QVariant normalizedFloat(const FieldDef& field, const QVariant& value)
{
    const double number = held<double>(field, value);
    if (!std::isfinite(number))
        refuse(field, QStringLiteral("o valor %1 não é um número finito.").arg(number));
    return value;
}

} // namespace

QVariant FieldDef::normalize(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    switch (type) {
    case TFieldType::ftString:
        return normalizedString(*this, value);
    case TFieldType::ftDateTime:
        return normalizedDateTime(*this, value);
    case TFieldType::ftBCD:
        return normalizedBcd(*this, value);
    case TFieldType::ftFloat:
        return normalizedFloat(*this, value);
    }
    refuse(*this, QStringLiteral("tipo de campo desconhecido."));
}
