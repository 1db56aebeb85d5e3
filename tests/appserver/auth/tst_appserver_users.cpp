// Accounts, sessions and rights against the real server process, on SQLite and then on PostgreSQL:
// every remote method under every kind of caller, with the answer the server owes each and the
// database left as it was where the call is refused.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RpcClient.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>
#include <map>
#include <memory>

using namespace EfetGestLines;

namespace {

const QString Host = QStringLiteral("127.0.0.1");
const QString Branch = QStringLiteral("0001");
const QString Service = QStringLiteral("00001");
const QString NoBranch = QStringLiteral("Usuário sem acesso à filial 0001.");
const QString ReadOnly = QStringLiteral("Usuário sem permissão para alterar.");
const QString WrongCredentials = QStringLiteral("Usuário ou senha inválidos.");

// Who calls: the demo accounts (README) and three whose sessions no longer hold.
enum class Caller { NoSession, Expired, SignedOut, Disabled, NotGranted, Consulta, Granted };

// What the database holds that a call could change.
const QStringList Tables{
    QStringLiteral("SELECT USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI, USR_QTEFETGEST FROM USR_EFETGEST "
                   "ORDER BY 1, 2, 3"),
    QStringLiteral("SELECT NRRESERVA, CDFILIAL FROM RESERVA ORDER BY 1"),
    QStringLiteral("SELECT NRRESERVA, CDSERVFILIAPGD FROM APURFATTRAB ORDER BY 1, 2"),
    QStringLiteral("SELECT NRHIST, TIPO, USUARIO FROM HIST_EFETGEST ORDER BY 1"),
    QStringLiteral("SELECT IDREQUISICAO FROM REQUISICAO ORDER BY 1")};

} // namespace

class AppServerUsersTest : public QObject {
    Q_OBJECT

public:
    explicit AppServerUsersTest(BackendFixture::Kind kind) : backend_(kind) {}

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyMethodUnderEveryCaller_data();
    void everyMethodUnderEveryCaller();
    void historyNamesTheSignedInLogin();
    void sessionWorksOnAnotherServerOfTheGroup();
    void disablingEndsSessions();
    void commandEndsSessions_data();
    void commandEndsSessions();
    void branchesApplyToTheHeldSession_data();
    void branchesApplyToTheHeldSession();
    void guessingIsRefused();
    void unknownLoginAndWrongPasswordAnswerAlike();
    void passwordIsReadNeverFromTheCommandLine();
    void commandChangesAccounts_data();
    void commandChangesAccounts();
    void unlockClearsTheThrottle_data();
    void unlockClearsTheThrottle();
    void usage_data();
    void usage();

private:
    std::unique_ptr<RpcClient> signedIn(const QString& login, const QString& password);
    QList<QByteArray> arguments(const QString& method, QDate date);
    QStringList snapshot();
    bool throttled(const QString& login, const QString& password);
    void forgetFailures();

    BackendFixture backend_;
    QString database_;
    std::unique_ptr<AppServerProcess> server_;
    std::map<Caller, std::unique_ptr<RpcClient>> callers_;
    std::unique_ptr<RpcClient> admin_;
};

std::unique_ptr<RpcClient> AppServerUsersTest::signedIn(const QString& login, const QString& password)
{
    auto client = std::make_unique<RpcClient>(Host, server_->port());
    client->http().setSignIn({}, {});
    const RpcClient::Reply reply = client->signIn(login, password);
    if (!reply.ok())
        throw std::runtime_error("sign-in of " + login.toStdString() +
                                 " failed: " + reply.body.toStdString());
    return client;
}

