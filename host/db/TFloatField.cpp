#include "TFloatField.h"

#include "EConvertError.h"

#include <QLocale>

TFloatField::TFloatField(TDataSet* dataSet, const QString& fieldName)
    : TField(dataSet, FieldDef{fieldName, TFieldType::ftFloat, 0, 0, 0, {}})
{}

QString TFloatField::AsString() const
{
    if (IsNull())
        return {};
    return QLocale().toString(AsFloat(), 'g', 15);
}

QVariant TFloatField::convert(const QVariant& value) const
{
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toDouble();
    if (value.metaType() == QMetaType::fromType<QString>())
        return fromText(value.toString());
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        throw EConvertError(
            QStringLiteral("Campo %1: '%2' não é um número válido.").arg(FieldName(), value.toString()));
    return d;
}

QVariant TFloatField::fromText(const QString& text) const
{
    bool ok = false;
    const double d = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        throw EConvertError(QStringLiteral("Campo %1: '%2' não é um número válido.").arg(FieldName(), text));
    return d;
}
