// The history of a measurement line against the real server process, on SQLite and then on PostgreSQL:
// every save and import leaves its rows, in the same transaction as the change.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "HistEfetGestRecordSet.h"
#include "PacketCodec.h"
#include "RpcClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <memory>

using namespace EfetGestLines;

namespace {

const QString Branch = QStringLiteral("0002");
const QString Service = QStringLiteral("00001");

// One history row as text: "kind user@address staff/price/total before -> after", nulls empty.
QString describe(const Record& row)
{
    const auto amounts = [&](int from) {
        QStringList parts;
        for (int column = from; column < from + 3; ++column)
            parts << (row[column].isNull() ? QString() : row[column].value<Currency>().toString());
        return parts.join(QLatin1Char('/'));
    };
    return QStringLiteral("%1 %2@%3 %4 -> %5")
        .arg(row[1].toString(), row[2].toString(), row[3].toString(), amounts(4), amounts(7));
}

} // namespace

class AppServerHistoryTest : public QObject {
    Q_OBJECT

public:
    explicit AppServerHistoryTest(BackendFixture::Kind kind) : backend_(kind) {}

private slots:
    void initTestCase();
    void cleanupTestCase();
    void changesLeaveHistoryNewestFirst_data();
    void changesLeaveHistoryNewestFirst();
    void historyComesInPages_data();
    void historyComesInPages();
    void continuationIsChecked_data();
    void continuationIsChecked();
    void whatGrowsWithCallsIsBoundedPerCaller_data();
    void whatGrowsWithCallsIsBoundedPerCaller();

private:
    void apply(const QString& step, QDate date);
    QStringList history(QDate date);
    // `count` rows of the line of Service on `date` straight into the table, as `caller` made them.
    void storeHistory(QDate date, int count, const QString& caller);
    RpcClient::Reply historyPage(QDate date, const QString& continuation);

    BackendFixture backend_;
    QString database_;
    std::unique_ptr<AppServerProcess> server_;
    std::unique_ptr<RpcClient> client_;
    Record current_;
};

void AppServerHistoryTest::initTestCase()
{
    QString reason;
    if (!backend_.available(&reason))
        QSKIP(qPrintable(reason));
    database_ = backend_.newDatabase();
    server_ = std::make_unique<AppServerProcess>(database_);
    server_->start();
    // The history names the login signed in, whatever name the client claims.
    server_->addUser(QStringLiteral("ana.souza"), QStringLiteral("digitador"), Branch,
                     QStringLiteral("senha-da-ana"));
    client_ = std::make_unique<RpcClient>(QStringLiteral("127.0.0.1"), server_->port());
    client_->http().setUser("outra.pessoa");
    if (!client_->signIn(QStringLiteral("ana.souza"), QStringLiteral("senha-da-ana")).ok())
        QFAIL("sign-in refused");
    backend_.addServices(
        database_, Branch,
        {{Service, QStringLiteral("Vigilância")}, {QStringLiteral("00002"), QStringLiteral("Limpeza")}});
}

void AppServerHistoryTest::cleanupTestCase()
{
    client_.reset();
    if (server_)
        QCOMPARE(server_->stop(), 0);
    server_.reset();
}

// insert, edit, delete and import act on the line of Service; refused is a save that fails after
// editing that line (its duplicate insert of another line comes last) and so must leave no row.
void AppServerHistoryTest::apply(const QString& step, QDate date)
{
    const auto ok = [](const RpcClient::Reply& reply) {
        if (!reply.ok())
            throw std::runtime_error(reply.body.toStdString());
    };
    const Record edited =
        line(Branch, date, Service, QStringLiteral("3"), QStringLiteral("2.5"), QStringLiteral("7.5"));
    if (step == u"insert") {
        current_ =
            line(Branch, date, Service, QStringLiteral("2"), QStringLiteral("2.5"), QStringLiteral("5"));
        ok(save(*client_, {inserted(current_)}));
    } else if (step == u"edit") {
        ok(save(*client_, {modified(current_, edited)}));
        current_ = edited;
    } else if (step == u"delete") {
        ok(save(*client_, {deleted(current_)}));
    } else if (step == u"refused") {
        const Record other = line(Branch, date, QStringLiteral("00002"), QStringLiteral("1"),
                                  QStringLiteral("1"), QStringLiteral("1"));
        ok(save(*client_, {inserted(other)}));
        if (save(*client_, {modified(current_, edited), inserted(other)}).ok())
            throw std::runtime_error("a duplicate line was stored");
    } else if (step == u"import") {
        backend_.addBilling(database_, Branch, date, Service, Currency::parse(u"4"), Currency::parse(u"2.5"));
        const QByteArray reservation = RpcClient::str(
            client_->call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(Branch)}).resultString());
        ok(client_->call(QStringLiteral("Importa"),
                         {RpcClient::str(Branch), RpcClient::str(date.toString(Qt::ISODate)), reservation}));
    }
}

