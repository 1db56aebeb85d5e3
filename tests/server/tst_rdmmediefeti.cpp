#include "AnswerDroppingProxy.h"
#include "AppServerProcess.h"
#include "Consiste.h"
#include "Currency.h"
#include "ECallOutcomeUnknown.h"
#include "EfetGestRecordSet.h"
#include "Exception.h"
#include "FaultyServer.h"
#include "HostTestSignIn.h"
#include "NetMediEfeti.h"
#include "PacketCodec.h"
#include "RdmMediEfeti.h"
#include "SettingsFile.h"
#include "TClientDataSet.h"
#include "TField.h"
#include "TNetConnection.h"
#include "VerifServRecordSet.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {

// The demo data bills branch 0001 for services 00001..00005 on each of the last ten days; there is no
// measurement line until one is stored or imported.
const QString Branch = QStringLiteral("0001");

TDateTime daysAgo(int days)
{
    return TDateTime::fromDate(QDate::currentDate().addDays(-days));
}

DataPacket inserting(TDateTime date, const QString& service, qint64 staff)
{
    const Currency price = Currency::fromInt(1500);
    const Record line{Branch,
                      QVariant::fromValue(date),
                      service,
                      QVariant::fromValue(Currency::fromInt(staff)),
                      QVariant::fromValue(price),
                      QVariant::fromValue(Currency::fromInt(staff) * price),
                      QVariant()};
    return PacketCodec::encodeChangeSet(EfetGestRecordSet::fieldDefs(),
                                        {Change{ChangeKind::Inserted, line, {}}});
}

QList<Record> lines(const RemoteValue& packet)
{
    return PacketCodec::decodePacket(packet.toPacket(), EfetGestRecordSet::fieldDefs());
}

QStringList servicesOf(const RemoteValue& packet)
{
    QStringList services;
    for (const Record& line : lines(packet))
        services.append(line[2].toString());
    return services;
}

qsizetype verifServCount(const RemoteValue& packet)
{
    return PacketCodec::decodePacket(packet.toPacket(), VerifServRecordSet::fieldDefs()).size();
}

// A reservation ticket as the server hands it out: its number and secret.
bool isTicket(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^[1-9][0-9]*-[0-9a-f]{32}$"));
    return shape.match(text).hasMatch();
}

// Stores `count` lines of branch 0001 on `day` straight into the server's SQLite file, service codes
// 00000, 00001, ... and decimals scaled by 10000 as the server keeps them.
void storeLines(const QString& databasePath, QDate day, int count)
{
    const QString name = QStringLiteral("lines");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databasePath);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QSqlQuery insert(db);
        QVERIFY(insert.prepare(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
            "INSERT INTO USR_EFETGEST (USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI, USR_QTEFETGEST, "
            "USR_VREFETGEST, USR_VRTTSERVGEST) SELECT '0001', ?, printf('%05d', i), (i % 7 + 1) * 10000, "
            "125000, (i % 7 + 1) * 125000 FROM n")));
        insert.addBindValue(count);
        insert.addBindValue(day.toString(Qt::ISODate));
        QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

class TestRdmMediEfeti : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void netMediEfetiIsSetUp();
    void reservationNumbers();
    void linesStoredAndReadBack();
    void importaReturnsReservationAndLines();
    void setDelTableApurReturnsReservation();
    void writeWhoseAnswerWasLostIsAppliedOnce_data();
    void writeWhoseAnswerWasLostIsAppliedOnce();
    void saveNotConfirmedIsOfUnknownOutcome_data();
    void saveNotConfirmedIsOfUnknownOutcome();
    void lostAnswerThenRefusedRetryIsOfUnknownOutcome_data();
    void lostAnswerThenRefusedRetryIsOfUnknownOutcome();
    void longListsLoad_data();
    void longListsLoad();

private:
    SettingsFile settings_;
    AppServerProcess server_{{}, {QStringLiteral("--seed-demo")}};
    QObject owner_;
    TNetConnection* connection_ = nullptr;
};

