#include "TDateTimeField.h"

#include "EConvertError.h"

#include <QLocale>

TDateTimeField::TDateTimeField(TDataSet* dataSet, const QString& fieldName)
    : TField(dataSet, FieldDef{fieldName, TFieldType::ftDateTime, 0, 0, 0, {}})
{}

QString TDateTimeField::AsString() const
{
    if (IsNull())
        return {};
    const TDateTime value = AsDateTime();
    const QLocale locale;
    if (value.hasTime())
        return locale.toString(value.toDateTime(), QLocale::ShortFormat);
    return locale.toString(value.toDate(), QLocale::ShortFormat);
}

QVariant TDateTimeField::convert(const QVariant& value) const
{
    if (value.metaType() == QMetaType::fromType<TDateTime>())
        return value;
    if (value.metaType() == QMetaType::fromType<QDate>())
        return QVariant::fromValue(TDateTime::fromDate(value.toDate()));
    if (value.metaType() == QMetaType::fromType<QDateTime>())
        return QVariant::fromValue(TDateTime::fromDateTime(value.toDateTime()));
    if (value.metaType() == QMetaType::fromType<QString>())
        return fromText(value.toString());
    bool ok = false;
    const double ole = value.toDouble(&ok);
    if (!ok)
        throw EConvertError(
            QStringLiteral("Campo %1: '%2' não é uma data válida.").arg(FieldName(), value.toString()));
    return QVariant::fromValue(TDateTime(ole));
}

QVariant TDateTimeField::fromText(const QString& text) const
{
    const QLocale locale;
    const QString trimmed = text.trimmed();
    for (const auto format : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QDateTime dateTime = locale.toDateTime(trimmed, format);
        if (dateTime.isValid())
            return QVariant::fromValue(TDateTime::fromDateTime(dateTime));
        const QDate date = locale.toDate(trimmed, format);
        if (date.isValid())
            return QVariant::fromValue(TDateTime::fromDate(date));
    }
    for (const char* format : {"dd/MM/yyyy", "dd/MM/yy"}) {
        const QDate date = QDate::fromString(trimmed, QString::fromLatin1(format));
        if (date.isValid())
            return QVariant::fromValue(TDateTime::fromDate(date));
    }
    return QVariant::fromValue(TDateTime::fromIsoString(trimmed));
}
