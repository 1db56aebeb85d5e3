// Sign-in through PAM (--auth pam) against the real server process, with a PAM service file of the
// test's own (--pam-confdir) built on Debian's pam_exec: a script that knows the system's passwords
// ("sistema-LOGIN" for each login), and pam_succeed_if refusing the account "vencida"; libpam-wrapper's
// pam_set_items renames every user to "eva" (PAM_USER from the server's environment), as a module
// mapping names would. The account row, its active flag, role and branches still come from the
// server's tables.
#include "AppServerProcess.h"
#include "HttpClient.h"
#include "RpcClient.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString Host = QStringLiteral("127.0.0.1");
const QString WrongCredentials = QStringLiteral("Usuário ou senha inválidos.");
const QByteArray SetItems = MED_PAM_SET_ITEMS;

} // namespace

class AppServerPamTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void signIn_data();
    void signIn();
    void guessingIsSlowedAsForLocalPasswords();

private:
    void writeFile(const QString& name, const QByteArray& text, bool executable = false);
    void writeService(const QString& stack);
    qint64 failuresCounted();

    QTemporaryDir dir_;
    std::unique_ptr<AppServerProcess> server_;
};

void AppServerPamTest::writeFile(const QString& name, const QByteArray& text, bool executable)
{
    QFile file(dir_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), text.size());
    if (executable)
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
}

// The service file as PAM reads it at each sign-in: `stack` names which.
void AppServerPamTest::writeService(const QString& stack)
{
    const QByteArray dir = dir_.path().toUtf8();
    QByteArray text;
    if (stack == u"system") {
        // As Debian's common-auth: the password's module jumps over pam_deny when it succeeds.
        text = "auth [success=1 default=ignore] pam_exec.so quiet quiet_log expose_authtok " + dir +
               "/senha.sh\n"
               "auth requisite pam_deny.so\n"
               "auth required pam_permit.so\n"
               "account required pam_succeed_if.so quiet user != vencida\n";
    } else if (stack == u"renaming") {
        text = "auth required " + SetItems +
               "\n"
               "auth [success=1 default=ignore] pam_exec.so quiet quiet_log expose_authtok " +
               dir +
               "/senha.sh\n"
               "auth requisite pam_deny.so\n"
               "auth required pam_permit.so\n"
               "account required pam_permit.so\n";
    } else if (stack == u"missing module") {
        text = "auth required pam_nao_instalado.so\naccount required pam_permit.so\n";
    } else if (stack == u"failing module") {
        text = "auth required pam_exec.so quiet quiet_log " + dir +
               "/quebra.sh\naccount required pam_permit.so\n";
    }
    QFile::remove(dir_.filePath(QStringLiteral("med00418")));
    if (!text.isEmpty())
        writeFile(QStringLiteral("med00418"), text);
}

qint64 AppServerPamTest::failuresCounted()
{
    HttpClient scraper(Host, server_->port());
    const QByteArray metrics = scraper.get("/metrics").body;
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("\nmed_signin_failures_total (\\d+)\n"))
            .match(QString::fromUtf8(metrics));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

void AppServerPamTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    // The password comes on standard input, NUL-terminated; the client's address as PAM_RHOST.
    writeFile(QStringLiteral("senha.sh"),
              "#!/bin/sh\n"
              "password=$(tr -d '\\000')\n"
              "[ \"$PAM_RHOST\" = 127.0.0.1 ] && [ \"$password\" = \"sistema-$PAM_USER\" ]\n",
              true);
    writeFile(QStringLiteral("quebra.sh"), "#!/bin/sh\nkill -SEGV $$\n", true);
    writeService(QStringLiteral("system"));
    QVERIFY2(QFile::exists(QString::fromUtf8(SetItems)), "pam_set_items.so missing: scripts/deps.sh test");
    // What pam_set_items sets PAM_USER to; the server inherits it, pam_exec's scripts do not.
    qputenv("PAM_USER", "eva");
    const auto unset = qScopeGuard([] { qunsetenv("PAM_USER"); });
    server_ = std::make_unique<AppServerProcess>(
        QString(), QStringList{QStringLiteral("--seed-demo"), QStringLiteral("--auth"), QStringLiteral("pam"),
                               QStringLiteral("--pam-confdir"), dir_.path()});
    server_->start();
    // No password asked under PAM: standard input stays empty, which a prompt would refuse.
    for (const char* login : {"ana", "bia", "vencida", "dani", "eva"}) {
        const AppServerProcess::CommandResult added =
            server_->userCommand({QStringLiteral("add"), QString::fromLatin1(login), QStringLiteral("--name"),
                                  QStringLiteral("Nome"), QStringLiteral("--role"),
                                  QStringLiteral("digitador"), QStringLiteral("--branches"),
                                  QStringLiteral("0001"), QStringLiteral("--auth"), QStringLiteral("pam")});
        QVERIFY2(added.exitCode == 0, added.errors.constData());
    }
    QCOMPARE(server_->userCommand({QStringLiteral("disable"), QStringLiteral("bia")}).exitCode, 0);
}

void AppServerPamTest::cleanupTestCase()
{
    if (server_)
        QCOMPARE(server_->stop(), 0);
    server_.reset();
}

