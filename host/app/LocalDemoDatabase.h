#pragma once

#include "LocalDatabaseSettings.h"

// The embedded default: a local SQLite database with the demo branches and services, created on the
// first run. Other databases are the administrator's and are left alone.
namespace LocalDemoDatabase {

// Where the local SQLite database lives when the settings name none.
QString defaultPath();

// Fills in the default path and, for a SQLite file that does not exist yet, creates it with the
// tables FILIAL and SERVICO and the demo rows. Raises EDatabaseError when it cannot.
LocalDatabaseSettings prepare(LocalDatabaseSettings settings);

} // namespace LocalDemoDatabase