void AppServerUsersTest::initTestCase()
{
    QString reason;
    if (!backend_.available(&reason))
        QSKIP(qPrintable(reason));
    database_ = backend_.newDatabase();
    server_ = std::make_unique<AppServerProcess>(database_, QStringList{QStringLiteral("--seed-demo")});
    server_->start();
    server_->addUser(QStringLiteral("expira"), QStringLiteral("digitador"), Branch,
                     QStringLiteral("senha-expira"));
    server_->addUser(QStringLiteral("inativa"), QStringLiteral("digitador"), Branch,
                     QStringLiteral("senha-inativa"));
    server_->addUser(QStringLiteral("saiu"), QStringLiteral("digitador"), Branch,
                     QStringLiteral("senha-saiu"));
    admin_ = signedIn(QStringLiteral("admin"), QStringLiteral("demo-admin"));

    callers_[Caller::NoSession] = std::make_unique<RpcClient>(Host, server_->port());
    callers_[Caller::NoSession]->http().setSignIn({}, {});
    callers_[Caller::Expired] = signedIn(QStringLiteral("expira"), QStringLiteral("senha-expira"));
    backend_.execute(database_, QStringLiteral("UPDATE SESSAO SET CRIADA = 0 WHERE LOGIN = 'expira'"));
    callers_[Caller::SignedOut] = signedIn(QStringLiteral("saiu"), QStringLiteral("senha-saiu"));
    QVERIFY(callers_[Caller::SignedOut]->call(QStringLiteral("Logout"), {}).ok());
    callers_[Caller::Disabled] = signedIn(QStringLiteral("inativa"), QStringLiteral("senha-inativa"));
    QCOMPARE(server_->userCommand({QStringLiteral("disable"), QStringLiteral("inativa")}).exitCode, 0);
    callers_[Caller::NotGranted] = signedIn(QStringLiteral("filial2"), QStringLiteral("demo-filial2"));
    callers_[Caller::Consulta] = signedIn(QStringLiteral("consulta"), QStringLiteral("demo-consulta"));
    callers_[Caller::Granted] = signedIn(QStringLiteral("digitador"), QStringLiteral("demo-digitador"));
}

void AppServerUsersTest::cleanupTestCase()
{
    callers_.clear();
    admin_.reset();
    if (server_)
        QCOMPARE(server_->stop(), 0);
    server_.reset();
}

QList<QByteArray> AppServerUsersTest::arguments(const QString& method, QDate date)
{
    const QByteArray branch = RpcClient::str(Branch);
    const QByteArray day = RpcClient::str(date.toString(Qt::ISODate));
    if (method == u"GetPrxRelApurFat")
        return {branch};
    if (method == u"getEfetGest")
        return {branch, day};
    if (method == u"setEfetGest")
        return {changeSet({inserted(
            line(Branch, date, Service, QStringLiteral("2"), QStringLiteral("2.5"), QStringLiteral("5")))})};
    if (method == u"Importa") {
        backend_.addBilling(database_, Branch, date, Service, Currency::parse(u"4"), Currency::parse(u"2.5"));
        return {branch, day, RpcClient::str(QString())};
    }
    if (method == u"SetDelTableApur") {
        // A reservation of the branch, drawn by someone who may.
        const RpcClient::Reply drawn = admin_->call(QStringLiteral("GetPrxRelApurFat"), {branch});
        if (!drawn.ok())
            throw std::runtime_error(drawn.body.toStdString());
        return {RpcClient::str(drawn.resultString())};
    }
    return {branch, day, RpcClient::str(Service)}; // GetVerifServ, GetVerifServs, GetHistEfetGest
}

QStringList AppServerUsersTest::snapshot()
{
    QStringList all;
    for (const QString& sql : Tables)
        all << backend_.rows(database_, sql) << QStringLiteral("--");
    return all;
}

void AppServerUsersTest::everyMethodUnderEveryCaller_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("caller");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<QString>("error"); // empty: the call succeeds

    const QStringList methods{QStringLiteral("GetPrxRelApurFat"), QStringLiteral("getEfetGest"),
                              QStringLiteral("GetVerifServ"),     QStringLiteral("setEfetGest"),
                              QStringLiteral("Importa"),          QStringLiteral("SetDelTableApur"),
                              QStringLiteral("GetHistEfetGest"),  QStringLiteral("GetVerifServs")};
    const std::pair<Caller, const char*> callers[] = {
        {Caller::NoSession, "no session"},   {Caller::Expired, "expired"},
        {Caller::SignedOut, "signed out"},   {Caller::Disabled, "disabled user"},
        {Caller::NotGranted, "not granted"}, {Caller::Consulta, "consulta"},
        {Caller::Granted, "granted"}};
    for (const QString& method : methods) {
        const bool changes = method == u"setEfetGest" || method == u"Importa";
        for (const auto& [caller, name] : callers) {
            int status = 200;
            QString error;
            if (caller == Caller::NoSession || caller == Caller::Expired || caller == Caller::SignedOut ||
                caller == Caller::Disabled)
                status = 401;
            else if (caller == Caller::NotGranted)
                error = NoBranch;
            else if (caller == Caller::Consulta && changes)
                error = ReadOnly;
            QTest::addRow("%s, %s", qPrintable(method), name) << method << int(caller) << status << error;
        }
    }
}

