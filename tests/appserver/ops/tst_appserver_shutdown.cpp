// Stopping the server with SIGTERM: it refuses new connections at once, closes idle ones, lets the call
// in flight finish and answers it, then exits 0; a call still stuck at the shutdown timeout is cut and
// not committed.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RawConnection.h"
#include "RpcClient.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QtTest>
#include <csignal>
#include <future>

using namespace EfetGestLines;

namespace {

const QString Branch = QStringLiteral("0001");
const QString Service = QStringLiteral("00077");

// A connection of the test's own to the server's SQLite file, holding its write lock while it lives
// in a transaction: the server's writes wait on their busy timeout meanwhile.
class WriteLock {
public:
    explicit WriteLock(const QString& file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
        db.setDatabaseName(file);
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw std::runtime_error("cannot take the write lock");
    }
    ~WriteLock() { QSqlDatabase::removeDatabase(Name); }
    void release() { QSqlQuery(QSqlDatabase::database(Name)).exec(QStringLiteral("ROLLBACK")); }
    int lines(QDate date) const
    {
        QSqlQuery query(QSqlDatabase::database(Name));
        query.prepare(QStringLiteral("SELECT COUNT(*) FROM USR_EFETGEST WHERE USR_CDFILIAL = ? AND "
                                     "USR_DTEFETGEST = ? AND USR_CDSERVFILI = ?"));
        query.addBindValue(Branch);
        query.addBindValue(date.toString(Qt::ISODate));
        query.addBindValue(Service);
        return query.exec() && query.next() ? query.value(0).toInt() : -1;
    }

private:
    static inline const QString Name = QStringLiteral("write-lock");
};

// True once a connection to the port is refused; gives up after `ms`.
bool refusedWithin(quint16 port, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(1000) && socket.error() == QAbstractSocket::ConnectionRefusedError)
            return true;
        QTest::qWait(20);
    }
    return false;
}

RpcClient::Reply saveOne(quint16 port, QDate date)
{
    RpcClient rpc(QStringLiteral("127.0.0.1"), port);
    rpc.http().setTimeout(30000);
    return save(rpc, {inserted(line(Branch, date, Service, QStringLiteral("2"), QStringLiteral("10"),
                                    QStringLiteral("20")))});
}

} // namespace

class AppServerShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void callInFlightFinishesAfterSigterm();
    void callPastTheTimeoutIsCut();
};

void AppServerShutdownTest::callInFlightFinishesAfterSigterm()
{
    AppServerProcess server({}, {QStringLiteral("--workers"), QStringLiteral("2")});
    server.start();
    BackendFixture(BackendFixture::Kind::Sqlite)
        .addService(server.database(), Branch, Service, QStringLiteral("Portaria"));
    const QDate date = freshDate();
    WriteLock lock(server.database());

    RawConnection idle(server.port());
    QVERIFY(idle.sendAll("GET /health/live HTTP/1.1\r\nHost: x\r\n\r\n", 5000));
    QVERIFY(idle.receive(5000).startsWith("HTTP/1.1 200"));

    auto call = std::async(std::launch::async, saveOne, server.port(), date);
    // The call reaches the server and waits on the lock; it has that long before its busy timeout.
    QTest::qWait(500);
    QCOMPARE(call.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    QCOMPARE(::kill(pid_t(server.pid()), SIGTERM), 0);
    QVERIFY(refusedWithin(server.port(), 2000));
    QVERIFY(idle.endedWithin(5000));
    QVERIFY(server.running());
    lock.release();

    const RpcClient::Reply reply = call.get();
    QVERIFY2(reply.ok(), reply.body + server.log());
    QCOMPARE(reply.resultObject().value(QStringLiteral("applied")).toInt(), 1);
    QCOMPARE(server.waitForExit(15000), 0);
    QCOMPARE(lock.lines(date), 1);
}

void AppServerShutdownTest::callPastTheTimeoutIsCut()
{
    AppServerProcess server({}, {QStringLiteral("--shutdown-timeout"), QStringLiteral("1")});
    server.start();
    BackendFixture(BackendFixture::Kind::Sqlite)
        .addService(server.database(), Branch, Service, QStringLiteral("Portaria"));
    const QDate date = freshDate();
    WriteLock lock(server.database());
    auto call = std::async(std::launch::async, saveOne, server.port(), date);
    QTest::qWait(500);
    QCOMPARE(::kill(pid_t(server.pid()), SIGTERM), 0);
    // Well before the call's own wait for the lock (5 s) runs out.
    QCOMPARE(server.waitForExit(4000), 0);
    lock.release();
    QVERIFY(!call.get().ok());
    QCOMPARE(lock.lines(date), 0);
}

QTEST_GUILESS_MAIN(AppServerShutdownTest)
#include "tst_appserver_shutdown.moc"
