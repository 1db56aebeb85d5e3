#include "FaultDrill.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <stdexcept>

FaultDrill::FaultDrill(QString clusterScript, QString home, int servers, const QElapsedTimer& clock)
    : script_(std::move(clusterScript)), home_(std::move(home)), servers_(servers), clock_(clock)
{}

void FaultDrill::run(qint64 everyMs, qint64 untilMs)
{
    bool postgresDone = false;
    int nextServer = 1;
    for (qint64 at = everyMs; everyMs > 0 && at + 1000 < untilMs; at += everyMs) {
        QThread::msleep(ulong(qMax<qint64>(0, at - clock_.elapsed())));
        if (!postgresDone && at >= untilMs / 2) {
            restartPostgres();
            postgresDone = true;
            continue;
        }
        killServer(nextServer);
        nextServer = nextServer % servers_ + 1;
    }
    QThread::msleep(ulong(qMax<qint64>(0, untilMs - clock_.elapsed())));
}

void FaultDrill::killServer(int server)
{
    QFile file(QStringLiteral("%1/app%2.pid").arg(home_).arg(server));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("no pid recorded for server " + std::to_string(server));
    const pid_t pid = pid_t(file.readAll().trimmed().toLong());
    if (pid <= 0 || ::kill(pid, SIGKILL) != 0)
        throw std::runtime_error("cannot kill server " + std::to_string(server));
    Fault fault{clock_.elapsed(), false, QStringLiteral("kill -9 app%1").arg(server), 0};
    if (!script({QStringLiteral("restart-server"), QString::number(server)}))
        throw std::runtime_error("server " + std::to_string(server) + " did not start again");
    fault.recoveryMs = clock_.elapsed() - fault.atMs;
    faults_.append(fault);
}

void FaultDrill::restartPostgres()
{
    Fault fault{clock_.elapsed(), true, QStringLiteral("restart PostgreSQL"), 0};
    if (!script({QStringLiteral("restart-postgres")}))
        throw std::runtime_error("PostgreSQL did not start again");
    fault.recoveryMs = clock_.elapsed() - fault.atMs;
    faults_.append(fault);
}

bool FaultDrill::script(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(script_, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
