#pragma once

#include "host_kit_export.h"

#include <QSettings>
#include <QString>

// The host's settings file (INI). Each instance reads the file as it is now, so a rewritten file is
// seen by the next instance. Path: $MED_SETTINGS, else <AppConfigLocation>/med00418.ini.
// The local database may be a server database (Driver QPSQL, QIBASE): BancoLocal/Host, User, Password
// and Port then say where it is.
class HOST_KIT_EXPORT HostSettings {
public:
    HostSettings();

    static QString filePath();

    // "host", "http://host" or "https://host"; a bare host is reached over http.
    QString webUrl() const;
    int webPort() const;
    // Bearer token for the application server; empty when it runs without one.
    QString token() const;
    // Longest wait for one answer of the application server.
    int timeoutMs() const;
    // PEM file of the only CAs trusted for an https server; empty: the system's store.
    QString caFile() const;

    QString localDriver() const;
    QString localDatabase() const;
    // SQL dialect of the local database; empty when the driver implies it.
    QString localDialect() const;
    QString localHost() const;
    QString localUser() const;
    QString localPassword() const;
    // 0 when not set: the driver's default port.
    int localPort() const;

private:
    QString text(const QString& key, const QString& fallback = {}) const;
    int number(const QString& key, int fallback) const;

    QSettings settings_;
};
