#include "LookupField.h"

#include "TADOIBQuery.h"
#include "TADOIBStringField.h"

TADOIBStringField* addLookupField(TADOIBQuery* query, const QString& column, int size, bool required,
                                  const QString& label)
{
    auto* field = new TADOIBStringField(query->Query(), column, size);
    field->setObjectName(query->objectName() + column);
    field->SetRequired(required);
    field->SetDisplayLabel(label);
    return field;
}
