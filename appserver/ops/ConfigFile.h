#pragma once

#include <QCommandLineOption>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The server's configuration file: "key = value" lines whose keys are the long names of its
// command-line options, so every option can be set there without code of its own. Flags take true or
// false; "#" or ";" starts a comment line. Besides the options it takes `database-password`, the one
// secret never accepted on a command line. A file holding a password or token must not be readable by
// other users nor writable by its group. Each key remembers its line, for messages about its value.
class ConfigFile {
public:
    // Throws Exception naming the file (and the line, where one is at fault) when it cannot be read, a
    // line is no "key = value", a key repeats or is not one of `options`, a value is empty, a flag's
    // value is not a boolean, or others may read its secrets or write it.
    static ConfigFile read(const QString& path, const QList<QCommandLineOption>& options);

    // The settings as "--key=value" arguments, to be placed before the command line's own so that
    // those override them.
    const QStringList& arguments() const { return arguments_; }
    const QString& databasePassword() const { return databasePassword_; }
    const QString& path() const { return path_; }
    // The line that set `key`; 0 when none did.
    int lineOf(const QString& key) const { return lines_.value(key); }

private:
    // Adds one setting; returns what is wrong with it, or nothing.
    QString take(const QString& key, const QString& value, const QList<QCommandLineOption>& options);

    QString path_;
    QHash<QString, int> lines_;
    QStringList arguments_;
    QString databasePassword_;
};
