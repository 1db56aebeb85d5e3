// The history of a measurement line against the real server process, on SQLite and then on PostgreSQL:
// every save and import leaves its rows, in the same transaction as the change.
#include "AppServerProcess.h"
#include "BackendFixture.h"
#include "EfetGestLines.h"
#include "HistEfetGestRecordSet.h"
#include "PacketCodec.h"
#include "RpcClient.h"

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

private:
    void apply(const QString& step, QDate date);
    QStringList history(QDate date);

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
    client_ = std::make_unique<RpcClient>(QStringLiteral("127.0.0.1"), server_->port());
    // What the host reports is cleaned before it is stored: no control characters, no blanks around.
    client_->http().setUser(" ana\x01.souza ");
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