void AppServerUsersTest::everyMethodUnderEveryCaller()
{
    QFETCH(QString, method);
    QFETCH(int, caller);
    QFETCH(int, httpStatus);
    QFETCH(QString, error);

    const QList<QByteArray> args = arguments(method, freshDate());
    const QStringList before = snapshot();
    const RpcClient::Reply reply = callers_.at(Caller(caller))->call(method, args);
    QCOMPARE(reply.httpStatus, httpStatus);
    if (httpStatus != 200) {
        QCOMPARE(reply.body, QByteArray("session required\n"));
    } else if (error.isEmpty()) {
        QVERIFY2(reply.ok(), reply.body.constData());
        return;
    } else {
        QCOMPARE(reply.errorCode, -32000);
        QCOMPARE(reply.errorMessage, error);
    }
    QCOMPARE(snapshot(), before);
}

void AppServerUsersTest::historyNamesTheSignedInLogin()
{
    const QDate date = freshDate();
    RpcClient& clerk = *callers_.at(Caller::Granted);
    // What a host reports of its user is no longer believed.
    clerk.http().setUser("outra.pessoa");
    QVERIFY(save(clerk, {inserted(line(Branch, date, Service, QStringLiteral("1"), QStringLiteral("1"),
                                       QStringLiteral("1")))})
                .ok());
    clerk.http().setUser({});
    QCOMPARE(backend_.rows(database_, QStringLiteral("SELECT USUARIO, CLIENTE FROM HIST_EFETGEST WHERE "
                                                     "DTEFETGEST = '%1'")
                                          .arg(date.toString(Qt::ISODate))),
             QStringList{QStringLiteral("digitador|127.0.0.1")});
    const QByteArray log = server_->log();
    QVERIFY2(log.contains(" RPC setEfetGest ") && log.contains("ms ok digitador\n"),
             log.right(400).constData());
}

void AppServerUsersTest::sessionWorksOnAnotherServerOfTheGroup()
{
    AppServerProcess other(database_);
    other.start();
    RpcClient there(Host, other.port(), callers_.at(Caller::Granted)->http().token());
    there.http().setSignIn({}, {});
    const RpcClient::Reply reply =
        there.call(QStringLiteral("getEfetGest"), {RpcClient::str(Branch), RpcClient::str("2031-01-01")});
    QVERIFY2(reply.ok(), reply.body.constData());
    QCOMPARE(other.stop(), 0);
}

void AppServerUsersTest::disablingEndsSessions()
{
    server_->addUser(QStringLiteral("sai.logo"), QStringLiteral("consulta"), Branch,
                     QStringLiteral("senha-sai-logo"));
    std::unique_ptr<RpcClient> clerk = signedIn(QStringLiteral("sai.logo"), QStringLiteral("senha-sai-logo"));
    const QList<QByteArray> args{RpcClient::str(Branch), RpcClient::str("2031-01-01")};
    QVERIFY(clerk->call(QStringLiteral("getEfetGest"), args).ok());
    QCOMPARE(server_->userCommand({QStringLiteral("disable"), QStringLiteral("sai.logo")}).exitCode, 0);
    QCOMPARE(clerk->call(QStringLiteral("getEfetGest"), args).httpStatus, 401);
    QCOMPARE(clerk->signIn(QStringLiteral("sai.logo"), QStringLiteral("senha-sai-logo")).errorMessage,
             WrongCredentials);
    // Enabled again, she signs in anew; the old session stays ended.
    const QByteArray ended = clerk->http().token();
    QCOMPARE(server_->userCommand({QStringLiteral("enable"), QStringLiteral("sai.logo")}).exitCode, 0);
    RpcClient old(Host, server_->port(), ended);
    old.http().setSignIn({}, {});
    QCOMPARE(old.call(QStringLiteral("getEfetGest"), args).httpStatus, 401);
    QVERIFY(clerk->signIn(QStringLiteral("sai.logo"), QStringLiteral("senha-sai-logo")).ok());
    QVERIFY(clerk->call(QStringLiteral("getEfetGest"), args).ok());
}

