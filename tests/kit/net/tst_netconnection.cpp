#include "AppServerProcess.h"
#include "ECallOutcomeUnknown.h"
#include "EndlessAnswerServer.h"
#include "Exception.h"
#include "FaultyServer.h"
#include "HostLog.h"
#include "HostTestSignIn.h"
#include "MessageOf.h"
#include "PausingServer.h"
#include "ProcessMemory.h"
#include "SettingsFile.h"
#include "TNetConnection.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>
#include <optional>

namespace {

const QStringList Demo{QStringLiteral("--seed-demo")};

// A port nothing listens on: taken from the system, then let go.
quint16 deadPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// BeforeConnect points the connection at 127.0.0.1:`port`.
void aimAt(TNetConnection& connection, quint16 port)
{
    connection.SetServerName(QStringLiteral("Med00418.rdmMediEfeti"));
    connection.BeforeConnect = [&connection, port](QObject*) {
        connection.SetHost(QStringLiteral("127.0.0.1"));
        connection.SetPort(port);
    };
}

// AddressSanitizer keeps freed blocks in quarantine (256 MiB by default) before it reuses them, so the
// growing answer's earlier buffers still count in a sanitized build.
#ifdef __SANITIZE_ADDRESS__
constexpr qint64 AllocatorSlackKiB = 256 * 1024;
#else
constexpr qint64 AllocatorSlackKiB = 0;
#endif

// Starts this process's peak memory over from what it holds now; false where the system does not allow it.
bool restartPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

constexpr char SharedToken[] = "s3cr3t-token-0001";

// How the settings file comes to hold `token` (empty: the file goes, and with it the token): as
// QSettings writes it (a new file renamed over the old), or rewritten in place.
void putToken(const QString& path, const QString& how, const QString& token)
{
    if (token.isEmpty()) {
        QVERIFY(QFile::remove(path));
    } else if (how == QLatin1String("QSettings")) {
        QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("Servidor/Token"), token);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write("[Servidor]\nToken=" + token.toUtf8() + '\n') > 0);
    }
}

RemoteValue reserve(TNetConnection& connection)
{
    return connection.AppServer().call(QStringLiteral("GetPrxRelApurFat"), {RemoteArg::string("0001")});
}

} // namespace

class TestNetConnection : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void beforeConnectRunsOnEveryOpen();
    void openFails_data();
    void openFails();
    void callOnClosedConnectionRaises();
    void serverErrorKeepsItsMessage();
    void stoppedServerRaisesOnNextCall();
    void tokenIsSent_data();
    void tokenIsSent();
    void argumentsTravelByKind();
    void answers_data();
    void answers();
    void answersInPieces_data();
    void answersInPieces();
    void callsWhoseAnswerWasLost_data();
    void callsWhoseAnswerWasLost();
    void answersThatAreNotTaken_data();
    void answersThatAreNotTaken();
    void endlessAnswersAreNotHeld_data();
    void endlessAnswersAreNotHeld();
    void everyCallIsLogged_data();
    void everyCallIsLogged();
    void settingsChangedAreTakenByTheNextCall_data();
    void settingsChangedAreTakenByTheNextCall();
    void writesOfEveryHostAreTheirOwn_data();
    void writesOfEveryHostAreTheirOwn();

private:
    SettingsFile settings_;
    AppServerProcess server_{{}, Demo};
    // Without accounts: its calls take the shared token. Started by the first test that needs it.
    AppServerProcess tokenServer_{{}, {QStringLiteral("--token"), QString::fromLatin1(SharedToken)}};
};

void TestNetConnection::initTestCase()
{
    signInAsTestAccountWhenAsked();
    server_.start();
}

void TestNetConnection::init()
{
    settings_.useServer(server_.port());
}

void TestNetConnection::beforeConnectRunsOnEveryOpen()
{
    TNetConnection connection;
    connection.SetServerName(QStringLiteral("Med00418.rdmMediEfeti"));
    connection.SetHost(QStringLiteral("nowhere.invalid"));
    int raised = 0;
    quint16 port = server_.port();
    connection.BeforeConnect = [&](QObject* sender) {
        ++raised;
        QCOMPARE(sender, &connection);
        connection.SetHost(QStringLiteral("127.0.0.1"));
        connection.SetPort(port);
    };
    connection.Open();
    QVERIFY(connection.Connected());
    QVERIFY(!reserve(connection).toString().isEmpty());
    connection.Close();
    port = deadPort();
    QVERIFY(messageOf([&] { connection.Open(); }).contains(QStringLiteral("127.0.0.1:%1.").arg(port)));
    QVERIFY(!connection.Connected());
    port = server_.port();
    connection.SetConnected(true);
    QCOMPARE(raised, 3);
    QVERIFY(connection.Connected());
}

