#include "HostSettings.h"

#include <QStandardPaths>

HostSettings::HostSettings() : settings_(filePath(), QSettings::IniFormat) {}

QString HostSettings::filePath()
{
    const QString fromEnvironment = qEnvironmentVariable("MED_SETTINGS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/med00418.ini");
}

QString HostSettings::webUrl() const
{
    return text(QStringLiteral("Servidor/WebURL"), QStringLiteral("127.0.0.1"));
}

int HostSettings::webPort() const
{
    return number(QStringLiteral("Servidor/WebPort"), 8418);
}

QString HostSettings::token() const
{
    return text(QStringLiteral("Servidor/Token"));
}

int HostSettings::timeoutMs() const
{
    return number(QStringLiteral("Servidor/TimeoutMs"), 30000);
}

QString HostSettings::caFile() const
{
    return text(QStringLiteral("Servidor/CAFile"));
}

QString HostSettings::localDriver() const
{
    return text(QStringLiteral("BancoLocal/Driver"), QStringLiteral("QSQLITE"));
}

QString HostSettings::localDatabase() const
{
    return text(QStringLiteral("BancoLocal/Database"));
}

QString HostSettings::localDialect() const
{
    return text(QStringLiteral("BancoLocal/Dialect"));
}

QString HostSettings::localHost() const
{
    return text(QStringLiteral("BancoLocal/Host"));
}

QString HostSettings::localUser() const
{
    return text(QStringLiteral("BancoLocal/User"));
}

QString HostSettings::localPassword() const
{
    return text(QStringLiteral("BancoLocal/Password"));
}

int HostSettings::localPort() const
{
    return number(QStringLiteral("BancoLocal/Port"), 0);
}

QString HostSettings::text(const QString& key, const QString& fallback) const
{
    return settings_.value(key, fallback).toString();
}

// A value that is not a number counts as absent: a typo must not leave the host on port 0.
int HostSettings::number(const QString& key, int fallback) const
{
    bool ok = false;
    const int value = settings_.value(key).toInt(&ok);
    return ok ? value : fallback;
}