void AppServerUsersTest::commandEndsSessions_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("password"); // hers after the command
    QTest::addColumn<QString>("role");     // the sign-in's answer after it; empty: refused
    QTest::addColumn<bool>("ends");

    QTest::newRow("new password") << "troca.senha" << QStringList{"passwd", "troca.senha"}
                                  << QByteArray("senha-nova-da-troca\n") << "senha-nova-da-troca"
                                  << "consulta" << true;
    QTest::newRow("new role") << "troca.papel" << QStringList{"role", "troca.papel", "--role", "digitador"}
                              << QByteArray() << "senha-troca.papel"
                              << "digitador" << true;
    QTest::newRow("disabled") << "desligada" << QStringList{"disable", "desligada"} << QByteArray()
                              << "senha-desligada" << QString() << true;
    QTest::newRow("branch granted") << "mais.filial"
                                    << QStringList{"grant", "mais.filial", "--branches", "0002"}
                                    << QByteArray() << "senha-mais.filial"
                                    << "consulta" << false;
}

// What the user command does to the sessions she holds, and how she signs in afterwards.
void AppServerUsersTest::commandEndsSessions()
{
    QFETCH(QString, login);
    QFETCH(QStringList, command);
    QFETCH(QByteArray, input);
    QFETCH(QString, password);
    QFETCH(QString, role);
    QFETCH(bool, ends);

    const QString first = QStringLiteral("senha-") + login;
    server_->addUser(login, QStringLiteral("consulta"), Branch, first);
    std::unique_ptr<RpcClient> clerk = signedIn(login, first);
    const QList<QByteArray> args{RpcClient::str(Branch), RpcClient::str("2031-01-01")};
    QVERIFY(clerk->call(QStringLiteral("getEfetGest"), args).ok());
    const AppServerProcess::CommandResult done = server_->userCommand(command, input);
    QVERIFY2(done.exitCode == 0, done.errors.constData());
    const RpcClient::Reply next = clerk->call(QStringLiteral("getEfetGest"), args);
    QCOMPARE(next.httpStatus, ends ? 401 : 200);

    RpcClient again(Host, server_->port());
    again.http().setSignIn({}, {});
    const RpcClient::Reply reply = again.signIn(login, password);
    if (role.isEmpty()) {
        QCOMPARE(reply.errorMessage, WrongCredentials);
        return;
    }
    QVERIFY2(reply.ok(), reply.body.constData());
    QCOMPARE(reply.resultObject().value(u"role").toString(), role);
    if (password != first)
        QCOMPARE(again.signIn(login, first).errorMessage, WrongCredentials);
}

void AppServerUsersTest::branchesApplyToTheHeldSession_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("branch"); // the one her calls read
    QTest::addColumn<bool>("reachedAfter");

    QTest::newRow("granted") << "ganha.filial" << QStringList{"grant", "ganha.filial", "--branches", "0002"}
                             << "0002" << true;
    QTest::newRow("revoked") << "perde.filial" << QStringList{"revoke", "perde.filial", "--branches", "0001"}
                             << "0001" << false;
}

// A branch granted or revoked counts from her very next call on the session she holds, on the same
// connection as the calls before it.
void AppServerUsersTest::branchesApplyToTheHeldSession()
{
    QFETCH(QString, login);
    QFETCH(QStringList, command);
    QFETCH(QString, branch);
    QFETCH(bool, reachedAfter);

    const QString password = QStringLiteral("senha-") + login;
    server_->addUser(login, QStringLiteral("consulta"), Branch, password);
    std::unique_ptr<RpcClient> clerk = signedIn(login, password);
    const QList<QByteArray> args{RpcClient::str(branch), RpcClient::str("2031-01-01")};
    const QString refused = QStringLiteral("Usuário sem acesso à filial %1.").arg(branch);
    // The refusal's text, empty when the call went through.
    const auto answer = [&] {
        const RpcClient::Reply reply = clerk->call(QStringLiteral("getEfetGest"), args);
        return reply.ok() ? QString() : reply.errorMessage;
    };
    const QString before = reachedAfter ? refused : QString();
    QCOMPARE(answer(), before);
    QCOMPARE(answer(), before);
    const AppServerProcess::CommandResult done = server_->userCommand(command);
    QVERIFY2(done.exitCode == 0, done.errors.constData());
    QCOMPARE(answer(), reachedAfter ? QString() : refused);
}