void TestNetConnection::openFails_data()
{
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("reason");
    QTest::newRow("nothing listening") << false << "Connection refused";
    QTest::newRow("no answer") << true << "Tempo esgotado aguardando o servidor de aplicação (200\u00A0ms).";
}

void TestNetConnection::openFails()
{
    QFETCH(bool, listening);
    QFETCH(QString, reason);
    settings_.set("Servidor/TimeoutMs", 200);
    const FaultyServer silent(FaultyServer::Silence::Everything);
    const quint16 port = listening ? silent.port() : deadPort();
    TNetConnection connection;
    aimAt(connection, port);
    // The clerk reads what to do; the network's reason goes to the log.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(reason)));
    QCOMPARE(
        messageOf([&] { connection.Open(); }),
        QStringLiteral("Não foi possível falar com o servidor de aplicação 127.0.0.1:%1. Verifique se ele "
                       "está em funcionamento e se o endereço nas configurações está certo.")
            .arg(port));
    QVERIFY(!connection.Connected());
}

void TestNetConnection::callOnClosedConnectionRaises()
{
    const QString notOpen = QStringLiteral("Conexão com o servidor de aplicação não está aberta.");
    TNetConnection connection;
    aimAt(connection, server_.port());
    QCOMPARE(messageOf([&] { reserve(connection); }), notOpen);
    connection.Open();
    connection.Close();
    QCOMPARE(messageOf([&] { reserve(connection); }), notOpen);
}

void TestNetConnection::serverErrorKeepsItsMessage()
{
    TNetConnection connection;
    aimAt(connection, server_.port());
    connection.Open();
    QCOMPARE(messageOf([&] { connection.AppServer().call("NaoExiste"); }),
             QStringLiteral("Método desconhecido: NaoExiste."));
    QVERIFY(!reserve(connection).isNull());
}

void TestNetConnection::stoppedServerRaisesOnNextCall()
{
    AppServerProcess server({}, Demo);
    server.start();
    TNetConnection connection;
    aimAt(connection, server.port());
    connection.Open();
    reserve(connection);
    server.stop();
    const QString message = messageOf([&] { reserve(connection); });
    QVERIFY2(message.startsWith(
                 QStringLiteral("A comunicação com o servidor de aplicação 127.0.0.1:%1 foi interrompida.")
                     .arg(server.port())),
             qPrintable(message));
}

void TestNetConnection::tokenIsSent_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("outcome");
    const QString refused =
        "O servidor de aplicação 127.0.0.1:%1 recusou o acesso: token inválido ou ausente.";
    QTest::newRow("right") << "s3cr3t-token-0001"
                           << "";
    QTest::newRow("wrong") << "other" << refused;
    QTest::newRow("none") << "" << refused;
}

void TestNetConnection::tokenIsSent()
{
    QFETCH(QString, token);
    QFETCH(QString, outcome);
    // No accounts: the shared token is what opens the calls, and no session of another server is sent.
    AppServerProcess server({}, QStringList{"--token", "s3cr3t-token-0001"});
    HostSession::instance().forget();
    server.start();
    settings_.useServer(server.port());
    settings_.set("Servidor/Token", token);
    TNetConnection connection;
    aimAt(connection, server.port());
    connection.Open();
    QCOMPARE(messageOf([&] { reserve(connection); }),
             outcome.isEmpty() ? "<nothing raised>" : outcome.arg(server.port()));
}

