// The host's link to a server over https: the certificate is verified against Servidor/CAFile (or the
// system's CAs), a refusal reaches the clerk in Portuguese, and the token never crosses the network in
// clear. http on loopback, the embedded default, is unchanged.
#include "AppServerProcess.h"
#include "Exception.h"
#include "HostTestSignIn.h"
#include "MessageOf.h"
#include "SettingsFile.h"
#include "TNetConnection.h"
#include "TestCertificates.h"

#include <QRegularExpression>
#include <QTest>
#include <memory>

namespace {

QString reserve(TNetConnection& connection)
{
    return connection.AppServer()
        .call(QStringLiteral("GetPrxRelApurFat"), {RemoteArg::string("0001")})
        .toString();
}

QString notVerified()
{
    return QStringLiteral(
        "Não foi possível verificar o certificado do servidor de aplicação %1. Confira se o endereço em "
        "Servidor/WebURL é o do certificado, se o certificado está na validade e se Servidor/CAFile "
        "aponta para a autoridade certificadora que o emitiu. A conexão não foi feita.");
}

} // namespace

class TestNetConnectionHttps : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void open_data();
    void open();

private:
    SettingsFile settings_;
    std::unique_ptr<TestCertificates> certificates_;
    std::unique_ptr<AppServerProcess> tlsServer_;
    std::unique_ptr<AppServerProcess> plainServer_;
};

void TestNetConnectionHttps::initTestCase()
{
    signInAsTestAccountWhenAsked();
    certificates_ = std::make_unique<TestCertificates>();
    const QStringList demo{QStringLiteral("--seed-demo")};
    tlsServer_ = std::make_unique<AppServerProcess>(
        QString(), demo + QStringList{QStringLiteral("--tls-cert"), certificates_->serverCertificate(),
                                      QStringLiteral("--tls-key"), certificates_->serverKey()});
    tlsServer_->start();
    // A TLS hello is no HTTP head: the plain server waits for the rest until its head timeout.
    plainServer_ = std::make_unique<AppServerProcess>(
        QString(), demo + QStringList{QStringLiteral("--head-timeout"), QStringLiteral("1")});
    plainServer_->start();
}

void TestNetConnectionHttps::open_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("message"); // empty: opens and calls; %1 is "host:port"
    const QString notVerified = ::notVerified();
    const QString ca = certificates_->caCertificate();
    QTest::newRow("https, its CA") << "https://127.0.0.1" << true << ca << "t0k3n"
                                   << "";
    QTest::newRow("https, trailing slash") << "https://127.0.0.1/" << true << ca << ""
                                           << "";
    QTest::newRow("https, unrelated CA")
        << "https://127.0.0.1" << true << certificates_->otherCaCertificate() << "" << notVerified;
    QTest::newRow("https, system store") << "https://127.0.0.1" << true << ""
                                         << "" << notVerified;
    QTest::newRow("https to a plain server")
        << "https://127.0.0.1" << false << ca << ""
        << "Não foi possível falar com o servidor de aplicação %1. Verifique";
    QTest::newRow("http prefix on loopback, token") << "http://127.0.0.1" << false << ""
                                                    << "t0k3n"
                                                    << "";
    QTest::newRow("bare host on loopback, token") << "127.0.0.1" << false << ""
                                                  << "t0k3n"
                                                  << "";
    QTest::newRow("http to another machine, token")
        << "http://192.0.2.1" << false << ""
        << "t0k3n"
        << "O token de acesso não é enviado por http para outro computador (%1): use https:// em "
           "Servidor/WebURL.";
    QTest::newRow("bare host of another machine, token")
        << "192.0.2.1" << false << ""
        << "t0k3n"
        << "O token de acesso não é enviado por http para outro computador (%1): use https:// em "
           "Servidor/WebURL.";
}

void TestNetConnectionHttps::open()
{
    QFETCH(QString, host);
    QFETCH(bool, tls);
    QFETCH(QString, caFile);
    QFETCH(QString, token);
    QFETCH(QString, message);
    const quint16 port = (tls ? tlsServer_ : plainServer_)->port();
    settings_.useServer(port);
    settings_.set(QStringLiteral("Servidor/TimeoutMs"), 10000);
    settings_.set(QStringLiteral("Servidor/CAFile"), caFile);
    settings_.set(QStringLiteral("Servidor/Token"), token);
    TNetConnection connection;
    connection.SetServerName(QStringLiteral("Med00418.rdmMediEfeti"));
    connection.BeforeConnect = [&connection, host, port](QObject*) {
        connection.SetHost(host);
        connection.SetPort(port);
    };
    const QString address = QStringLiteral("%1:%2")
                                .arg(host.section(QStringLiteral("://"), -1).remove(QLatin1Char('/')))
                                .arg(port);
    // The clerk reads the message; the log gets what the TLS library said.
    if (message == notVerified())
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^Certificate of https://127.0.0.1:%1/health "
                                                               "not verified: .+")
                                                    .arg(port)));
    if (message.isEmpty()) {
        connection.Open();
        QVERIFY(!reserve(connection).isEmpty());
        return;
    }
    const QString raised = messageOf([&] { connection.Open(); });
    QVERIFY2(raised.startsWith(message.arg(address)), qPrintable(raised));
    QVERIFY(!connection.Connected());
}

QTEST_GUILESS_MAIN(TestNetConnectionHttps)
#include "tst_netconnection_https.moc"
