#include "TStringField.h"

#include "Currency.h"
#include "TDateTime.h"

TStringField::TStringField(TDataSet* dataSet, const QString& fieldName, int size)
    : TField(dataSet, FieldDef{fieldName, TFieldType::ftString, size, 0, 0, {}})
{}

QVariant TStringField::convert(const QVariant& value) const
{
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toString();
    if (value.metaType() == QMetaType::fromType<TDateTime>())
        return value.value<TDateTime>().toIsoString();
    return value.toString();
}

QVariant TStringField::fromText(const QString& text) const
{
    return text;
}
