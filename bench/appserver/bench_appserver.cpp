// Throughput and latency of the application server under the screen's call mix, on SQLite and on
// PostgreSQL, with its call lines logged and at warning level, against the same SQL run directly on
// the same database from one process.
#include "AppServerProcess.h"
#include "CallMix.h"
#include "Currency.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "DirectLoad.h"
#include "EfetGestRecordSet.h"
#include "ListCallCpu.h"
#include "OneCoreEach.h"
#include "PacketCodec.h"
#include "PostgresServer.h"
#include "ProcessCpu.h"
#include "RpcClient.h"
#include "SaveDurability.h"
#include "ServerLoad.h"
#include "SqliteFloor.h"
#include "SqliteLibrary.h"
#include "TDateTime.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {

// The account the load signs in as, made with the server's `user add`: a digitador of the mix's branch,
// so every call passes the rights check a clerk's does.
const QString BenchLogin = QStringLiteral("carga");
const QString BenchPassword = QStringLiteral("senha-da-carga");

QByteArray sessionOn(quint16 port)
{
    RpcClient rpc(QStringLiteral("127.0.0.1"), port);
    const RpcClient::Reply reply = rpc.signIn(BenchLogin, BenchPassword);
    if (!reply.ok())
        throw std::runtime_error("sign-in failed: " + reply.body.toStdString());
    return rpc.http().token();
}

std::chrono::milliseconds runTime()
{
    const int seconds = qEnvironmentVariableIntValue("MED_BENCH_SECONDS");
    return std::chrono::seconds(seconds > 0 ? seconds : 2);
}

// The machine is shared: each configuration runs this many times, interleaved, and its best run counts.
int rounds()
{
    const int value = qEnvironmentVariableIntValue("MED_BENCH_ROUNDS");
    return value > 0 ? value : 3;
}

// MED_BENCH_CLIENTS=1,8,128 (the default) sets the server loads' client counts.
QList<int> clientCounts()
{
    QList<int> counts;
    for (const QString& count :
         qEnvironmentVariable("MED_BENCH_CLIENTS", QStringLiteral("1,8,128")).split(u','))
        counts.append(qBound(1, count.toInt(), CallMix::MaxClients));
    return counts;
}

// The list every getEfetGest of the mix reads: fifty lines with their service names.
void seed(const QString& database, quint16 port, const CallMix& mix)
{
    Database direct(DatabaseSpec::parse(database));
    const QString addService =
        QStringLiteral("INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES (?, ?, ?)");
    direct.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)"),
                {mix.branch, QStringLiteral("Filial de carga")});
    // The server stores lines of registered services only: each client's scratch key too.
    for (int client = 0; client <= CallMix::DirectClient; ++client)
        direct.exec(addService, {mix.branch, mix.scratchService(client), QStringLiteral("Serviço avulso")});
    QList<Change> changes;
    for (int s = 1; s <= CallMix::ListLines; ++s) {
        const QString service = QStringLiteral("%1").arg(s, 5, 10, QLatin1Char('0'));
        direct.exec(addService, {mix.branch, service, QStringLiteral("Serviço de Conservação nº %1").arg(s)});
        changes.append(Change{
            ChangeKind::Inserted,
            {mix.branch, QVariant::fromValue(TDateTime::fromDate(mix.date)), service,
             QVariant::fromValue(Currency::fromRaw(s * 12500)),
             QVariant::fromValue(Currency::parse(u"2345.67")),
             QVariant::fromValue(Currency::fromRaw(s * 12500) * Currency::parse(u"2345.67")), QVariant()},
            {}});
    }
    RpcClient rpc(QStringLiteral("127.0.0.1"), port);
    rpc.http().setSignIn(BenchLogin.toUtf8(), BenchPassword.toUtf8());
    const RpcClient::Reply reply =
        rpc.call(QStringLiteral("setEfetGest"),
                 {PacketCodec::encodeChangeSet(EfetGestRecordSet::fieldDefs(), changes).json()});
    if (!reply.ok())
        throw std::runtime_error("seeding failed: " + reply.body.toStdString());
}

// A new database with the load's account and the mix's list, made through a server of its own.
void prepare(const QString& database)
{
    const CallMix mix;
    AppServerProcess server(database);
    server.addUser(BenchLogin, QStringLiteral("digitador"), mix.branch, BenchPassword);
    server.start();
    seed(database, server.port(), mix);
}

struct Row {
    QString backend;
    QString mode;
    int clients;
    LatencyStats stats;
    qint64 cpuMicros;     // of the process serving the calls, not of the database server
    qint64 loadCpuMicros; // of this process while it generated the load; 0 for direct runs
};

