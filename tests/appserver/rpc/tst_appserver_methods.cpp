// The six remote methods against the real server process, on SQLite and then on PostgreSQL.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "EfetGestRecordSet.h"
#include "HistEfetGestRecordSet.h"
#include "PacketCodec.h"
#include "RpcClient.h"
#include "TClientDataSet.h"
#include "TField.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QThread>
#include <QUuid>
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

// A lower-case hex digit other than `digit`.
QString otherHexDigit(QChar digit)
{
    return digit == u'0' ? QStringLiteral("1") : QStringLiteral("0");
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

    void reservationTicketsAreNewAndUnguessable();
    void savedLinesComeBackExactAndOrdered();
    void verifServFindsOnlyThatKey();
    void verifServsFindsThoseOfTheKeysStored_data();
    void verifServsFindsThoseOfTheKeysStored();
    void clientDataSetEditsRoundTrip();
    void modifyOfLineChangedByOtherIsRefused();
    void modifiedLineKeepsItsKey_data();
    void modifiedLineKeepsItsKey();
    void deleteOfLineAlreadyDeletedIsRefused();
    void duplicateInsertIsRefused();
    void importAddsOnlyMissingServices();
    void importTotalsRoundHalfToEven_data();
    void importTotalsRoundHalfToEven();
    void reservationServesOnlyItsHolder_data();
    void reservationServesOnlyItsHolder();
    void releaseIsIdempotent();
    void linesAreCheckedBeforeStoring_data();
    void linesAreCheckedBeforeStoring();
    void reservationsExpire();
    void newerSchemaIsRefusedAtStart();
    void writesAreAppliedOncePerRequestId_data();
    void writesAreAppliedOncePerRequestId();
    void requestIdsExpire();

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
    // Lines are stored only for registered services; 00009 stays unregistered on 0001.
    for (const char* branch : {"0002", "0003", "0004"}) {
        for (int service = 1; service <= 9; ++service)
            backend_.addService(database_, QString::fromLatin1(branch),
                                QStringLiteral("%1").arg(service, 5, 10, QLatin1Char('0')),
                                QStringLiteral("Serviço %1").arg(service));
    }
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

void AppServerMethodsTest::reservationTicketsAreNewAndUnguessable()
{
    static const QRegularExpression shape(QStringLiteral("^([1-9][0-9]*)-([0-9a-f]{32})$"));
    const QRegularExpressionMatch first = shape.match(reserve());
    const RpcClient::Reply withBranch =
        client_->call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(QStringLiteral("0001"))});
    QVERIFY2(withBranch.ok(), withBranch.body);
    const QRegularExpressionMatch second = shape.match(withBranch.resultString());
    QVERIFY2(first.hasMatch() && second.hasMatch(), withBranch.body);
    QVERIFY(second.captured(1).toLongLong() > first.captured(1).toLongLong());
    QVERIFY(second.captured(2) != first.captured(2));
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
                                      QStringLiteral("0.1"), QStringLiteral("0.01")))});
    QVERIFY2(saved.ok(), saved.body);
    QCOMPARE(saved.resultObject().value(QStringLiteral("applied")).toInt(), 2);

    const QList<Record> lines = read(*client_, branch, date);
    QCOMPARE(services(lines), (QStringList{QStringLiteral("00001"), QStringLiteral("00002")}));
    QCOMPARE(staff(lines[1]).toString(), QStringLiteral("1234567.891"));
    QCOMPARE(unitPrice(lines[1]).toString(), QStringLiteral("9876543210987.65"));
    QCOMPARE(total(lines[1]).toString(), QStringLiteral("0.01"));
    QCOMPARE(total(lines[0]).toString(), QStringLiteral("0.01"));
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

void AppServerMethodsTest::verifServsFindsThoseOfTheKeysStored_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<int>("dayAfter");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QByteArray>("rows");
    // Stored on branch 0003: services 00002, 00005 and 00007.
    QTest::newRow("two stored of four, in the order asked")
        << "0003" << 0 << "00007,00001,00002,00003" << QByteArray(R"([["00007"],["00002"]])");
    QTest::newRow("one asked twice is listed once")
        << "0003" << 0 << "00007,00007" << QByteArray(R"([["00007"]])");
    QTest::newRow("none stored") << "0003" << 0 << "00001,00003" << QByteArray("[]");
    QTest::newRow("another branch") << "0004" << 0 << "00007,00002" << QByteArray("[]");
    QTest::newRow("another day") << "0003" << 1 << "00007,00002" << QByteArray("[]");
    QTest::newRow("a code not padded is another code")
        << "0003" << 0 << "7,00005" << QByteArray(R"([["00005"]])");
    QStringList most;
    for (int i = 0; i < 999; ++i)
        most << QStringLiteral("%1").arg(i + 9000, 5, 10, QLatin1Char('0'));
    most << QStringLiteral("00005");
    QTest::newRow("the most codes a call takes, the last stored")
        << "0003" << 0 << most.join(QLatin1Char(',')) << QByteArray(R"([["00005"]])");
}