void AppServerUsersTest::guessingIsRefused()
{
    server_->addUser(QStringLiteral("alvo"), QStringLiteral("consulta"), Branch,
                     QStringLiteral("senha-certa"));
    RpcClient guesser(Host, server_->port());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(guesser.signIn(QStringLiteral("alvo"), QStringLiteral("chute-%1").arg(i)).errorMessage,
                 WrongCredentials);
    const RpcClient::Reply sixth = guesser.signIn(QStringLiteral("alvo"), QStringLiteral("chute-5"));
    QCOMPARE(sixth.errorCode, -32000);
    QVERIFY2(sixth.errorMessage.startsWith(QStringLiteral("Muitas tentativas de entrada sem sucesso.")),
             qPrintable(sixth.errorMessage));
    // The right password, right after, waits as well: it is not even checked.
    QCOMPARE(guesser.signIn(QStringLiteral("alvo"), QStringLiteral("senha-certa")).errorMessage,
             sixth.errorMessage);
    HttpClient scraper(Host, server_->port());
    const QByteArray metrics = scraper.get("/metrics").body;
    QVERIFY2(metrics.contains("\nmed_signin_failures_total ") &&
                 metrics.contains("\nmed_signin_throttled_total 2\n"),
             metrics.constData());
    const QByteArray log = server_->log();
    QVERIFY(log.contains("sign-in failed: wrong password - login alvo from 127.0.0.1"));
    QVERIFY(!log.contains("chute-") && !log.contains("senha-certa"));
}

void AppServerUsersTest::unknownLoginAndWrongPasswordAnswerAlike()
{
    RpcClient guesser(Host, server_->port());
    const RpcClient::Reply unknown = guesser.signIn(QStringLiteral("ninguem"), QStringLiteral("qualquer"));
    const RpcClient::Reply wrong = guesser.signIn(QStringLiteral("consulta"), QStringLiteral("qualquer"));
    QCOMPARE(unknown.httpStatus, 200);
    QCOMPARE(unknown.body, wrong.body);
    const RpcClient::Reply disabled =
        guesser.signIn(QStringLiteral("inativa"), QStringLiteral("senha-inativa"));
    QCOMPARE(disabled.body, wrong.body);
}

