// Requests no well-behaved screen sends: each gets its JSON-RPC error, nothing is stored, and the
// server goes on serving.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "RpcClient.h"

#include <QtTest>
#include <memory>

using namespace EfetGestLines;

namespace {

QByteArray request(const QByteArray& method, const QByteArray& params)
{
    return R"({"jsonrpc":"2.0","id":7,"method":")" + method + R"(","params":)" + params + "}";
}

// A change set naming a column the record set does not have, in place of one it has.
QByteArray withForeignColumn(QByteArray changeSet)
{
    return changeSet.replace(R"("name":"NMSERVICO")", R"("name":"USR_SENHA")");
}

} // namespace

class AppServerBadInputTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void refusedWithItsError_data();
    void refusedWithItsError();
    void messageNamesTheArgument_data();
    void messageNamesTheArgument();
    void datesWithMidnightAreAccepted_data();
    void datesWithMidnightAreAccepted();
    void quotesInCodesAreStoredLiterally();
    void changeSetWithForeignColumnIsRefused();

private:
    void checkStillServing();

    std::unique_ptr<AppServerProcess> server_;
    std::unique_ptr<RpcClient> client_;
    QDate date_;
};

void AppServerBadInputTest::initTestCase()
{
    server_ = std::make_unique<AppServerProcess>();
    server_->start();
    client_ = std::make_unique<RpcClient>(QStringLiteral("127.0.0.1"), server_->port());
    date_ = freshDate();
    BackendFixture sqlite(BackendFixture::Kind::Sqlite);
    sqlite.addServices(server_->database(), QStringLiteral("0001"),
                       {{QStringLiteral("00001"), QStringLiteral("Vigilância")},
                        {QStringLiteral("00003"), QStringLiteral("Portaria")},
                        {QStringLiteral("00009"), QStringLiteral("Jardinagem")}});
    sqlite.addServices(server_->database(), QStringLiteral("0'1"),
                       {{QStringLiteral("1';--"), QStringLiteral("Aspas")},
                        {QStringLiteral("a\"b;"), QStringLiteral("Aspas duplas")}});
    QVERIFY(save(*client_, {inserted(line(QStringLiteral("0001"), date_, QStringLiteral("00001"),
                                          QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2")))})
                .ok());
}

void AppServerBadInputTest::cleanupTestCase()
{
    client_.reset();
    QCOMPARE(server_->stop(), 0);
    server_.reset();
}

void AppServerBadInputTest::checkStillServing()
{
    const QList<Record> lines = read(*client_, QStringLiteral("0001"), date_);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(staff(lines[0]).toString(), QStringLiteral("1"));
}

void AppServerBadInputTest::refusedWithItsError_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");

    QTest::newRow("not JSON") << QByteArray("{\"jsonrpc\":\"2.0\",") << -32700;
    QTest::newRow("trailing garbage") << request("getEfetGest", R"(["0001","2031-01-02"])") + "x" << -32700;
    QTest::newRow("bare word") << QByteArray("tru") << -32700;
    QTest::newRow("empty body") << QByteArray() << -32700;
    QTest::newRow("array: batch") << "[" + request("getEfetGest", R"(["0001","2031-01-02"])") + "]" << -32600;
    QTest::newRow("string") << QByteArray(R"("hello")") << -32600;
    QTest::newRow("jsonrpc 1.0") << QByteArray(
                                        R"({"jsonrpc":"1.0","id":1,"method":"getEfetGest","params":[]})")
                                 << -32600;
    QTest::newRow("no jsonrpc") << QByteArray(R"({"id":1,"method":"getEfetGest","params":[]})") << -32600;
    QTest::newRow("no method") << QByteArray(R"({"jsonrpc":"2.0","id":1,"params":[]})") << -32600;
    QTest::newRow("method a number") << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":5,"params":[]})")
                                     << -32600;
    QTest::newRow("no params") << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"getEfetGest"})") << -32600;
    QTest::newRow("named params") << request("getEfetGest", R"({"filial":"0001"})") << -32600;
    QTest::newRow("id an object") << QByteArray(R"({"jsonrpc":"2.0","id":{},"method":"x","params":[]})")
                                  << -32600;
    QTest::newRow("unknown method") << request("apagaTudo", "[]") << -32601;
    QTest::newRow("method in other case") << request("geteFetGest", R"(["0001","2031-01-02"])") << -32601;
    QTest::newRow("too few") << request("getEfetGest", R"(["0001"])") << -32602;
    QTest::newRow("too many") << request("GetPrxRelApurFat", R"(["","x"])") << -32602;
    QTest::newRow("branch a number") << request("getEfetGest", R"([1,"2031-01-02"])") << -32602;
    QTest::newRow("date null") << request("getEfetGest", R"(["0001",null])") << -32602;
    QTest::newRow("branch too long") << request("getEfetGest", R"(["00001","2031-01-02"])") << -32602;
    QTest::newRow("branch empty") << request("getEfetGest", R"(["","2031-01-02"])") << -32602;
    QTest::newRow("reservation branch too long") << request("GetPrxRelApurFat", R"(["00001"])") << -32602;
    QTest::newRow("service too long")
        << request("GetVerifServ", R"(["0001","2031-01-02","000001"])") << -32602;
    QTest::newRow("services empty") << request("GetVerifServs", R"(["0001","2031-01-02",""])") << -32602;
    QTest::newRow("services with an empty code")
        << request("GetVerifServs", R"(["0001","2031-01-02","00001,,00002"])") << -32602;
    QTest::newRow("services ending in a comma")
        << request("GetVerifServs", R"(["0001","2031-01-02","00001,"])") << -32602;
    QTest::newRow("services with a code too long")
        << request("GetVerifServs", R"(["0001","2031-01-02","00001,000002"])") << -32602;
    QTest::newRow("services: 1,001 codes")
        << request("GetVerifServs", "[\"0001\",\"2031-01-02\",\"" + QByteArray("1,").repeated(1000) + "1\"]")
        << -32602;
    QTest::newRow("services: a text over the bound")
        << request("GetVerifServs", "[\"0001\",\"2031-01-02\",\"" + QByteArray(6001, '1') + "\"]") << -32602;
    QTest::newRow("services a list") << request("GetVerifServs", R"(["0001","2031-01-02",["00001"]])")
                                     << -32602;
    QTest::newRow("services without a branch")
        << request("GetVerifServs", R"(["","2031-01-02","00001"])") << -32602;
    QTest::newRow("branch with quote and comment")
        << request("getEfetGest", R"(["1';--","2031-01-02"])") << -32602;
    QTest::newRow("no such day") << request("getEfetGest", R"(["0001","2031-02-30"])") << -32602;
    QTest::newRow("date unpadded") << request("getEfetGest", R"(["0001","2031-1-5"])") << -32602;
    QTest::newRow("date as typed") << request("getEfetGest", R"(["0001","05/01/2031"])") << -32602;
    QTest::newRow("date with a time")
        << request("getEfetGest", R"(["0001","2031-01-05T10:30:00"])") << -32602;
    QTest::newRow("change set a string") << request("setEfetGest", R"(["{}"])") << -32602;
    QTest::newRow("change set empty object") << request("setEfetGest", R"([{}])") << -32602;
    QTest::newRow("reservation a number") << request("SetDelTableApur", "[12]") << -32602;
    QTest::newRow("import bad date") << request("Importa", R"(["0001","2031-13-01","1"])") << -32602;

    const auto saving = [&](const QList<Change>& changes) {
        return request("setEfetGest", "[" + changeSet(changes) + "]");
    };
    const QDate date = date_.addDays(1);
    QTest::newRow("insert without service")
        << saving({inserted(line(QStringLiteral("0001"), date, QString(), QStringLiteral("1"), {}, {}))})
        << -32602;
    QTest::newRow("insert with empty branch")
        << saving({inserted(line(QString(""), date, QStringLiteral("00001"), QStringLiteral("1"), {}, {}))})
        << -32602;
    QByteArray tooMany = changeSet(
        {inserted(line(QStringLiteral("0001"), date, QStringLiteral("00003"), QStringLiteral("1"), {}, {}))});
    QTest::newRow("staff beyond precision")
        << request("setEfetGest", "[" + tooMany.replace(R"("1")", R"("12345678")") + "]") << -32602;
    QByteArray notNumber = changeSet(
        {inserted(line(QStringLiteral("0001"), date, QStringLiteral("00003"), QStringLiteral("1"), {}, {}))});
    QTest::newRow("staff not a number")
        << request("setEfetGest", "[" + notNumber.replace(R"("1")", R"("um")") + "]") << -32602;
}

void AppServerBadInputTest::refusedWithItsError()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    const RpcClient::Reply reply = client_->post(body);
    QCOMPARE(reply.httpStatus, 200);
    QCOMPARE(reply.errorCode, code);
    QVERIFY(!reply.errorMessage.isEmpty());
    QVERIFY2(reply.resultJson.isEmpty(), reply.body);
    QCOMPARE(read(*client_, QStringLiteral("0001"), date_.addDays(1)).size(), 0);
    checkStillServing();
}

