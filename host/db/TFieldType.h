#pragma once

#include "host_db_export.h"

#include <QString>

enum class TFieldType { ftString, ftDateTime, ftBCD, ftFloat };

// Names used in data packets: "string", "datetime", "bcd", "float".
HOST_DB_EXPORT QString fieldTypeName(TFieldType type);
// The type of a packet name; throws EDatabaseError for an unknown name.
HOST_DB_EXPORT TFieldType fieldTypeFromName(QStringView name);