void AppServerUsersTest::passwordIsReadNeverFromTheCommandLine()
{
    QProcess command;
    command.start(AppServerProcess::executable(),
                  {QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("espera"),
                   QStringLiteral("--name"), QStringLiteral("Espera"), QStringLiteral("--role"),
                   QStringLiteral("consulta"), QStringLiteral("--branches"), Branch,
                   QStringLiteral("--database"), database_});
    QVERIFY(command.waitForStarted());
    // Until it blocks reading its standard input (syscall 0, read, on descriptor 0), then its command line.
    const QString proc = QStringLiteral("/proc/%1/").arg(command.processId());
    QDeadlineTimer deadline(60000);
    QByteArray syscall;
    while (!deadline.hasExpired() && !syscall.startsWith("0 0x0 ")) {
        QThread::msleep(20);
        QFile file(proc + QStringLiteral("syscall"));
        syscall = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QVERIFY2(syscall.startsWith("0 0x0 "), syscall.constData());
    QFile cmdline(proc + QStringLiteral("cmdline"));
    QVERIFY(cmdline.open(QIODevice::ReadOnly));
    const QByteArray arguments = cmdline.readAll();
    QVERIFY(arguments.contains("espera"));
    QVERIFY(!arguments.contains("senha"));
    command.write("senha-da-espera\n");
    command.closeWriteChannel();
    QVERIFY(command.waitForFinished(120000));
    QCOMPARE(command.exitCode(), 0);
    QVERIFY(signedIn(QStringLiteral("espera"), QStringLiteral("senha-da-espera")));
}

void AppServerUsersTest::commandChangesAccounts_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("listed"); // the line `user list` shows of "mudanca" after it
    QTest::newRow("grant") << QStringList{"grant", "mudanca", "--branches", "0003,0002"} << 0
                           << "mudanca\tMudança\tdigitador\tativo\t0001,0002,0003";
    QTest::newRow("revoke") << QStringList{"revoke", "mudanca", "--branches", "0001"} << 0
                            << "mudanca\tMudança\tdigitador\tativo\t0002,0003";
    QTest::newRow("disable") << QStringList{"disable", "mudanca"} << 0
                             << "mudanca\tMudança\tdigitador\tinativo\t0002,0003";
    QTest::newRow("enable") << QStringList{"enable", "mudanca"} << 0
                            << "mudanca\tMudança\tdigitador\tativo\t0002,0003";
    QTest::newRow("role") << QStringList{"role", "mudanca", "--role", "consulta"} << 0
                          << "mudanca\tMudança\tconsulta\tativo\t0002,0003";
    QTest::newRow("unknown role for role") << QStringList{"role", "mudanca", "--role", "chefe"} << 2
                                           << "mudanca\tMudança\tconsulta\tativo\t0002,0003";
    QTest::newRow("role of an unknown user") << QStringList{"role", "ninguem", "--role", "consulta"} << 2
                                             << "mudanca\tMudança\tconsulta\tativo\t0002,0003";
    QTest::newRow("add again") << QStringList{"add",    "mudanca",   "--name",     "Outra",
                                              "--role", "digitador", "--branches", "0001"}
                               << 2 << "mudanca\tMudança\tconsulta\tativo\t0002,0003";
    QTest::newRow("unknown role") << QStringList{"add",    "nova",  "--name",     "Nova",
                                                 "--role", "chefe", "--branches", "0001"}
                                  << 2 << "mudanca\tMudança\tconsulta\tativo\t0002,0003";
    QTest::newRow("unknown user") << QStringList{"grant", "ninguem", "--branches", "0001"} << 2
                                  << "mudanca\tMudança\tconsulta\tativo\t0002,0003";
    QTest::newRow("unlock an unknown user")
        << QStringList{"unlock", "ninguem"} << 2 << "mudanca\tMudança\tconsulta\tativo\t0002,0003";
}

void AppServerUsersTest::commandChangesAccounts()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, listed);
    if (QTest::currentDataTag() == QLatin1String("grant")) {
        const AppServerProcess::CommandResult added =
            server_->userCommand({QStringLiteral("add"), QStringLiteral("mudanca"), QStringLiteral("--name"),
                                  QStringLiteral("Mudança"), QStringLiteral("--role"),
                                  QStringLiteral("digitador"), QStringLiteral("--branches"), Branch},
                                 "senha-da-mudanca\n");
        QCOMPARE(added.exitCode, 0);
    }
    QCOMPARE(server_->userCommand(arguments, "outra-senha\n").exitCode, exitCode);
    const AppServerProcess::CommandResult list = server_->userCommand({QStringLiteral("list")});
    QCOMPARE(list.exitCode, 0);
    // Nothing for the administrator to read but the list: no notice of the database's setup.
    QCOMPARE(list.errors, QByteArray());
    const QStringList lines = QString::fromUtf8(list.output).split(u'\n');
    QVERIFY2(lines.contains(listed), list.output.constData());
    // No hash in sight.
    QVERIFY(!list.output.contains("$argon2"));
}

bool AppServerUsersTest::throttled(const QString& login, const QString& password)
{
    RpcClient client(Host, server_->port());
    client.http().setSignIn({}, {});
    const RpcClient::Reply reply = client.signIn(login, password);
    return reply.errorMessage.startsWith(QStringLiteral("Muitas tentativas de entrada sem sucesso."));
}

// Failures left by other tests or an earlier row would throttle this one's sign-ins from 127.0.0.1.
void AppServerUsersTest::forgetFailures()
{
    backend_.execute(database_, QStringLiteral("DELETE FROM FALHA_LOGIN"));
}

