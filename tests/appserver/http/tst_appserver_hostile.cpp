// Clients that mean harm, against the real server: a request that once crashed it, memory taken
// before any check, answers never read, and slow connections holding every slot. Each attack runs on
// a server of its own; the server must go on serving, with its memory (VmHWM) under a bound.
#include "AppServerProcess.h"
#include "HttpClient.h"
#include "ProcessMemory.h"
#include "RawConnection.h"
#include "RpcClient.h"
#include "TestCertificates.h"

#include <QDeadlineTimer>
#include <QSslSocket>
#include <QtTest>
#include <memory>
#include <vector>

namespace {

const QByteArray Call = R"({"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","params":[""]})";
const QByteArray Health = "GET /health HTTP/1.1\r\n\r\n";

// What an attack may add to the server's peak memory; the attacks below would take gigabytes.
constexpr qint64 GrowthLimitKiB = 96 * 1024;

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out.append(piece);
    return out;
}

bool serves(quint16 port, const QByteArray& token = {})
{
    RpcClient client(QStringLiteral("127.0.0.1"), port, token);
    client.http().setTimeout(10000);
    return client.post(Call).ok();
}

// Feeds `chunk` to the connection until `total` bytes went, the server ended the connection, sending
// stalled for a second, or the server's memory grew past the limit. Returns the bytes sent.
qint64 flood(RawConnection& connection, const QByteArray& chunk, qint64 total, const AppServerProcess& server,
             qint64 baseKiB)
{
    qint64 sent = 0;
    qsizetype offset = 0;
    QDeadlineTimer stalled(1000);
    while (sent < total && !stalled.hasExpired()) {
        const qint64 now = connection.sendSome(QByteArrayView(chunk).sliced(offset));
        if (now < 0)
            break;
        if (now == 0) {
            QThread::msleep(5);
            continue;
        }
        sent += now;
        offset = (offset + now) % chunk.size();
        stalled.setRemainingTime(1000);
        if (ProcessMemory::residentKiB(server.pid()) - baseKiB > GrowthLimitKiB)
            break;
    }
    return sent;
}

// One call with the token over TLS, the test authority trusted; whether it was answered 200.
bool servesOverTls(quint16 port, const QString& caFile, const QByteArray& token)
{
    QSslSocket socket;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslCertificate::fromPath(caFile));
    socket.setSslConfiguration(configuration);
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForEncrypted(10000))
        return false;
    socket.write("POST /Med00418.rdmMediEfeti HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + token +
                 "\r\nContent-Length: " + QByteArray::number(Call.size()) + "\r\nConnection: close\r\n\r\n" +
                 Call);
    while (!socket.canReadLine() && socket.waitForReadyRead(10000)) {
    }
    return socket.readLine().startsWith("HTTP/1.1 200");
}

// Starts the server, reporting rather than throwing why it could not.
bool started(AppServerProcess& server)
{
    try {
        server.start();
        return true;
    } catch (const std::runtime_error& error) {
        qWarning("%s", error.what());
        return false;
    }
}

} // namespace

class AppServerHostileTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void repeatedMemberIsRefused_data();
    void repeatedMemberIsRefused();
    void blankLinesBeforeAHeadCount();
    void unreadAnswersDoNotPileUp();
    void answersHeldBackStillArriveInOrder();
    void slowRequestIsEndedOnTime_data();
    void slowRequestIsEndedOnTime();
    void slowClientsDoNotLockOutATokenHolder();
    void bodyNobodyTakesIsRefusedAtItsHead_data();
    void bodyNobodyTakesIsRefusedAtItsHead();
    void tokenHolderIsServedWhileTheCapIsHeld_data();
    void tokenHolderIsServedWhileTheCapIsHeld();
};

void AppServerHostileTest::initTestCase()
{
    // Under AddressSanitizer, freed blocks wait in a quarantine of up to 256 MiB before reuse, which
    // would count as the server's own memory here; a small one keeps the bounds about our buffers.
    QByteArray sanitizer = qgetenv("ASAN_OPTIONS");
    sanitizer += QByteArray(sanitizer.isEmpty() ? "" : ":") + "quarantine_size_mb=4";
    qputenv("ASAN_OPTIONS", sanitizer);
}

