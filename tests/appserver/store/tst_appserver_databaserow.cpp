// Rows read in place on SQLite read exactly as Qt's driver reads them: every storage class, odd
// texts and dates, each column read both ways from the same real database file. The list packet
// written straight from the stored columns, its service names merged in by code, is byte for byte the
// codec's packet of the same lines read through the join.
#include "Database.h"
#include "DatabaseSpec.h"
#include "EfetGestLayout.h"
#include "EfetGestStore.h"
#include "PacketCodec.h"
#include "Schema.h"
#include "SqlDialect.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class DatabaseRowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsAsTheDriverReads_data();
    void readsAsTheDriverReads();
    void boundValuesSelectTheSameRows_data();
    void boundValuesSelectTheSameRows();
    void datesBindAsQtWritesThem_data();
    void datesBindAsQtWritesThem();
    void listPacketIsTheCodecsPacket_data();
    void listPacketIsTheCodecsPacket();
    void listNamesItsServicesAsTheJoinDoes_data();
    void listNamesItsServicesAsTheJoinDoes();

private:
    QTemporaryDir dir_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<Database> server_; // the server's own tables
};

void DatabaseRowTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    db_ = std::make_unique<Database>(DatabaseSpec::parse(dir_.filePath(QStringLiteral("rows.db"))));
    db_->execDirect(QStringLiteral("CREATE TABLE T (K INTEGER PRIMARY KEY, V, D TEXT, N INTEGER)"));
    server_ = std::make_unique<Database>(DatabaseSpec::parse(dir_.filePath(QStringLiteral("server.db"))));
    Schema::migrate(*server_);
}

void DatabaseRowTest::readsAsTheDriverReads_data()
{
    QTest::addColumn<QString>("stored"); // an SQL literal
    QTest::newRow("ascii text") << "'0001'";
    QTest::newRow("accents") << "'Serviço de Conservação nº 1'";
    QTest::newRow("outside the BMP") << "'limpeza 🧹 ok'";
    QTest::newRow("empty text") << "''";
    QTest::newRow("null") << "NULL";
    QTest::newRow("integer") << "1234567890123";
    QTest::newRow("negative integer") << "-45000";
    QTest::newRow("real") << "2345.675";
    QTest::newRow("blob") << "X'00ff41'";
    QTest::newRow("stored date") << "'2030-06-01'";
    QTest::newRow("date and time") << "'2030-06-01T10:20:30'";
    QTest::newRow("month 13") << "'2030-13-01'";
    QTest::newRow("day 31 of June") << "'2030-06-31'";
    QTest::newRow("year zero") << "'0000-01-01'";
    QTest::newRow("short date") << "'2030-6-1'";
    QTest::newRow("signs in the digits") << "'+030-06-01'";
    QTest::newRow("not a date") << "'amanhã mesmo'";
}

void DatabaseRowTest::readsAsTheDriverReads()
{
    QFETCH(QString, stored);
    db_->execDirect(QStringLiteral("DELETE FROM T"));
    db_->execDirect(QStringLiteral("INSERT INTO T VALUES (1, %1, %1, %1)").arg(stored));
    const QString sql = QStringLiteral("SELECT V, D, N FROM T WHERE K = ?");
    QVariantList driver;
    db_->select(sql, {1}, [&](const QSqlQuery& q) {
        for (int column = 0; column < 3; ++column)
            driver << q.value(column);
    });
    QCOMPARE(driver.size(), 3);
    const SqlDialect dialect(DatabaseSpec::Kind::Sqlite);
    int rows = 0;
    db_->selectRows(sql, {1}, [&](const DatabaseRow& row) {
        ++rows;
        for (int column = 0; column < 3; ++column) {
            const QVariant& expected = driver[column];
            QCOMPARE(row.isNull(column), expected.isNull());
            QCOMPARE(row.text(column), expected.isNull() ? QVariant() : QVariant(expected.toString()));
            QCOMPARE(row.value(column).isNull(), expected.isNull());
            if (!expected.isNull())
                QCOMPARE(row.value(column), expected);
            QCOMPARE(row.date(column), dialect.fromDate(expected));
            QCOMPARE(dialect.fromDecimal(row.value(column)), dialect.fromDecimal(expected));
        }
    });
    QCOMPARE(rows, 1);
}