void AppServerMethodsTest::verifServsFindsThoseOfTheKeysStored()
{
    QFETCH(QString, branch);
    QFETCH(int, dayAfter);
    QFETCH(QString, asked);
    QFETCH(QByteArray, rows);
    const QDate date = freshDate();
    QList<Change> lines;
    for (const QString& code : {QStringLiteral("00002"), QStringLiteral("00005"), QStringLiteral("00007")})
        lines << inserted(line(QStringLiteral("0003"), date, code, QStringLiteral("1"), QStringLiteral("1"),
                               QStringLiteral("1")));
    QVERIFY(save(*client_, lines).ok());
    const RpcClient::Reply reply =
        client_->call(QStringLiteral("GetVerifServs"),
                      {RpcClient::str(branch), iso(date.addDays(dayAfter)), RpcClient::str(asked)});
    QVERIFY2(reply.ok(), reply.body);
    QCOMPARE(RpcClient::member(reply.resultJson, "rows"), rows);
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

void AppServerMethodsTest::modifiedLineKeepsItsKey_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<int>("days"); // added to the stored line's date
    QTest::addColumn<QString>("service");
    QTest::newRow("another branch") << "0004" << 0 << "00001";
    QTest::newRow("another date") << "0003" << 1 << "00001";
    QTest::newRow("another service") << "0003" << 0 << "00005";
    QTest::newRow("every part of the key") << "0004" << -1 << "00005";
}

