#include "OneCoreEach.h"

#include "AppServerProcess.h"
#include "BenchRun.h"
#include "CallMix.h"
#include "DirectLoad.h"
#include "PinnedThread.h"
#include "ProcessCpu.h"
#include "ServerLoad.h"

namespace OneCoreEach {

namespace {

constexpr int ServerCore = 0;
constexpr int LoadCore = 1;

struct Sample {
    double callsPerSecond = 0;
    double cpuPerCall = 0; // microseconds
    double p50Ms = 0;
    double p99Ms = 0;
};

Sample sampleOf(LatencyStats& stats, qint64 cpuMicros)
{
    return Sample{stats.callsPerSecond(), double(cpuMicros) / double(qMax<qsizetype>(1, stats.calls())),
                  stats.percentileMs(0.5), stats.percentileMs(0.99)};
}

// The same SQL in this thread, on the server's core with nothing else of ours on it.
Sample direct(const Settings& settings, const CallMix& mix)
{
    const PinnedThread pin(ServerCore);
    const qint64 before = ProcessCpu::ofThisThread();
    LatencyStats stats = DirectLoad::run(settings.database, mix, settings.duration);
    return sampleOf(stats, ProcessCpu::ofThisThread() - before);
}

// Every thread of the server is on its core from the start (it picks its workers seeing one core);
// the load is generated on the other.
Sample served(const Settings& settings, const CallMix& mix, int clients)
{
    AppServerProcess server(settings.database, settings.serverArguments);
    {
        const PinnedThread pin(ServerCore);
        server.start();
    }
    const PinnedThread pin(LoadCore);
    const QByteArray session = settings.signIn(server.port());
    const qint64 before = ProcessCpu::ofProcess(server.pid());
    LatencyStats stats = ServerLoad::run(server.port(), mix, clients, settings.duration, session);
    return sampleOf(stats, ProcessCpu::ofProcess(server.pid()) - before);
}

struct Medians {
    QList<double> rate; // server / direct, per round
    QList<double> cpu;  // server / direct, per round
    QList<double> p50;
    QList<double> p99;
};

void add(Medians& medians, const Sample& server, const Sample& floor)
{
    medians.rate.append(server.callsPerSecond / qMax(1.0, floor.callsPerSecond));
    medians.cpu.append(server.cpuPerCall / qMax(0.001, floor.cpuPerCall));
    medians.p50.append(server.p50Ms);
    medians.p99.append(server.p99Ms);
}

} // namespace

void run(QTextStream& out, const Settings& settings)
{
    if (!PinnedThread::mayUse(2)) {
        out << "one-core-each skipped: this process may not run on cores 0 and 1" << Qt::endl;
        return;
    }
    out << "one-core-each: server on core 0, load generator on core 1, direct floor on core 0 alone; "
        << "medians of " << settings.rounds << " alternating runs of " << settings.duration.count() / 1000
        << " s; load " << BenchRun::load() << Qt::endl;
    const CallMix mix;
    QList<Medians> byClients(settings.clients.size());
    for (int round = 0; round < settings.rounds; ++round) {
        for (qsizetype i = 0; i < settings.clients.size(); ++i) {
            // Neither goes first every time: the machine is shared and warms up.
            Sample floor;
            Sample server;
            if (round % 2 == 0) {
                floor = direct(settings, mix);
                server = served(settings, mix, settings.clients[i]);
            } else {
                server = served(settings, mix, settings.clients[i]);
                floor = direct(settings, mix);
            }
            add(byClients[i], server, floor);
        }
    }
    for (qsizetype i = 0; i < settings.clients.size(); ++i) {
        const Medians& m = byClients[i];
        out << "one-core-each clients=" << settings.clients[i]
            << " server/direct=" << QString::number(BenchRun::median(m.rate), 'f', 2)
            << " cpu/direct=" << QString::number(BenchRun::median(m.cpu), 'f', 2)
            << " p50_ms=" << QString::number(BenchRun::median(m.p50), 'f', 2)
            << " p99_ms=" << QString::number(BenchRun::median(m.p99), 'f', 2) << Qt::endl;
    }
    out << "one-core-each: load after " << BenchRun::load() << Qt::endl;
}

} // namespace OneCoreEach
