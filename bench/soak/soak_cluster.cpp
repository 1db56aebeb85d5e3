// Several clients through HAProxy while servers are killed and PostgreSQL restarted (or, with
// --database-faults, while the replicated database's primary is killed or switched over), then the
// database is held against what each client was told. Run by scripts/soak.sh on a group that
// scripts/cluster.sh started; prints one table row and exits 1 when anything was lost or doubled.
#include "DatabaseDrill.h"
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
    // On a replicated database: seconds between its faults (lowest, highest); 0 for the server drill.
    int databaseFaultMin = 0;
    int databaseFaultMax = 0;
    double lag = 0;
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
         QStringLiteral("20")},
        {QStringLiteral("database-faults"),
         QStringLiteral(
             "replicated database: seconds between its faults, LOW-HIGH, instead of server faults"),
         QStringLiteral("s-s")},
        {QStringLiteral("lag"), QStringLiteral("seconds the WAL sender is held before each kill"),
         QStringLiteral("s"), QStringLiteral("0")}};
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
    const QStringList range = parser.value(QStringLiteral("database-faults")).split(u'-');
    o.databaseFaultMin = std::clamp(range.first().toInt(), 0, 3600);
    o.databaseFaultMax = std::clamp(range.last().toInt(), o.databaseFaultMin, 3600);
    o.lag = std::clamp(parser.value(QStringLiteral("lag")).toDouble(), 0.0, 30.0);
    return o;
}

quint16 recordedPort(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("no port recorded in " + path.toStdString());
    return quint16(file.readAll().trimmed().toUInt());
}

QString medianAndMax(QList<qint64> all)
{
    if (all.isEmpty())
        return QStringLiteral("-");
    std::sort(all.begin(), all.end());
    return QStringLiteral("%1 / %2").arg(all[all.size() / 2]).arg(all.last());
}

// Median and max, in ms, of each client's time from a fault to its first answered call after it.
QString windows(const QList<qint64>& faultsAtMs, const QList<SoakTally>& tallies)
{
    QList<qint64> all;
    for (const qint64 at : faultsAtMs) {
        for (const SoakTally& tally : tallies) {
            const auto first = std::upper_bound(tally.successAtMs.cbegin(), tally.successAtMs.cend(), at);
            if (first != tally.successAtMs.cend())
                all.append(*first - at);
        }
    }
    return medianAndMax(all);
}

QList<qint64> serverFaults(const QList<FaultDrill::Fault>& faults, bool postgres)
{
    QList<qint64> at;
    for (const FaultDrill::Fault& fault : faults)
        if (fault.postgres == postgres)
            at.append(fault.atMs);
    return at;
}

struct DatabaseWindows {
    QList<qint64> atMs;
    QList<qint64> withoutPrimaryMs;
};

DatabaseWindows databaseFaults(const QList<DatabaseDrill::Fault>& faults, bool switchover)
{
    DatabaseWindows windows;
    for (const DatabaseDrill::Fault& fault : faults) {
        if (fault.switchover != switchover)
            continue;
        windows.atMs.append(fault.atMs);
        windows.withoutPrimaryMs.append(fault.windowMs);
    }
    return windows;
}

// Median and max over faults and clients of a client's longest wait between two answered calls while
// the group had no primary (the wait that ends after the window counts whole).
QString pauses(const DatabaseWindows& faults, const QList<SoakTally>& tallies)
{
    QList<qint64> all;
    for (qsizetype f = 0; f < faults.atMs.size(); ++f) {
        const qint64 at = faults.atMs[f];
        const qint64 end = at + faults.withoutPrimaryMs[f];
        for (const SoakTally& tally : tallies) {
            auto next = std::upper_bound(tally.successAtMs.cbegin(), tally.successAtMs.cend(), at);
            qint64 previous = next == tally.successAtMs.cbegin() ? at : *(next - 1);
            qint64 longest = 0;
            for (; next != tally.successAtMs.cend() && previous <= end; previous = *next++)
                longest = qMax(longest, *next - previous);
            all.append(longest);
        }
    }
    return medianAndMax(all);
}

SoakTally total(const QList<SoakTally>& tallies)
{
    SoakTally sum;
    for (const SoakTally& tally : tallies) {
        sum.calls += tally.calls;
        sum.succeeded += tally.succeeded;
        sum.refused += tally.refused;
        sum.gaveUp += tally.gaveUp;
        sum.resent += tally.resent;
    }
    return sum;
}

std::vector<std::unique_ptr<SoakClient>> makeClients(const Options& o, quint16 port,
                                                     const QList<QPair<QString, QDate>>& days,
                                                     const QElapsedTimer& clock, const std::atomic_bool& stop)
{
    QFile passwordFile(o.home + QStringLiteral("/carga.password"));
    if (!passwordFile.open(QIODevice::ReadOnly))
        throw std::runtime_error("no client account recorded in " + o.home.toStdString());
    const QByteArray password = passwordFile.readAll().trimmed();
    std::vector<std::unique_ptr<SoakClient>> clients;
    for (int c = 0; c < o.clients; ++c) {
        SoakClient::Settings settings{
            port, c, o.giveUp * 1000, {}, qEnvironmentVariableIsSet("SOAK_RESEND_NEW_KEY"), password};
        for (qsizetype d = c; d < days.size(); d += o.clients)
            settings.importSlots.append(days[d]);
        clients.push_back(std::make_unique<SoakClient>(settings, clock, stop));
    }
    return clients;
}

