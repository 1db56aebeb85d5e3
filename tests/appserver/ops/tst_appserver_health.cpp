// Health checks for load balancers against the real server on real PostgreSQL: "live" while the process
// serves, "ready" only while its database answers, and both back without a restart once PostgreSQL is.
#include "AppServerProcess.h"
#include "HttpClient.h"
#include "PostgresServer.h"
#include "RpcClient.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

namespace {

const QString Host = QStringLiteral("127.0.0.1");
const QString DatabaseFailed = QStringLiteral("Não foi possível concluir a operação no banco de dados.");

// A fresh connection each time: with several workers, each answers for its own database connection.
int statusOf(quint16 port, const QByteArray& path)
{
    HttpClient http(Host, port);
    http.setTimeout(10000);
    return http.get(path).status;
}

// The value of one unlabelled sample in /metrics; -1 when it is missing.
double metric(quint16 port, const QByteArray& name)
{
    const QByteArray text = HttpClient(Host, port).get("/metrics").body;
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith(name + ' '))
            return line.sliced(name.size() + 1).toDouble();
    }
    return -1;
}

std::unique_ptr<RpcClient> client(quint16 port)
{
    auto rpc = std::make_unique<RpcClient>(Host, port);
    rpc->http().setTimeout(10000);
    return rpc;
}

RpcClient::Reply readLines(RpcClient& rpc)
{
    return rpc.call(QStringLiteral("getEfetGest"),
                    {RpcClient::str(QStringLiteral("0001")), RpcClient::str(QStringLiteral("2026-01-05"))});
}

} // namespace

class AppServerHealthTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readinessFollowsTheDatabase_data();
    void readinessFollowsTheDatabase();
    void healthAnswersWhileTheDatabaseHangs_data();
    void healthAnswersWhileTheDatabaseHangs();
    void statementsHaveADeadline();

private:
    std::unique_ptr<PostgresServer> postgres_;
    std::unique_ptr<AppServerProcess> server_;
};

void AppServerHealthTest::initTestCase()
{
    QString reason;
    if (!PostgresServer::available(&reason))
        QSKIP(qPrintable(reason));
    postgres_ = std::make_unique<PostgresServer>();
    postgres_->start();
    postgres_->createDatabase(QStringLiteral("health"));
    server_ = std::make_unique<AppServerProcess>(
        postgres_->connectionString(QStringLiteral("health")),
        QStringList{QStringLiteral("--seed-demo"), QStringLiteral("--workers"), QStringLiteral("2")});
    server_->start();
}

void AppServerHealthTest::cleanupTestCase()
{
    if (server_)
        QCOMPARE(server_->stop(), 0);
    server_.reset();
    postgres_.reset();
}

void AppServerHealthTest::readinessFollowsTheDatabase_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("ready") << QByteArray("/health/ready");
    QTest::newRow("the older alias") << QByteArray("/health");
}

void AppServerHealthTest::readinessFollowsTheDatabase()
{
    QFETCH(QByteArray, path);
    const quint16 port = server_->port();
    QCOMPARE(statusOf(port, path), 200);
    // Signed in while the database answers: the call below gets as far as the database.
    const auto signedIn = client(port);
    QVERIFY(readLines(*signedIn).ok());
    const double errors = metric(port, "med_database_errors_total");
    QVERIFY(errors >= 0);

    postgres_->stop();
    // Every worker finds its connection gone, however the checks fall on them.
    for (int i = 0; i < 4; ++i)
        QCOMPARE(statusOf(port, path), 503);
    QCOMPARE(statusOf(port, "/health/live"), 200);
    const RpcClient::Reply failed = readLines(*signedIn);
    QCOMPARE(failed.httpStatus, 200);
    QVERIFY(failed.errorCode != 0);
    QCOMPARE(failed.errorMessage, DatabaseFailed);
    // Four checks and the call.
    QVERIFY(metric(port, "med_database_errors_total") >= errors + 5);

    postgres_->start(); // returns once PostgreSQL accepts connections
    // The check finds its connection cut, opens a new one and answers on it.
    QCOMPARE(statusOf(port, path), 200);
    // Held open together, the two clients are served by both workers, each on a connection the restart
    // cut (one of them at least): the first read on each finds it so and is served anyway.
    const auto first = client(port);
    const auto second = client(port);
    QVERIFY(readLines(*first).ok());
    QVERIFY(readLines(*second).ok());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(statusOf(port, path), 200);
    QCOMPARE(statusOf(port, "/health/live"), 200);
    QVERIFY(server_->running());
}

void AppServerHealthTest::healthAnswersWhileTheDatabaseHangs_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status"); // while PostgreSQL is frozen
    QTest::newRow("live") << QByteArray("/health/live") << 200;
    QTest::newRow("metrics") << QByteArray("/metrics") << 200;
    QTest::newRow("ready") << QByteArray("/health/ready") << 503;
    QTest::newRow("the older alias") << QByteArray("/health") << 503;
}

// A database that hangs (its processes stopped, connections open, nothing answered) holds no health
// check: live and metrics never ask it, readiness gives up after its deadline. Every path is asked
// twice over, so a check already waiting on the frozen database holds none of the others.
void AppServerHealthTest::healthAnswersWhileTheDatabaseHangs()
{
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    const quint16 port = server_->port();
    QCOMPARE(statusOf(port, path), 200);
    postgres_->pause();
    auto resume = qScopeGuard([this] { postgres_->resume(); });
    for (const QByteArray& asked : {QByteArray("/health/ready"), path, path, QByteArray("/health/live")})
        QCOMPARE(statusOf(port, asked), asked == path ? status : asked == "/health/live" ? 200 : 503);
    resume.dismiss();
    postgres_->resume();
    // The query that hung answers once PostgreSQL runs again; a check made before it did still saw it
    // hanging.
    QDeadlineTimer deadline(30'000);
    while (statusOf(port, "/health/ready") != 200 && !deadline.hasExpired())
        QTest::qWait(100);
    QCOMPARE(statusOf(port, "/health/ready"), 200);
    QCOMPARE(statusOf(port, path), 200);
    QVERIFY(readLines(*client(port)).ok());
}

// A statement that cannot finish (here a lock another session holds) fails after
// --database-statement-timeout instead of holding its worker.
void AppServerHealthTest::statementsHaveADeadline()
{
    const QString connection = QStringLiteral("locker");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(Host);
        db.setPort(postgres_->port());
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(QStringLiteral("health"));
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QSqlQuery lock(db);
        QVERIFY(lock.exec(QStringLiteral("BEGIN")));
        QVERIFY(lock.exec(QStringLiteral("LOCK TABLE USR_EFETGEST IN ACCESS EXCLUSIVE MODE")));
        AppServerProcess impatient(postgres_->connectionString(QStringLiteral("health")),
                                   {QStringLiteral("--database-statement-timeout"), QStringLiteral("1")});
        impatient.start();
        const RpcClient::Reply failed = readLines(*client(impatient.port()));
        QCOMPARE(failed.httpStatus, 200);
        QCOMPARE(failed.errorMessage, DatabaseFailed);
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        QVERIFY(readLines(*client(impatient.port())).ok());
        QCOMPARE(impatient.stop(), 0);
    }
    QSqlDatabase::removeDatabase(connection);
}

QTEST_GUILESS_MAIN(AppServerHealthTest)
#include "tst_appserver_health.moc"
