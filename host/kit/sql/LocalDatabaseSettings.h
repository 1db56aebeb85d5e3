#pragma once

#include "host_kit_export.h"

#include <QString>

class HostSettings;

// Where the local database is and how to reach it. The host reads it from its settings file; a test
// writes one by hand.
struct HOST_KIT_EXPORT LocalDatabaseSettings {
    QString driver = QStringLiteral("QSQLITE");
    QString database;
    // Empty: the driver's own dialect.
    QString dialect;
    QString host;
    int port = 0; // 0: the driver's default
    QString user;
    QString password;

    static LocalDatabaseSettings fromHost(const HostSettings& settings);
};