void AppServerBadInputTest::messageNamesTheArgument_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("name");
    QTest::newRow("change set") << request("setEfetGest", R"(["{}"])") << QStringLiteral("alterações");
    QTest::newRow("service") << request("GetVerifServ", R"(["0001","2031-01-02","000001"])")
                             << QStringLiteral("serviço");
    QTest::newRow("services") << request("GetVerifServs", R"(["0001","2031-01-02","00001,"])")
                              << QStringLiteral("serviços");
    QTest::newRow("request") << QByteArray(R"({"jsonrpc":"2.0","id":1,"params":[]})")
                             << QStringLiteral("não é texto");
}

void AppServerBadInputTest::messageNamesTheArgument()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, name);
    const RpcClient::Reply reply = client_->post(body);
    QVERIFY2(reply.errorMessage.contains(name), qPrintable(reply.errorMessage));
}

void AppServerBadInputTest::datesWithMidnightAreAccepted_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("date alone") << "";
    QTest::newRow("midnight") << "T00:00:00";
    QTest::newRow("midnight with milliseconds") << "T00:00:00.000";
}

void AppServerBadInputTest::datesWithMidnightAreAccepted()
{
    QFETCH(QString, suffix);
    const RpcClient::Reply reply =
        client_->call(QStringLiteral("getEfetGest"), {RpcClient::str(QStringLiteral("0001")),
                                                      RpcClient::str(date_.toString(Qt::ISODate) + suffix)});
    QVERIFY2(reply.ok(), reply.body);
    QCOMPARE(decode(reply.resultJson).size(), 1);
}

