#include "ConfigFile.h"

#include "DatabaseSpec.h"
#include "Exception.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString DatabasePasswordKey = QStringLiteral("database-password");
// A configuration is a page of text; anything larger is a wrong path.
constexpr qint64 MaxBytes = 1 << 20;

[[noreturn]] void refuse(const QString& path, const QString& message)
{
    throw Exception(QStringLiteral("%1: %2").arg(path, message));
}

QString unquoted(QString value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

const QCommandLineOption* findOption(const QList<QCommandLineOption>& options, const QString& key)
{
    for (const QCommandLineOption& option : options)
        if (option.names().contains(key) && key.size() > 1)
            return &option;
    return nullptr;
}

bool readBoolean(const QString& text, bool& value)
{
    static const QStringList yes{QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("on"),
                                 QStringLiteral("1")};
    static const QStringList no{QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("off"),
                                QStringLiteral("0")};
    value = yes.contains(text, Qt::CaseInsensitive);
    return value || no.contains(text, Qt::CaseInsensitive);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuse(path, QStringLiteral("cannot read the configuration file (%1).").arg(file.errorString()));
    if (file.size() > MaxBytes)
        refuse(path, QStringLiteral("the configuration file is larger than %1 bytes.").arg(MaxBytes));
    return file.read(MaxBytes + 1);
}

bool holdsSecret(const QString& key, const QString& value)
{
    if (key == DatabasePasswordKey || key == QLatin1String("token"))
        return !value.isEmpty();
    if (key == QLatin1String("database"))
        return !DatabaseSpec::parse(value).password.isEmpty();
    return false;
}

// Group members may read it (the service's group), others may neither read its secrets nor change it.
// A refusal for a secret names its first line.
void checkPermissions(const QString& path, qsizetype secretLine)
{
    const bool holdsSecrets = secretLine > 0;
    const QFileDevice::Permissions permissions = QFileInfo(path).permissions();
    if (permissions & QFileDevice::WriteOther)
        refuse(path, QStringLiteral("any user may change this configuration file: chmod o-w it."));
    if (holdsSecrets && (permissions & QFileDevice::WriteGroup))
        refuse(QStringLiteral("%1:%2").arg(path).arg(secretLine),
               QStringLiteral("the configuration file holds a password or token, but its group may "
                              "change it: chmod g-w it (the package installs it 0640 "
                              "root:med00418)."));
    if (holdsSecrets && (permissions & QFileDevice::ReadOther))
        refuse(QStringLiteral("%1:%2").arg(path).arg(secretLine),
               QStringLiteral("the configuration file holds a password or token, but other users "
                              "can read it: chmod o-r it (the package installs it 0640 "
                              "root:med00418)."));
}

} // namespace

ConfigFile ConfigFile::read(const QString& path, const QList<QCommandLineOption>& options)
{
    ConfigFile config;
    config.path_ = path;
    qsizetype secretLine = 0;
    QString text = QString::fromUtf8(readAll(path));
    // Editors on other systems start UTF-8 files with a byte-order mark.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype number = 1; number <= lines.size(); ++number) {
        const QString line = lines[number - 1].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals).trimmed();
        const QString value = unquoted(line.mid(equals + 1).trimmed());
        QString fault;
        if (equals <= 0)
            fault = QStringLiteral("expected \"key = value\", not \"%1\".").arg(line);
        else if (config.lines_.contains(key))
            fault = QStringLiteral("\"%1\" is set twice.").arg(key);
        else if (value.isEmpty())
            fault = QStringLiteral("\"%1\" has no value: remove the line, or put \"#\" before it, to keep "
                                   "the default.")
                        .arg(key);
        else
            fault = config.take(key, value, options);
        if (!fault.isEmpty())
            refuse(QStringLiteral("%1:%2").arg(path).arg(number), fault);
        config.lines_.insert(key, int(number));
        if (secretLine == 0 && holdsSecret(key, value))
            secretLine = number;
    }
    checkPermissions(path, secretLine);
    return config;
}

QString ConfigFile::take(const QString& key, const QString& value, const QList<QCommandLineOption>& options)
{
    if (key == DatabasePasswordKey) {
        databasePassword_ = value;
        return {};
    }
    const QCommandLineOption* option = findOption(options, key);
    if (!option)
        return QStringLiteral("unknown key \"%1\" (the keys are the long options of --help).").arg(key);
    if (!option->valueName().isEmpty()) {
        arguments_ << QStringLiteral("--%1=%2").arg(key, value);
        return {};
    }
    bool on = false;
    if (!readBoolean(value, on))
        return QStringLiteral("\"%1\" takes true or false, not \"%2\".").arg(key, value);
    if (on)
        arguments_ << QStringLiteral("--") + key;
    return {};
}