void AppServerUsersTest::unlockClearsTheThrottle_data()
{
    QTest::addColumn<bool>("guessed");      // her password guessed at until her login is throttled
    QTest::addColumn<bool>("sprayed");      // other logins tried from her address until it is throttled
    QTest::addColumn<QStringList>("extra"); // after `user unlock LOGIN`
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("signsIn");

    QTest::newRow("login unlocked") << true << false << QStringList() << 0 << true;
    QTest::newRow("address still throttled") << false << true << QStringList() << 0 << false;
    QTest::newRow("address unlocked") << false << true << QStringList{"--address", "127.0.0.1"} << 0 << true;
    QTest::newRow("both unlocked") << true << true << QStringList{"--address", "127.0.0.1"} << 0 << true;
    QTest::newRow("not an address") << true << false << QStringList{"--address", "localhost"} << 2 << false;
}

void AppServerUsersTest::unlockClearsTheThrottle()
{
    QFETCH(bool, guessed);
    QFETCH(bool, sprayed);
    QFETCH(QStringList, extra);
    QFETCH(int, exitCode);
    QFETCH(bool, signsIn);

    const QString login = QStringLiteral("trancada.%1").arg(QTest::currentDataTag()).replace(u' ', u'.');
    server_->addUser(login, QStringLiteral("consulta"), Branch, QStringLiteral("senha-certa"));
    forgetFailures();
    const auto forget = qScopeGuard([this] { forgetFailures(); });
    for (int i = 0; guessed && i < 5; ++i)
        QVERIFY(!throttled(login, QStringLiteral("chute-%1").arg(i)));
    bool addressThrottled = false;
    for (int i = 0; sprayed && !addressThrottled && i < 30; ++i)
        addressThrottled = throttled(QStringLiteral("outro.%1").arg(i), QStringLiteral("qualquer"));
    QCOMPARE(addressThrottled, sprayed);
    QVERIFY(throttled(login, QStringLiteral("senha-certa")));

    const AppServerProcess::CommandResult done =
        server_->userCommand(QStringList{QStringLiteral("unlock"), login} + extra);
    QCOMPARE(done.exitCode, exitCode);
    RpcClient client(Host, server_->port());
    client.http().setSignIn({}, {});
    QCOMPARE(client.signIn(login, QStringLiteral("senha-certa")).ok(), signsIn);
}

void AppServerUsersTest::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("problem"); // the first line on stderr; empty: the usage on stdout

    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray();
    QTest::newRow("help after a verb") << QStringList{"role", "-h"} << 0 << QByteArray();
    QTest::newRow("no verb") << QStringList() << 2 << QByteArray("med_appserver user: no verb given");
    QTest::newRow("unknown verb") << QStringList{"apagar", "maria"} << 2
                                  << QByteArray("med_appserver user: unknown verb \"apagar\"");
    QTest::newRow("no login") << QStringList{"unlock"} << 2
                              << QByteArray("med_appserver user: unlock needs a LOGIN");
    QTest::newRow("a word too many") << QStringList{"passwd", "maria", "joana"} << 2
                                     << QByteArray("med_appserver user: unexpected \"joana\"");
    QTest::newRow("option without its value") << QStringList{"role", "maria", "--role"} << 2
                                              << QByteArray("med_appserver user: --role needs a value");
}

void AppServerUsersTest::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, problem);

    const AppServerProcess::CommandResult result = server_->userCommand(arguments);
    QCOMPARE(result.exitCode, exitCode);
    const QByteArray& usage = problem.isEmpty() ? result.output : result.errors;
    QCOMPARE(problem.isEmpty() ? result.errors : result.output, QByteArray());
    QList<QByteArray> lines = usage.split('\n');
    if (!problem.isEmpty())
        QCOMPARE(lines.takeFirst(), problem);
    QVERIFY2(lines.value(0).startsWith("usage: med_appserver user add LOGIN "), usage.constData());
    // One usage a line, as typed, whatever the outcome: no log prefix on any.
    QVERIFY2(lines.contains("       med_appserver user role LOGIN --role digitador|consulta|administrador") &&
                 lines.contains("       med_appserver user unlock LOGIN [--address ADDRESS]"),
             usage.constData());
    QVERIFY(!usage.contains("ERROR"));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (const auto kind : {BackendFixture::Kind::Sqlite, BackendFixture::Kind::Postgres}) {
        AppServerUsersTest test(kind);
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures;
}

#include "tst_appserver_users.moc"
