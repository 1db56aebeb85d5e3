#pragma once

#include "TField.h"

// Text of at most Size() characters; a longer text is refused.
class HOST_DB_EXPORT TStringField : public TField {
    Q_OBJECT

public:
    TStringField(TDataSet* dataSet, const QString& fieldName, int size);

protected:
    QVariant convert(const QVariant& value) const override;
    QVariant fromText(const QString& text) const override;
};
