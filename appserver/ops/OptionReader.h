#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QSet>
#include <QString>
#include <chrono>
#include <concepts>
#include <limits>

class ConfigFile;

// Reads the settled value of each option (configuration file first, command line over it) and, when
// a value is wrong, throws Exception naming where it came from: "FILE:LINE: key: …" for the file,
// "--key: …" for the command line. Numbers are range-checked against the type they are read into, so
// no value wraps on its way in.
class OptionReader {
public:
    // `commandLine` holds the names of the options the command line set; `config` outlives the reader.
    OptionReader(const QCommandLineParser& parser, QSet<QString> commandLine, const ConfigFile& config);

    bool isSet(const QCommandLineOption& option) const { return parser_.isSet(option); }
    QString text(const QCommandLineOption& option) const { return parser_.value(option); }
    // Where the option's value came from, as a message starts.
    QString source(const QCommandLineOption& option) const;
    [[noreturn]] void refuse(const QCommandLineOption& option, const QString& message) const;

    template <std::integral T>
    T number(const QCommandLineOption& option, T minimum, T maximum = std::numeric_limits<T>::max()) const
    {
        return T(wholeNumber(option, qint64(minimum), qint64(std::min<quint64>(maximum, MaxInt64))));
    }
    // At most a year unless told: a longer wait is a slip of the keyboard.
    std::chrono::seconds seconds(const QCommandLineOption& option, qint64 minimum = 1,
                                 qint64 maximum = 366 * 24 * 3600) const
    {
        return std::chrono::seconds(wholeNumber(option, minimum, maximum));
    }

private:
    static constexpr quint64 MaxInt64 = quint64(std::numeric_limits<qint64>::max());

    qint64 wholeNumber(const QCommandLineOption& option, qint64 minimum, qint64 maximum) const;

    const QCommandLineParser& parser_;
    QSet<QString> commandLine_;
    const ConfigFile& config_;
};