void AppServerMethodsTest::modifiedLineKeepsItsKey()
{
    QFETCH(QString, branch);
    QFETCH(int, days);
    QFETCH(QString, service);
    const QDate date = freshDate();
    const QString home = QStringLiteral("0003");
    const Record stored = line(home, date, QStringLiteral("00001"), QStringLiteral("1"), QStringLiteral("10"),
                               QStringLiteral("10"));
    QVERIFY(save(*client_, {inserted(stored)}).ok());
    // A good line first: the refusal leaves it unsaved too.
    const Record extra = line(home, date, QStringLiteral("00002"), QStringLiteral("1"), QStringLiteral("1"),
                              QStringLiteral("1"));
    const Record moved = line(branch, date.addDays(days), service, QStringLiteral("2"), QStringLiteral("10"),
                              QStringLiteral("20"));
    const RpcClient::Reply refused = save(*client_, {inserted(extra), modified(stored, moved)});
    QCOMPARE(refused.errorCode, -32000);
    QCOMPARE(refused.errorMessage,
             QStringLiteral("Linha 2 (filial 0003, data %1, serviço 00001) recusada: a filial, a data e o "
                            "serviço de uma linha gravada não mudam; exclua a linha e inclua-a de novo.")
                 .arg(date.toString(QStringLiteral("dd/MM/yyyy"))));

    const QList<Record> lines = read(*client_, home, date);
    QCOMPARE(services(lines), QStringList{QStringLiteral("00001")});
    QCOMPARE(staff(lines[0]).toString(), QStringLiteral("1"));
    QVERIFY(!services(read(*client_, branch, date.addDays(days))).contains(service));
    const RpcClient::Reply history =
        client_->call(QStringLiteral("GetHistEfetGest"),
                      {RpcClient::str(home), iso(date), RpcClient::str(QStringLiteral("00001"))});
    QVERIFY2(history.ok(), history.body);
    QCOMPARE(
        PacketCodec::decodePacket(DataPacket(history.resultJson), HistEfetGestRecordSet::fieldDefs()).size(),
        1);
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
    QCOMPARE(backend_.workRows(database_, reservation), 3);

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

void AppServerMethodsTest::reservationServesOnlyItsHolder_data()
{
    // In each ticket, {n} stands for the number of another client's reservation and {s} for its secret.
    QTest::addColumn<QString>("ticket");
    QTest::addColumn<int>("error"); // of both Importa and SetDelTableApur; 0 when both succeed
    QTest::newRow("none held yet") << "" << 0;
    QTest::newRow("never issued") << "987654321-0123456789abcdef0123456789abcdef" << 0;
    QTest::newRow("number with a guessed secret") << "{n}-0123456789abcdef0123456789abcdef" << -32000;
    QTest::newRow("bare number") << "{n}" << -32602;
    QTest::newRow("signed number") << "+{n}-{s}" << -32602;
    QTest::newRow("negative") << "-1" << -32602;
    QTest::newRow("not a number") << "abc" << -32602;
    QTest::newRow("secret in capitals") << "{n}-{S}" << -32602;
    QTest::newRow("secret cut short") << "{n}-{s31}" << -32602;
    // One character off, at either end: the whole secret is compared, not a part of it.
    QTest::newRow("secret off in its first character") << "{n}-{s^first}" << -32000;
    QTest::newRow("secret off in its last character") << "{n}-{s^last}" << -32000;
}

void AppServerMethodsTest::reservationServesOnlyItsHolder()
{
    QFETCH(QString, ticket);
    QFETCH(int, error);
    const QDate date = freshDate();
    backend_.addBilling(database_, QStringLiteral("0002"), date, QStringLiteral("00001"),
                        Currency::parse(u"1"), Currency::parse(u"1"));
    const QString other = reserve();
    QVERIFY(importa(QStringLiteral("0002"), date, other).ok());
    const QString secret = other.section(QLatin1Char('-'), 1);
    ticket.replace(QStringLiteral("{n}"), other.section(QLatin1Char('-'), 0, 0))
        .replace(QStringLiteral("{s}"), secret)
        .replace(QStringLiteral("{S}"), secret.toUpper())
        .replace(QStringLiteral("{s31}"), secret.left(31))
        .replace(QStringLiteral("{s^first}"), otherHexDigit(secret.front()) + secret.mid(1))
        .replace(QStringLiteral("{s^last}"), secret.left(31) + otherHexDigit(secret.back()));

    const RpcClient::Reply imported = importa(QStringLiteral("0002"), date, ticket);
    const RpcClient::Reply released =
        client_->call(QStringLiteral("SetDelTableApur"), {RpcClient::str(ticket)});
    QCOMPARE(imported.errorCode, error);
    QCOMPARE(released.errorCode, error);
    if (error == 0) {
        const QString issued =
            imported.resultObject().value(QStringLiteral("refs")).toArray().first().toString();
        QVERIFY(issued != ticket && issued != other);
        QCOMPARE(backend_.workRows(database_, issued), 1);
    } else {
        QVERIFY2(!imported.errorMessage.contains(QStringLiteral("Ã")), qPrintable(imported.errorMessage));
    }
    // The holder's reservation is untouched and still serves its holder.
    QCOMPARE(backend_.workRows(database_, other), 1);
    QCOMPARE(importa(QStringLiteral("0002"), date, other).resultObject().value(QStringLiteral("refs")),
             QJsonArray{other});
}

void AppServerMethodsTest::releaseIsIdempotent()
{
    const QDate date = freshDate();
    backend_.addBilling(database_, QStringLiteral("0002"), date, QStringLiteral("00001"),
                        Currency::parse(u"1"), Currency::parse(u"1"));
    const QString mine = reserve();
    QVERIFY(importa(QStringLiteral("0002"), date, mine).ok());
    for (int i = 0; i < 2; ++i) {
        const RpcClient::Reply reply =
            client_->call(QStringLiteral("SetDelTableApur"), {RpcClient::str(mine)});
        QVERIFY2(reply.ok(), reply.body);
        QCOMPARE(reply.resultJson,
                 QByteArray(R"({"value":{"ok":true,"payload":null},"refs":[")") + mine.toUtf8() + "\"]}");
    }
    QCOMPARE(backend_.workRows(database_, mine), 0);
    // A released reservation is not taken again: the import draws a new one.
    const QJsonValue refs =
        importa(QStringLiteral("0002"), date, mine).resultObject().value(QStringLiteral("refs"));
    QVERIFY(refs.isArray() && refs != QJsonArray{mine});
}

void AppServerMethodsTest::linesAreCheckedBeforeStoring_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("staff");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("total");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("fault"); // the end of the message, after the line it names
    const QString noBranch = QStringLiteral("filial não cadastrada.");
    const QString noService = QStringLiteral("serviço não cadastrado para a filial.");
    QTest::newRow("branch unknown") << "0009"
                                    << "00001"
                                    << "1"
                                    << "1"
                                    << "1" << -32000 << noBranch;
    QTest::newRow("service of another branch") << "0001"
                                               << "00009"
                                               << "1"
                                               << "1"
                                               << "1" << -32000 << noService;
    QTest::newRow("service unknown") << "0002"
                                     << "99999"
                                     << "1"
                                     << "1"
                                     << "1" << -32000 << noService;
    QTest::newRow("staff zero") << "0002"
                                << "00003"
                                << "0"
                                << "1"
                                << "1" << -32000 << "o nº de efetivos deve ser maior que zero.";
    QTest::newRow("staff negative") << "0002"
                                    << "00003"
                                    << "-2"
                                    << "1"
                                    << "1" << -32000 << "o nº de efetivos deve ser maior que zero.";
    QTest::newRow("staff missing") << "0002"
                                   << "00003"
                                   << ""
                                   << "1"
                                   << "1" << -32000 << "o nº de efetivos deve ser maior que zero.";
    QTest::newRow("price zero") << "0002"
                                << "00003"
                                << "1"
                                << "0"
                                << "1" << -32000 << "o valor unitário deve ser maior que zero.";
    QTest::newRow("price rounds to zero") << "0002"
                                          << "00003"
                                          << "1"
                                          << "0.004"
                                          << "1" << -32000 << "o valor unitário deve ser maior que zero.";
    QTest::newRow("total negative") << "0002"
                                    << "00003"
                                    << "1"
                                    << "1"
                                    << "-1" << -32000 << "o valor total deve ser maior que zero.";
    QTest::newRow("staff beyond its field") << "0002"
                                            << "00003"
                                            << "12345678"
                                            << "1"
                                            << "1" << -32602 << "excede a precisão (10, 3).";
    QTest::newRow("total beyond its field") << "0002"
                                            << "00003"
                                            << "1"
                                            << "1"
                                            << "12345678901234" << -32602 << "excede a precisão (15, 2).";
}