void TestNetConnection::argumentsTravelByKind()
{
    const FaultyServer recorder({}, 200,
                                R"({"jsonrpc":"2.0","id":%ID%,"result":{"refs":["77"],"value":null}})");
    TNetConnection connection;
    aimAt(connection, recorder.port());
    connection.Open();
    const DataPacket packet(R"({"rows" : [["a\"b", 1.50]]})");
    const QString text = QStringLiteral("Olá \"x\"\\\n\u0001");
    QString reference = QStringLiteral("1");
    connection.AppServer().call("Método",
                                {RemoteArg::string(text), RemoteArg::date(TDateTime::fromDate({2024, 2, 29})),
                                 RemoteArg::variant(packet), RemoteArg::stringRef(&reference)});
    QVERIFY2(recorder.lastCall().contains(packet.json()), "a packet goes out byte for byte");
    const QJsonObject request = QJsonDocument::fromJson(recorder.lastCall()).object();
    QCOMPARE(request.value("method").toString(), QStringLiteral("Método"));
    const QJsonArray expected{text, "2024-02-29", QJsonDocument::fromJson(packet.json()).object(), "1"};
    QCOMPARE(request.value("params").toArray(), expected);
    QCOMPARE(reference, QStringLiteral("77"));

    // Refs that do not match the by-reference arguments: refused, and the variables keep their values.
    QString other = QStringLiteral("2");
    QCOMPARE(messageOf([&] {
                 connection.AppServer().call(
                     "M", {RemoteArg::stringRef(&reference), RemoteArg::stringRef(&other)});
             }),
             QStringLiteral(
                 "Resposta malformada do servidor de aplicação: 1 valores por referência, esperados 2."));
    QCOMPARE(reference + other, QStringLiteral("772"));
    QCOMPARE(QJsonDocument::fromJson(recorder.lastCall()).object().value("id").toInteger(),
             request.value("id").toInteger() + 1);
}

// `outcome` is the result's JSON text or the message raised; %1 is the server's port.
void TestNetConnection::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("outcome");
    const QString malformed = QStringLiteral("Resposta malformada do servidor de aplicação: %1.");
    const QString mismatch =
        QStringLiteral("A resposta do servidor de aplicação não corresponde à chamada 1.");
    QTest::newRow("result as it came") << 200
                                       << QByteArray(R"({"result" : {"a" : [1, 2.50, "}"]} , "id":%ID%,)"
                                                     R"("jsonrpc":"2.0"})")
                                       << R"({"a" : [1, 2.50, "}"]})";
    QTest::newRow("error")
        << 200 << QByteArray(R"({"jsonrpc":"2.0","id":%ID%,"error":{"code":-32000,"message":"J\u00e1."}})")
        << "Já.";
    QTest::newRow("error without text")
        << 200 << QByteArray(R"({"jsonrpc":"2.0","id":%ID%,"error":{"code":-32000,"message":""}})")
        << malformed.arg("erro sem mensagem");
    QTest::newRow("another id") << 200 << QByteArray(R"({"jsonrpc":"2.0","id":9,"result":1})") << mismatch;
    QTest::newRow("not json") << 200 << QByteArray("hello") << malformed.arg("JSON inválido");
    QTest::newRow("no version") << 200 << QByteArray(R"({"id":%ID%,"result":1})")
                                << malformed.arg("não é JSON-RPC 2.0");
    QTest::newRow("no result") << 200 << QByteArray(R"({"jsonrpc":"2.0","id":%ID%})")
                               << malformed.arg("sem resultado");
    QTest::newRow("second value") << 200 << QByteArray(R"({"jsonrpc":"2.0","id":%ID%,"result":1}{})")
                                  << malformed.arg("conteúdo após a resposta");
    QTest::newRow("http 500") << 500 << QByteArray("oops")
                              << "O servidor de aplicação 127.0.0.1:%1 respondeu com o status HTTP 500.";
    QTest::newRow("no answer") << 0 << QByteArray()
                               << "O servidor de aplicação 127.0.0.1:%1 não respondeu a tempo (1\u00A0s).";
}

void TestNetConnection::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, outcome);
    const FaultyServer server(status ? FaultyServer::Silence::None : FaultyServer::Silence::Calls, status,
                              body);
    TNetConnection connection;
    aimAt(connection, server.port());
    connection.Open();
    settings_.set("Servidor/TimeoutMs", 300);
    const QString message = messageOf([&] {
        const RemoteValue result = connection.AppServer().call("M");
        throw Exception(QString::fromUtf8(result.raw()));
    });
    QCOMPARE(message, outcome.replace("%1", QString::number(server.port())));
}