// A load against a server: `cpu` is the server's, and this process's is the load generator's.
template <typename Run>
Row measured(const QString& backend, const QString& mode, int clients, const std::function<qint64()>& cpu,
             Run run)
{
    const qint64 before = cpu();
    const qint64 ownBefore = ProcessCpu::ofThisProcess();
    LatencyStats stats = run();
    const qint64 own = ProcessCpu::ofThisProcess() - ownBefore;
    return Row{backend, mode, clients, std::move(stats), cpu() - before, own};
}

// A floor run in this thread: its CPU is this thread's alone, not that of the process's other threads.
template <typename Run> Row measuredHere(const QString& backend, const QString& mode, Run run)
{
    const qint64 before = ProcessCpu::ofThisThread();
    LatencyStats stats = run();
    return Row{backend, mode, 1, std::move(stats), ProcessCpu::ofThisThread() - before, 0};
}

void print(QTextStream& out, Row& row, double directRate, double cApiRate)
{
    out << qSetFieldWidth(11) << Qt::left << row.backend << qSetFieldWidth(8) << row.mode << qSetFieldWidth(0)
        << Qt::right << qSetFieldWidth(4) << row.clients << qSetFieldWidth(10)
        << QString::number(row.stats.callsPerSecond(), 'f', 0)
        << QString::number(row.stats.percentileMs(0.5), 'f', 3)
        << QString::number(row.stats.percentileMs(0.99), 'f', 3)
        << QString::number(row.stats.callsPerSecond() / directRate, 'f', 2)
        << (cApiRate > 0 ? QString::number(row.stats.callsPerSecond() / cApiRate, 'f', 2)
                         : QStringLiteral("-"))
        << QString::number(double(row.cpuMicros) / double(qMax<qsizetype>(1, row.stats.calls())), 'f', 1)
        << QString::number(double(row.loadCpuMicros) / double(qMax<qsizetype>(1, row.stats.calls())), 'f', 1)
        << qSetFieldWidth(0) << Qt::endl;
}

// The same server with its call lines on (info, as shipped) and at warning level, each appending to a
// real file of its own, so the rows side by side give what the log costs.
struct Variant {
    QString mode;
    QStringList arguments;
};

QList<Variant> variants(const QTemporaryDir& logs)
{
    // MED_BENCH_WORKERS sets the server's worker threads; by default it picks them itself.
    const QString workers = qEnvironmentVariable("MED_BENCH_WORKERS");
    // Every load client comes from 127.0.0.1: one address may hold them all.
    QStringList common{QStringLiteral("--max-connections-per-address"), QString::number(CallMix::MaxClients)};
    if (!workers.isEmpty())
        common << QStringLiteral("--workers") << workers;
    return {
        {QStringLiteral("logged"),
         common + QStringList{QStringLiteral("--log-file"), logs.filePath(QStringLiteral("info.log"))}},
        {QStringLiteral("warning"),
         common + QStringList{QStringLiteral("--log-file"), logs.filePath(QStringLiteral("warning.log")),
                              QStringLiteral("--log-rules"), QStringLiteral("med.appserver*.info=false")}}};
}

// Keeps the better of two runs of one configuration.
void keepBest(QList<Row>& best, QList<Row>& now)
{
    for (Row& row : now) {
        const auto same = std::find_if(best.begin(), best.end(), [&](const Row& kept) {
            return kept.mode == row.mode && kept.clients == row.clients;
        });
        if (same == best.end())
            best.append(std::move(row));
        else if (row.stats.callsPerSecond() > same->stats.callsPerSecond())
            *same = std::move(row);
    }
}

double rateOf(const QList<Row>& rows, const QString& mode, int clients)
{
    for (const Row& row : rows) {
        if (row.mode == mode && row.clients == clients)
            return row.stats.callsPerSecond();
    }
    return 0;
}

double cpuPerCallOf(const QList<Row>& rows, const QString& mode, int clients)
{
    for (const Row& row : rows) {
        if (row.mode == mode && row.clients == clients)
            return double(row.cpuMicros) / double(qMax<qsizetype>(1, row.stats.calls()));
    }
    return 0;
}

