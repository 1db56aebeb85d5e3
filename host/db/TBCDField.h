#pragma once

#include "TField.h"

// A decimal of Precision() digits, Scale() of them fractional, held as Currency and stored rounded
// half to even at the scale. A value with more integer digits than precision minus scale is refused.
class HOST_DB_EXPORT TBCDField : public TField {
    Q_OBJECT

public:
    TBCDField(TDataSet* dataSet, const QString& fieldName, int precision, int scale);

    int Precision() const { return Def().precision; }
    int Scale() const { return Def().scale; }
    bool IsNumeric() const override { return true; }
    QString AsString() const override;

protected:
    QVariant convert(const QVariant& value) const override;
    QVariant fromText(const QString& text) const override;
};
