#pragma once

#include "TField.h"

// A double-precision value.
class HOST_DB_EXPORT TFloatField : public TField {
    Q_OBJECT

public:
    TFloatField(TDataSet* dataSet, const QString& fieldName);

    bool IsNumeric() const override { return true; }
    QString AsString() const override;

protected:
    QVariant convert(const QVariant& value) const override;
    QVariant fromText(const QString& text) const override;
};
