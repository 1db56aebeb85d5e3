#include "OptionReader.h"

#include "ConfigFile.h"
#include "Exception.h"

OptionReader::OptionReader(const QCommandLineParser& parser, QSet<QString> commandLine,
                           const ConfigFile& config)
    : parser_(parser), commandLine_(std::move(commandLine)), config_(config)
{}

QString OptionReader::source(const QCommandLineOption& option) const
{
    const QString key = option.names().constLast();
    const int line = config_.lineOf(key);
    if (line == 0 || commandLine_.contains(key))
        return QStringLiteral("--") + key;
    return QStringLiteral("%1:%2: %3").arg(config_.path()).arg(line).arg(key);
}

void OptionReader::refuse(const QCommandLineOption& option, const QString& message) const
{
    throw Exception(QStringLiteral("%1: %2").arg(source(option), message));
}

qint64 OptionReader::wholeNumber(const QCommandLineOption& option, qint64 minimum, qint64 maximum) const
{
    const QString text = parser_.value(option).trimmed();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        refuse(option, QStringLiteral("expected a whole number from %1 to %2, not \"%3\".")
                           .arg(minimum)
                           .arg(maximum)
                           .arg(text.left(40)));
    return value;
}
