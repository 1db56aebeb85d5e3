// A server killed -9 in the middle of a stream of saves loses none that it acknowledged: from one writer,
// and from several at once, whose saves share commits.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RpcClient.h"

#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>
#include <vector>

using namespace EfetGestLines;

namespace {

const QString Branch = QStringLiteral("0001");
constexpr int AcknowledgedBeforeKill = 150;
// More than a writer can save before the kill lands.
constexpr int Services = 20000;

// Saves one line per call, services `first` onwards, until the server stops answering; returns the
// services acknowledged.
QStringList saveUntilKilled(quint16 port, QDate date, int first, int last, std::atomic<int>& acknowledged)
{
    RpcClient rpc(QStringLiteral("127.0.0.1"), port);
    rpc.http().setTimeout(5000);
    QStringList saved;
    for (int n = first; n < last; ++n) {
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
    void acknowledgedSavesSurviveKill_data();
    void acknowledgedSavesSurviveKill();
};

void AppServerCrashTest::acknowledgedSavesSurviveKill_data()
{
    QTest::addColumn<int>("writers");
    QTest::newRow("one writer") << 1;
    QTest::newRow("eight writers, their saves committed together") << 8;
}

void AppServerCrashTest::acknowledgedSavesSurviveKill()
{
    QFETCH(int, writers);
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
        std::vector<QStringList> saved(static_cast<std::size_t>(writers));
        std::vector<std::unique_ptr<QThread>> threads;
        for (int w = 0; w < writers; ++w) {
            const int share = Services / writers;
            threads.emplace_back(QThread::create([&, w, share, port = server.port()] {
                saved[std::size_t(w)] = saveUntilKilled(port, date, w * share, (w + 1) * share, acknowledged);
            }));
            threads.back()->start();
        }
        QTRY_VERIFY_WITH_TIMEOUT(acknowledged.load() >= AcknowledgedBeforeKill + 37 * round, 30000);
        server.kill();
        QStringList all;
        for (int w = 0; w < writers; ++w) {
            QVERIFY(threads[std::size_t(w)]->wait(30000));
            all += saved[std::size_t(w)];
        }

        server.start();
        RpcClient reader(QStringLiteral("127.0.0.1"), server.port());
        QStringList stored;
        for (const Record& l : read(reader, Branch, date))
            stored << service(l);
        // The save each writer had in flight at the kill may or may not have landed; every acknowledged
        // one has.
        QVERIFY2(stored.size() >= all.size() && stored.size() <= all.size() + writers,
                 qPrintable(QStringLiteral("%1 stored, %2 acknowledged").arg(stored.size()).arg(all.size())));
        for (const QString& service : all)
            QVERIFY2(stored.contains(service), qPrintable(service));
        QCOMPARE(server.stop(), 0);
    }
}

QTEST_GUILESS_MAIN(AppServerCrashTest)

#include "tst_appserver_crash.moc"