void AppServerHostileTest::repeatedMemberIsRefused_data()
{
    QTest::addColumn<QByteArray>("body");
    // Written escaped, a name is still the same name: once it crashed the server.
    QTest::newRow("params escaped, then literal")
        << QByteArray(R"({"jsonrpc":"2.0","method":"x","par\u0061ms":[{}],"params":[{},{},{}]})");
    QTest::newRow("params escaped, then literal with 400 objects")
        << R"({"jsonrpc":"2.0","method":"x","par\u0061ms":[{}],"params":[)" + repeated("{},", 399) + "{}]}";
    QTest::newRow("params twice") << QByteArray(
        R"({"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","params":[""],"params":[""]})");
    QTest::newRow("method twice, one escaped") << QByteArray(
        R"({"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","m\u0065thod":"x","params":[""]})");
    QTest::newRow("id twice") << QByteArray(R"({"jsonrpc":"2.0","id":1,"id":2,"method":"x","params":[]})");
}

void AppServerHostileTest::repeatedMemberIsRefused()
{
    QFETCH(QByteArray, body);
    AppServerProcess server;
    QVERIFY(started(server));
    RpcClient client(QStringLiteral("127.0.0.1"), server.port());
    const RpcClient::Reply reply = client.post(body);
    QCOMPARE(reply.httpStatus, 200);
    QCOMPARE(reply.errorCode, -32600);
    QVERIFY(serves(server.port()));
    QCOMPARE(server.stop(), 0);
}

void AppServerHostileTest::blankLinesBeforeAHeadCount()
{
    AppServerProcess server;
    QVERIFY(started(server));
    QVERIFY(serves(server.port()));
    const qint64 base = ProcessMemory::residentKiB(server.pid());
    RawConnection attacker(server.port());
    QVERIFY(attacker.connected());
    const qint64 sent = flood(attacker, repeated("\r\n", 512 * 1024), qint64(2) << 30, server, base);
    const qint64 peak = ProcessMemory::peakKiB(server.pid());
    qInfo("blank lines: %lld MiB sent, server at %lld KiB before, peak %lld KiB", sent >> 20, base, peak);
    QVERIFY2(attacker.endedWithin(5000), "the connection is still open");
    QVERIFY2(sent < (64 << 20), "refused only after 64 MiB");
    QVERIFY(peak - base < GrowthLimitKiB);
    QVERIFY(serves(server.port()));
}

void AppServerHostileTest::unreadAnswersDoNotPileUp()
{
    AppServerProcess server({}, {QStringLiteral("--idle-timeout"), QStringLiteral("1")});
    QVERIFY(started(server));
    QVERIFY(serves(server.port()));
    const qint64 base = ProcessMemory::residentKiB(server.pid());
    RawConnection attacker(server.port(), "127.0.0.1", 4096);
    QVERIFY(attacker.connected());
    const qint64 requests = 2'000'000;
    const qint64 sent = flood(attacker, repeated(Health, 20000), requests * Health.size(), server, base);
    const qint64 peak = ProcessMemory::peakKiB(server.pid());
    qInfo("unread answers: %lld requests sent, server at %lld KiB before, peak %lld KiB",
          sent / Health.size(), base, peak);
    QVERIFY(peak - base < GrowthLimitKiB);
    // Nothing is read, so nothing moves: the connection is idle and must go, answers and all.
    QVERIFY2(attacker.endedWithin(10000), "the connection is still held");
    QVERIFY(serves(server.port()));
}

