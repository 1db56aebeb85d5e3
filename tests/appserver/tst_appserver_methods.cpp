// The six remote methods against the real server process, on SQLite and then on PostgreSQL.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "EfetGestRecordSet.h"
#include "RpcClient.h"
#include "TClientDataSet.h"
#include "TField.h"

#include <QJsonArray>
#include <QThread>
#include <QtTest>
#include <memory>

using namespace EfetGestLines;

namespace {

const QString Duplicate = QStringLiteral("Efetivos para faturamento já cadastrado.");
const QString ChangedMeanwhile =
    QStringLiteral("O registro foi alterado ou excluído por outro usuário. Atualize a lista.");

QByteArray iso(QDate date)
{
    return RpcClient::str(date.toString(Qt::ISODate));
}

QStringList services(const QList<Record>& lines)
{
    QStringList out;
    for (const Record& l : lines)
        out << service(l);
    return out;
}

} // namespace

class AppServerMethodsTest : public QObject {
    Q_OBJECT

public:
    explicit AppServerMethodsTest(BackendFixture::Kind kind) : backend_(kind) {}

private slots:
    void initTestCase();
    void cleanupTestCase();

    void reservationNumbersAreNewEachTime();
    void savedLinesComeBackExactAndOrdered();
    void verifServFindsOnlyThatKey();
    void clientDataSetEditsRoundTrip();
    void modifyOfLineChangedByOtherIsRefused();
    void deleteOfLineAlreadyDeletedIsRefused();
    void duplicateInsertIsRefused();
    void importAddsOnlyMissingServices();
    void importTotalsRoundHalfToEven_data();
    void importTotalsRoundHalfToEven();
    void importRenewsUnknownReservation_data();
    void importRenewsUnknownReservation();
    void releaseIsIdempotentAndLeavesOthersAlone();
    void reservationsExpire();

private:
    QString reserve();
    RpcClient::Reply importa(const QString& branch, QDate date, const QString& reservation);

    BackendFixture backend_;
    QString database_;
    std::unique_ptr<AppServerProcess> server_;
    std::unique_ptr<RpcClient> client_;
};

void AppServerMethodsTest::initTestCase()
{
    QString reason;
    if (!backend_.available(&reason))
        QSKIP(qPrintable(reason));
    qInfo() << "backend:" << backend_.name();
    database_ = backend_.newDatabase();
    server_ = std::make_unique<AppServerProcess>(database_);
    server_->start();
    client_ = std::make_unique<RpcClient>(QStringLiteral("127.0.0.1"), server_->port());
    backend_.addService(database_, QStringLiteral("0001"), QStringLiteral("00001"),
                        QStringLiteral("Vigilância"));
    backend_.addService(database_, QStringLiteral("0001"), QStringLiteral("00002"),
                        QStringLiteral("Limpeza e Conservação"));
}

void AppServerMethodsTest::cleanupTestCase()
{
    client_.reset();
    if (server_)
        QCOMPARE(server_->stop(), 0);
    server_.reset();
}

QString AppServerMethodsTest::reserve()
{
    const RpcClient::Reply reply =
        client_->call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(QString())});
    if (!reply.ok())
        throw std::runtime_error(reply.body.toStdString());
    return reply.resultString();
}

RpcClient::Reply AppServerMethodsTest::importa(const QString& branch, QDate date, const QString& reservation)
{
    return client_->call(QStringLiteral("Importa"),
                         {RpcClient::str(branch), iso(date), RpcClient::str(reservation)});
}

void AppServerMethodsTest::reservationNumbersAreNewEachTime()
{
    const qint64 first = reserve().toLongLong();
    const RpcClient::Reply withBranch =
        client_->call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(QStringLiteral("0001"))});
    QVERIFY2(withBranch.ok(), withBranch.body);
    QVERIFY(first > 0);
    QVERIFY(withBranch.resultString().toLongLong() > first);
}

