#include "ProcessPause.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <csignal>

namespace {

// From "/proc/PID/task/TID/stat", "tid (name) state ...", the name possibly holding blanks and
// parentheses: whether that thread may still run. Stopped ("T", "t" by a tracer), dead and ended
// threads answer nothing.
bool threadRuns(const QString& statPath)
{
    QFile stat(statPath);
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype at = text.lastIndexOf(')') + 2;
    if (at < 2 || at >= text.size())
        return false;
    return !QByteArrayView("TtZX").contains(text[at]);
}

bool anyThreadRuns(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::ranges::any_of(threads, [&](const QString& thread) {
        return threadRuns(tasks.filePath(thread + QStringLiteral("/stat")));
    });
}

} // namespace

namespace ProcessPause {

bool pause(qint64 pid, int timeoutMs)
{
    if (pid <= 0 || ::kill(pid_t(pid), SIGSTOP) != 0)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (anyThreadRuns(pid)) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(200);
    }
    return true;
}

void resume(qint64 pid)
{
    if (pid > 0)
        ::kill(pid_t(pid), SIGCONT);
}

} // namespace ProcessPause
