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
    void guessingIsRefused();
    void unknownLoginAndWrongPasswordAnswerAlike();
    void passwordIsReadNeverFromTheCommandLine();
    void commandChangesAccounts_data();
    void commandChangesAccounts();

private:
    std::unique_ptr<RpcClient> signedIn(const QString& login, const QString& password);
    QList<QByteArray> arguments(const QString& method, QDate date);
    QStringList snapshot();

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
    QTest::newRow("add again") << QStringList{"add",    "mudanca",  "--name",     "Outra",
                                              "--role", "consulta", "--branches", "0001"}
                               << 2 << "mudanca\tMudança\tdigitador\tativo\t0002,0003";
    QTest::newRow("unknown role") << QStringList{"add",    "nova",  "--name",     "Nova",
                                                 "--role", "chefe", "--branches", "0001"}
                                  << 2 << "mudanca\tMudança\tdigitador\tativo\t0002,0003";
    QTest::newRow("unknown user") << QStringList{"grant", "ninguem", "--branches", "0001"} << 2
                                  << "mudanca\tMudança\tdigitador\tativo\t0002,0003";
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
    const QStringList lines = QString::fromUtf8(list.output).split(u'\n');
    QVERIFY2(lines.contains(listed), list.output.constData());
    // No hash in sight.
    QVERIFY(!list.output.contains("$argon2"));
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
