#pragma once

#include <QFile>
#include <QList>
#include <QtGlobal>
#include <algorithm>

// What every benchmark shares: the size it runs at and the machine's load beside its figures. The
// suite runs each one tiny (MED_BENCH_TINY=1), to show that it still runs and prints; `make bench`
// runs them at full size.
namespace BenchRun {

inline bool tiny()
{
    return qEnvironmentVariableIntValue("MED_BENCH_TINY") != 0;
}

// `full` normally, `small` when run tiny.
template <typename T> T size(T full, T small)
{
    return tiny() ? small : full;
}

// The system's load averages, "1m 5m 15m", as printed beside the figures.
inline QByteArray load()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "unknown";
    const QList<QByteArray> parts = file.readAll().split(' ');
    return parts.size() < 3 ? QByteArray("unknown") : parts[0] + ' ' + parts[1] + ' ' + parts[2];
}

inline double median(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.isEmpty() ? 0.0 : samples[samples.size() / 2];
}

} // namespace BenchRun