void TestRdmMediEfeti::initTestCase()
{
    signInAsTestAccountWhenAsked();
    server_.start();
    settings_.useServer(server_.port());
    connection_ = createNetMediEfeti(&owner_);
    connection_->BeforeConnect = [this](QObject*) { applyServerAddress(*connection_); };
    connection_->Open();
    QCOMPARE(connection_->Port(), int(server_.port()));
}

void TestRdmMediEfeti::netMediEfetiIsSetUp()
{
    QObject parent;
    TNetConnection* connection = createNetMediEfeti(&parent);
    QCOMPARE(connection->parent(), &parent);
    QCOMPARE(connection->objectName(), QStringLiteral("netMediEfeti"));
    QCOMPARE(connection->ServerName(), QStringLiteral("Med00418.rdmMediEfeti"));
    QCOMPARE(connection->ThrowException(), false);
    settings_.set("Servidor/WebURL", "localhost");
    settings_.set("Servidor/WebPort", 4321);
    applyServerAddress(*connection);
    QCOMPARE(connection->Host(), QStringLiteral("localhost"));
    QCOMPARE(connection->Port(), 4321);
    settings_.useServer(server_.port());
}

void TestRdmMediEfeti::reservationNumbers()
{
    const RdmMediEfeti rdm(*connection_);
    const QString first = rdm.GetPrxRelApurFat(Branch);
    const QString second = rdm.GetPrxRelApurFat(QString());
    QVERIFY2(isTicket(first) && isTicket(second), qPrintable(first + ' ' + second));
    QVERIFY(first != second);
}

void TestRdmMediEfeti::linesStoredAndReadBack()
{
    const RdmMediEfeti rdm(*connection_);
    const TDateTime date = daysAgo(1);
    QCOMPARE(servicesOf(rdm.getEfetGest(Branch, date)), QStringList());
    QCOMPARE(verifServCount(rdm.GetVerifServ(Branch, date, "00002")), 0);

    rdm.setEfetGest(inserting(date, "00002", 3));
    const QList<Record> stored = lines(rdm.getEfetGest(Branch, date));
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][1].value<TDateTime>(), date);
    QCOMPARE(stored[0][3].value<Currency>(), Currency::fromInt(3));
    QCOMPARE(stored[0][6].toString(), QStringLiteral("Limpeza e Conservação"));
    QCOMPARE(verifServCount(rdm.GetVerifServ(Branch, date, "00002")), 1);
    QCOMPARE(verifServCount(rdm.GetVerifServ(Branch, date, "00003")), 0);
    QCOMPARE(servicesOf(rdm.getEfetGest(Branch, daysAgo(2))), QStringList());

    try {
        rdm.setEfetGest(inserting(date, "00002", 5));
        QFAIL("a second line with one key must be refused");
    } catch (const Exception& e) {
        QCOMPARE(e.Message(), QStringLiteral("Efetivos para faturamento já cadastrado."));
    }
    QCOMPARE(lines(rdm.getEfetGest(Branch, date)), stored);
}

void TestRdmMediEfeti::importaReturnsReservationAndLines()
{
    const RdmMediEfeti rdm(*connection_);
    QString reservation;
    const RemoteValue result = rdm.Importa(Branch, daysAgo(4), reservation);
    QVERIFY2(isTicket(reservation), qPrintable(reservation));
    QCOMPARE(servicesOf(Consiste::CheckResultServ(result, true, 0)),
             QStringList({"00001", "00002", "00003", "00004", "00005"}));
    // A reservation still valid comes back as it went.
    const QString kept = reservation;
    rdm.Importa(Branch, daysAgo(4), reservation);
    QCOMPARE(reservation, kept);
}

void TestRdmMediEfeti::setDelTableApurReturnsReservation()
{
    const RdmMediEfeti rdm(*connection_);
    const QString number = rdm.GetPrxRelApurFat(Branch);
    QString reservation = number;
    QVERIFY(Consiste::CheckResultServ(rdm.SetDelTableApur(reservation), true, 0).isNull());
    QCOMPARE(reservation, number);
}

