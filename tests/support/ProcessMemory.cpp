#include "ProcessMemory.h"

#include <QFile>

namespace {

qint64 statusField(qint64 pid, QByteArrayView name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    // /proc files report a size of 0: read to the end rather than by size.
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name) && line.size() > name.size() && line[name.size()] == ':')
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

namespace ProcessMemory {

qint64 residentKiB(qint64 pid)
{
    return statusField(pid, "VmRSS");
}

qint64 peakKiB(qint64 pid)
{
    return statusField(pid, "VmHWM");
}

} // namespace ProcessMemory
