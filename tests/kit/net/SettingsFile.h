#pragma once

#include <QSettings>
#include <QTemporaryDir>

// A host settings file of the test's own, named by MED_SETTINGS while this object lives.
class SettingsFile {
public:
    SettingsFile() { qputenv("MED_SETTINGS", path().toUtf8()); }
    ~SettingsFile() { qunsetenv("MED_SETTINGS"); }

    QString path() const { return dir_.filePath(QStringLiteral("med00418.ini")); }
    void set(const QString& key, const QVariant& value)
    {
        QSettings(path(), QSettings::IniFormat).setValue(key, value);
    }
    // Points the host at the application server on 127.0.0.1:`port`, with the default timeout, no token.
    void useServer(int port)
    {
        QSettings settings(path(), QSettings::IniFormat);
        settings.clear();
        settings.setValue(QStringLiteral("Servidor/WebURL"), QStringLiteral("127.0.0.1"));
        settings.setValue(QStringLiteral("Servidor/WebPort"), port);
    }

private:
    QTemporaryDir dir_;
};
