#pragma once

#include "host_kit_export.h"

#include <QString>

// Which of a lookup query's SQL texts runs on the local database.
enum class DatabaseDialect { InterBase, Oracle, MsSql, Sqlite, Postgres };

inline constexpr int DatabaseDialectCount = 5;

// The dialect a Qt SQL driver speaks (QSQLITE, QPSQL, QIBASE, QOCI, QODBC); EDatabaseError otherwise.
HOST_KIT_EXPORT DatabaseDialect dialectOfDriver(const QString& driverName);
// A dialect named in the settings (ORACLE, MSSQL, IB, SQLITE, PG and a few aliases), any case;
// EDatabaseError for an unknown name.
HOST_KIT_EXPORT DatabaseDialect dialectFromName(const QString& name);
// The canonical name, as dialectFromName reads it.
HOST_KIT_EXPORT QString dialectName(DatabaseDialect dialect);