void TestRdmMediEfeti::writeWhoseAnswerWasLostIsAppliedOnce_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("daysBack"); // a billing date no other test stores lines on
    QTest::newRow("save") << "setEfetGest" << 6;
    QTest::newRow("import") << "Importa" << 7;
    QTest::newRow("release") << "SetDelTableApur" << 8;
    QTest::newRow("reservation") << "GetPrxRelApurFat" << 8;
}

void TestRdmMediEfeti::writeWhoseAnswerWasLostIsAppliedOnce()
{
    QFETCH(QString, call);
    QFETCH(int, daysBack);
    const RdmMediEfeti direct(*connection_);
    const TDateTime date = daysAgo(daysBack);
    QString reservation = direct.GetPrxRelApurFat(Branch);
    const QString drawn = reservation;

    // The server applies the first attempt, but its answer never arrives; the client sends it again.
    AnswerDroppingProxy proxy(server_.port(), 1);
    QObject owner;
    TNetConnection* lossy = createNetMediEfeti(&owner);
    lossy->BeforeConnect = [&](QObject*) {
        lossy->SetHost(QStringLiteral("127.0.0.1"));
        lossy->SetPort(proxy.port());
    };
    lossy->Open();
    const RdmMediEfeti rdm(*lossy);
    if (call == QStringLiteral("setEfetGest")) {
        rdm.setEfetGest(inserting(date, QStringLiteral("00003"), 4));
        QCOMPARE(servicesOf(direct.getEfetGest(Branch, date)), QStringList{QStringLiteral("00003")});
    } else if (call == QStringLiteral("Importa")) {
        const RemoteValue imported = rdm.Importa(Branch, date, reservation);
        QCOMPARE(servicesOf(Consiste::CheckResultServ(imported, true, 0)).size(), 5);
        QCOMPARE(reservation, drawn);
    } else if (call == QStringLiteral("SetDelTableApur")) {
        QVERIFY(Consiste::CheckResultServ(rdm.SetDelTableApur(reservation), true, 0).isNull());
        QCOMPARE(reservation, drawn);
    } else {
        QVERIFY(isTicket(rdm.GetPrxRelApurFat(Branch)));
    }
    QCOMPARE(proxy.dropped(), 1);
}

// What a stand-in server answers to a save of one inserted line; only a count of exactly that line
// says it is stored.
void TestRdmMediEfeti::saveNotConfirmedIsOfUnknownOutcome_data()
{
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("one applied") << QByteArray(R"({"applied":1})") << true;
    QTest::newRow("null") << QByteArray("null") << false;
    QTest::newRow("none applied") << QByteArray(R"({"applied":0})") << false;
    QTest::newRow("more applied than sent") << QByteArray(R"({"applied":2})") << false;
    QTest::newRow("count as text") << QByteArray(R"({"applied":"1"})") << false;
    QTest::newRow("empty object") << QByteArray("{}") << false;
    QTest::newRow("bare number") << QByteArray("1") << false;
    QTest::newRow("true") << QByteArray("true") << false;
}

void TestRdmMediEfeti::saveNotConfirmedIsOfUnknownOutcome()
{
    QFETCH(QByteArray, result);
    QFETCH(bool, confirmed);
    const FaultyServer standIn(FaultyServer::Silence::None, 200,
                               R"({"jsonrpc":"2.0","id":%ID%,"result":)" + result + '}');
    QObject owner;
    TNetConnection* connection = createNetMediEfeti(&owner);
    connection->BeforeConnect = [&](QObject*) {
        connection->SetHost(QStringLiteral("127.0.0.1"));
        connection->SetPort(standIn.port());
    };
    connection->Open();
    QString unknown;
    try {
        RdmMediEfeti(*connection).setEfetGest(inserting(daysAgo(9), QStringLiteral("00001"), 2));
    } catch (const ECallOutcomeUnknown& e) {
        unknown = e.Message();
    }
    QCOMPARE(unknown.isEmpty(), confirmed);
    if (!confirmed)
        QCOMPARE(unknown, QStringLiteral("O servidor de aplicação não confirmou a gravação das 1 alterações "
                                         "enviadas (respondeu %1).")
                              .arg(QString::fromUtf8(result)));
}