// An answer whose first piece comes at once and the rest later is read partly before the wait's event
// loop runs and partly within it: read whole, and its connection kept for the next call.
void TestNetConnection::answersInPieces_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    const QByteArray body = R"({"jsonrpc":"2.0","id":%ID%,"result":{"n":[1,2,3]}})";
    const QByteArray head =
        "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
    const auto chunk = [](const QByteArray& data) {
        return QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n";
    };
    QTest::newRow("head, then the body") << QList<QByteArray>{head, body};
    QTest::newRow("the head in two, then the body in two")
        << QList<QByteArray>{head.left(10), head.mid(10) + body.left(20), body.mid(20)};
    QTest::newRow("chunks, one after another")
        << QList<QByteArray>{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunk(body.left(20)),
                             chunk(body.mid(20)), "0\r\n\r\n"};
}

void TestNetConnection::answersInPieces()
{
    QFETCH(QList<QByteArray>, pieces);
    const PausingServer server(pieces, 30);
    TNetConnection connection;
    aimAt(connection, server.port());
    connection.Open();
    // The result as the message raised, so that a failure shows what the clerk would read.
    for (int call = 1; call <= 2; ++call)
        QCOMPARE(messageOf([&] {
                     throw Exception(
                         QString::fromUtf8(connection.AppServer().call(QStringLiteral("M")).raw()));
                 }),
                 QStringLiteral(R"({"n":[1,2,3]})"));
}

// Whether the server may have applied a call whose answer did not come, and what the clerk reads: the
// whole wait over both tries, in seconds. %1 is the server's port.
void TestNetConnection::callsWhoseAnswerWasLost_data()
{
    QTest::addColumn<FaultyServer::Silence>("silence");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("mayHaveLanded");
    QTest::addColumn<QString>("message");
    const QString late =
        QStringLiteral("O servidor de aplicação 127.0.0.1:%1 não respondeu a tempo (%2\u00A0s).");
    QTest::newRow("no answer, 1 s a try")
        << FaultyServer::Silence::Calls << 200 << 1000 << true << late.arg("%1", "2");
    QTest::newRow("no answer, 1.5 s a try")
        << FaultyServer::Silence::Calls << 200 << 1500 << true << late.arg("%1", "3");
    QTest::newRow("hung up after reading the call")
        << FaultyServer::Silence::HangUp << 200 << 1000 << true
        << "A comunicação com o servidor de aplicação 127.0.0.1:%1 foi interrompida antes da resposta.";
    // status 0: the server is gone before the call, its port closed.
    QTest::newRow("nothing listening any more")
        << FaultyServer::Silence::None << 0 << 1000 << false
        << QStringLiteral(
               "A comunicação com o servidor de aplicação 127.0.0.1:%1 foi interrompida. Verifique se "
               "ele continua em funcionamento e tente de novo.");
    QTest::newRow("http 500") << FaultyServer::Silence::None << 500 << 1000 << false
                              << QStringLiteral("O servidor de aplicação 127.0.0.1:%1 respondeu com o status "
                                                "HTTP 500.");
}

void TestNetConnection::callsWhoseAnswerWasLost()
{
    QFETCH(FaultyServer::Silence, silence);
    QFETCH(int, status);
    QFETCH(int, timeoutMs);
    QFETCH(bool, mayHaveLanded);
    QFETCH(QString, message);
    std::optional<FaultyServer> server(std::in_place, silence, status, "{}");
    const quint16 port = server->port();
    TNetConnection connection;
    aimAt(connection, port);
    connection.Open();
    if (status == 0)
        server.reset();
    settings_.set("Servidor/TimeoutMs", timeoutMs);
    bool unsure = false;
    const QString raised = messageOf([&] {
        try {
            reserve(connection);
        } catch (const ECallOutcomeUnknown&) {
            unsure = true;
            throw;
        }
    });
    QCOMPARE(raised, message.arg(port));
    QCOMPARE(unsure, mayHaveLanded);
}

