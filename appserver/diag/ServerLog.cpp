#include "ServerLog.h"

#include "Exception.h"
#include "LineRepeats.h"
#include "LogLine.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcServer, "med.appserver", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCall, "med.appserver.call", QtInfoMsg)

namespace {

std::atomic<bool> toJournal = false;
QString logPath; // set once at start, before any thread but the main one runs

struct Level {
    const char* name;
    char priority; // syslog's, as journald reads it from a "<N>" prefix
};

Level levelOf(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return {"DEBUG", '7'};
    case QtInfoMsg:
        return {"INFO", '6'};
    case QtWarningMsg:
        return {"WARNING", '4'};
    case QtCriticalMsg:
        return {"ERROR", '3'};
    case QtFatalMsg:
        break;
    }
    return {"FATAL", '2'};
}

// What systemd documents for JOURNAL_STREAM: it names the journal's stream as "DEVICE:INODE", and
// only standard error being that very stream means lines reach the journal (not a file it was
// redirected to since).
bool standardErrorIsJournal()
{
    const QByteArray stream = qgetenv("JOURNAL_STREAM");
    struct stat status = {};
    if (stream.isEmpty() || ::fstat(STDERR_FILENO, &status) != 0)
        return false;
    return stream ==
           QByteArray::number(quint64(status.st_dev)) + ':' + QByteArray::number(quint64(status.st_ino));
}

void appendTime(LogLine& line)
{
    timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // The date and time to the second change once a second, and gmtime_r takes a process-wide lock.
    thread_local time_t shownSecond = -1;
    thread_local char secondText[80];
    if (now.tv_sec != shownSecond) {
        tm utc = {};
        ::gmtime_r(&now.tv_sec, &utc);
        std::snprintf(secondText, sizeof secondText, "%04d-%02d-%02dT%02d:%02d:%02d", utc.tm_year + 1900,
                      utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
        shownSecond = now.tv_sec;
    }
    const int millis = int(now.tv_nsec / 1000000);
    const char fraction[] = {
        '.', char('0' + millis / 100), char('0' + millis / 10 % 10), char('0' + millis % 10), 'Z', ' '};
    line.append(std::string_view(secondText));
    line.append(std::string_view(fraction, sizeof fraction));
}

void writeAll(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text.remove_prefix(std::size_t(written));
    }
}

LineRepeats& repeats()
{
    static LineRepeats lines;
    return lines;
}

void writeLines(const QList<LineRepeats::Line>& lines)
{
    for (const LineRepeats::Line& line : lines)
        ServerLog::write(line.level, std::string_view(line.text.constData(), std::size_t(line.text.size())));
}

// Driver and Qt texts may carry line breaks; a line stays a line. Repeats are collapsed.
void handleQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QByteArray text;
    const std::string_view category = context.category ? context.category : "default";
    if (category != "default" && !category.starts_with("med.appserver"))
        text.append(category.data(), qsizetype(category.size())).append(": ");
    text.append(message.toUtf8());
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    if (type == QtFatalMsg) {
        ServerLog::write(type, std::string_view(text.constData(), std::size_t(text.size())));
        std::abort();
    }
    writeLines(repeats().admit(type, text));
}

int openForAppend(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
}

} // namespace

void ServerLog::open(const QString& path, const QString& rules)
{
    if (!path.isEmpty()) {
        const int fd = openForAppend(path);
        if (fd < 0)
            throw Exception(QStringLiteral("Cannot open the log file %1: %2.")
                                .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
        logPath = path;
    }
    if (!rules.isEmpty())
        setRules(rules);
    toJournal = standardErrorIsJournal();
    qInstallMessageHandler(handleQtMessage);
}

void ServerLog::setRules(const QString& rules)
{
    QLoggingCategory::setFilterRules(QString(rules).replace(QLatin1Char(';'), QLatin1Char('\n')));
}

bool ServerLog::reopen()
{
    if (logPath.isEmpty())
        return true;
    const int fd = openForAppend(logPath);
    if (fd < 0) {
        qCWarning(lcServer, "cannot open the log file %s again: %s; still writing to the old one",
                  qUtf8Printable(logPath), std::strerror(errno));
        return false;
    }
    // dup2 swaps the file under the descriptor at once: a line is written wholly to one file or the other.
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
    return true;
}

void ServerLog::flushRepeats()
{
    writeLines(repeats().flush());
}

void ServerLog::begin(QtMsgType level, LogLine& line)
{
    const Level shown = levelOf(level);
    if (toJournal) {
        // journald stamps the time itself.
        const char prefix[] = {'<', shown.priority, '>'};
        line.append(std::string_view(prefix, sizeof prefix));
    } else {
        appendTime(line);
        line.append(shown.name);
        line.append(' ');
    }
}

void ServerLog::end(LogLine& line)
{
    writeAll(line.terminated());
}

void ServerLog::write(QtMsgType level, std::string_view event)
{
    LogLine line;
    begin(level, line);
    line.append(event);
    end(line);
}
