#pragma once

#include <QString>

class TADOIBQuery;
class TADOIBStringField;

// A text field of a lookup query's result, named query plus column as the screen definition names it.
TADOIBStringField* addLookupField(TADOIBQuery* query, const QString& column, int size, bool required,
                                  const QString& label);
