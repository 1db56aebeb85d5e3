#include "TBCDField.h"

#include "EConvertError.h"

#include <QLocale>

TBCDField::TBCDField(TDataSet* dataSet, const QString& fieldName, int precision, int scale)
    : TField(dataSet, FieldDef{fieldName, TFieldType::ftBCD, 0, precision, scale, {}})
{}

QString TBCDField::AsString() const
{
    if (IsNull())
        return {};
    return AsCurrency().toString(Scale(), false, QLocale());
}

QVariant TBCDField::convert(const QVariant& value) const
{
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value;
    if (value.metaType() == QMetaType::fromType<QString>())
        return fromText(value.toString());
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("Campo %1: '%2' não é um valor decimal válido.")
                                .arg(FieldName(), value.toString()));
    return QVariant::fromValue(Currency::fromDouble(d));
}

QVariant TBCDField::fromText(const QString& text) const
{
    return QVariant::fromValue(Currency::parse(text.trimmed(), QLocale()));
}
