// /metrics against the real server: the text is valid Prometheus exposition (0.0.4) and its counters,
// histogram and gauges move with what clients do.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "RawConnection.h"
#include "RpcClient.h"
#include "TestAccount.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

namespace {

const QString Host = QStringLiteral("127.0.0.1");
const QByteArray Token = "metrics-test-secret";

struct Scrape {
    QByteArray head;
    QHash<QByteArray, double> samples; // "name{labels}" -> value
    QHash<QByteArray, QByteArray> types;
    QString fault; // the first line that breaks the format
};

bool isHistogramPart(const QByteArray& name, const QHash<QByteArray, QByteArray>& types, QByteArray& base)
{
    for (const char* suffix : {"_bucket", "_sum", "_count"}) {
        if (name.endsWith(suffix)) {
            base = name.chopped(qsizetype(qstrlen(suffix)));
            return types.value(base) == "histogram";
        }
    }
    return false;
}

// Every sample line must follow a # TYPE of its family; HELP and TYPE lines are well formed.
void parseLine(const QByteArray& line, Scrape& out)
{
    static const QRegularExpression comment(
        QStringLiteral(R"(^# (HELP|TYPE) ([a-zA-Z_:][a-zA-Z0-9_:]*) (.+)$)"));
    static const QRegularExpression sample(QStringLiteral(
        R"(^([a-zA-Z_:][a-zA-Z0-9_:]*)(\{([a-zA-Z_]+="[^"\\]*")(,[a-zA-Z_]+="[^"\\]*")*\})? (\S+)$)"));
    const QString text = QString::fromUtf8(line);
    if (line.startsWith('#')) {
        const auto match = comment.match(text);
        if (!match.hasMatch())
            return void(out.fault = text);
        if (match.captured(1) == u"TYPE")
            out.types.insert(match.captured(2).toUtf8(), match.captured(3).toUtf8());
        return;
    }
    const auto match = sample.match(text);
    bool number = false;
    const double value =
        match.captured(5).replace(QStringLiteral("+Inf"), QStringLiteral("inf")).toDouble(&number);
    QByteArray name = match.captured(1).toUtf8();
    QByteArray base;
    if (!match.hasMatch() || !number ||
        (!out.types.contains(name) && !isHistogramPart(name, out.types, base)))
        return void(out.fault = text);
    out.samples.insert(name + match.captured(2).toUtf8(), value);
}

// On a connection of the caller's, which it closes.
Scrape scrape(RawConnection& connection, const QByteArray& extraHeaders = {})
{
    Scrape out;
    if (!connection.sendAll("GET /metrics HTTP/1.1\r\nConnection: close\r\n" + extraHeaders + "\r\n", 5000))
        return out;
    QByteArray answer;
    while (!connection.ended())
        answer += connection.receive(5000);
    answer += connection.receive(100);
    const qsizetype end = answer.indexOf("\r\n\r\n");
    out.head = answer.first(std::max<qsizetype>(end, 0));
    for (const QByteArray& line : answer.sliced(end + 4).split('\n')) {
        if (!line.isEmpty())
            parseLine(line, out);
    }
    return out;
}

Scrape scrape(quint16 port, const QByteArray& extraHeaders = {})
{
    RawConnection connection(port);
    return scrape(connection, extraHeaders);
}

QByteArray calls(const QByteArray& method, const QByteArray& outcome)
{
    return "med_calls_total{method=\"" + method + "\",outcome=\"" + outcome + "\"}";
}

// The sum of the counts in the log's lines that hold `text`, each "(N in the last second)", and how many
// lines that took.
std::pair<qint64, int> loggedCount(const QByteArray& log, const QByteArray& text)
{
    static const QRegularExpression count(QStringLiteral(R"(\((\d+) in the last second\))"));
    qint64 sum = 0;
    int lines = 0;
    for (const QByteArray& line : log.split('\n')) {
        if (!line.contains(text))
            continue;
        ++lines;
        sum += count.match(QString::fromUtf8(line)).captured(1).toLongLong();
    }
    return {sum, lines};
}

} // namespace

class AppServerMetricsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void formatIsValid();
    void callsAreCounted_data();
    void callsAreCounted();
    void gaugesFollowTheirSource();
    void refusedConnectionsAreCountedByReason_data();
    void refusedConnectionsAreCountedByReason();

private:
    BackendFixture backend_{BackendFixture::Kind::Sqlite};
    std::unique_ptr<AppServerProcess> server_;
};

void AppServerMetricsTest::initTestCase()
{
    server_ = std::make_unique<AppServerProcess>(
        QString(),
        QStringList{QStringLiteral("--seed-demo"), QStringLiteral("--token"), QString::fromLatin1(Token)});
    server_->start();
}

