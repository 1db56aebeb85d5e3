// A server killed -9 in the middle of a stream of saves loses none that it acknowledged.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RpcClient.h"

#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>

using namespace EfetGestLines;

namespace {

const QString Branch = QStringLiteral("0001");
constexpr int AcknowledgedBeforeKill = 150;
// More than a writer can save before the kill lands.
constexpr int Services = 20000;

// Saves one line per call until the server stops answering; returns the services acknowledged.
QStringList saveUntilKilled(quint16 port, QDate date, std::atomic<int>& acknowledged)
{
    RpcClient rpc(QStringLiteral("127.0.0.1"), port);
    rpc.http().setTimeout(5000);
    QStringList saved;
    for (int n = 0; n < Services; ++n) {
        const QString service = QString::number(n);
        const RpcClient::Reply reply = save(rpc, {inserted(line(Branch, date, service, QStringLiteral("1.5"),
                                                                QStringLiteral("2"), QStringLiteral("3")))});
        if (!reply.ok())
            break;
        saved << service;
        ++acknowledged;
    }
    return saved;
}

} // namespace

class AppServerCrashTest : public QObject {
    Q_OBJECT

private slots:
    void acknowledgedSavesSurviveKill();
};

void AppServerCrashTest::acknowledgedSavesSurviveKill()
{
    AppServerProcess server;
    server.start();
    QList<std::pair<QString, QString>> services;
    for (int n = 0; n < Services; ++n)
        services.append({QString::number(n), QStringLiteral("Serviço %1").arg(n)});
    BackendFixture(BackendFixture::Kind::Sqlite).addServices(server.database(), Branch, services);
    QCOMPARE(server.stop(), 0);
    for (int round = 0; round < 3; ++round) {
        server.start();
        const QDate date = freshDate();
        std::atomic<int> acknowledged = 0;
        QStringList saved;
        std::unique_ptr<QThread> writer(QThread::create(
            [&, port = server.port()] { saved = saveUntilKilled(port, date, acknowledged); }));
        writer->start();
        QTRY_VERIFY_WITH_TIMEOUT(acknowledged.load() >= AcknowledgedBeforeKill + 37 * round, 30000);
        server.kill();
        QVERIFY(writer->wait(30000));

        server.start();
        RpcClient reader(QStringLiteral("127.0.0.1"), server.port());
        QStringList stored;
        for (const Record& l : read(reader, Branch, date))
            stored << service(l);
        // The save in flight at the kill may or may not have landed; every acknowledged one has.
        QVERIFY(stored.size() == saved.size() || stored.size() == saved.size() + 1);
        for (const QString& service : saved)
            QVERIFY2(stored.contains(service), qPrintable(service));
        QCOMPARE(server.stop(), 0);
    }
}

QTEST_GUILESS_MAIN(AppServerCrashTest)

#include "tst_appserver_crash.moc"
