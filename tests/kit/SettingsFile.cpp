#include "SettingsFile.h"

#include <QSettings>

SettingsFile::SettingsFile()
{
    qputenv("MED_SETTINGS", path().toUtf8());
}

SettingsFile::~SettingsFile()
{
    qunsetenv("MED_SETTINGS");
}

void SettingsFile::set(const QString& key, const QVariant& value)
{
    QSettings settings(path(), QSettings::IniFormat);
    settings.setValue(key, value);
}

void SettingsFile::remove(const QString& key)
{
    QSettings settings(path(), QSettings::IniFormat);
    settings.remove(key);
}

void SettingsFile::useServer(int port, int timeoutMs)
{
    set(QStringLiteral("Servidor/WebURL"), QStringLiteral("127.0.0.1"));
    set(QStringLiteral("Servidor/WebPort"), port);
    set(QStringLiteral("Servidor/TimeoutMs"), timeoutMs);
    remove(QStringLiteral("Servidor/Token"));
}
