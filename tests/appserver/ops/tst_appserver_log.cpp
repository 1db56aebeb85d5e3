// The server's log against the real process: each request's line and its fields, the lines at start,
// when serving and at stop, logging rules, journald's form, and SIGHUP opening a moved log file again.
#include "AppServerProcess.h"
#include "HttpClient.h"
#include "RawConnection.h"
#include "RpcClient.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <iterator>
#include <memory>
#include <sys/stat.h>

namespace {

const QString Host = QStringLiteral("127.0.0.1");
const QByteArray Token = "s3cret-token-0001";
// time, level, client, kind, what, duration, outcome
const QRegularExpression CallLine(QStringLiteral(R"(^(\S+) (\S+) (\S+) (\S+) (\S+) (\d+\.\d{3})ms (\S+)$)"));

QList<QByteArray> linesOf(const QByteArray& log)
{
    QList<QByteArray> lines = log.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isCallLine(const QByteArray& line)
{
    return CallLine.match(QString::fromUtf8(line)).hasMatch();
}

qsizetype callLines(const QByteArray& log)
{
    const QList<QByteArray> lines = linesOf(log);
    return std::count_if(lines.cbegin(), lines.cend(), isCallLine);
}

// The call lines a running server logged after its first `skip` lines, once there is one: its other
// lines (the one saying it serves comes after the port it printed) may be written before or after,
// from another thread. Waits for the log, never for the server's speed: the bound only ends a test
// whose line never comes.
QList<QByteArray> callLinesAfter(const AppServerProcess& server, qsizetype skip)
{
    QList<QByteArray> calls;
    QDeadlineTimer deadline(30000);
    while (calls.isEmpty() && !deadline.hasExpired()) {
        const QList<QByteArray> lines = linesOf(server.log());
        std::copy_if(lines.cbegin() + std::min(skip, lines.size()), lines.cend(), std::back_inserter(calls),
                     isCallLine);
        if (calls.isEmpty())
            QThread::msleep(10);
    }
    return calls;
}

// A health check and a call, each leaving a call line when those are on.
void twoRequests(quint16 port)
{
    HttpClient http(Host, port);
    QCOMPARE(http.get("/health/live").status, 200);
    QCOMPARE(
        http.post(RpcClient::Path, R"({"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","params":[""]})")
            .status,
        200);
}

// Sets an environment variable for the servers started while this lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value) : name_(name)
    {
        if (!value.isNull())
            qputenv(name_, value);
    }
    ~ScopedEnvironment() { qunsetenv(name_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
};

} // namespace

class AppServerLogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void callLine_data();
    void callLine();
    void clientBehindATrustedProxy_data();
    void clientBehindATrustedProxy();
    void lifecycleLines_data();
    void lifecycleLines();
    void rulesDecideWhatIsLogged_data();
    void rulesDecideWhatIsLogged();
    void journalForm_data();
    void journalForm();
    void tokenlessFloodIsLimited();
    void hangupOpensTheMovedLogAgain();

private:
    QTemporaryDir dir_;
    std::unique_ptr<AppServerProcess> server_;
    QDateTime started_;
    QList<QByteArray> lifecycle_;
    quint16 lifecyclePort_ = 0;
};

void AppServerLogTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    started_ = QDateTime::currentDateTimeUtc();
    server_ = std::make_unique<AppServerProcess>(
        QString(), QStringList{QStringLiteral("--token"), QString::fromLatin1(Token)});
    server_->start();

    AppServerProcess once({}, {QStringLiteral("--workers"), QStringLiteral("2")});
    once.start();
    lifecyclePort_ = once.port();
    QCOMPARE(once.stop(), 0);
    lifecycle_ = linesOf(once.log());
}

void AppServerLogTest::cleanupTestCase()
{
    if (server_)
        QCOMPARE(server_->stop(), 0);
}