void AppServerMethodsTest::savedLinesComeBackExactAndOrdered()
{
    const QDate date = freshDate();
    const QString branch = QStringLiteral("0001");
    // Fifteen significant digits: a trip through double would change them.
    const RpcClient::Reply saved =
        save(*client_, {inserted(line(branch, date, QStringLiteral("00002"), QStringLiteral("1234567.891"),
                                      QStringLiteral("9876543210987.65"), QStringLiteral("0.01"))),
                        inserted(line(branch, date, QStringLiteral("00001"), QStringLiteral("0.001"),
                                      QStringLiteral("0.1"), QString()))});
    QVERIFY2(saved.ok(), saved.body);
    QCOMPARE(saved.resultObject().value(QStringLiteral("applied")).toInt(), 2);

    const QList<Record> lines = read(*client_, branch, date);
    QCOMPARE(services(lines), (QStringList{QStringLiteral("00001"), QStringLiteral("00002")}));
    QCOMPARE(staff(lines[1]).toString(), QStringLiteral("1234567.891"));
    QCOMPARE(unitPrice(lines[1]).toString(), QStringLiteral("9876543210987.65"));
    QCOMPARE(total(lines[1]).toString(), QStringLiteral("0.01"));
    QVERIFY(lines[0][5].isNull());
    QCOMPARE(serviceName(lines[0]), QStringLiteral("Vigilância"));
    QCOMPARE(serviceName(lines[1]), QStringLiteral("Limpeza e Conservação"));
    QCOMPARE(read(*client_, QStringLiteral("0002"), date).size(), 0);
}

