// The server over TLS: it starts only with a sound certificate and key, serves HTTPS, and cuts clients
// that never finish their handshake or speak plain HTTP to it, staying up for the others.
#include "AppServerProcess.h"
#include "RawConnection.h"
#include "TestCertificates.h"
#include "TokenTransport.h"

#include <QSslSocket>
#include <QtTest>
#include <csignal>
#include <memory>

namespace {

constexpr int WaitMs = 10000;

// One GET over TLS, the CA given as the only one trusted; the status line, or why there is none.
QByteArray getOverTls(quint16 port, const QString& caFile, const QByteArray& path)
{
    QSslSocket socket;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslCertificate::fromPath(caFile));
    socket.setSslConfiguration(configuration);
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForEncrypted(WaitMs))
        return "no handshake: " + socket.errorString().toUtf8();
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    while (!socket.canReadLine() && socket.waitForReadyRead(WaitMs)) {
    }
    return socket.readLine().trimmed();
}

QSslConfiguration trusting(const QString& caFile)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslCertificate::fromPath(caFile));
    return configuration;
}

void replaceFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("cannot copy %s", qPrintable(from));
}

} // namespace

class AppServerTlsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void servesHttps();
    void configurationFileNamesTheFiles();
    void plainHttpClientIsCutAndServerStaysUp();
    void unfinishedHandshakeIsCutLikeASlowHead();
    void startIsRefused_data();
    void startIsRefused();
    void tokenInClear_data();
    void tokenInClear();
    void hangupServesTheNewCertificate();
    void cleanupTestCase();

private:
    std::unique_ptr<TestCertificates> certificates_;
    std::unique_ptr<AppServerProcess> server_;
};

void AppServerTlsTest::initTestCase()
{
    certificates_ = std::make_unique<TestCertificates>();
    server_ = std::make_unique<AppServerProcess>(
        QString(), QStringList{QStringLiteral("--tls-cert"), certificates_->serverCertificate(),
                               QStringLiteral("--tls-key"), certificates_->serverKey(),
                               QStringLiteral("--head-timeout"), QStringLiteral("1")});
    server_->start();
}

void AppServerTlsTest::servesHttps()
{
    QCOMPARE(getOverTls(server_->port(), certificates_->caCertificate(), "/health/live"),
             QByteArray("HTTP/1.1 200 OK"));
    QVERIFY(getOverTls(server_->port(), certificates_->otherCaCertificate(), "/health/live")
                .startsWith("no handshake"));
}

void AppServerTlsTest::configurationFileNamesTheFiles()
{
    const QString path = certificates_->path("appserver.conf");
    QFile config(path);
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("tls-cert = " + certificates_->serverCertificate().toUtf8() +
                 "\ntls-key = " + certificates_->serverKey().toUtf8() + "\nshutdown-timeout = 5\n");
    config.close();
    AppServerProcess server({}, {QStringLiteral("--config"), path});
    server.start();
    QCOMPARE(getOverTls(server.port(), certificates_->caCertificate(), "/health/ready"),
             QByteArray("HTTP/1.1 200 OK"));
}

void AppServerTlsTest::plainHttpClientIsCutAndServerStaysUp()
{
    RawConnection plain(server_->port());
    QVERIFY(plain.connected());
    QVERIFY(plain.sendAll("GET /health/live HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", WaitMs));
    QVERIFY(plain.endedWithin(WaitMs));
    QVERIFY(!plain.receive(100).startsWith("HTTP/"));
    QVERIFY(server_->running());
    QCOMPARE(getOverTls(server_->port(), certificates_->caCertificate(), "/health/live"),
             QByteArray("HTTP/1.1 200 OK"));
    QVERIFY(server_->log().contains("TLS handshake from 127.0.0.1 failed"));
}

void AppServerTlsTest::unfinishedHandshakeIsCutLikeASlowHead()
{
    // The first bytes of a ClientHello record, and nothing after them.
    RawConnection stalled(server_->port());
    QVERIFY(stalled.connected());
    QVERIFY(stalled.sendAll(QByteArray::fromHex("160301"), WaitMs));
    QVERIFY(!stalled.ended());
    QVERIFY(stalled.endedWithin(WaitMs));
    QVERIFY(server_->running());
}

void AppServerTlsTest::startIsRefused_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("key of another certificate")
        << certificates_->serverCertificate() << certificates_->otherKey() << QByteArray("does not go with");
    QTest::newRow("missing certificate") << certificates_->path("absent.crt") << certificates_->serverKey()
                                         << QByteArray("Cannot read the TLS certificate");
    QTest::newRow("key given as certificate")
        << certificates_->serverKey() << certificates_->serverKey() << QByteArray("holds no PEM certificate");
    QTest::newRow("certificate given as key")
        << certificates_->serverCertificate() << certificates_->serverCertificate()
        << QByteArray("not an unencrypted PEM private key");
    const QString readable = certificates_->path("readable.key");
    QFile::remove(readable);
    QFile::copy(certificates_->serverKey(), readable);
    QFile::setPermissions(readable, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    QTest::newRow("key readable by other users") << certificates_->serverCertificate() << readable
                                                 << QByteArray("can be read or changed by other users");
    QTest::newRow("certificate without key")
        << certificates_->serverCertificate() << QString() << QByteArray("go together");
}

void AppServerTlsTest::startIsRefused()
{
    QFETCH(QString, certificate);
    QFETCH(QString, key);
    QFETCH(QByteArray, reason);
    QStringList arguments{QStringLiteral("--tls-cert"), certificate};
    if (!key.isEmpty())
        arguments << QStringLiteral("--tls-key") << key;
    AppServerProcess server({}, arguments);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, server.start());
    QVERIFY2(server.log().contains(reason), server.log().constData());
}