void AppServerLogTest::callLine_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("body"); // empty: GET
    QTest::addColumn<bool>("withToken");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("outcome");

    const QByteArray rpc = RpcClient::Path;
    const QByteArray ok = R"({"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","params":[""]})";
    QTest::newRow("call answered") << rpc << ok << true << "RPC"
                                   << "GetPrxRelApurFat"
                                   << "ok";
    QTest::newRow("call failing") << rpc
                                  << QByteArray(
                                         R"({"jsonrpc":"2.0","id":1,"method":"noSuchMethod","params":[]})")
                                  << true << "RPC"
                                  << "noSuchMethod"
                                  << "-32601";
    QTest::newRow("call not parsed") << rpc << QByteArray("{") << true << "RPC"
                                     << "-"
                                     << "-32700";
    QTest::newRow("call without the token") << rpc << ok << false << "POST"
                                            << "/Med00418.rdmMediEfeti"
                                            << "401";
    QTest::newRow("health check") << QByteArray("/health/ready") << QByteArray() << false << "GET"
                                  << "/health/ready"
                                  << "200";
    QTest::newRow("unknown path") << QByteArray("/outro") << ok << true << "POST"
                                  << "/outro"
                                  << "404";
    // Neither a line of its own nor fields of its own for the caller.
    QTest::newRow("control characters and spaces in the method")
        << rpc << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"x\u0001\r\nRPC y 0.1ms ok","params":[]})")
        << true << "RPC"
        << "x???RPC?y?0.1ms?ok"
        << "-32601";
}

void AppServerLogTest::callLine()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, body);
    QFETCH(bool, withToken);
    QFETCH(QString, kind);
    QFETCH(QString, what);
    QFETCH(QString, outcome);

    const qsizetype before = linesOf(server_->log()).size();
    HttpClient http(Host, server_->port(), withToken ? Token : QByteArray());
    const HttpClient::Response response = body.isEmpty() ? http.get(path) : http.post(path, body);
    QVERIFY2(response.status != 0, qPrintable(response.error));

    const QList<QByteArray> lines = callLinesAfter(*server_, before);
    QCOMPARE(lines.size(), 1);
    const QRegularExpressionMatch fields = CallLine.match(QString::fromUtf8(lines.last()));
    QVERIFY2(fields.hasMatch(), lines.last().constData());
    const QDateTime time = QDateTime::fromString(fields.captured(1), Qt::ISODateWithMs);
    QVERIFY2(time.isValid() && fields.captured(1).endsWith(QLatin1Char('Z')), lines.last().constData());
    QCOMPARE(time.timeSpec(), Qt::UTC);
    QVERIFY(time >= started_.addSecs(-1) && time <= QDateTime::currentDateTimeUtc().addSecs(1));
    QCOMPARE(fields.captured(2), QStringLiteral("INFO"));
    QCOMPARE(fields.captured(3), Host);
    QCOMPARE(fields.captured(4), kind);
    QCOMPARE(fields.captured(5), what);
    QVERIFY(fields.captured(6).toDouble() >= 0);
    QCOMPARE(fields.captured(7), outcome);
}

void AppServerLogTest::clientBehindATrustedProxy_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QString>("client");
    const QByteArray proxy = "127.0.0.1";
    QTest::newRow("named by the proxy")
        << proxy << QByteArray("X-Forwarded-For: 203.0.113.7\r\n") << "203.0.113.7";
    QTest::newRow("the client's own claim before it")
        << proxy << QByteArray("X-Forwarded-For: 10.9.9.9, 203.0.113.7\r\n") << "203.0.113.7";
    QTest::newRow("the proxy's header after the client's")
        << proxy << QByteArray("X-Forwarded-For: 10.9.9.9\r\nX-Forwarded-For: 2001:db8::5\r\n")
        << "2001:db8::5";
    QTest::newRow("nothing readable forwarded")
        << proxy << QByteArray("X-Forwarded-For: nonsense\r\n") << "127.0.0.1";
    QTest::newRow("nothing forwarded") << proxy << QByteArray() << "127.0.0.1";
    QTest::newRow("not from the proxy")
        << QByteArray("127.0.0.2") << QByteArray("X-Forwarded-For: 203.0.113.7\r\n") << "127.0.0.2";
}