void AppServerMethodsTest::linesAreCheckedBeforeStoring()
{
    QFETCH(QString, branch);
    QFETCH(QString, service);
    QFETCH(QString, staff);
    QFETCH(QString, price);
    QFETCH(QString, total);
    QFETCH(int, error);
    QFETCH(QString, fault);
    const QDate date = freshDate();
    // The bad line comes second, between good ones: none of them may be stored.
    const Record good = line(QStringLiteral("0002"), date, QStringLiteral("00001"), QStringLiteral("1"),
                             QStringLiteral("2"), QStringLiteral("2"));
    const Record alsoGood = line(QStringLiteral("0002"), date, QStringLiteral("00002"), QStringLiteral("1"),
                                 QStringLiteral("2"), QStringLiteral("2"));
    const Record bad = line(branch, date, service, staff, price, total);
    const RpcClient::Reply refused = save(*client_, {inserted(good), inserted(bad), inserted(alsoGood)});
    QCOMPARE(refused.errorCode, error);
    QVERIFY2(refused.errorMessage.endsWith(fault), qPrintable(refused.errorMessage));
    if (error == -32000) {
        const QString named = QStringLiteral("Linha 2 (filial %1, data %2, serviço %3) recusada: ")
                                  .arg(branch, date.toString(QStringLiteral("dd/MM/yyyy")), service);
        QVERIFY2(refused.errorMessage.startsWith(named), qPrintable(refused.errorMessage));
    }
    QCOMPARE(read(*client_, QStringLiteral("0002"), date).size(), 0);
    QCOMPARE(read(*client_, branch, date).size(), 0);

    // Changing a stored line to the bad values is refused the same way.
    QVERIFY(save(*client_, {inserted(good)}).ok());
    const Record badEdit = line(QStringLiteral("0002"), date, QStringLiteral("00001"), staff, price, total);
    if (branch == QStringLiteral("0002") && service != QStringLiteral("99999"))
        QCOMPARE(save(*client_, {modified(good, badEdit)}).errorCode, error);
    const QList<Record> stored = read(*client_, QStringLiteral("0002"), date);
    QCOMPARE(services(stored), QStringList{QStringLiteral("00001")});
    QCOMPARE(EfetGestLines::staff(stored[0]), EfetGestLines::staff(good));
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
    QCOMPARE(backend_.workRows(database_, old), 1);
    QThread::msleep(1200);
    const QString renewed = import(old);
    const auto number = [](const QString& ticket) {
        return ticket.section(QLatin1Char('-'), 0, 0).toLongLong();
    };
    QVERIFY(number(renewed) > number(old));
    // The expired one and its work rows are purged when new numbers are drawn.
    client.call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(QString())});
    QCOMPARE(backend_.workRows(database_, old), 0);
    QCOMPARE(shortLived.stop(), 0);
}