void DatabaseRowTest::boundValuesSelectTheSameRows_data()
{
    QTest::addColumn<QVariant>("bound");
    QTest::newRow("text") << QVariant(QStringLiteral("Conservação"));
    QTest::newRow("null text") << QVariant(QString());
    QTest::newRow("invalid") << QVariant();
    QTest::newRow("integer") << QVariant(qint64(-45000));
    QTest::newRow("int") << QVariant(7);
    QTest::newRow("real") << QVariant(2345.675);
    QTest::newRow("digits as text") << QVariant(QStringLiteral("7"));
}

void DatabaseRowTest::boundValuesSelectTheSameRows()
{
    QFETCH(QVariant, bound);
    db_->execDirect(QStringLiteral("DELETE FROM T"));
    db_->execDirect(
        QStringLiteral("INSERT INTO T VALUES (1, 'Conservação', '7', 7), (2, -45000, NULL, NULL), "
                       "(3, 2345.675, 'x', 7.0), (4, NULL, '', 0)"));
    // Equality, IS and the type SQLite sees: each depends on how the value was bound.
    const QString sql =
        QStringLiteral("SELECT K, typeof(?) FROM T WHERE V = ? OR D IS ? OR N = ? ORDER BY K");
    const QVariantList values{bound, bound, bound, bound};
    QStringList driver;
    db_->select(sql, values,
                [&](const QSqlQuery& q) { driver << q.value(0).toString() + q.value(1).toString(); });
    QStringList native;
    db_->selectRows(sql, values, [&](const DatabaseRow& row) {
        native << row.text(0).toString() + row.text(1).toString();
    });
    QCOMPARE(native, driver);
}

void DatabaseRowTest::datesBindAsQtWritesThem_data()
{
    QTest::addColumn<QDate>("date");
    QTest::newRow("ordinary") << QDate(2030, 6, 1);
    QTest::newRow("leap day") << QDate(2028, 2, 29);
    QTest::newRow("first day of the era") << QDate(1, 1, 1);
    QTest::newRow("three-digit year") << QDate(987, 10, 9);
    QTest::newRow("last of year 9999") << QDate(9999, 12, 31);
    QTest::newRow("year 10000") << QDate(10000, 1, 1);
    QTest::newRow("before the era") << QDate(-1, 12, 31);
    QTest::newRow("invalid") << QDate();
}

void DatabaseRowTest::datesBindAsQtWritesThem()
{
    QFETCH(QDate, date);
    const QVariant bound = SqlDialect(DatabaseSpec::Kind::Sqlite).toDate(date);
    const QString qts = date.toString(Qt::ISODate);
    QCOMPARE(bound.toString(), qts);
    QCOMPARE(bound.toString().isNull(), qts.isNull());
}