void AppServerLogTest::clientBehindATrustedProxy()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, headers);
    QFETCH(QString, client);
    AppServerProcess server({}, {QStringLiteral("--trusted-proxy"), QStringLiteral("127.0.0.1")});
    server.start();
    RawConnection connection(server.port(), from.constData());
    QVERIFY(connection.sendAll("GET /health/live HTTP/1.1\r\nHost: x\r\n" + headers + "\r\n", 5000));
    QVERIFY(connection.receive(5000).startsWith("HTTP/1.1 200"));
    const QList<QByteArray> lines = callLinesAfter(server, 0);
    QCOMPARE(lines.size(), 1);
    const QRegularExpressionMatch fields = CallLine.match(QString::fromUtf8(lines.last()));
    QVERIFY2(fields.hasMatch(), lines.last().constData());
    QCOMPARE(fields.captured(3), client);
}

void AppServerLogTest::lifecycleLines_data()
{
    QTest::addColumn<int>("index"); // -1: the last line
    QTest::addColumn<QString>("pattern");

    QTest::newRow("start") << 0
                           << QStringLiteral(
                                  R"(^\S+Z INFO med_appserver \d+\.\d+\.\d+\S* starting: database )"
                                  R"(sqlite \S+appserver\.db on 127\.0\.0\.1:0$)");
    QTest::newRow("schema") << 1 << QStringLiteral(R"(^\S+Z INFO schema created at version \d+$)");
    QTest::newRow("serving") << 2
                             << QStringLiteral(R"(^\S+Z INFO serving on 127\.0\.0\.1:PORT with 2 workers$)");
    QTest::newRow("stop") << -1 << QStringLiteral(R"(^\S+Z INFO stopped$)");
}

void AppServerLogTest::lifecycleLines()
{
    QFETCH(int, index);
    QFETCH(QString, pattern);

    QVERIFY(lifecycle_.size() >= 4);
    const QByteArray line = index < 0 ? lifecycle_.last() : lifecycle_.at(index);
    const QRegularExpression expected(
        pattern.replace(QLatin1String("PORT"), QString::number(lifecyclePort_)));
    QVERIFY2(expected.match(QString::fromUtf8(line)).hasMatch(), line.constData());
}

void AppServerLogTest::rulesDecideWhatIsLogged_data()
{
    QTest::addColumn<QByteArray>("environment"); // QT_LOGGING_RULES; null: unset
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("calls");
    QTest::addColumn<bool>("lifecycle");

    QTest::newRow("no rules") << QByteArray() << QStringList() << 2 << true;
    QTest::newRow("call lines off in the environment")
        << QByteArray("med.appserver.call.info=false") << QStringList() << 0 << true;
    QTest::newRow("call lines off by option")
        << QByteArray()
        << QStringList{QStringLiteral("--log-rules"), QStringLiteral("med.appserver.call.info=false")} << 0
        << true;
    QTest::newRow("warnings only, two rules")
        << QByteArray()
        << QStringList{QStringLiteral("--log-rules=med.appserver.info=false;med.appserver.call.info=false")}
        << 0 << false;
    QTest::newRow("the environment wins")
        << QByteArray("med.appserver.call.info=true")
        << QStringList{QStringLiteral("--log-rules"), QStringLiteral("med.appserver.call.info=false")} << 2
        << true;
}

void AppServerLogTest::rulesDecideWhatIsLogged()
{
    QFETCH(QByteArray, environment);
    QFETCH(QStringList, arguments);
    QFETCH(int, calls);
    QFETCH(bool, lifecycle);

    const ScopedEnvironment rules("QT_LOGGING_RULES", environment);
    AppServerProcess server({}, arguments);
    server.start();
    twoRequests(server.port());
    QCOMPARE(server.stop(), 0);
    const QByteArray log = server.log();
    QCOMPARE(callLines(log), qsizetype(calls));
    QCOMPARE(log.contains(" INFO serving on "), lifecycle);
    QCOMPARE(log.contains(" INFO stopped"), lifecycle);
}