void AppServerMethodsTest::newerSchemaIsRefusedAtStart()
{
    const QString database = backend_.newDatabase();
    AppServerProcess server(database);
    server.start();
    QCOMPARE(server.stop(), 0);
    backend_.execute(database, QStringLiteral("UPDATE SCHEMA_VERSION SET VERSAO = VERSAO + 1"));
    try {
        server.start();
        QFAIL("a server must not run on a schema newer than it knows");
    } catch (const std::runtime_error& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("mais nova que a versão")),
                 error.what());
    }
}

void AppServerMethodsTest::writesAreAppliedOncePerRequestId_data()
{
    QTest::addColumn<QString>("call");
    QTest::newRow("save") << "setEfetGest";
    QTest::newRow("import") << "Importa";
    QTest::newRow("release") << "SetDelTableApur";
    QTest::newRow("reservation") << "GetPrxRelApurFat";
}

void AppServerMethodsTest::writesAreAppliedOncePerRequestId()
{
    QFETCH(QString, call);
    const QDate date = freshDate();
    const QString branch = QStringLiteral("0003");
    backend_.addBilling(database_, branch, date, QStringLiteral("00004"), Currency::parse(u"2"),
                        Currency::parse(u"3"));
    const QString reservation = reserve();
    QByteArray params;
    if (call == QStringLiteral("setEfetGest"))
        params = changeSet({inserted(line(branch, date, QStringLiteral("00001"), QStringLiteral("1"),
                                          QStringLiteral("2"), QStringLiteral("2")))});
    else if (call == QStringLiteral("Importa"))
        params = RpcClient::str(branch) + ',' + iso(date) + ',' + RpcClient::str(reservation);
    else if (call == QStringLiteral("SetDelTableApur"))
        params = RpcClient::str(reservation);
    else
        params = RpcClient::str(branch);
    const QByteArray body =
        R"({"jsonrpc":"2.0","id":9,"method":")" + call.toUtf8() + R"(","params":[)" + params + "]}";
    const int reservationsBefore = backend_.reservations(database_);

    RpcClient retrying(QStringLiteral("127.0.0.1"), server_->port());
    retrying.http().setRequestId(QUuid::createUuid().toByteArray(QUuid::WithoutBraces));
    const RpcClient::Reply first = retrying.post(body);
    QVERIFY2(first.ok(), first.body);
    // The answer was lost; the same request comes again, to the same or to another server.
    const RpcClient::Reply again = retrying.post(body);
    QCOMPARE(again.body, first.body);
    const bool addsLine = call == QStringLiteral("setEfetGest") || call == QStringLiteral("Importa");
    const int reservationsAfter = reservationsBefore + (call == QStringLiteral("GetPrxRelApurFat")) -
                                  (call == QStringLiteral("SetDelTableApur"));
    QCOMPARE(read(*client_, branch, date).size(), addsLine ? 1 : 0);
    QCOMPARE(backend_.reservations(database_), reservationsAfter);

    // The same id with other arguments is another request: refused, nothing applied.
    const RpcClient::Reply reused = retrying.post(QByteArray(body).replace("\"id\":9", "\"id\":10"));
    QCOMPARE(reused.errorCode, -32600);
    QCOMPARE(backend_.reservations(database_), reservationsAfter);
}

void AppServerMethodsTest::requestIdsExpire()
{
    AppServerProcess shortLived(database_, {QStringLiteral("--request-id-ttl"), QStringLiteral("1")});
    shortLived.start();
    RpcClient client(QStringLiteral("127.0.0.1"), shortLived.port());
    client.http().setRequestId("expiring-1");
    const QDate date = freshDate();
    const QByteArray body =
        R"({"jsonrpc":"2.0","id":1,"method":"setEfetGest","params":[)" +
        changeSet({inserted(line(QStringLiteral("0002"), date, QStringLiteral("00001"), QStringLiteral("1"),
                                 QStringLiteral("2"), QStringLiteral("2")))}) +
        "]}";
    QVERIFY(client.post(body).ok());
    QVERIFY(client.post(body).ok());
    QThread::msleep(1200);
    // Forgotten: the save runs again, and finds its line already stored.
    QCOMPARE(client.post(body).errorMessage, Duplicate);
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
