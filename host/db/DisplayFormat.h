#pragma once

#include "Currency.h"
#include "host_db_export.h"

#include <QString>

class QLocale;

// Numeric display masks of the "#,##0.000" kind: the digits after '.' fix the decimals shown, a ','
// asks for digit grouping. Separators are the locale's. An empty format shows the value as is.
namespace DisplayFormat {

HOST_DB_EXPORT QString formatCurrency(Currency value, const QString& format, const QLocale& locale);
HOST_DB_EXPORT QString formatFloat(double value, const QString& format, const QLocale& locale);

} // namespace DisplayFormat
