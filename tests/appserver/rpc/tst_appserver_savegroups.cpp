// Saves that reach the server together, in one turn of its event loop, share one commit: each still
// stands or falls alone, and their answers come back in order.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RawConnection.h"
#include "RpcClient.h"

#include <QDeadlineTimer>
#include <QtTest>
#include <memory>

using namespace EfetGestLines;

namespace {

const QString Branch = QStringLiteral("0001");
constexpr int MaxSaves = 8;

QString serviceNo(int n)
{
    return QStringLiteral("T%1").arg(n + 1, 4, 10, QLatin1Char('0'));
}

Record lineOf(QDate date, int n)
{
    return line(Branch, date, serviceNo(n), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2"));
}

QByteArray post(int id, const QByteArray& changeSetJson)
{
    const QByteArray body = R"({"jsonrpc":"2.0","id":)" + QByteArray::number(id) +
                            R"(,"method":"setEfetGest","params":[)" + changeSetJson + "]}";
    return "POST /Med00418.rdmMediEfeti HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
           "Content-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// The bodies of the first `count` answers, split off the bytes as they arrive; fewer when the
// connection ends or they do not come in time.
QList<QByteArray> answers(RawConnection& connection, int count)
{
    QByteArray bytes;
    QList<QByteArray> bodies;
    const QDeadlineTimer deadline(20000);
    while (bodies.size() < count && !deadline.hasExpired()) {
        const qsizetype headEnd = bytes.indexOf("\r\n\r\n");
        if (headEnd >= 0) {
            const QByteArray head = bytes.first(headEnd).toLower();
            const qsizetype at = head.indexOf("content-length:");
            const qsizetype lineEnd = head.indexOf("\r\n", at);
            const qsizetype length =
                head.mid(at + 15, (lineEnd < 0 ? head.size() : lineEnd) - at - 15).trimmed().toLongLong();
            if (at >= 0 && bytes.size() >= headEnd + 4 + length) {
                bodies << bytes.mid(headEnd + 4, length);
                bytes.remove(0, headEnd + 4 + length);
                continue;
            }
        }
        const QByteArray more = connection.receive(200);
        if (more.isEmpty() && connection.ended())
            break;
        bytes += more;
    }
    return bodies;
}

} // namespace

class AppServerSaveGroupsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pipelinedSavesStandOrFallAlone_data();
    void pipelinedSavesStandOrFallAlone();

private:
    std::unique_ptr<AppServerProcess> server_;
};

void AppServerSaveGroupsTest::initTestCase()
{
    server_ = std::make_unique<AppServerProcess>();
    server_->start();
    BackendFixture backend(BackendFixture::Kind::Sqlite);
    QList<std::pair<QString, QString>> services;
    for (int n = 0; n < MaxSaves; ++n)
        services.append({serviceNo(n), QStringLiteral("Serviço %1").arg(n)});
    backend.addServices(server_->database(), Branch, services);
}

void AppServerSaveGroupsTest::cleanupTestCase()
{
    if (server_)
        QCOMPARE(server_->stop(), 0);
}

void AppServerSaveGroupsTest::pipelinedSavesStandOrFallAlone_data()
{
    QTest::addColumn<int>("saves");
    QTest::addColumn<int>("refused"); // the save that also inserts the first one's line again; -1: none
    QTest::newRow("three, all stored") << 3 << -1;
    QTest::newRow("three, the middle one refused") << 3 << 1;
    QTest::newRow("three, the last one refused") << 3 << 2;
    QTest::newRow("eight, the fifth refused") << MaxSaves << 4;
}

// All the saves go in one write, so the server reads them in one turn. The refused save's own new line
// comes before its duplicate: it must be undone with the save, and the other saves kept.
void AppServerSaveGroupsTest::pipelinedSavesStandOrFallAlone()
{
    QFETCH(int, saves);
    QFETCH(int, refused);
    const QDate date = freshDate();
    QByteArray requests;
    QStringList expected;
    for (int n = 0; n < saves; ++n) {
        QList<Change> changes{inserted(lineOf(date, n))};
        if (n == refused)
            changes.append(inserted(lineOf(date, 0)));
        else
            expected << serviceNo(n);
        requests += post(n + 1, changeSet(changes));
    }
    RawConnection connection(server_->port());
    QVERIFY(connection.connected());
    QVERIFY(connection.sendAll(requests, 10000));
    const QList<QByteArray> bodies = answers(connection, saves);
    QCOMPARE(bodies.size(), saves);
    for (int n = 0; n < saves; ++n) {
        const QByteArray& body = bodies[n];
        QVERIFY2(body.contains(R"("id":)" + QByteArray::number(n + 1) + ','), body.constData());
        QVERIFY2(body.contains(n == refused ? R"("error":{)" : R"("result":{"applied":1})"),
                 body.constData());
    }
    RpcClient reader(QStringLiteral("127.0.0.1"), server_->port());
    QStringList stored;
    for (const Record& l : read(reader, Branch, date))
        stored << service(l);
    QCOMPARE(stored, expected);
}

QTEST_GUILESS_MAIN(AppServerSaveGroupsTest)

#include "tst_appserver_savegroups.moc"
