// Sign-ins checked off the worker's thread, against the real server process on one worker: while
// sign-ins are checked, another client's small call is answered before them, every sign-in still
// succeeds, and a client that leaves during its sign-in leaves the server serving. Once with argon2id
// (the demo accounts' hashes), once through PAM with a pam_exec script that waits while the test holds
// it, as a directory that is slow to answer would.
#include "AppServerProcess.h"
#include "HttpClient.h"
#include "TestAccount.h"

#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

namespace {

const QString Host = QStringLiteral("127.0.0.1");
constexpr int SignIns = 6;

QByteArray post(const QByteArray& body, const QByteArray& session = {})
{
    QByteArray request = "POST /Med00418.rdmMediEfeti HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                         "Content-Type: application/json\r\nContent-Length: " +
                         QByteArray::number(body.size()) + "\r\n";
    if (!session.isEmpty())
        request += "Authorization: Bearer " + session + "\r\n";
    return request + "\r\n" + body;
}

QByteArray login(int id)
{
    return post("{\"jsonrpc\":\"2.0\",\"id\":" + QByteArray::number(id) +
                ",\"method\":\"Login\",\"params\":[\"" + TestAccount::Login + "\",\"" +
                TestAccount::Password + "\"]}");
}

// Whether `bytes` hold one whole HTTP answer.
bool complete(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const qsizetype at = bytes.toLower().indexOf("content-length:");
    return at >= 0 && bytes.size() - end - 4 >= bytes.mid(at + 15, end - at - 15).trimmed().toLongLong();
}

} // namespace

class AppServerSignInPoolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void smallCallGoesFirst_data();
    void smallCallGoesFirst();
    void clientLeavesDuringSignIn_data();
    void clientLeavesDuringSignIn();

private:
    void addRows();
    AppServerProcess& server(const QString& method);
    QByteArray session(const QString& method);
    void hold(bool held);

    QTemporaryDir dir_;
    std::unique_ptr<AppServerProcess> local_;
    std::unique_ptr<AppServerProcess> pam_;
};

void AppServerSignInPoolTest::hold(bool held)
{
    const QString path = dir_.filePath(QStringLiteral("hold"));
    if (!held) {
        QFile::remove(path);
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void AppServerSignInPoolTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    // Waits while the hold file is there (5 s at most), then checks the password as the system would.
    const QByteArray script = "#!/bin/sh\n"
                              "password=$(tr -d '\\000')\n"
                              "n=0\n"
                              "while [ -e '" +
                              dir_.filePath(QStringLiteral("hold")).toUtf8() +
                              "' ] && [ $n -lt 50 ]; do sleep 0.1; n=$((n+1)); done\n"
                              "[ \"$password\" = '" +
                              TestAccount::Password + "' ]\n";
    QFile check(dir_.filePath(QStringLiteral("senha.sh")));
    QVERIFY(check.open(QIODevice::WriteOnly));
    check.write(script);
    check.close();
    QVERIFY(check.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    QFile service(dir_.filePath(QStringLiteral("med00418")));
    QVERIFY(service.open(QIODevice::WriteOnly));
    service.write("auth required pam_exec.so quiet quiet_log expose_authtok " + check.fileName().toUtf8() +
                  "\naccount required pam_permit.so\n");
    service.close();
    const QStringList common{QStringLiteral("--seed-demo"), QStringLiteral("--workers"), QStringLiteral("1")};
    local_ = std::make_unique<AppServerProcess>(QString(), common);
    local_->start();
    pam_ = std::make_unique<AppServerProcess>(
        QString(), common + QStringList{QStringLiteral("--auth"), QStringLiteral("pam"),
                                        QStringLiteral("--pam-confdir"), dir_.path()});
    pam_->start();
}

void AppServerSignInPoolTest::cleanupTestCase()
{
    hold(false);
    // A clean stop, sanitizers included.
    if (local_)
        QCOMPARE(local_->stop(), 0);
    if (pam_)
        QCOMPARE(pam_->stop(), 0);
}

void AppServerSignInPoolTest::addRows()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("argon2id") << QStringLiteral("local");
    QTest::newRow("pam") << QStringLiteral("pam");
}

AppServerProcess& AppServerSignInPoolTest::server(const QString& method)
{
    return method == u"pam" ? *pam_ : *local_;
}

QByteArray AppServerSignInPoolTest::session(const QString& method)
{
    HttpClient client(Host, server(method).port());
    const HttpClient::Response signedIn = client.signIn(TestAccount::Login, TestAccount::Password);
    return signedIn.status == 200 ? client.token() : QByteArray();
}

void AppServerSignInPoolTest::smallCallGoesFirst_data()
{
    addRows();
}

void AppServerSignInPoolTest::smallCallGoesFirst()
{
    QFETCH(QString, method);
    const QByteArray token = session(method);
    QVERIFY(!token.isEmpty());
    // The sign-ins on connections of their own, then the small call on another; the answers' order.
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    std::vector<QByteArray> answers(SignIns + 1);
    QList<int> order;
    for (int i = 0; i <= SignIns; ++i) {
        auto& socket = sockets.emplace_back(std::make_unique<QTcpSocket>());
        connect(socket.get(), &QTcpSocket::readyRead, this, [&, i] {
            answers[size_t(i)] += sockets[size_t(i)]->readAll();
            if (complete(answers[size_t(i)]) && !order.contains(i)) {
                order.append(i);
                hold(false);
            }
        });
        socket->connectToHost(Host, server(method).port());
        QVERIFY(socket->waitForConnected(10000));
    }
    hold(method == u"pam");
    for (int i = 0; i < SignIns; ++i)
        sockets[size_t(i)]->write(login(i));
    for (int i = 0; i < SignIns; ++i)
        QVERIFY(sockets[size_t(i)]->waitForBytesWritten(10000));
    sockets.back()->write(post("{\"jsonrpc\":\"2.0\",\"id\":99,\"method\":\"GetVerifServ\",\"params\":["
                               "\"0001\",\"2026-12-08\",\"00001\"]}",
                               token));
    QTRY_VERIFY_WITH_TIMEOUT(order.size() == SignIns + 1, 60000);
    hold(false);
    QCOMPARE(order.first(), SignIns);
    QVERIFY2(answers.back().contains("\"id\":99"), answers.back().constData());
    for (int i = 0; i < SignIns; ++i)
        QVERIFY2(answers[size_t(i)].contains("\"session\":\""), answers[size_t(i)].constData());
}

void AppServerSignInPoolTest::clientLeavesDuringSignIn_data()
{
    addRows();
}

void AppServerSignInPoolTest::clientLeavesDuringSignIn()
{
    QFETCH(QString, method);
    hold(method == u"pam");
    // One closes its side, one resets the connection: both gone before their check ends.
    for (const bool reset : {false, true}) {
        QTcpSocket socket;
        socket.connectToHost(Host, server(method).port());
        QVERIFY(socket.waitForConnected(10000));
        socket.write(login(1));
        QVERIFY(socket.waitForBytesWritten(10000));
        if (reset)
            socket.abort();
        else
            socket.disconnectFromHost();
    }
    hold(false);
    // Still serving, and signing in.
    QVERIFY(!session(method).isEmpty());
}

QTEST_GUILESS_MAIN(AppServerSignInPoolTest)
#include "tst_appserver_signinpool.moc"