// The call mix on the same server and data with and without accounts: without, the shared token's
// path (no session looked up); with, every call's session read and its rights checked. The account is
// taken out of the database and put back between runs, which alternate.
void sessionCost(QTextStream& out, const QString& backend, const QString& database, const Variant& variant)
{
    const CallMix mix;
    constexpr int Clients = 8;
    Database direct(DatabaseSpec::parse(database));
    QVariantList account;
    direct.select(QStringLiteral("SELECT LOGIN, NOME, SENHA, ATIVO, PAPEL, FILIAIS FROM USUARIO"), {},
                  [&](const QSqlQuery& q) {
                      for (int c = 0; c < 6; ++c)
                          account << q.value(c);
                  });
    double best[2] = {0, 0}; // CPU us per call: without accounts, with sessions
    for (int round = 0; round < rounds(); ++round) {
        for (const bool sessions : {false, true}) {
            direct.exec(QStringLiteral("DELETE FROM SESSAO"));
            direct.exec(QStringLiteral("DELETE FROM USUARIO"));
            if (sessions)
                direct.exec(QStringLiteral("INSERT INTO USUARIO (LOGIN, NOME, SENHA, ATIVO, PAPEL, FILIAIS) "
                                           "VALUES (?, ?, ?, ?, ?, ?)"),
                            account);
            AppServerProcess server(database, variant.arguments);
            server.start();
            const QByteArray session = sessions ? sessionOn(server.port()) : QByteArray();
            const Row row = measured(
                backend, variant.mode, Clients, [&] { return ProcessCpu::ofProcess(server.pid()); },
                [&] { return ServerLoad::run(server.port(), mix, Clients, runTime(), session); });
            const double perCall = double(row.cpuMicros) / double(qMax<qsizetype>(1, row.stats.calls()));
            best[sessions] = best[sessions] == 0 ? perCall : std::min(best[sessions], perCall);
        }
    }
    out << backend << ", " << Clients << " clients: server CPU per call without accounts "
        << QString::number(best[0], 'f', 1) << " us, with sessions " << QString::number(best[1], 'f', 1)
        << " us: ratio " << QString::number(best[1] / qMax(0.001, best[0]), 'f', 3)
        << " (at most 1.05 wanted)" << Qt::endl;
}

// What one sign-in costs the server, and that an unknown login costs what a wrong password does.
void signInCost(QTextStream& out, const QString& backend, const QString& database, const Variant& variant)
{
    AppServerProcess server(database, variant.arguments);
    server.start();
    RpcClient rpc(QStringLiteral("127.0.0.1"), server.port());
    constexpr int Tries = 4; // below the throttle's allowance for one login
    const auto cpuOf = [&](const QString& login, const QString& password) {
        const qint64 before = ProcessCpu::ofProcess(server.pid());
        for (int i = 0; i < Tries; ++i)
            rpc.signIn(login, password);
        return double(ProcessCpu::ofProcess(server.pid()) - before) / Tries / 1000.0;
    };
    const double right = cpuOf(BenchLogin, BenchPassword);
    const double unknown = cpuOf(QStringLiteral("ninguem"), BenchPassword);
    const double wrong = cpuOf(BenchLogin, QStringLiteral("errada"));
    rpc.signIn(BenchLogin, BenchPassword); // clears the failures
    out << backend << ": one sign-in " << QString::number(right, 'f', 1) << " ms server CPU; unknown login "
        << QString::number(unknown, 'f', 1) << " ms, wrong password " << QString::number(wrong, 'f', 1)
        << " ms (ratio " << QString::number(unknown / qMax(0.001, wrong), 'f', 3) << ")" << Qt::endl;
}

void measure(QTextStream& out, const QString& backend, const QString& database)
{
    const CallMix mix;
    const QTemporaryDir logs;
    QList<Variant> order = variants(logs);
    QList<Row> rows;
    for (int round = 0; round < rounds(); ++round) {
        QList<Row> now;
        for (const int clients : clientCounts()) {
            for (const Variant& variant : order) {
                AppServerProcess server(database, variant.arguments);
                server.start();
                const QByteArray session = sessionOn(server.port());
                const std::function<qint64()> serverCpu = [&] { return ProcessCpu::ofProcess(server.pid()); };
                now.append(measured(backend, variant.mode, clients, serverCpu, [&] {
                    return ServerLoad::run(server.port(), mix, clients, runTime(), session);
                }));
            }
        }
        now.append(measuredHere(backend, QStringLiteral("direct"),
                                [&] { return DirectLoad::run(database, mix, runTime()); }));
        if (backend == QLatin1String("sqlite"))
            now.append(measuredHere(backend, QStringLiteral("C API"),
                                    [&] { return SqliteFloor::run(database, mix, runTime()); }));
        keepBest(rows, now);
        // Neither goes first every time: the machine is shared and warms up.
        std::reverse(order.begin(), order.end());
    }
    signInCost(out, backend, database, order.front());
    sessionCost(out, backend, database, order.front());
    const double directRate = rateOf(rows, QStringLiteral("direct"), 1);
    const double cApiRate = rateOf(rows, QStringLiteral("C API"), 1);
    for (Row& row : rows)
        print(out, row, directRate, cApiRate);
    out << backend << ": getEfetGest (50 lines) in process, JSON-RPC in and out: "
        << QString::number(ListCallCpu::microsPerCall(database, mix, 5), 'f', 1)
        << " us CPU/call (median of 5)" << Qt::endl;
    // On a shared machine calls per second vary from run to run more than the log costs; the server's
    // CPU per call varies less.
    for (const int clients : clientCounts()) {
        const QString logged = QStringLiteral("logged");
        const QString warning = QStringLiteral("warning");
        const double ratio = rateOf(rows, logged, clients) / qMax(1.0, rateOf(rows, warning, clients));
        const double cpu =
            cpuPerCallOf(rows, logged, clients) / qMax(0.001, cpuPerCallOf(rows, warning, clients));
        out << backend << ", " << clients << (clients == 1 ? " client" : " clients")
            << ": call lines on / warning level: calls/s " << QString::number(ratio, 'f', 3) << " ("
            << QString::number((1 - ratio) * 100, 'f', 1) << "% fewer; at most 5% allowed), CPU per call "
            << QString::number(cpu, 'f', 3) << Qt::endl;
    }
}