void AppServerMetricsTest::cleanupTestCase()
{
    QCOMPARE(server_->stop(), 0);
}

void AppServerMetricsTest::formatIsValid()
{
    // Loopback needs no token, though calls do.
    const Scrape s = scrape(server_->port());
    QVERIFY2(s.head.startsWith("HTTP/1.1 200"), s.head.constData());
    QVERIFY(s.head.contains("\r\nContent-Type: text/plain; version=0.0.4\r\n"));
    QVERIFY2(s.fault.isEmpty(), qPrintable(s.fault));
    QCOMPARE(s.types.value("med_calls_total"), QByteArray("counter"));
    QCOMPARE(s.types.value("med_call_duration_seconds"), QByteArray("histogram"));
    QCOMPARE(s.types.value("med_open_connections"), QByteArray("gauge"));
    QCOMPARE(s.types.value("med_database_errors_total"), QByteArray("counter"));
    QCOMPARE(s.types.value("med_reservations_held"), QByteArray("gauge"));
    QVERIFY(s.samples.contains("med_call_duration_seconds_bucket{le=\"+Inf\"}"));
    QVERIFY(s.samples.contains("med_call_duration_seconds_sum"));
    QCOMPARE(s.samples.value("med_call_duration_seconds_bucket{le=\"+Inf\"}"),
             s.samples.value("med_call_duration_seconds_count"));
}

void AppServerMetricsTest::callsAreCounted_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QList<QByteArray>>("params");
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("outcome");
    QTest::newRow("answered") << "GetPrxRelApurFat" << QList<QByteArray>{R"("0001")"}
                              << QByteArray("GetPrxRelApurFat") << QByteArray("ok");
    QTest::newRow("bad arguments") << "getEfetGest" << QList<QByteArray>{} << QByteArray("getEfetGest")
                                   << QByteArray("error");
    QTest::newRow("a line's history, under its own name")
        << "GetHistEfetGest" << QList<QByteArray>{R"("0001")", R"("2026-01-05")", R"("00001")"}
        << QByteArray("GetHistEfetGest") << QByteArray("ok");
    QTest::newRow("made-up method, one series for all")
        << "Nao\"Existe" << QList<QByteArray>{} << QByteArray("other") << QByteArray("error");
}

void AppServerMetricsTest::callsAreCounted()
{
    QFETCH(QString, method);
    QFETCH(QList<QByteArray>, params);
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, outcome);
    constexpr int Calls = 3;
    RpcClient rpc(Host, server_->port(), Token);
    // Signed in first: the sign-in is a call of its own.
    QVERIFY(
        rpc.signIn(QString::fromLatin1(TestAccount::Login), QString::fromLatin1(TestAccount::Password)).ok());
    const Scrape before = scrape(server_->port());
    for (int i = 0; i < Calls; ++i) {
        const RpcClient::Reply reply = rpc.call(method, params);
        QCOMPARE(reply.ok(), outcome == "ok");
    }
    const Scrape after = scrape(server_->port());
    QVERIFY2(after.fault.isEmpty(), qPrintable(after.fault));
    QCOMPARE(after.samples.value(calls(label, outcome)) - before.samples.value(calls(label, outcome)), Calls);
    const QByteArray other = outcome == "ok" ? "error" : "ok";
    QCOMPARE(after.samples.value(calls(label, other)), before.samples.value(calls(label, other)));
    QCOMPARE(after.samples.value("med_call_duration_seconds_count") -
                 before.samples.value("med_call_duration_seconds_count"),
             Calls);
    QVERIFY(after.samples.value("med_call_duration_seconds_sum") >
            before.samples.value("med_call_duration_seconds_sum"));
    // Cumulative: no bucket holds fewer than the one below it, and +Inf holds them all.
    double below = 0;
    for (const char* bound : {"0.0005", "0.001", "0.0025", "0.005", "0.01", "0.025", "0.05", "0.1", "0.25",
                              "0.5", "1", "2.5", "5", "10", "+Inf"}) {
        const QByteArray key = QByteArray("med_call_duration_seconds_bucket{le=\"") + bound + "\"}";
        QVERIFY2(after.samples.contains(key), key.constData());
        QVERIFY(after.samples.value(key) >= below);
        below = after.samples.value(key);
    }
    QCOMPARE(below, after.samples.value("med_call_duration_seconds_count"));
}

