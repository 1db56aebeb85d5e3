#include "DatabaseDrill.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <stdexcept>

DatabaseDrill::DatabaseDrill(QString clusterScript, const QElapsedTimer& clock, double lagSeconds)
    : script_(std::move(clusterScript)), clock_(clock), lagSeconds_(lagSeconds)
{}

void DatabaseDrill::run(qint64 minEveryMs, qint64 maxEveryMs, qint64 untilMs)
{
    QRandomGenerator random(27);
    bool switchover = false;
    for (qint64 at = minEveryMs; maxEveryMs > 0 && at + 1000 < untilMs;) {
        QThread::msleep(ulong(qMax<qint64>(0, at - clock_.elapsed())));
        script({QStringLiteral("wait-standby")});
        fault(switchover);
        switchover = !switchover;
        at = clock_.elapsed() + random.bounded(minEveryMs, qMax(minEveryMs, maxEveryMs) + 1);
    }
    QThread::msleep(ulong(qMax<qint64>(0, untilMs - clock_.elapsed())));
    // The audit reads the new primary.
    script({QStringLiteral("wait-primary")});
}

void DatabaseDrill::fault(bool switchover)
{
    Fault fault{clock_.elapsed(), switchover, {}, 0};
    const QString node = switchover ? script({QStringLiteral("switchover")})
                                    : script({QStringLiteral("kill-primary"), QString::number(lagSeconds_)});
    script({QStringLiteral("wait-primary")});
    fault.windowMs = clock_.elapsed() - fault.atMs;
    fault.what =
        (switchover ? QStringLiteral("switchover from ") : QStringLiteral("kill -9 PostgreSQL on ")) + node;
    faults_.append(fault);
}

QString DatabaseDrill::script(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setReadChannel(QProcess::StandardOutput);
    process.start(script_, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error("cluster.sh " + arguments.join(' ').toStdString() +
                                 " failed: " + process.readAllStandardError().trimmed().toStdString());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}