void printHeader(QTextStream& out)
{
    out << "call mix: getEfetGest (50 lines), GetVerifServ, setEfetGest insert, setEfetGest delete\n"
        << "best of " << rounds() << " runs of " << runTime().count() / 1000 << " s each\n"
        << "logged: a line per call appended to a file; warning: the same server at warning level\n"
        << "backend    mode    clients  calls/s   p50 ms    p99 ms  /direct   /C API  CPU us/call  load "
           "gen\n";
}

// The server and its load on a core each, against the floor on the server's core, with call lines on
// as shipped.
void oneCoreEach(QTextStream& out, const QString& database)
{
    const QTemporaryDir logs;
    OneCoreEach::Settings settings;
    settings.database = database;
    settings.serverArguments = variants(logs).front().arguments;
    settings.clients = clientCounts();
    settings.rounds = rounds();
    settings.duration = runTime();
    settings.signIn = sessionOn;
    OneCoreEach::run(out, settings);
}

} // namespace

int main(int argc, char* argv[])
{
    // The same event loop as the server's, so the load generator costs as little as it can.
    qputenv("QT_NO_GLIB", "1");
    // The direct runs use SQLite as the server does.
    SqliteLibrary::configureForThreads();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    try {
        QTemporaryDir dir;
        const SaveDurability::Result saves =
            SaveDurability::run(dir.filePath(QStringLiteral("saves.db")), 400, rounds());
        out << "sqlite: one save on disk before its answer (synchronous=FULL, as served) "
            << QString::number(saves.fullMicros, 'f', 1) << " us, log handed to the system only (NORMAL) "
            << QString::number(saves.normalMicros, 'f', 1) << " us: FULL / NORMAL "
            << QString::number(saves.fullMicros / saves.normalMicros, 'f', 2) << Qt::endl;
        // MED_BENCH_SAVES_ONLY=1 stops here.
        if (qEnvironmentVariableIntValue("MED_BENCH_SAVES_ONLY") == 1)
            return 0;
        const QString sqlite = dir.filePath(QStringLiteral("bench.db"));
        prepare(sqlite);
        // MED_BENCH_ONE_CORE_ONLY=1 runs the one-core-each lines alone, for quicker runs while tuning.
        if (qEnvironmentVariableIntValue("MED_BENCH_ONE_CORE_ONLY") != 1) {
            printHeader(out);
            measure(out, QStringLiteral("sqlite"), sqlite);
        }
        oneCoreEach(out, sqlite);
        if (qEnvironmentVariableIntValue("MED_BENCH_ONE_CORE_ONLY") == 1)
            return 0;
        // MED_BENCH_BACKENDS=sqlite leaves PostgreSQL out, for quicker runs while tuning.
        if (qEnvironmentVariable("MED_BENCH_BACKENDS") == QLatin1String("sqlite"))
            return 0;
        QString reason;
        if (!PostgresServer::available(&reason)) {
            out << "postgresql skipped: " << reason << Qt::endl;
            return 0;
        }
        PostgresServer postgres;
        postgres.start();
        postgres.createDatabase(QStringLiteral("bench"));
        prepare(postgres.connectionString(QStringLiteral("bench")));
        measure(out, QStringLiteral("postgresql"), postgres.connectionString(QStringLiteral("bench")));
    } catch (const std::exception& error) {
        QTextStream(stderr) << "bench_appserver: " << error.what() << Qt::endl;
        return 1;
    }
    return 0;
}