void AppServerMetricsTest::gaugesFollowTheirSource()
{
    const quint16 port = server_->port();
    const QString database = server_->database();
    // Besides `held`, only the scrape's own connection: those of earlier scrapes count until the server
    // has seen them close, which under load can take longer than a quick poll's step.
    const auto openConnections = [port](double expected) {
        double open = -1;
        QDeadlineTimer deadline(30'000);
        while ((open = scrape(port).samples.value("med_open_connections")) != expected &&
               !deadline.hasExpired())
            QTest::qWait(250);
        return open;
    };
    QCOMPARE(openConnections(1), 1.0);
    {
        RawConnection held(port);
        QVERIFY(held.sendAll("GET /health/live HTTP/1.1\r\n\r\n", 5000));
        QVERIFY(held.receive(5000).startsWith("HTTP/1.1 200"));
        QCOMPARE(openConnections(2), 2.0);
    }
    QCOMPARE(openConnections(1), 1.0);

    // Counted by the purge (at start, then every five minutes), never by a scrape: rows added since
    // do not show until the next purge.
    const double held = scrape(port).samples.value("med_reservations_held", -1);
    QVERIFY(held >= 0);
    for (int i = 0; i < 2; ++i)
        backend_.execute(database, QStringLiteral("INSERT INTO RESERVA (CDFILIAL, CRIADOEM, SEGREDO) VALUES "
                                                  "('0001', %1, 'x')")
                                       .arg(QDateTime::currentMSecsSinceEpoch()));
    QCOMPARE(scrape(port).samples.value("med_reservations_held"), held);
}

void AppServerMetricsTest::refusedConnectionsAreCountedByReason_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("heldAnswered"); // the two held connections were answered a request
    QTest::addColumn<QByteArray>("reason");
    QTest::addColumn<QByteArray>("logText");
    QTest::addColumn<qint64>("expected");
    const QString one = QStringLiteral("--workers=1");
    QTest::newRow("over the address's cap")
        << QStringList{one, QStringLiteral("--max-connections-per-address=2")} << false
        << QByteArray("max_connections_per_address") << QByteArray("its address holds its most connections")
        << qint64(30);
    QTest::newRow("over the server's cap")
        << QStringList{one, QStringLiteral("--max-connections=2")} << true << QByteArray("max_connections")
        << QByteArray("the server holds its most connections") << qint64(30);
    // Each new connection closes the oldest one that was never answered; the scrape closes one more.
    // The per-address cap (64) is out of the way.
    QTest::newRow("crowded out by newer ones")
        << QStringList{one, QStringLiteral("--max-connections=2")} << false << QByteArray("crowded_out")
        << QByteArray("to make room for a new one") << qint64(31);
}

void AppServerMetricsTest::refusedConnectionsAreCountedByReason()
{
    QFETCH(QStringList, options);
    QFETCH(bool, heldAnswered);
    QFETCH(QByteArray, reason);
    QFETCH(QByteArray, logText);
    QFETCH(qint64, expected);
    AppServerProcess server({}, options);
    server.start();
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 2; ++i) {
        held.push_back(std::make_unique<RawConnection>(server.port(), "127.0.0.2"));
        if (heldAnswered) {
            QVERIFY(held.back()->sendAll("GET /health/live HTTP/1.1\r\n\r\n", 5000));
            QVERIFY(held.back()->receive(5000).startsWith("HTTP/1.1 200"));
        }
    }
    // Kept open: each one stays until the server ends it.
    std::vector<std::unique_ptr<RawConnection>> more;
    for (int i = 0; i < 30; ++i)
        more.push_back(std::make_unique<RawConnection>(server.port(), "127.0.0.2"));
    // Logged with their count, in far fewer lines than connections: the lines held back come out a
    // second after the one before.
    std::pair<qint64, int> logged;
    for (QDeadlineTimer deadline(10000); logged.first < expected - 1 && !deadline.hasExpired();
         QThread::msleep(100))
        logged = loggedCount(server.log(), logText);
    // A full server is scraped on a connection it already serves.
    const Scrape s = heldAnswered ? scrape(*held.front()) : scrape(server.port());
    QVERIFY2(s.head.startsWith("HTTP/1.1 200"), s.head.constData());
    QVERIFY2(s.fault.isEmpty(), qPrintable(s.fault));
    QCOMPARE(s.types.value("med_refused_connections_total"), QByteArray("counter"));
    QCOMPARE(s.samples.value("med_refused_connections_total{reason=\"" + reason + "\"}"), double(expected));
    for (QDeadlineTimer deadline(10000); logged.first < expected && !deadline.hasExpired();
         QThread::msleep(100))
        logged = loggedCount(server.log(), logText);
    QCOMPARE(logged.first, expected);
    QVERIFY2(logged.second < 10, qPrintable(QString::number(logged.second)));
}

QTEST_GUILESS_MAIN(AppServerMetricsTest)
#include "tst_appserver_metrics.moc"