void DatabaseRowTest::listPacketIsTheCodecsPacket_data()
{
    QTest::addColumn<QString>("column"); // of the first line, as the list's query names it
    QTest::addColumn<QString>("stored"); // an SQL literal
    QTest::newRow("accents") << "S.NMSERVICO"
                             << "'Serviço de Conservação nº 1'";
    QTest::newRow("quotes, backslash, controls, DEL") << "S.NMSERVICO"
                                                      << "'a\"b\\c' || char(8, 9, 10, 12, 13, 1, 31, 127)";
    QTest::newRow("NUL inside") << "S.NMSERVICO"
                                << "CAST(X'410042' AS TEXT)";
    QTest::newRow("last of the fast characters") << "S.NMSERVICO"
                                                 << "char(55295, 57344, 61439)";
    QTest::newRow("byte-order mark") << "S.NMSERVICO"
                                     << "char(65279) || 'x'";
    QTest::newRow("noncharacters") << "S.NMSERVICO"
                                   << "char(64976, 65534, 65535)";
    QTest::newRow("outside the BMP") << "S.NMSERVICO"
                                     << "'limpeza 🧹 ok'";
    QTest::newRow("invalid UTF-8") << "S.NMSERVICO"
                                   << "CAST(X'41ff42' AS TEXT)";
    QTest::newRow("cut sequence") << "S.NMSERVICO"
                                  << "CAST(X'41c3' AS TEXT)";
    QTest::newRow("overlong slash") << "S.NMSERVICO"
                                    << "CAST(X'c0af' AS TEXT)";
    QTest::newRow("overlong three bytes") << "S.NMSERVICO"
                                          << "CAST(X'e08080' AS TEXT)";
    QTest::newRow("encoded surrogate") << "S.NMSERVICO"
                                       << "CAST(X'eda080' AS TEXT)";
    QTest::newRow("blob name") << "S.NMSERVICO"
                               << "X'4142'";
    QTest::newRow("null name") << "S.NMSERVICO"
                               << "NULL";
    QTest::newRow("empty name") << "S.NMSERVICO"
                                << "''";
    QTest::newRow("staff null") << "E.USR_QTEFETGEST"
                                << "NULL";
    QTest::newRow("staff zero") << "E.USR_QTEFETGEST"
                                << "0";
    QTest::newRow("staff whole") << "E.USR_QTEFETGEST"
                                 << "120000";
    QTest::newRow("staff fraction") << "E.USR_QTEFETGEST"
                                    << "12345";
    QTest::newRow("staff trailing zeros") << "E.USR_QTEFETGEST"
                                          << "10500";
    QTest::newRow("staff below one") << "E.USR_QTEFETGEST"
                                     << "-7";
    QTest::newRow("staff real") << "E.USR_QTEFETGEST"
                                << "2345.675";
    QTest::newRow("staff text") << "E.USR_QTEFETGEST"
                                << "'doze'";
    QTest::newRow("price negative") << "E.USR_VREFETGEST"
                                    << "-45000";
    QTest::newRow("price largest") << "E.USR_VREFETGEST"
                                   << "9223372036854775807";
    QTest::newRow("price smallest") << "E.USR_VREFETGEST"
                                    << "-9223372036854775807 - 1";
    QTest::newRow("total null") << "E.USR_VRTTSERVGEST"
                                << "NULL";
    QTest::newRow("total blob") << "E.USR_VRTTSERVGEST"
                                << "X'00'";
}

void DatabaseRowTest::listPacketIsTheCodecsPacket()
{
    QFETCH(QString, column);
    QFETCH(QString, stored);
    server_->execDirect(QStringLiteral("DELETE FROM USR_EFETGEST"));
    server_->execDirect(QStringLiteral("DELETE FROM SERVICO"));
    server_->execDirect(QStringLiteral("INSERT INTO SERVICO VALUES ('0001', '00001', 'Limpeza'), "
                                       "('0001', '00002', 'Portaria'), ('0001', '00003', 'Jardim')"));
    server_->execDirect(QStringLiteral("INSERT INTO USR_EFETGEST VALUES "
                                       "('0001', '2030-06-01', '00001', 20000, 1234500, 2469000), "
                                       "('0001', '2030-06-01', '00002', 10000, 99, 99), "
                                       "('0001', '2030-06-01', '00003', 30000, 15000, 45000)"));
    const bool inService = column.startsWith(u'S');
    server_->execDirect(QStringLiteral("UPDATE %1 SET %2 = %3 WHERE %4 = '00002'")
                            .arg(inService ? u"SERVICO" : u"USR_EFETGEST", column.mid(2), stored,
                                 inService ? u"CDSERVFILI" : u"USR_CDSERVFILI"));
    const EfetGestStore store(*server_);
    const QString branch = QStringLiteral("0001");
    const QDate date(2030, 6, 1);
    const QByteArray expected =
        PacketCodec::encodePacket(EfetGestLayout::instance().fields, store.lines(branch, date)).json();
    QVERIFY(expected.contains("\"rows\":[["));
    QCOMPARE(store.linesPacket(branch, date), expected);
}