// The first try reaches the server, which applies it, and its answer is lost; the try sent again is
// refused before any answer. Whether the save landed cannot be told from the link.
void TestRdmMediEfeti::lostAnswerThenRefusedRetryIsOfUnknownOutcome_data()
{
    QTest::addColumn<AnswerDroppingProxy::Afterwards>("afterwards");
    QTest::addColumn<int>("daysBack"); // a billing date no other test stores lines on
    QTest::newRow("connection refused") << AnswerDroppingProxy::Afterwards::Refuse << 10;
    QTest::newRow("service unavailable") << AnswerDroppingProxy::Afterwards::Unavailable << 11;
}

void TestRdmMediEfeti::lostAnswerThenRefusedRetryIsOfUnknownOutcome()
{
    QFETCH(AnswerDroppingProxy::Afterwards, afterwards);
    QFETCH(int, daysBack);
    const TDateTime date = daysAgo(daysBack);
    AnswerDroppingProxy proxy(server_.port(), 1, afterwards);
    QObject owner;
    TNetConnection* lossy = createNetMediEfeti(&owner);
    lossy->BeforeConnect = [&](QObject*) {
        lossy->SetHost(QStringLiteral("127.0.0.1"));
        lossy->SetPort(proxy.port());
    };
    lossy->Open();
    bool unknown = false;
    try {
        RdmMediEfeti(*lossy).setEfetGest(inserting(date, QStringLiteral("00004"), 4));
    } catch (const ECallOutcomeUnknown&) {
        unknown = true;
    } catch (const Exception& e) {
        QFAIL(qPrintable(QStringLiteral("reported as a plain failure: ") + e.Message()));
    }
    QVERIFY(unknown);
    QCOMPARE(proxy.dropped(), 1);
    QCOMPARE(servicesOf(RdmMediEfeti(*connection_).getEfetGest(Branch, date)),
             QStringList{QStringLiteral("00004")});
}

void TestRdmMediEfeti::longListsLoad_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("daysBack"); // a billing date no other test stores lines on
    QTest::newRow("3,000 lines") << 3000 << 20;
    QTest::newRow("10,000 lines") << 10000 << 21;
    QTest::newRow("100,000 lines") << 100000 << 22;
}

// As the screen loads a list: the packet as it came off the socket, straight into cdsEfetGest.
void TestRdmMediEfeti::longListsLoad()
{
    QFETCH(int, count);
    QFETCH(int, daysBack);
    const TDateTime date = daysAgo(daysBack);
    storeLines(server_.database(), date.toDate(), count);
    if (QTest::currentTestFailed())
        return;
    QObject owner;
    TClientDataSet* lines = EfetGestRecordSet::create(&owner).cdsEfetGest;
    lines->SetData(RdmMediEfeti(*connection_).getEfetGest(Branch, date).toPacket());
    QCOMPARE(lines->RecordCount(), count);
    lines->Last();
    QCOMPARE(lines->FieldByName(QStringLiteral("USR_CDSERVFILI"))->AsString(),
             QString::number(count - 1).rightJustified(5, QLatin1Char('0')));
    const Currency staff = Currency::fromInt((count - 1) % 7 + 1);
    QCOMPARE(lines->FieldByName(QStringLiteral("USR_QTEFETGEST"))->AsCurrency(), staff);
    QCOMPARE(lines->FieldByName(QStringLiteral("USR_VRTTSERVGEST"))->AsCurrency(),
             staff * Currency::parse(QStringLiteral("12.5")));
    // Named from the branch's services where it has them (the demo's 00001 to 00005), unnamed elsewhere.
    const TField* name = lines->FieldByName(QStringLiteral("NMSERVICO"));
    QCOMPARE(name->AsString(), QString());
    lines->First();
    QCOMPARE(name->AsString(), QString());
    lines->Next();
    QCOMPARE(name->AsString(), QStringLiteral("Vigilância"));
}

QTEST_GUILESS_MAIN(TestRdmMediEfeti)
#include "tst_rdmmediefeti.moc"