void AppServerBadInputTest::quotesInCodesAreStoredLiterally()
{
    const QString branch = QStringLiteral("0'1");
    const QDate date = date_;
    const QString service = QStringLiteral("1';--");
    const RpcClient::Reply saved = save(
        *client_,
        {inserted(line(branch, date, service, QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("6"))),
         inserted(line(branch, date, QStringLiteral("a\"b;"), QStringLiteral("3"), QStringLiteral("2"),
                       QStringLiteral("6")))});
    QVERIFY2(saved.ok(), saved.body);
    const QList<Record> lines = read(*client_, branch, date);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(EfetGestLines::service(lines[0]), service);
    QCOMPARE(EfetGestLines::service(lines[1]), QStringLiteral("a\"b;"));
    const RpcClient::Reply found = client_->call(
        QStringLiteral("GetVerifServ"),
        {RpcClient::str(branch), RpcClient::str(date.toString(Qt::ISODate)), RpcClient::str(service)});
    QCOMPARE(RpcClient::member(found.resultJson, "rows"), QByteArray(R"([["1';--"]])"));
    QCOMPARE(read(*client_, QStringLiteral("0"), date).size(), 0);
    checkStillServing();
}

void AppServerBadInputTest::changeSetWithForeignColumnIsRefused()
{
    const QByteArray changes = withForeignColumn(changeSet({inserted(
        line(QStringLiteral("0001"), date_, QStringLiteral("00009"), QStringLiteral("1"), {}, {}))}));
    const RpcClient::Reply reply = client_->post(request("setEfetGest", "[" + changes + "]"));
    QCOMPARE(reply.errorCode, -32602);
    QCOMPARE(read(*client_, QStringLiteral("0001"), date_).size(), 1);
}

QTEST_GUILESS_MAIN(AppServerBadInputTest)

#include "tst_appserver_badinput.moc"
