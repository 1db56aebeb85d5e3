#include "FieldDef.h"

#include "Currency.h"
#include "ERangeError.h"
#include "FieldValue.h"
#include "OleDate.h"
#include "TDateTime.h"

#include <algorithm>
#include <cmath>

using FieldValue::held;
using FieldValue::refuse;

void FieldDef::checkText(const QString& text) const
{
    if (text.size() > size)
        refuse(*this, QStringLiteral("o texto '%1' excede %2 caracteres.").arg(text, QString::number(size)));
}

void FieldDef::checkDateTime(TDateTime value) const
{
    // Only dates a packet can carry: the years 1 to 9999.
    const auto parts = splitOleDate(value.toOleDate());
    if (!parts || parts->day < OleFirstDay || parts->day > OleLastDay)
        refuse(*this, QStringLiteral("a data está fora do intervalo de 0001-01-01 a 9999-12-31."));
}

Currency FieldDef::fitBcd(Currency value) const
{
    const auto tooLarge = [&] {
        refuse(*this, QStringLiteral("o valor %1 excede a precisão (%2, %3).")
                          .arg(value.toString(), QString::number(precision), QString::number(scale)));
    };
    Currency rounded;
    try {
        rounded = value.roundedTo(std::clamp(scale, 0, Currency::Decimals));
    } catch (const ERangeError&) {
        tooLarge();
    }
    if (rounded.integerDigits() > precision - scale)
        tooLarge();
    return rounded;
}

void FieldDef::checkFloat(double value) const
{
    if (!std::isfinite(value))
        refuse(*this, QStringLiteral("o valor %1 não é um número finito.").arg(value));
}

QVariant FieldDef::normalize(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    switch (type) {
    case TFieldType::ftString:
        checkText(held<QString>(*this, value));
        return value;
    case TFieldType::ftDateTime:
        checkDateTime(held<TDateTime>(*this, value));
        return value;
    case TFieldType::ftBCD: {
        const Currency original = held<Currency>(*this, value);
        const Currency rounded = fitBcd(original);
        return rounded == original ? value : QVariant::fromValue(rounded);
    }
    case TFieldType::ftFloat:
        checkFloat(held<double>(*this, value));
        return value;
    }
    refuse(*this, QStringLiteral("tipo de campo desconhecido."));
}