// Heads the real server never sends; %1 is the stand-in's port, %2 the real server's.
void TestNetConnection::answersThatAreNotTaken_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("outcome");
    // Followed, the call and its token would reach the server named in Location, and be answered.
    const QByteArray redirect = "HTTP/1.1 307 X\r\nLocation: http://127.0.0.1:%2/Med00418.rdmMediEfeti\r\n"
                                "Content-Length: 0\r\n\r\n";
    QTest::newRow("redirect elsewhere")
        << redirect
        << QStringLiteral("O servidor de aplicação 127.0.0.1:%1 respondeu com o status HTTP 307.");
    // Refused from its head: the client neither waits for nor holds the bytes announced.
    const QByteArray huge = "HTTP/1.1 200 X\r\nContent-Length: 67108865\r\n\r\n";
    QTest::newRow("length over the cap")
        << huge
        << QStringLiteral("A resposta do servidor de aplicação 127.0.0.1:%1 "
                          "passou de 64 MiB e foi recusada. Avise o suporte.");
}

void TestNetConnection::answersThatAreNotTaken()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, outcome);
    const FaultyServer server(FaultyServer::Silence::None, 200, "{",
                              head.replace("%2", QByteArray::number(server_.port())));
    TNetConnection connection;
    aimAt(connection, server.port());
    connection.Open();
    settings_.set("Servidor/TimeoutMs", 2000);
    const QString message = messageOf([&] {
        connection.AppServer().call(QStringLiteral("GetPrxRelApurFat"), {RemoteArg::string("0001")});
    });
    QCOMPARE(message, outcome.arg(server.port()));
}

void TestNetConnection::endlessAnswersAreNotHeld_data()
{
    QTest::addColumn<EndlessAnswerServer::Framing>("framing");
    QTest::newRow("chunks without end") << EndlessAnswerServer::Framing::Chunked;
    QTest::newRow("body running to a close that never comes") << EndlessAnswerServer::Framing::UntilClose;
}

// The cap holds where the bytes are kept, however fast they come: the host never holds much more than
// the 64 MiB it takes from one answer.
void TestNetConnection::endlessAnswersAreNotHeld()
{
    QFETCH(EndlessAnswerServer::Framing, framing);
    const EndlessAnswerServer server(framing);
    TNetConnection connection;
    aimAt(connection, server.port());
    connection.Open();
    settings_.set("Servidor/TimeoutMs", 120000);
    const qint64 pid = QCoreApplication::applicationPid();
    if (!restartPeakMemory())
        QSKIP("this system does not let a process start its peak memory over");
    const qint64 before = ProcessMemory::residentKiB(pid);
    QCOMPARE(
        messageOf([&] { reserve(connection); }),
        QStringLiteral("A resposta do servidor de aplicação 127.0.0.1:%1 passou de 64 MiB e foi recusada. "
                       "Avise o suporte.")
            .arg(server.port()));
    const qint64 grownKiB = ProcessMemory::peakKiB(pid) - before;
    QVERIFY2(grownKiB < 3 * 64 * 1024 + AllocatorSlackKiB,
             qPrintable(QStringLiteral("grew by %1 KiB").arg(grownKiB)));
}

// `error` is the message a stand-in server answers with; empty: the real server answers.
void TestNetConnection::everyCallIsLogged_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("outcome");
    const QString longText(1000, QLatin1Char('x'));
    QTest::newRow("answered") << "GetPrxRelApurFat" << QString() << "ok";
    QTest::newRow("refused by the server")
        << "NaoExiste" << QString() << QStringLiteral("failed: Método desconhecido: NaoExiste.");
    QTest::newRow("error over lines") << "M"
                                      << "linha 1\\nlinha 2"
                                      << "failed: linha 1 linha 2";
    QTest::newRow("long error") << "M" << longText << QStringLiteral("failed: %1…").arg(longText.left(300));
}

