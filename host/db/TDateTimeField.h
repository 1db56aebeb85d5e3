#pragma once

#include "TField.h"

// A date-time value; as text, the locale's short date (and time of day when there is one).
class HOST_DB_EXPORT TDateTimeField : public TField {
    Q_OBJECT

public:
    TDateTimeField(TDataSet* dataSet, const QString& fieldName);

    QString AsString() const override;

protected:
    QVariant convert(const QVariant& value) const override;
    QVariant fromText(const QString& text) const override;
};
