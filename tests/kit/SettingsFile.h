#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// A host settings file of the test's own: MED_SETTINGS names it while this object lives.
class SettingsFile {
public:
    SettingsFile();
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    QString path() const { return dir_.filePath(QStringLiteral("med00418.ini")); }
    void set(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // Points the host at the application server on 127.0.0.1:`port`, without a token.
    void useServer(int port, int timeoutMs = 20000);

private:
    QTemporaryDir dir_;
};