void TestNetConnection::everyCallIsLogged()
{
    QFETCH(QString, method);
    QFETCH(QString, error);
    QFETCH(QString, outcome);
    const QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
    std::optional<FaultyServer> standIn;
    if (!error.isEmpty())
        standIn.emplace(FaultyServer::Silence::None, 200,
                        R"({"jsonrpc":"2.0","id":%ID%,"error":{"code":-32000,"message":")" + error.toUtf8() +
                            R"("}})");
    TNetConnection connection;
    aimAt(connection, standIn ? standIn->port() : server_.port());
    connection.Open();
    // Signed in before the log opens: only the call itself is counted.
    if (!standIn)
        reserve(connection);
    const QDateTime before = QDateTime::currentDateTime();
    QElapsedTimer timer;
    {
        const HostLog log;
        QVERIFY(log.isOpen());
        timer.start();
        messageOf([&] { connection.AppServer().call(method, {RemoteArg::string("0001")}); });
    }
    const qint64 elapsed = timer.elapsed();
    const QDateTime after = QDateTime::currentDateTime();

    QDirIterator found(data.path(), {QStringLiteral("host.log")}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY(found.hasNext());
    QFile file(found.next());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    static const QRegularExpression shape(
        QStringLiteral(R"(^(\S+) med\.host\.call \w+: call (\S+) (\d+) ms: (.*)$)"));
    const QRegularExpressionMatch line = shape.match(lines.constFirst());
    QVERIFY2(line.hasMatch(), qPrintable(lines.constFirst()));
    const QDateTime when = QDateTime::fromString(line.captured(1), Qt::ISODateWithMs);
    QVERIFY2(when.isValid() && when >= before.addMSecs(-1) && when <= after, qPrintable(line.captured(1)));
    QCOMPARE(line.captured(2), method);
    QVERIFY(line.captured(3).toLongLong() <= elapsed);
    QCOMPARE(line.captured(4), outcome);
}

// Each call reads the token and timeout as the settings file holds them when it starts. Tokens: "" no
// file, "wrong" one the server refuses, "right" its own.
void TestNetConnection::settingsChangedAreTakenByTheNextCall_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("set by QSettings") << "QSettings"
                                      << "wrong"
                                      << "right";
    QTest::newRow("rewritten in place") << "in place"
                                        << "wrong"
                                        << "right";
    QTest::newRow("created after the connection opened") << "in place"
                                                         << ""
                                                         << "right";
    QTest::newRow("removed") << "in place"
                             << "right"
                             << "";
}

void TestNetConnection::settingsChangedAreTakenByTheNextCall()
{
    QFETCH(QString, how);
    QFETCH(QString, before);
    QFETCH(QString, after);
    if (tokenServer_.port() == 0)
        tokenServer_.start();
    HostSession::instance().forget();
    const auto tokenOf = [](const QString& name) {
        return name == QLatin1String("right") ? QString::fromLatin1(SharedToken) : name;
    };
    putToken(settings_.path(), how, tokenOf(before));
    TNetConnection connection;
    aimAt(connection, tokenServer_.port());
    connection.Open();
    const QString refused = QStringLiteral("O servidor de aplicação 127.0.0.1:%1 recusou o acesso: token "
                                           "inválido ou ausente.")
                                .arg(tokenServer_.port());
    const auto outcomeWith = [&](const QString& name) {
        return name == QLatin1String("right") ? QStringLiteral("<nothing raised>") : refused;
    };
    QCOMPARE(messageOf([&] { reserve(connection); }), outcomeWith(before));
    putToken(settings_.path(), how, tokenOf(after));
    QCOMPARE(messageOf([&] { reserve(connection); }), outcomeWith(after));
}

// Reservations are writes: the server answers a request id it has seen with its first outcome. Each
// reservation draws its own number only when no two calls, of one host or of two, share an id.
void TestNetConnection::writesOfEveryHostAreTheirOwn_data()
{
    QTest::addColumn<bool>("otherHost");
    QTest::addColumn<bool>("reopened");
    QTest::newRow("one host, one call after the other") << false << false;
    QTest::newRow("two hosts, each its first call") << true << false;
    QTest::newRow("one host, its connection opened again") << false << true;
}

void TestNetConnection::writesOfEveryHostAreTheirOwn()
{
    QFETCH(bool, otherHost);
    QFETCH(bool, reopened);
    TNetConnection first;
    TNetConnection second;
    aimAt(first, server_.port());
    aimAt(second, server_.port());
    first.Open();
    second.Open();
    const QString drawn = reserve(first).toString();
    if (reopened) {
        first.Close();
        first.Open();
    }
    const QString next = reserve(otherHost ? second : first).toString();
    QVERIFY(!drawn.isEmpty());
    QVERIFY2(next != drawn, qPrintable(next));
}

QTEST_GUILESS_MAIN(TestNetConnection)
#include "tst_netconnection.moc"