void AppServerHostileTest::answersHeldBackStillArriveInOrder()
{
    AppServerProcess server;
    QVERIFY(started(server));
    RawConnection client(server.port());
    QVERIFY(client.connected());
    // Answers of about 4 KiB each, 12 MiB in all: more than the server and the kernel keep unsent.
    const QByteArray id = QByteArray(4000, 'i');
    const int count = 3000;
    QByteArray last;
    QByteArray requests;
    for (int i = 0; i < count; ++i) {
        const QByteArray body =
            R"({"jsonrpc":"2.0","id":")" + id + QByteArray::number(i) + R"(","method":"x","params":[]})";
        requests +=
            "POST /Med00418.rdmMediEfeti HTTP/1.1\r\nContent-Length: " + QByteArray::number(body.size()) +
            "\r\n\r\n" + body;
    }
    // Send until the server stops taking requests, then read; repeat until everything is back.
    QByteArray received;
    qsizetype sent = 0;
    for (QDeadlineTimer deadline(60000); !deadline.hasExpired();) {
        const qint64 now = client.sendSome(QByteArrayView(requests).sliced(sent));
        QVERIFY(now >= 0);
        sent += now;
        if (now == 0 || sent == requests.size())
            received += client.receive(50);
        if (received.count("HTTP/1.1 200 OK") == count && received.endsWith("}}"))
            break;
    }
    QCOMPARE(received.count("HTTP/1.1 200 OK"), count);
    QVERIFY(received.contains(id + QByteArray::number(count - 1) + R"(","error")"));
    QVERIFY(received.indexOf(id + "0\"") < received.indexOf(id + QByteArray::number(count - 1)));
    QVERIFY(!client.ended());
}

void AppServerHostileTest::slowRequestIsEndedOnTime_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("drip");
    QTest::addColumn<QStringList>("options");
    const QByteArray head = "POST /Med00418.rdmMediEfeti HTTP/1.1\r\n";
    const QStringList headTimeout{QStringLiteral("--head-timeout"), QStringLiteral("1")};
    QTest::newRow("head a byte at a time") << head + "X-Slow: " << QByteArray("a") << headTimeout;
    QTest::newRow("blank lines a line at a time") << QByteArray("\r\n") << QByteArray("\r\n") << headTimeout;
    QTest::newRow("nothing at all") << QByteArray() << QByteArray() << headTimeout;
    QTest::newRow("body a byte at a time")
        << head + "Content-Length: 1000\r\n\r\n"
        << QByteArray("{") << QStringList{QStringLiteral("--body-timeout"), QStringLiteral("2")};
}

void AppServerHostileTest::slowRequestIsEndedOnTime()
{
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, drip);
    QFETCH(QStringList, options);
    // The idle timeout alone would keep a client that sends a byte now and then forever.
    AppServerProcess server({},
                            options + QStringList{QStringLiteral("--idle-timeout"), QStringLiteral("60")});
    QVERIFY(started(server));
    RawConnection slow(server.port());
    QVERIFY(slow.sendAll(start, 5000));
    bool ended = false;
    for (QDeadlineTimer deadline(15000); !ended && !deadline.hasExpired();) {
        slow.sendSome(drip);
        ended = slow.endedWithin(200);
    }
    QVERIFY2(ended, "a request taking for ever is still being read");
    QVERIFY(serves(server.port()));
}

void AppServerHostileTest::slowClientsDoNotLockOutATokenHolder()
{
    AppServerProcess server({}, {QStringLiteral("--token"), QStringLiteral("k3y-for-the-hostile-test")});
    QVERIFY(started(server));
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 300; ++i) {
        auto connection = std::make_unique<RawConnection>(server.port(), "127.0.0.2");
        QVERIFY(connection->connected());
        connection->sendSome("POST /Med00418.rdmMediEfeti HTTP/1.1\r\n");
        slow.push_back(std::move(connection));
    }
    QThread::msleep(200);
    QVERIFY(serves(server.port(), "k3y-for-the-hostile-test"));
    // The slow ones, all from one address, were kept to a share of the server.
    const auto open = std::count_if(slow.begin(), slow.end(), [](const auto& c) { return !c->ended(); });
    QVERIFY2(open < 256, qPrintable(QString::number(open)));
}

void AppServerHostileTest::bodyNobodyTakesIsRefusedAtItsHead_data()
{
    QTest::addColumn<QByteArray>("requestLine");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("POST to a health check") << QByteArray("POST /health/live") << QByteArray("404");
    QTest::newRow("POST to the metrics") << QByteArray("POST /metrics") << QByteArray("404");
    QTest::newRow("POST to no path served") << QByteArray("POST /x") << QByteArray("404");
    QTest::newRow("PUT to the calls") << QByteArray("PUT /Med00418.rdmMediEfeti") << QByteArray("405");
}