void AppServerLogTest::journalForm_data()
{
    QTest::addColumn<bool>("sameStream");
    QTest::addColumn<QString>("pattern");

    QTest::newRow("standard error is the journal")
        << true << QStringLiteral(R"(^<6>serving on \S+ with 1 workers$)");
    QTest::newRow("journal elsewhere")
        << false << QStringLiteral(R"(^\S+Z INFO serving on \S+ with 1 workers$)");
}

void AppServerLogTest::journalForm()
{
    QFETCH(bool, sameStream);
    QFETCH(QString, pattern);

    // systemd names the journal's stream by device and inode; here the log file plays it.
    const QString path = dir_.filePath(QStringLiteral("journal-%1.log").arg(QTest::currentDataTag()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    struct stat status = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    const quint64 inode = quint64(status.st_ino) + (sameStream ? 0 : 1);
    const ScopedEnvironment stream("JOURNAL_STREAM", QByteArray::number(quint64(status.st_dev)) + ':' +
                                                         QByteArray::number(inode));
    AppServerProcess server(
        {}, {QStringLiteral("--workers"), QStringLiteral("1"), QStringLiteral("--log-file"), path});
    server.start();
    QCOMPARE(server.stop(), 0);
    const QList<QByteArray> lines = linesOf(readFile(path));
    const auto serving = std::find_if(lines.cbegin(), lines.cend(),
                                      [](const QByteArray& line) { return line.contains("serving on"); });
    QVERIFY(serving != lines.cend());
    QVERIFY2(QRegularExpression(pattern).match(QString::fromUtf8(*serving)).hasMatch(), serving->constData());
}

// One client's flood of requests without the token (health checks here) leaves a few lines a second
// and a count of the rest; calls with the token are all logged.
void AppServerLogTest::tokenlessFloodIsLimited()
{
    constexpr int Requests = 400;
    AppServerProcess server({}, {QStringLiteral("--token"), QString::fromLatin1(Token)});
    server.start();
    HttpClient http(Host, server.port());
    for (int i = 0; i < Requests; ++i)
        QCOMPARE(http.get("/health/live").status, 200);
    // The count goes out with the first line let through in a later second.
    QTest::qWait(1100);
    QCOMPARE(http.get("/health/live").status, 200);
    RpcClient rpc(Host, server.port(), Token);
    for (int i = 0; i < 20; ++i)
        QVERIFY(rpc.call(QStringLiteral("GetPrxRelApurFat"), {R"("")"}).ok());
    QCOMPARE(server.stop(), 0);
    const QByteArray log = server.log();
    QCOMPARE_LT(log.count(" GET /health/live "), Requests / 4);
    QCOMPARE(log.count(" RPC GetPrxRelApurFat "), 20);
    QVERIFY2(log.contains("lines of requests without a token were not logged (at most 10 a second)"),
             log.constData());
}

void AppServerLogTest::hangupOpensTheMovedLogAgain()
{
    const QString path = dir_.filePath(QStringLiteral("rotated.log"));
    const QString moved = path + QStringLiteral(".1");
    AppServerProcess server({}, {QStringLiteral("--log-file"), path});
    server.start();
    HttpClient http(Host, server.port());
    QCOMPARE(http.get("/health/live").status, 200);
    QVERIFY(QFile::rename(path, moved));

    QCOMPARE(::kill(pid_t(server.pid()), SIGHUP), 0);
    QTRY_VERIFY_WITH_TIMEOUT(readFile(path).contains(" INFO reload: log file opened again"), 30000);
    QCOMPARE(http.get("/health/ready").status, 200);
    QCOMPARE(server.stop(), 0);

    const QByteArray before = readFile(moved);
    const QByteArray after = readFile(path);
    QVERIFY2(before.contains(" GET /health/live ") && !before.contains("/health/ready"), before.constData());
    QVERIFY2(after.contains(" GET /health/ready ") && !after.contains("/health/live"), after.constData());
    QVERIFY2(after.contains(" INFO stopped"), after.constData());
}

QTEST_GUILESS_MAIN(AppServerLogTest)
#include "tst_appserver_log.moc"