void DatabaseRowTest::listNamesItsServicesAsTheJoinDoes_data()
{
    QTest::addColumn<QString>("lines");    // codes of branch 0001's lines on the day, SQL literals
    QTest::addColumn<QString>("services"); // codes of branch 0001's services, SQL literals
    QTest::addColumn<int>("named");        // lines that get a service name
    QTest::newRow("every line its service") << "'00001','00002','00003'"
                                            << "'00001','00002','00003'" << 3;
    QTest::newRow("no lines") << ""
                              << "'00001','00002'" << 0;
    QTest::newRow("no services") << "'00001','00002'"
                                 << "" << 0;
    QTest::newRow("a line without its service") << "'00001','00002','00003'"
                                                << "'00001','00003'" << 2;
    QTest::newRow("services only before the lines") << "'00005','00006'"
                                                    << "'00001','00002'" << 0;
    QTest::newRow("services only after the lines") << "'00001','00002'"
                                                   << "'00005','00006'" << 0;
    QTest::newRow("a few services between lines") << "'00001','00009'"
                                                  << "'00001','00002','00003','00004','00009'" << 2;
    QTest::newRow("past a seek's worth of services between lines")
        << "'00001','00002','00003'"
        << "'00001','00003','00001000','00001001','00001002','00001003','00001004',"
           "'00001005','00001006','00001007','00001008','00001009','00001010','00001011','00001012',"
           "'00001013','00001014','00001015','00001016','00001017','00001018','00001019','00002'"
        << 3;
    const auto codes = [](int from, int to, int step) {
        QStringList out;
        for (int code = from; code < to; code += step)
            out << QStringLiteral("'%1'").arg(code, 5, 10, QLatin1Char('0'));
        return out.join(u',');
    };
    QTest::newRow("lines scattered among many services") << codes(3, 200, 7) << codes(0, 200, 1) << 29;
    QTest::newRow("services scattered among many lines") << codes(0, 100, 1) << codes(0, 100, 9) << 12;
    QTest::newRow("codes that prefix others") << "'0001','00010','000100','00011'"
                                              << "'000','0001','000100','00011','0002'" << 3;
    QTest::newRow("a service code stored as bytes") << "'00001','00002'"
                                                    << "'00001',CAST('00002' AS BLOB)" << 1;
    QTest::newRow("a line code stored as bytes") << "'00001',CAST('00002' AS BLOB)"
                                                 << "'00001','00002'" << 1;
    QTest::newRow("line codes not ASCII") << "'0000º','0000ç'"
                                          << "'00003','0000º','0000ç'" << 2;
}

void DatabaseRowTest::listNamesItsServicesAsTheJoinDoes()
{
    QFETCH(QString, lines);
    QFETCH(QString, services);
    QFETCH(int, named);
    server_->execDirect(QStringLiteral("DELETE FROM USR_EFETGEST"));
    server_->execDirect(QStringLiteral("DELETE FROM SERVICO"));
    // The same codes in the branches either side, with other names, and lines on the days either side.
    for (const QString& branch : {QStringLiteral("0000"), QStringLiteral("0002")})
        server_->execDirect(QStringLiteral("INSERT INTO SERVICO VALUES ('%1', '00001', 'outra'), "
                                           "('%1', '00002', 'outra'), ('%1', '0000ç', 'outra')")
                                .arg(branch));
    server_->execDirect(
        QStringLiteral("INSERT INTO USR_EFETGEST VALUES ('0001', '2030-05-31', '00004', 1, 1, 1), "
                       "('0001', '2030-06-02', '00000', 1, 1, 1)"));
    for (const QString& code : services.split(u',', Qt::SkipEmptyParts))
        server_->execDirect(
            QStringLiteral("INSERT INTO SERVICO VALUES ('0001', %1, 'Serviço ' || %1)").arg(code));
    for (const QString& code : lines.split(u',', Qt::SkipEmptyParts))
        server_->execDirect(
            QStringLiteral(
                "INSERT INTO USR_EFETGEST VALUES ('0001', '2030-06-01', %1, 20000, 1234500, 2469000)")
                .arg(code));
    const EfetGestStore store(*server_);
    const QString branch = QStringLiteral("0001");
    const QDate date(2030, 6, 1);
    const QList<Record> joined = store.lines(branch, date);
    const int nameAt = EfetGestLayout::instance().serviceName;
    QCOMPARE(joined.size(), lines.split(u',', Qt::SkipEmptyParts).size());
    QCOMPARE(int(std::count_if(joined.begin(), joined.end(),
                               [&](const Record& line) { return !line[nameAt].isNull(); })),
             named);
    QCOMPARE(store.linesPacket(branch, date),
             PacketCodec::encodePacket(EfetGestLayout::instance().fields, joined).json());
}

QTEST_GUILESS_MAIN(DatabaseRowTest)
#include "tst_appserver_databaserow.moc"