void AppServerHostileTest::bodyNobodyTakesIsRefusedAtItsHead()
{
    QFETCH(QByteArray, requestLine);
    QFETCH(QByteArray, status);
    AppServerProcess server({}, {QStringLiteral("--token"), QStringLiteral("k3y-for-the-hostile-test")});
    QVERIFY(started(server));
    const qint64 baseKiB = ProcessMemory::residentKiB(server.pid());
    constexpr qint64 BodyBytes = 8 * 1024 * 1024;
    const QByteArray head =
        requestLine + " HTTP/1.1\r\nContent-Length: " + QByteArray::number(BodyBytes) + "\r\n\r\n";
    const QByteArray chunk(64 * 1024, 'x');
    // As many callers without a token as the server takes at once, from four addresses.
    const char* const from[] = {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"};
    std::vector<std::unique_ptr<RawConnection>> callers;
    for (int i = 0; i < 256; ++i) {
        auto caller = std::make_unique<RawConnection>(server.port(), from[i % 4]);
        QVERIFY(caller->sendAll(head, 5000));
        // Answered on the head alone: not a byte of the body was sent yet.
        const QByteArray answer = caller->receive(5000);
        QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.left(40).constData());
        flood(*caller, chunk, BodyBytes, server, baseKiB);
        callers.push_back(std::move(caller));
    }
    const qint64 grownKiB = ProcessMemory::peakKiB(server.pid()) - baseKiB;
    qInfo("256 connections sending 8 MiB bodies: the server grew by %lld KiB at most", grownKiB);
    QVERIFY2(grownKiB < GrowthLimitKiB, qPrintable(QString::number(grownKiB)));
    QVERIFY(serves(server.port(), "k3y-for-the-hostile-test"));
}

void AppServerHostileTest::tokenHolderIsServedWhileTheCapIsHeld_data()
{
    QTest::addColumn<QByteArray>("opening");
    QTest::addColumn<QByteArray>("drip");
    QTest::addColumn<bool>("tls");
    QTest::newRow("idle connections") << QByteArray() << QByteArray() << false;
    QTest::newRow("bytes trickling in")
        << QByteArray("POST /Med00418.rdmMediEfeti HTTP/1.1\r\nX-Slow: ") << QByteArray("a") << false;
    // The first bytes of a ClientHello record, and nothing after them.
    QTest::newRow("stalled TLS handshakes") << QByteArray::fromHex("160301") << QByteArray() << true;
}

void AppServerHostileTest::tokenHolderIsServedWhileTheCapIsHeld()
{
    QFETCH(QByteArray, opening);
    QFETCH(QByteArray, drip);
    QFETCH(bool, tls);
    const auto certificates = tls ? std::make_unique<TestCertificates>() : nullptr;
    QStringList options{QStringLiteral("--token"),
                        QStringLiteral("k3y-for-the-hostile-test"),
                        QStringLiteral("--max-connections"),
                        QStringLiteral("32"),
                        QStringLiteral("--max-connections-per-address"),
                        QStringLiteral("8")};
    if (tls)
        options << QStringLiteral("--tls-cert") << certificates->serverCertificate()
                << QStringLiteral("--tls-key") << certificates->serverKey();
    AppServerProcess server({}, options);
    QVERIFY(started(server));
    // Four addresses, each with all it may hold: together, every connection of the server. The
    // attacker opens a new one whenever one of them is closed.
    const char* const from[] = {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"};
    std::vector<std::unique_ptr<RawConnection>> attack(32);
    int answered = 0;
    for (int call = 0; call < 10; ++call) {
        for (std::size_t i = 0; i < attack.size(); ++i) {
            if (!attack[i] || attack[i]->ended()) {
                attack[i] = std::make_unique<RawConnection>(server.port(), from[i % 4]);
                attack[i]->sendSome(opening);
            } else {
                attack[i]->sendSome(drip);
            }
        }
        // Time for the server to take them all in before the token holder comes.
        QThread::msleep(300);
        if (tls ? servesOverTls(server.port(), certificates->caCertificate(), "k3y-for-the-hostile-test")
                : serves(server.port(), "k3y-for-the-hostile-test"))
            ++answered;
    }
    QCOMPARE(answered, 10);
    QVERIFY(server.log().contains("to make room for a new one"));
}

QTEST_GUILESS_MAIN(AppServerHostileTest)

#include "tst_appserver_hostile.moc"