// Which requests are refused for the secret they carry, from the connection's side: where the token and
// a Login call's password may travel, that a Login is found however its method name is spelt, and that
// the 403's text names what was refused.
void AppServerTlsTest::tokenInClear_data()
{
    QTest::addColumn<QByteArray>("authorization");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<bool>("loopbackPeer");
    QTest::addColumn<QByteArray>("refusal"); // the 403's text; empty: not refused
    const QByteArray token = "Bearer s3cret-token-0001";
    const QByteArray call = R"({"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","params":[""]})";
    const QByteArray login = R"({"jsonrpc":"2.0","id":1,"method":"Login","params":["maria","s3nha"]})";
    const QByteArray escaped = R"({"params":["maria","s3nha"], "method" : "Login","id":"a","jsonrpc":"2.0"})";
    const QByteArray tokenRefused =
        "the token is not accepted over plain http from another machine: use https\n";
    const QByteArray passwordRefused =
        "a password in a Login call is not accepted over plain http from another machine: use https\n";
    QTest::newRow("token, clear, another machine") << token << call << false << false << tokenRefused;
    QTest::newRow("token, clear, loopback") << token << call << false << true << QByteArray();
    QTest::newRow("token, TLS, another machine") << token << call << true << false << QByteArray();
    QTest::newRow("token, TLS, loopback") << token << call << true << true << QByteArray();
    QTest::newRow("no token, clear, another machine")
        << QByteArray() << call << false << false << QByteArray();
    QTest::newRow("token, head alone, clear, another machine")
        << token << QByteArray() << false << false << tokenRefused;
    QTest::newRow("token with a Login call, clear, another machine")
        << token << login << false << false << tokenRefused;
    QTest::newRow("Login, clear, another machine")
        << QByteArray() << login << false << false << passwordRefused;
    QTest::newRow("Login spelt with an escape, clear, another machine")
        << QByteArray() << escaped << false << false << passwordRefused;
    QTest::newRow("Login, clear, loopback") << QByteArray() << login << false << true << QByteArray();
    QTest::newRow("Login, TLS, another machine") << QByteArray() << login << true << false << QByteArray();
    QTest::newRow("Login's head alone, clear, another machine")
        << QByteArray() << QByteArray() << false << false << QByteArray();
    QTest::newRow("Logout, clear, another machine")
        << QByteArray() << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"Logout","params":[]})") << false
        << false << QByteArray();
    QTest::newRow("Login's text, not a request, clear, another machine")
        << QByteArray() << QByteArray(R"({"method":"Login","params":["maria","s3nha"])") << false << false
        << QByteArray();
}

void AppServerTlsTest::tokenInClear()
{
    QFETCH(QByteArray, authorization);
    QFETCH(QByteArray, body);
    QFETCH(bool, encrypted);
    QFETCH(bool, loopbackPeer);
    QFETCH(QByteArray, refusal);
    HttpRequest request;
    request.method = "POST";
    request.path = "/Med00418.rdmMediEfeti";
    request.authorization = authorization;
    request.body = body;
    QCOMPARE(TokenTransport::refusalInClear(request, encrypted, loopbackPeer), refusal);
}

// logrotate's and an administrator's `systemctl reload`: after SIGHUP new connections get the
// certificate now in the files, while a request under way on the old one is still answered.
void AppServerTlsTest::hangupServesTheNewCertificate()
{
    const TestCertificates renewed;
    const QString certificate = certificates_->path("current.crt");
    const QString key = certificates_->path("current.key");
    replaceFile(certificates_->serverCertificate(), certificate);
    replaceFile(certificates_->serverKey(), key);
    AppServerProcess server({},
                            {QStringLiteral("--tls-cert"), certificate, QStringLiteral("--tls-key"), key});
    server.start();

    QSslSocket inFlight;
    inFlight.setSslConfiguration(trusting(certificates_->caCertificate()));
    inFlight.connectToHostEncrypted(QStringLiteral("127.0.0.1"), server.port());
    QVERIFY(inFlight.waitForEncrypted(WaitMs));
    inFlight.write("GET /health/live HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    QVERIFY(inFlight.waitForBytesWritten(WaitMs));

    replaceFile(renewed.serverCertificate(), certificate);
    replaceFile(renewed.serverKey(), key);
    QCOMPARE(::kill(pid_t(server.pid()), SIGHUP), 0);
    QTRY_VERIFY_WITH_TIMEOUT(server.log().contains("reload: serving the certificate"), WaitMs);

    QCOMPARE(getOverTls(server.port(), renewed.caCertificate(), "/health/live"),
             QByteArray("HTTP/1.1 200 OK"));
    QVERIFY(
        getOverTls(server.port(), certificates_->caCertificate(), "/health/live").startsWith("no handshake"));

    inFlight.write("\r\n");
    QByteArray answer;
    while (!answer.contains("\r\n") && inFlight.waitForReadyRead(WaitMs))
        answer += inFlight.readAll();
    answer += inFlight.readAll();
    QVERIFY2(answer.startsWith("HTTP/1.1 200 OK\r\n"),
             (answer + inFlight.errorString().toUtf8()).constData());
    QCOMPARE(inFlight.peerCertificate(),
             QSslCertificate::fromPath(certificates_->serverCertificate()).value(0));
    QCOMPARE(server.stop(), 0);
}

void AppServerTlsTest::cleanupTestCase()
{
    // Everything above happened on this server: it still stops cleanly, sanitizers silent.
    QCOMPARE(server_->stop(), 0);
}

QTEST_GUILESS_MAIN(AppServerTlsTest)
#include "tst_appserver_tls.moc"
