#pragma once

#include "TStringField.h"
#include "host_kit_export.h"

// A text column of a lookup query. A required column that comes back NULL makes the query refuse
// to open: the screen relies on every listed row having its code.
class HOST_KIT_EXPORT TADOIBStringField : public TStringField {
    Q_OBJECT

public:
    TADOIBStringField(TDataSet* dataSet, const QString& fieldName, int size);

    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }

private:
    bool required_ = false;
};