void AppServerMethodsTest::verifServFindsOnlyThatKey()
{
    const QDate date = freshDate();
    QVERIFY(save(*client_, {inserted(line(QStringLiteral("0003"), date, QStringLiteral("00007"),
                                          QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")))})
                .ok());
    const auto verify = [&](const QString& branch, QDate day, const QString& service) {
        const RpcClient::Reply reply = client_->call(
            QStringLiteral("GetVerifServ"), {RpcClient::str(branch), iso(day), RpcClient::str(service)});
        return RpcClient::member(reply.resultJson, "rows");
    };
    QCOMPARE(verify(QStringLiteral("0003"), date, QStringLiteral("00007")), QByteArray(R"([["00007"]])"));
    QCOMPARE(verify(QStringLiteral("0003"), date, QStringLiteral("00008")), QByteArray("[]"));
    QCOMPARE(verify(QStringLiteral("0004"), date, QStringLiteral("00007")), QByteArray("[]"));
    QCOMPARE(verify(QStringLiteral("0003"), date.addDays(1), QStringLiteral("00007")), QByteArray("[]"));
}

void AppServerMethodsTest::clientDataSetEditsRoundTrip()
{
    const QDate date = freshDate();
    const QString branch = QStringLiteral("0001");
    QVERIFY(save(*client_, {inserted(line(branch, date, QStringLiteral("00001"), QStringLiteral("2"),
                                          QStringLiteral("10"), QStringLiteral("20"))),
                            inserted(line(branch, date, QStringLiteral("00002"), QStringLiteral("3"),
                                          QStringLiteral("5"), QStringLiteral("15")))})
                .ok());
    const RpcClient::Reply packet =
        client_->call(QStringLiteral("getEfetGest"), {RpcClient::str(branch), iso(date)});
    QObject owner;
    TClientDataSet* cds = EfetGestRecordSet::create(&owner).cdsEfetGest;
    cds->SetData(DataPacket(packet.resultJson));
    QCOMPARE(cds->RecordCount(), 2);
    cds->First();
    cds->Edit();
    cds->FieldByName(u"USR_QTEFETGEST")->SetAsCurrency(Currency::parse(u"2.125"));
    cds->FieldByName(u"USR_VRTTSERVGEST")->SetAsCurrency(Currency::parse(u"21.25"));
    cds->Post();
    cds->Next();
    cds->Delete();

    const RpcClient::Reply saved = client_->call(QStringLiteral("setEfetGest"), {cds->Delta().json()});
    QVERIFY2(saved.ok(), saved.body);
    QCOMPARE(saved.resultObject().value(QStringLiteral("applied")).toInt(), 2);
    const QList<Record> lines = read(*client_, branch, date);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(staff(lines[0]).toString(), QStringLiteral("2.125"));
    QCOMPARE(total(lines[0]).toString(), QStringLiteral("21.25"));
    QCOMPARE(unitPrice(lines[0]).toString(), QStringLiteral("10"));
}

void AppServerMethodsTest::modifyOfLineChangedByOtherIsRefused()
{
    const QDate date = freshDate();
    const QString branch = QStringLiteral("0002");
    QVERIFY(save(*client_, {inserted(line(branch, date, QStringLiteral("00001"), QStringLiteral("1"),
                                          QStringLiteral("10"), QStringLiteral("10")))})
                .ok());
    const Record seen = read(*client_, branch, date).first();
    const Record mine = line(branch, date, QStringLiteral("00001"), QStringLiteral("4"), QStringLiteral("10"),
                             QStringLiteral("40"));
    QVERIFY(save(*client_, {modified(seen, mine)}).ok());

    // The other client still holds the line as it was, and also adds a line in the same save.
    const Record theirs = line(branch, date, QStringLiteral("00001"), QStringLiteral("1"),
                               QStringLiteral("12"), QStringLiteral("12"));
    const Record extra = line(branch, date, QStringLiteral("00002"), QStringLiteral("1"), QStringLiteral("1"),
                              QStringLiteral("1"));
    const RpcClient::Reply refused = save(*client_, {inserted(extra), modified(seen, theirs)});
    QCOMPARE(refused.errorCode, -32000);
    QCOMPARE(refused.errorMessage, ChangedMeanwhile);

    const QList<Record> lines = read(*client_, branch, date);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(staff(lines[0]).toString(), QStringLiteral("4"));
    QCOMPARE(unitPrice(lines[0]).toString(), QStringLiteral("10"));
}

void AppServerMethodsTest::deleteOfLineAlreadyDeletedIsRefused()
{
    const QDate date = freshDate();
    const QString branch = QStringLiteral("0002");
    const Record a = line(branch, date, QStringLiteral("00001"), QStringLiteral("1"), QStringLiteral("2"),
                          QStringLiteral("2"));
    const Record b = line(branch, date, QStringLiteral("00002"), QStringLiteral("1"), QStringLiteral("3"),
                          QStringLiteral("3"));
    QVERIFY(save(*client_, {inserted(a), inserted(b)}).ok());
    QVERIFY(save(*client_, {deleted(a)}).ok());

    const Record bChanged = line(branch, date, QStringLiteral("00002"), QStringLiteral("9"),
                                 QStringLiteral("3"), QStringLiteral("27"));
    const RpcClient::Reply refused = save(*client_, {modified(b, bChanged), deleted(a)});
    QCOMPARE(refused.errorCode, -32000);
    QCOMPARE(refused.errorMessage, ChangedMeanwhile);
    const QList<Record> lines = read(*client_, branch, date);
    QCOMPARE(services(lines), QStringList{QStringLiteral("00002")});
    QCOMPARE(staff(lines[0]).toString(), QStringLiteral("1"));
}

void AppServerMethodsTest::duplicateInsertIsRefused()
{
    const QDate date = freshDate();
    const QString branch = QStringLiteral("0001");
    QVERIFY(save(*client_, {inserted(line(branch, date, QStringLiteral("00001"), QStringLiteral("1"),
                                          QStringLiteral("1"), QStringLiteral("1")))})
                .ok());
    const RpcClient::Reply refused =
        save(*client_, {inserted(line(branch, date, QStringLiteral("00002"), QStringLiteral("2"),
                                      QStringLiteral("2"), QStringLiteral("4"))),
                        inserted(line(branch, date, QStringLiteral("00001"), QStringLiteral("5"),
                                      QStringLiteral("5"), QStringLiteral("25")))});
    QCOMPARE(refused.errorCode, -32000);
    QCOMPARE(refused.errorMessage, Duplicate);
    const QList<Record> lines = read(*client_, branch, date);
    QCOMPARE(services(lines), QStringList{QStringLiteral("00001")});
    QCOMPARE(staff(lines[0]).toString(), QStringLiteral("1"));
}

void AppServerMethodsTest::importAddsOnlyMissingServices()
{
    const QDate date = freshDate();
    const QString branch = QStringLiteral("0004");
    for (const QString& s : {QStringLiteral("00001"), QStringLiteral("00002"), QStringLiteral("00003")})
        backend_.addBilling(database_, branch, date, s, Currency::parse(u"2"), Currency::parse(u"100.5"));
    backend_.addBilling(database_, branch, date.addDays(1), QStringLiteral("00004"), Currency::parse(u"1"),
                        Currency::parse(u"1"));
    QVERIFY(save(*client_, {inserted(line(branch, date, QStringLiteral("00002"), QStringLiteral("7"),
                                          QStringLiteral("3"), QStringLiteral("21")))})
                .ok());

    const QString reservation = reserve();
    const RpcClient::Reply reply = importa(branch, date, reservation);
    QVERIFY2(reply.ok(), reply.body);
    const QJsonObject result = reply.resultObject();
    QCOMPARE(result.value(QStringLiteral("refs")).toArray(), QJsonArray{reservation});
    const QByteArray value = RpcClient::member(reply.resultJson, "value");
    QCOMPARE(RpcClient::member(value, "ok"), QByteArray("true"));
    const QList<Record> payload = decode(RpcClient::member(value, "payload"));
    QCOMPARE(services(payload),
             (QStringList{QStringLiteral("00001"), QStringLiteral("00002"), QStringLiteral("00003")}));
    QCOMPARE(staff(payload[1]).toString(), QStringLiteral("7"));
    QCOMPARE(total(payload[1]).toString(), QStringLiteral("21"));
    QCOMPARE(total(payload[0]).toString(), QStringLiteral("201"));
    QCOMPARE(backend_.workRows(database_, reservation.toLongLong()), 3);

    // A second import finds nothing missing and changes nothing.
    const RpcClient::Reply again = importa(branch, date, reservation);
    QCOMPARE(decode(RpcClient::member(RpcClient::member(again.resultJson, "value"), "payload")), payload);
    QCOMPARE(read(*client_, branch, date), payload);
}

void AppServerMethodsTest::importTotalsRoundHalfToEven_data()
{
    QTest::addColumn<QString>("staff");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("total");
    QTest::newRow("exact") << "3"
                           << "1234.56"
                           << "3703.68";
    QTest::newRow("half, even below") << "2.5"
                                      << "10.01"
                                      << "25.02";
    QTest::newRow("half, even above") << "1.5"
                                      << "10.05"
                                      << "15.08";
    QTest::newRow("below half") << "0.333"
                                << "0.15"
                                << "0.05";
    QTest::newRow("large, beyond double") << "999999.999"
                                          << "9999999.99"
                                          << "9999999980000";
}

void AppServerMethodsTest::importTotalsRoundHalfToEven()
{
    QFETCH(QString, staff);
    QFETCH(QString, price);
    QFETCH(QString, total);
    const QDate date = freshDate();
    backend_.addBilling(database_, QStringLiteral("0003"), date, QStringLiteral("00009"),
                        Currency::parse(staff), Currency::parse(price));
    QVERIFY(importa(QStringLiteral("0003"), date, reserve()).ok());
    const QList<Record> lines = read(*client_, QStringLiteral("0003"), date);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(EfetGestLines::staff(lines[0]).toString(), staff);
    QCOMPARE(unitPrice(lines[0]).toString(), price);
    QCOMPARE(EfetGestLines::total(lines[0]).toString(), total);
}

void AppServerMethodsTest::importRenewsUnknownReservation_data()
{
    QTest::addColumn<QString>("reservation");
    QTest::newRow("empty") << "";
    QTest::newRow("never issued") << "987654321";
    QTest::newRow("not a number") << "abc";
}

void AppServerMethodsTest::importRenewsUnknownReservation()
{
    QFETCH(QString, reservation);
    const QDate date = freshDate();
    backend_.addBilling(database_, QStringLiteral("0001"), date, QStringLiteral("00001"),
                        Currency::parse(u"1"), Currency::parse(u"1"));
    const RpcClient::Reply reply = importa(QStringLiteral("0001"), date, reservation);
    QVERIFY2(reply.ok(), reply.body);
    const QString issued = reply.resultObject().value(QStringLiteral("refs")).toArray().first().toString();
    QVERIFY(issued != reservation);
    QVERIFY(issued.toLongLong() > 0);
    QCOMPARE(backend_.workRows(database_, issued.toLongLong()), 1);
}

void AppServerMethodsTest::releaseIsIdempotentAndLeavesOthersAlone()
{
    const QDate date = freshDate();
    backend_.addBilling(database_, QStringLiteral("0002"), date, QStringLiteral("00001"),
                        Currency::parse(u"1"), Currency::parse(u"1"));
    const QString mine = reserve();
    const QString other = reserve();
    QVERIFY(importa(QStringLiteral("0002"), date, mine).ok());
    QVERIFY(importa(QStringLiteral("0002"), date, other).ok());
    QCOMPARE(backend_.workRows(database_, mine.toLongLong()), 1);

    for (int i = 0; i < 2; ++i) {
        const RpcClient::Reply reply =
            client_->call(QStringLiteral("SetDelTableApur"), {RpcClient::str(mine)});
        QVERIFY2(reply.ok(), reply.body);
        QCOMPARE(reply.resultJson,
                 QByteArray(R"({"value":{"ok":true,"payload":null},"refs":[")") + mine.toUtf8() + "\"]}");
    }
    QCOMPARE(backend_.workRows(database_, mine.toLongLong()), 0);
    QCOMPARE(backend_.workRows(database_, other.toLongLong()), 1);
    QVERIFY(client_->call(QStringLiteral("SetDelTableApur"), {RpcClient::str(QStringLiteral("x"))}).ok());

    const auto refsAfterImport = [&](const QString& reservation) {
        return importa(QStringLiteral("0002"), date, reservation)
            .resultObject()
            .value(QStringLiteral("refs"));
    };
    QCOMPARE(refsAfterImport(other), QJsonArray{other});
    QVERIFY(refsAfterImport(mine) != QJsonArray{mine});
}

void AppServerMethodsTest::reservationsExpire()
{
    AppServerProcess shortLived(database_, {QStringLiteral("--reservation-ttl"), QStringLiteral("1")});
    shortLived.start();
    RpcClient client(QStringLiteral("127.0.0.1"), shortLived.port());
    const QDate date = freshDate();
    backend_.addBilling(database_, QStringLiteral("0004"), date, QStringLiteral("00001"),
                        Currency::parse(u"1"), Currency::parse(u"1"));
    const QString old =
        client.call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(QString())}).resultString();
    const auto import = [&](const QString& reservation) {
        return client
            .call(QStringLiteral("Importa"),
                  {RpcClient::str(QStringLiteral("0004")), iso(date), RpcClient::str(reservation)})
            .resultObject()
            .value(QStringLiteral("refs"))
            .toArray()
            .first()
            .toString();
    };
    QCOMPARE(import(old), old);
    QCOMPARE(backend_.workRows(database_, old.toLongLong()), 1);
    QThread::msleep(1200);
    const QString renewed = import(old);
    QVERIFY(renewed.toLongLong() > old.toLongLong());
    // The expired one and its work rows are purged when new numbers are drawn.
    client.call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(QString())});
    QCOMPARE(backend_.workRows(database_, old.toLongLong()), 0);
    QCOMPARE(shortLived.stop(), 0);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (const auto kind : {BackendFixture::Kind::Sqlite, BackendFixture::Kind::Postgres}) {
        AppServerMethodsTest test(kind);
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures;
}

#include "tst_appserver_methods.moc"
