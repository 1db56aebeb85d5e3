// Two server processes on one PostgreSQL, eight clients saving the same keys at once: the database
// decides, so every key ends with exactly one line and every other client hears it is a duplicate.
// And on SQLite, steady reading and writing from several clients must not make the log grow for good.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RpcClient.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QtEndian>
#include <QtTest>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

using namespace EfetGestLines;

namespace {

constexpr int Clients = 8;
constexpr int Keys = 25;
const QString Branch = QStringLiteral("0001");
const QString Duplicate = QStringLiteral("Efetivos para faturamento já cadastrado.");

QString key(int k)
{
    return QStringLiteral("K%1").arg(k, 4, 10, QLatin1Char('0'));
}

// What one client heard for each key: "ok", or the error message.
QStringList insertAll(quint16 port, int client, QDate date)
{
    RpcClient rpc(QStringLiteral("127.0.0.1"), port);
    QStringList heard;
    for (int k = 0; k < Keys; ++k) {
        const QString staff = QString::number(client + 1);
        const RpcClient::Reply reply =
            save(rpc, {inserted(line(Branch, date, key(k), staff, QStringLiteral("1"), staff))});
        heard << (reply.ok() ? QStringLiteral("ok") : reply.errorMessage);
    }
    return heard;
}

} // namespace

class AppServerConcurrencyTest : public QObject {
    Q_OBJECT

private slots:
    void sameKeysFromEightClientsOnTwoServers();
    void sqliteLogStartsOverUnderSteadyLoad();
    void serversStartedTogetherSeedOnce();
};

void AppServerConcurrencyTest::sameKeysFromEightClientsOnTwoServers()
{
    BackendFixture backend(BackendFixture::Kind::Postgres);
    QString reason;
    if (!backend.available(&reason))
        QSKIP(qPrintable(reason));
    const QString database = backend.newDatabase();
    AppServerProcess first(database);
    AppServerProcess second(database);
    first.start();
    second.start();
    QList<std::pair<QString, QString>> services;
    for (int k = 0; k < Keys; ++k)
        services.append({key(k), QStringLiteral("Serviço %1").arg(k)});
    backend.addServices(database, Branch, services);
    const QDate date = freshDate();

    std::vector<QStringList> heard(Clients);
    std::vector<std::unique_ptr<QThread>> threads;
    for (int c = 0; c < Clients; ++c) {
        const quint16 port = c % 2 ? second.port() : first.port();
        threads.emplace_back(
            QThread::create([&heard, c, port, date] { heard[c] = insertAll(port, c, date); }));
        threads.back()->start();
    }
    for (auto& thread : threads)
        QVERIFY(thread->wait(60000));

    RpcClient reader(QStringLiteral("127.0.0.1"), first.port());
    const QList<Record> lines = read(reader, Branch, date);
    QCOMPARE(lines.size(), Keys);
    for (int k = 0; k < Keys; ++k) {
        int winner = -1;
        for (int c = 0; c < Clients; ++c) {
            if (heard[c][k] == QLatin1String("ok")) {
                QVERIFY2(winner < 0, qPrintable(QStringLiteral("two clients saved %1").arg(key(k))));
                winner = c;
            } else {
                QCOMPARE(heard[c][k], Duplicate);
            }
        }
        QVERIFY(winner >= 0);
        QCOMPARE(service(lines[k]), key(k));
        QCOMPARE(staff(lines[k]).toString(), QString::number(winner + 1));
    }
    QCOMPARE(first.stop(), 0);
    QCOMPARE(second.stop(), 0);
}

// The checkpoint sequence in a SQLite write-ahead log's header: it goes up each time the log starts over.
quint32 logSequence(const QString& logFile)
{
    QFile file(logFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(16);
    return header.size() == 16 ? qFromBigEndian<quint32>(header.constData() + 12) : 0;
}

void AppServerConcurrencyTest::sqliteLogStartsOverUnderSteadyLoad()
{
    AppServerProcess server({}, {QStringLiteral("--workers"), QStringLiteral("2")});
    server.start();
    BackendFixture(BackendFixture::Kind::Sqlite)
        .addService(server.database(), Branch, QStringLiteral("W0001"), QStringLiteral("Escrita"));
    const QDate date = freshDate();
    std::atomic<bool> stop = false;
    // Two readers keep a read going nearly all the time, as busy screens do, while one writer saves
    // and deletes a line over and over.
    const auto readLoop = [&] {
        RpcClient rpc(QStringLiteral("127.0.0.1"), server.port());
        while (!stop)
            read(rpc, Branch, date);
    };
    const auto writeLoop = [&] {
        RpcClient rpc(QStringLiteral("127.0.0.1"), server.port());
        const Record saved = line(Branch, date, QStringLiteral("W0001"), QStringLiteral("1"),
                                  QStringLiteral("1"), QStringLiteral("1"));
        while (!stop) {
            save(rpc, {inserted(saved)});
            save(rpc, {deleted(saved)});
        }
    };
    std::vector<std::unique_ptr<QThread>> threads;
    for (const auto& loop : {std::function<void()>(readLoop), std::function<void()>(readLoop),
                             std::function<void()>(writeLoop)}) {
        threads.emplace_back(QThread::create(loop));
        threads.back()->start();
    }
    const QString logFile = server.database() + QStringLiteral("-wal");
    QThread::msleep(300);
    const quint32 first = logSequence(logFile);
    // Several checkpoint intervals of steady load.
    QThread::sleep(3);
    const quint32 last = logSequence(logFile);
    stop = true;
    for (auto& thread : threads)
        QVERIFY(thread->wait(30000));
    QVERIFY2(last > first, qPrintable(QStringLiteral("log sequence %1 then %2").arg(first).arg(last)));
    QVERIFY(QFileInfo(logFile).size() <= 64 * 1024 * 1024 + 64 * 1024);
    QCOMPARE(server.stop(), 0);
}

void AppServerConcurrencyTest::serversStartedTogetherSeedOnce()
{
    BackendFixture backend(BackendFixture::Kind::Postgres);
    QString reason;
    if (!backend.available(&reason))
        QSKIP(qPrintable(reason));
    const QString database = backend.newDatabase();
    // Started side by side, not one after the other as AppServerProcess would: all of them find the
    // database empty at the same moment.
    std::vector<std::unique_ptr<QProcess>> servers;
    for (int i = 0; i < 3; ++i) {
        servers.push_back(std::make_unique<QProcess>());
        servers.back()->start(AppServerProcess::executable(),
                              {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                               QStringLiteral("--database"), database, QStringLiteral("--seed-demo")});
    }
    for (const auto& server : servers) {
        QVERIFY(server->waitForStarted());
        QVERIFY2(server->waitForReadyRead(30000) && server->state() == QProcess::Running,
                 server->readAllStandardError());
        const quint16 port = quint16(server->readLine().trimmed().toUInt());
        RpcClient rpc(QStringLiteral("127.0.0.1"), port);
        const RpcClient::Reply found = rpc.call(QStringLiteral("GetVerifServ"),
                                                {RpcClient::str(QStringLiteral("0001")),
                                                 RpcClient::str(QDate::currentDate().toString(Qt::ISODate)),
                                                 RpcClient::str(QStringLiteral("00001"))});
        QVERIFY2(found.ok(), found.body);
        server->terminate();
        QVERIFY(server->waitForFinished(10000));
    }
}

QTEST_GUILESS_MAIN(AppServerConcurrencyTest)

#include "tst_appserver_concurrency.moc"
