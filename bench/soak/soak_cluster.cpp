// Several clients through HAProxy while servers are killed and PostgreSQL restarted, then the
// database is held against what each client was told. Run by scripts/soak.sh on a group that
// scripts/cluster.sh started; prints one table row and exits 1 when anything was lost or doubled.
#include "FaultDrill.h"
#include "GroupCpu.h"
#include "SoakAudit.h"
#include "SoakClient.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct Options {
    QString home;
    QString script;
    int servers = 1;
    int clients = 8;
    int seconds = 35;
    int faultEvery = 4;
    int giveUp = 20;
};

Options parse(const QCoreApplication& app)
{
    QCommandLineParser parser;
    const QList<QCommandLineOption> options = {
        {QStringLiteral("cluster"), QStringLiteral("scripts/cluster.sh"), QStringLiteral("path")},
        {QStringLiteral("servers"), QStringLiteral("servers in the group"), QStringLiteral("N"),
         QStringLiteral("1")},
        {QStringLiteral("clients"), QStringLiteral("clients"), QStringLiteral("M"), QStringLiteral("8")},
        {QStringLiteral("seconds"), QStringLiteral("length of the run"), QStringLiteral("s"),
         QStringLiteral("35")},
        {QStringLiteral("fault-every"), QStringLiteral("seconds between faults, 0 for none"),
         QStringLiteral("s"), QStringLiteral("4")},
        {QStringLiteral("give-up"), QStringLiteral("seconds a call is sent again"), QStringLiteral("s"),
         QStringLiteral("20")}};
    parser.addOptions(options);
    parser.addHelpOption();
    parser.process(app);
    Options o;
    o.home = qEnvironmentVariable("MED_CLUSTER_HOME", QStringLiteral("/tmp/med00418-cluster"));
    o.script = parser.value(QStringLiteral("cluster"));
    o.servers = std::clamp(parser.value(QStringLiteral("servers")).toInt(), 1, 99);
    o.clients = std::clamp(parser.value(QStringLiteral("clients")).toInt(), 1, 64);
    o.seconds = std::clamp(parser.value(QStringLiteral("seconds")).toInt(), 2, 3600);
    o.faultEvery = std::clamp(parser.value(QStringLiteral("fault-every")).toInt(), 0, 3600);
    o.giveUp = std::clamp(parser.value(QStringLiteral("give-up")).toInt(), 1, 600);
    return o;
}

quint16 recordedPort(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("no port recorded in " + path.toStdString());
    return quint16(file.readAll().trimmed().toUInt());
}

// Median and max, in ms, of each client's time from a fault to its first answered call after it.
QString windows(const QList<FaultDrill::Fault>& faults, bool postgres, const QList<SoakTally>& tallies)
{
    QList<qint64> all;
    for (const FaultDrill::Fault& fault : faults) {
        if (fault.postgres != postgres)
            continue;
        for (const SoakTally& tally : tallies) {
            const auto first =
                std::upper_bound(tally.successAtMs.cbegin(), tally.successAtMs.cend(), fault.atMs);
            if (first != tally.successAtMs.cend())
                all.append(*first - fault.atMs);
        }
    }
    if (all.isEmpty())
        return QStringLiteral("-");
    std::sort(all.begin(), all.end());
    return QStringLiteral("%1 / %2").arg(all[all.size() / 2]).arg(all.last());
}

int soak(const Options& o)
{
    SoakAudit audit(recordedPort(o.home + QStringLiteral("/postgres.port")));
    const QList<QPair<QString, QDate>> days = audit.billingDays();
    const quint16 port = recordedPort(o.home + QStringLiteral("/haproxy.port"));
    QFile passwordFile(o.home + QStringLiteral("/carga.password"));
    if (!passwordFile.open(QIODevice::ReadOnly))
        throw std::runtime_error("no client account recorded in " + o.home.toStdString());
    const QByteArray password = passwordFile.readAll().trimmed();
    QElapsedTimer clock;
    std::atomic_bool stop = false;
    std::vector<std::unique_ptr<SoakClient>> clients;
    for (int c = 0; c < o.clients; ++c) {
        SoakClient::Settings settings{
            port, c, o.giveUp * 1000, {}, qEnvironmentVariableIsSet("SOAK_RESEND_NEW_KEY"), password};
        for (qsizetype d = c; d < days.size(); d += o.clients)
            settings.importSlots.append(days[d]);
        clients.push_back(std::make_unique<SoakClient>(settings, clock, stop));
    }
    const qint64 serverCpu = GroupCpu::ofServers(o.home, o.servers);
    const qint64 postgresCpu = GroupCpu::ofPostgres(o.home);
    clock.start();
    FaultDrill drill(o.script, o.home, o.servers, clock);
    {
        std::vector<std::jthread> threads;
        for (const auto& client : clients)
            threads.emplace_back([&client] { client->run(); });
        try {
            drill.run(o.faultEvery * 1000LL, o.seconds * 1000LL);
        } catch (...) {
            stop = true;
            throw;
        }
        stop = true;
    }
    const double elapsed = double(clock.elapsed()) / 1000.0;
    QList<SoakTally> tallies;
    SoakTally sum;
    for (const auto& client : clients) {
        tallies.append(client->tally());
        sum.calls += client->tally().calls;
        sum.succeeded += client->tally().succeeded;
        sum.refused += client->tally().refused;
        sum.gaveUp += client->tally().gaveUp;
        sum.resent += client->tally().resent;
    }
    const SoakAudit::Findings findings = audit.check(tallies);
    // With faults, killed servers take their CPU time with them: per-call CPU only for a quiet run.
    const QString cpu = o.faultEvery > 0 || sum.succeeded == 0
                            ? QStringLiteral("- | -")
                            : QStringLiteral("%1 | %2")
                                  .arg((GroupCpu::ofServers(o.home, o.servers) - serverCpu) / sum.succeeded)
                                  .arg((GroupCpu::ofPostgres(o.home) - postgresCpu) / sum.succeeded);
    std::printf("| %d | %d | %.0f | %d | %.0f | %d | %d | %d | %d | %d | %d | %s | %s | %s |\n", o.servers,
                o.clients, elapsed, sum.calls, sum.succeeded / elapsed, sum.resent, sum.refused, sum.gaveUp,
                findings.lost, findings.doubled, findings.phantom,
                qPrintable(windows(drill.faults(), false, tallies)),
                qPrintable(windows(drill.faults(), true, tallies)), qPrintable(cpu));
    std::fflush(stdout);
    for (const FaultDrill::Fault& fault : drill.faults())
        std::fprintf(stderr, "  %6.1f s  %-20s back in %lld ms\n", double(fault.atMs) / 1000.0,
                     qPrintable(fault.what), fault.recoveryMs);
    return findings.lost + findings.doubled + findings.phantom == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const Options options = parse(app);
    if (qEnvironmentVariableIsSet("SOAK_HEADER"))
        std::printf(
            "| servers | clients | s | calls | answered/s | resent | refused | gave up | lost | doubled | "
            "phantom | window after kill, median / max ms | window after PostgreSQL restart | "
            "server CPU µs/call | PostgreSQL CPU µs/call |\n|%s\n",
            QByteArray("---|").repeated(15).constData());
    std::fflush(stdout);
    try {
        return soak(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak: %s\n", e.what());
        return 2;
    }
}