QStringList AppServerHistoryTest::history(QDate date)
{
    const RpcClient::Reply reply = client_->call(
        QStringLiteral("GetHistEfetGest"),
        {RpcClient::str(Branch), RpcClient::str(date.toString(Qt::ISODate)), RpcClient::str(Service)});
    if (!reply.ok())
        throw std::runtime_error(reply.body.toStdString());
    QStringList out;
    for (const Record& row :
         PacketCodec::decodePacket(DataPacket(reply.resultJson), HistEfetGestRecordSet::fieldDefs())) {
        if (!QDateTime::fromString(row[0].toString(), Qt::ISODateWithMs).isValid())
            out << QStringLiteral("bad time ") + row[0].toString();
        out << describe(row);
    }
    return out;
}

void AppServerHistoryTest::changesLeaveHistoryNewestFirst_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    const QString by = QStringLiteral("ana.souza@127.0.0.1");
    const QString inserted = QStringLiteral("insert %1 // -> 2/2.5/5").arg(by);
    const QString edited = QStringLiteral("update %1 2/2.5/5 -> 3/2.5/7.5").arg(by);
    QTest::newRow("insert") << QStringList{"insert"} << QStringList{inserted};
    QTest::newRow("insert, edit, delete")
        << QStringList{"insert", "edit", "delete"}
        << QStringList{QStringLiteral("delete %1 3/2.5/7.5 -> //").arg(by), edited, inserted};
    QTest::newRow("import") << QStringList{"import"}
                            << QStringList{QStringLiteral("import %1 // -> 4/2.5/10").arg(by)};
    QTest::newRow("save refused after an edit leaves none")
        << QStringList{"insert", "refused"} << QStringList{inserted};
}

void AppServerHistoryTest::changesLeaveHistoryNewestFirst()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    const QDate date = freshDate();
    for (const QString& step : steps)
        apply(step, date);
    QCOMPARE(history(date), expected);
    QCOMPARE(history(date.addDays(1)), QStringList());
}

void AppServerHistoryTest::storeHistory(QDate date, int count, const QString& caller)
{
    if (count == 0)
        return;
    backend_.execute(
        database_,
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                       "INSERT INTO HIST_EFETGEST (QUANDO, CLIENTE, USUARIO, TIPO, CDFILIAL, "
                       "DTEFETGEST, CDSERVFILI, QT_DEPOIS, VR_DEPOIS, TT_DEPOIS) SELECT %2 + i, "
                       "'%3', 'seed', 'insert', '%4', '%5', '%6', i, 1, i FROM n")
            .arg(count)
            .arg(QDateTime::currentMSecsSinceEpoch())
            .arg(caller, Branch, date.toString(Qt::ISODate), Service));
}

RpcClient::Reply AppServerHistoryTest::historyPage(QDate date, const QString& continuation)
{
    return client_->call(QStringLiteral("GetHistEfetGest"),
                         {RpcClient::str(Branch), RpcClient::str(date.toString(Qt::ISODate)),
                          RpcClient::str(Service), RpcClient::str(continuation)});
}

void AppServerHistoryTest::historyComesInPages_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("pages"); // rows per page, in turn
    QTest::newRow("none") << 0 << QList<int>{0};
    QTest::newRow("one") << 1 << QList<int>{1};
    QTest::newRow("a page exactly") << 100 << QList<int>{100};
    QTest::newRow("one past a page") << 101 << QList<int>{100, 1};
    QTest::newRow("two and a half pages") << 250 << QList<int>{100, 100, 50};
}

// Newest first, every row once, a bounded page at a time; a host that sends no continuation (older
// ones) gets the newest page alone, as a bare packet.
void AppServerHistoryTest::historyComesInPages()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, pages);
    const QDate date = freshDate();
    storeHistory(date, rows, QStringLiteral("10.0.0.1"));
    QString continuation;
    QStringList when;
    for (qsizetype page = 0; page < pages.size(); ++page) {
        const RpcClient::Reply reply = historyPage(date, continuation);
        QVERIFY2(reply.ok(), reply.body);
        const QJsonObject result = reply.resultObject();
        const QByteArray packet =
            QJsonDocument(result.value(QStringLiteral("value")).toObject()).toJson(QJsonDocument::Compact);
        const QList<Record> got =
            PacketCodec::decodePacket(DataPacket(packet), HistEfetGestRecordSet::fieldDefs());
        QCOMPARE(got.size(), pages[page]);
        for (const Record& row : got)
            when << row[0].toString();
        continuation = result.value(QStringLiteral("refs")).toArray().first().toString();
        QCOMPARE(continuation.isEmpty(), page + 1 == pages.size());
    }
    // Each seeded row a millisecond after the one before: strictly newest first, none twice.
    QCOMPARE(when.size(), rows);
    for (qsizetype i = 1; i < when.size(); ++i)
        QVERIFY2(when[i - 1] > when[i], qPrintable(when[i - 1] + QLatin1Char(' ') + when[i]));
    const QStringList newest = history(date);
    QCOMPARE(newest.size(), pages.first());
}

