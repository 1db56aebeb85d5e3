#include "TField.h"

#include "DisplayFormat.h"
#include "EConvertError.h"
#include "EDatabaseError.h"
#include "TDataSet.h"

#include <QLocale>

TField::TField(TDataSet* dataSet, FieldDef def) : QObject(dataSet), dataSet_(dataSet), def_(std::move(def))
{
    dataSet_->addField(this);
}

TField::~TField()
{
    if (dataSet_)
        dataSet_->removeField(this);
}

int TField::Index() const
{
    return int(dataSet_->Fields().indexOf(const_cast<TField*>(this)));
}

void TField::SetOrigin(const QString& origin)
{
    def_.origin = origin;
}

QString TField::DisplayLabel() const
{
    return displayLabel_.isEmpty() ? def_.name : displayLabel_;
}

QVariant TField::Value() const
{
    return dataSet_->currentValue(Index());
}

void TField::SetValue(const QVariant& value)
{
    const QVariant stored = def_.normalize(value.isNull() ? QVariant() : convert(value));
    dataSet_->setCurrentValue(Index(), stored);
    OnChange(this);
}

QString TField::AsString() const
{
    const QVariant v = Value();
    return v.isNull() ? QString() : v.toString();
}

void TField::SetAsString(const QString& text)
{
    SetValue(text.isEmpty() ? QVariant() : fromText(text));
}

QString TField::DisplayText() const
{
    const QVariant v = Value();
    if (v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return DisplayFormat::formatCurrency(v.value<Currency>(), displayFormat_, QLocale());
    if (v.metaType() == QMetaType::fromType<double>())
        return DisplayFormat::formatFloat(v.toDouble(), displayFormat_, QLocale());
    return AsString();
}

double TField::AsFloat() const
{
    const QVariant v = Value();
    if (v.isNull())
        return 0.0;
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().toDouble();
    if (v.metaType() == QMetaType::fromType<TDateTime>())
        return v.value<TDateTime>().toOleDate();
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        throw EConvertError(
            QStringLiteral("Campo %1: '%2' não é um número válido.").arg(def_.name, v.toString()));
    return d;
}

void TField::SetAsFloat(double value)
{
    SetValue(QVariant(value));
}

Currency TField::AsCurrency() const
{
    const QVariant v = Value();
    if (v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>();
    if (v.metaType() == QMetaType::fromType<QString>())
        return Currency::parse(v.toString());
    return Currency::fromDouble(AsFloat());
}

void TField::SetAsCurrency(Currency value)
{
    SetValue(QVariant::fromValue(value));
}

TDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    if (v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<TDateTime>())
        return v.value<TDateTime>();
    if (v.metaType() == QMetaType::fromType<QString>())
        return TDateTime::fromIsoString(v.toString());
    return TDateTime(AsFloat());
}

void TField::SetAsDateTime(TDateTime value)
{
    SetValue(QVariant::fromValue(value));
}

void TField::FocusControl()
{
    dataSet_->requestFocus(this);
}