// The clients run while `drill` blocks; what each was told comes back.
template <typename Drill>
QList<SoakTally> drive(const std::vector<std::unique_ptr<SoakClient>>& clients, std::atomic_bool& stop,
                       Drill&& drill)
{
    {
        std::vector<std::jthread> threads;
        for (const auto& client : clients)
            threads.emplace_back([&client] { client->run(); });
        try {
            drill();
        } catch (...) {
            stop = true;
            throw;
        }
        stop = true;
    }
    QList<SoakTally> tallies;
    for (const auto& client : clients)
        tallies.append(client->tally());
    return tallies;
}

int verdict(const SoakAudit::Findings& findings)
{
    return findings.lost + findings.doubled + findings.phantom == 0 ? 0 : 1;
}

int soakServers(const Options& o)
{
    SoakAudit audit(recordedPort(o.home + QStringLiteral("/postgres.port")));
    const quint16 port = recordedPort(o.home + QStringLiteral("/haproxy.port"));
    QElapsedTimer clock;
    std::atomic_bool stop = false;
    const auto clients = makeClients(o, port, audit.billingDays(), clock, stop);
    const qint64 serverCpu = GroupCpu::ofServers(o.home, o.servers);
    const qint64 postgresCpu = GroupCpu::ofPostgres(o.home);
    clock.start();
    FaultDrill drill(o.script, o.home, o.servers, clock);
    const QList<SoakTally> tallies =
        drive(clients, stop, [&] { drill.run(o.faultEvery * 1000LL, o.seconds * 1000LL); });
    const double elapsed = double(clock.elapsed()) / 1000.0;
    const SoakTally sum = total(tallies);
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
                qPrintable(windows(serverFaults(drill.faults(), false), tallies)),
                qPrintable(windows(serverFaults(drill.faults(), true), tallies)), qPrintable(cpu));
    std::fflush(stdout);
    for (const FaultDrill::Fault& fault : drill.faults())
        std::fprintf(stderr, "  %6.1f s  %-20s back in %lld ms\n", double(fault.atMs) / 1000.0,
                     qPrintable(fault.what), fault.recoveryMs);
    return verdict(findings);
}

int soakDatabase(const Options& o)
{
    // The frontend's port: the audit reads whichever node is primary at the end.
    SoakAudit audit(recordedPort(o.home + QStringLiteral("/postgres.port")));
    const quint16 port = recordedPort(o.home + QStringLiteral("/haproxy.port"));
    QElapsedTimer clock;
    std::atomic_bool stop = false;
    const auto clients = makeClients(o, port, audit.billingDays(), clock, stop);
    clock.start();
    DatabaseDrill drill(o.script, clock, o.lag);
    const QList<SoakTally> tallies = drive(clients, stop, [&] {
        drill.run(o.databaseFaultMin * 1000LL, o.databaseFaultMax * 1000LL, o.seconds * 1000LL);
    });
    const double elapsed = double(clock.elapsed()) / 1000.0;
    const SoakTally sum = total(tallies);
    const SoakAudit::Findings findings = audit.check(tallies);
    const DatabaseWindows kills = databaseFaults(drill.faults(), false);
    const DatabaseWindows switchovers = databaseFaults(drill.faults(), true);
    std::printf(
        "| %d | %d | %.0f | %d | %.0f | %d | %d | %d | %d | %d | %d | %lld / %lld | %s | %s | %s | %s |\n",
        o.servers, o.clients, elapsed, sum.calls, sum.succeeded / elapsed, sum.resent, sum.refused,
        sum.gaveUp, findings.lost, findings.doubled, findings.phantom, qint64(kills.atMs.size()),
        qint64(switchovers.atMs.size()), qPrintable(medianAndMax(kills.withoutPrimaryMs)),
        qPrintable(medianAndMax(switchovers.withoutPrimaryMs)), qPrintable(pauses(kills, tallies)),
        qPrintable(pauses(switchovers, tallies)));
    std::fflush(stdout);
    for (const DatabaseDrill::Fault& fault : drill.faults())
        std::fprintf(stderr, "  %6.1f s  %-32s primary again in %lld ms\n", double(fault.atMs) / 1000.0,
                     qPrintable(fault.what), fault.windowMs);
    return verdict(findings);
}

void printHeader(bool database)
{
    if (database)
        std::printf(
            "| servers | clients | s | calls | answered/s | resent | refused | gave up | lost | doubled | "
            "phantom | kills / switchovers | no primary after kill, median / max ms | "
            "no primary after switchover | a client's longest wait for an answer, kill | "
            "switchover |\n|%s\n",
            QByteArray("---|").repeated(16).constData());
    else
        std::printf(
            "| servers | clients | s | calls | answered/s | resent | refused | gave up | lost | doubled | "
            "phantom | window after kill, median / max ms | window after PostgreSQL restart | "
            "server CPU µs/call | PostgreSQL CPU µs/call |\n|%s\n",
            QByteArray("---|").repeated(15).constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const Options options = parse(app);
    const bool database = options.databaseFaultMax > 0;
    if (qEnvironmentVariableIsSet("SOAK_HEADER"))
        printHeader(database);
    try {
        return database ? soakDatabase(options) : soakServers(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak: %s\n", e.what());
        return 2;
    }
}