void AppServerPamTest::signIn_data()
{
    QTest::addColumn<QString>("stack");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("logged"); // what the server's log says of the attempt

    const auto row = [](const char* name, const char* stack, const char* login, const char* password,
                        const char* logged) {
        QTest::newRow(name) << QString::fromUtf8(stack) << QString::fromUtf8(login)
                            << QString::fromUtf8(password) << QByteArray(logged);
    };
    const char* const refused = "sign-in failed: refused by PAM (pam_authenticate: Authentication failure)";
    row("right password", "system", "ana", "sistema-ana", "signed in: ana from 127.0.0.1");
    row("wrong password", "system", "ana", "sistema-bia", refused);
    row("no account row", "system", "caio", "sistema-caio", "sign-in failed: unknown login - login caio");
    row("disabled account", "system", "bia", "sistema-bia", "sign-in failed: user disabled - login bia");
    row("account refused by PAM", "system", "vencida", "sistema-vencida",
        "sign-in failed: refused by PAM (pam_acct_mgmt: Authentication failure)");
    row("local password not checked", "system", "digitador", "demo-digitador", refused);
    row("missing module", "missing module", "ana", "sistema-ana",
        "sign-in failed: PAM failed (pam_authenticate: Module is unknown)");
    row("failing module", "failing module", "dani", "sistema-dani",
        "sign-in failed: PAM failed (pam_authenticate: System error)");
    // PAM reads C strings and may keep 512 bytes: what it would cut short is not asked.
    const QString cutShort = QStringLiteral("sistema-ana") + QChar(0) + QStringLiteral("resto");
    QTest::newRow("NUL in the password")
        << "system"
        << "ana" << cutShort << QByteArray("sign-in failed: wrong password - login ana");
    QTest::newRow("password longer than PAM takes")
        << "system"
        << "dani" << QStringLiteral("sistema-dani") + QString(600, u'x')
        << QByteArray("sign-in failed: wrong password - login dani");
    // Eva's password signs in as eva, never as the account that was asked for.
    row("module renames the user", "renaming", "dani", "sistema-eva",
        "sign-in failed: refused by PAM (pam_authenticate: a module changed the user to \"eva\")");
    row("module keeps the name", "renaming", "eva", "sistema-eva", "signed in: eva from 127.0.0.1");
    row("no service file", "none", "dani", "sistema-dani",
        "sign-in failed: PAM failed (pam_start: Critical error - immediate abort)");
}

void AppServerPamTest::signIn()
{
    QFETCH(QString, stack);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QByteArray, logged);

    writeService(stack);
    const qint64 failuresBefore = failuresCounted();
    const qsizetype logBefore = server_->log().size();
    RpcClient client(Host, server_->port());
    client.http().setSignIn({}, {});
    const RpcClient::Reply reply = client.signIn(login, password);
    writeService(QStringLiteral("system"));

    const QByteArray log = server_->log().mid(logBefore);
    QVERIFY2(log.contains(logged), log.constData());
    QVERIFY(!log.contains(password.toUtf8()));
    QVERIFY(server_->running());
    if (logged.startsWith("signed in")) {
        QVERIFY2(reply.ok(), reply.body.constData());
        const QJsonObject answer = reply.resultObject();
        QCOMPARE(answer.value(u"role").toString(), QStringLiteral("digitador"));
        QCOMPARE(answer.value(u"branches").toArray(), QJsonArray{QStringLiteral("0001")});
        // The session opens the remote methods as a local sign-in's does.
        QVERIFY(
            client.call(QStringLiteral("getEfetGest"), {RpcClient::str("0001"), RpcClient::str("2031-01-01")})
                .ok());
        QCOMPARE(failuresCounted(), failuresBefore);
        return;
    }
    QCOMPARE(reply.httpStatus, 200);
    QCOMPARE(reply.errorCode, -32000);
    QCOMPARE(reply.errorMessage, WrongCredentials);
    QVERIFY(log.contains(") - login " + login.toUtf8() + " from 127.0.0.1\n") ||
            log.contains(logged + " from 127.0.0.1\n"));
    QCOMPARE(failuresCounted(), failuresBefore + 1);
}

void AppServerPamTest::guessingIsSlowedAsForLocalPasswords()
{
    RpcClient guesser(Host, server_->port());
    guesser.http().setSignIn({}, {});
    QVERIFY(guesser.signIn(QStringLiteral("dani"), QStringLiteral("sistema-dani")).ok());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(guesser.signIn(QStringLiteral("dani"), QStringLiteral("chute-%1").arg(i)).errorMessage,
                 WrongCredentials);
    // The right password, right after, waits as well.
    const RpcClient::Reply sixth = guesser.signIn(QStringLiteral("dani"), QStringLiteral("sistema-dani"));
    QCOMPARE(sixth.errorCode, -32000);
    QVERIFY2(sixth.errorMessage.startsWith(QStringLiteral("Muitas tentativas de entrada sem sucesso.")),
             qPrintable(sixth.errorMessage));
}

QTEST_GUILESS_MAIN(AppServerPamTest)

#include "tst_appserver_pam.moc"