void AppServerHistoryTest::continuationIsChecked_data()
{
    QTest::addColumn<QString>("continuation");
    QTest::newRow("letters") << "abc";
    QTest::newRow("negative") << "-1";
    QTest::newRow("signed") << "+5";
    QTest::newRow("zero") << "0";
    QTest::newRow("nineteen digits") << "1234567890123456789";
    QTest::newRow("blank inside") << "12 3";
}

void AppServerHistoryTest::continuationIsChecked()
{
    QFETCH(QString, continuation);
    QCOMPARE(historyPage(freshDate(), continuation).errorCode, -32602);
}

void AppServerHistoryTest::whatGrowsWithCallsIsBoundedPerCaller_data()
{
    // In each statement, %1 is the caller's address, %2 a count of rows, %3 the moment now (ms).
    QTest::addColumn<QString>("seed");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("call"); // "reserve", "reserve with an id" or "save"
    QTest::addColumn<int>("bound");
    const QString rows =
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
                       "< %2) ");
    QTest::newRow("reservations") << rows + "INSERT INTO RESERVA (CDFILIAL, CRIADOEM, SEGREDO, CLIENTE) "
                                            "SELECT '0002', %3, 'x', '%1' FROM n"
                                  << "SELECT COUNT(*) FROM RESERVA WHERE CLIENTE = '%1'"
                                  << "reserve" << 32;
    QTest::newRow("request outcomes")
        << rows + "INSERT INTO REQUISICAO (IDREQUISICAO, IMPRESSAO, RESULTADO, CRIADOEM, CLIENTE) SELECT "
                  "'seed-%1-' || i, 'x', 'null', %3 - 10000 + i, '%1' FROM n"
        << "SELECT COUNT(*) FROM REQUISICAO WHERE CLIENTE = '%1'"
        << "reserve with an id" << 10000;
    QTest::newRow("history of a line")
        << rows +
               "INSERT INTO HIST_EFETGEST (QUANDO, CLIENTE, USUARIO, TIPO, CDFILIAL, DTEFETGEST, "
               "CDSERVFILI, QT_DEPOIS, VR_DEPOIS, TT_DEPOIS) SELECT %3 + i, '%1', 'seed', 'insert', '0002', "
               "'%4', '00001', i, 1, i FROM n"
        << "SELECT COUNT(*) FROM HIST_EFETGEST WHERE CLIENTE = '%1' AND DTEFETGEST = '%4'"
        << "save" << 1000;
}

// A caller at its bound adds one more: its oldest goes, the new one and every other caller's stay.
void AppServerHistoryTest::whatGrowsWithCallsIsBoundedPerCaller()
{
    QFETCH(QString, seed);
    QFETCH(QString, count);
    QFETCH(QString, call);
    QFETCH(int, bound);
    const QDate date = freshDate();
    const QString now = QString::number(QDateTime::currentMSecsSinceEpoch());
    const QString day = date.toString(Qt::ISODate);
    const QString me = QStringLiteral("127.0.0.1");
    const QString other = QStringLiteral("10.0.0.2");
    backend_.execute(database_, QString(seed).replace(QStringLiteral("%4"), day).arg(me).arg(bound).arg(now));
    backend_.execute(database_, QString(seed).replace(QStringLiteral("%4"), day).arg(other).arg(5).arg(now));
    if (call == u"save") {
        const Record stored =
            line(Branch, date, Service, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        QVERIFY(save(*client_, {inserted(stored)}).ok());
    } else {
        client_->http().setRequestId(call == u"reserve" ? QByteArray()
                                                        : QByteArray("bounded-") + now.toLatin1());
        const RpcClient::Reply reply =
            client_->call(QStringLiteral("GetPrxRelApurFat"), {RpcClient::str(Branch)});
        client_->http().setRequestId({});
        QVERIFY2(reply.ok(), reply.body);
    }
    const QString counted = QString(count).replace(QStringLiteral("%4"), day);
    QCOMPARE(backend_.number(database_, counted.arg(me)), bound);
    QCOMPARE(backend_.number(database_, counted.arg(other)), 5);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (const auto kind : {BackendFixture::Kind::Sqlite, BackendFixture::Kind::Postgres}) {
        AppServerHistoryTest test(kind);
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures;
}

#include "tst_appserver_history.moc"
