// Two server processes on one PostgreSQL, eight clients saving the same keys at once: the database
// decides, so every key ends with exactly one line and every other client hears it is a duplicate.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RpcClient.h"

#include <QThread>
#include <QtTest>
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
        const RpcClient::Reply reply = save(rpc, {inserted(line(Branch, date, key(k), staff, {}, {}))});
        heard << (reply.ok() ? QStringLiteral("ok") : reply.errorMessage);
    }
    return heard;
}

} // namespace

class AppServerConcurrencyTest : public QObject {
    Q_OBJECT

private slots:
    void sameKeysFromEightClientsOnTwoServers();
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

QTEST_GUILESS_MAIN(AppServerConcurrencyTest)

#include "tst_appserver_concurrency.moc"
