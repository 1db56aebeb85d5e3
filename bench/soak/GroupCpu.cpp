#include "GroupCpu.h"

#include "ProcessCpu.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <unistd.h>

namespace GroupCpu {

namespace {

qint64 recordedPid(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

// Fields after the command name, which may hold spaces.
QList<QByteArray> statFields(const QString& pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

qint64 ticksToMicros(qint64 ticks)
{
    return ticks * 1000000 / ::sysconf(_SC_CLK_TCK);
}

} // namespace

qint64 ofServers(const QString& home, int servers)
{
    qint64 total = 0;
    for (int k = 1; k <= servers; ++k)
        total += ProcessCpu::ofProcess(recordedPid(QStringLiteral("%1/app%2.pid").arg(home).arg(k)));
    return total;
}

qint64 ofPostgres(const QString& home)
{
    const qint64 postmaster = recordedPid(home + QStringLiteral("/postgres.pid"));
    const QList<QByteArray> own = statFields(QString::number(postmaster));
    // utime, stime, then the reaped children's cutime and cstime.
    qint64 ticks = own.value(11).toLongLong() + own.value(12).toLongLong() + own.value(13).toLongLong() +
                   own.value(14).toLongLong();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QList<QByteArray> fields = statFields(entry);
        if (fields.value(1).toLongLong() == postmaster && postmaster > 0)
            ticks += fields.value(11).toLongLong() + fields.value(12).toLongLong();
    }
    return ticksToMicros(ticks);
}

} // namespace GroupCpu
