#include "TADOIBStringField.h"

TADOIBStringField::TADOIBStringField(TDataSet* dataSet, const QString& fieldName, int size)
    : TStringField(dataSet, fieldName, size)
{}
