#include "DatabaseDialect.h"
#include "EDatabaseError.h"
#include "PositionalSql.h"
#include "TADOIBQuery.h"
#include "TADOIBStringField.h"
#include "TDataSet.h"
#include "TField.h"
#include "dtmDBGeral.h"

#include <QFile>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// The lookup query and the shared database module on their own, over a small SQLite file.
class TestADOIBQuery : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void positionalSql_data();
    void positionalSql();
    void dialectOfDriver_data();
    void dialectOfDriver();
    void dialectNamedInSettings();
    void moduleOpensFromHostSettings();
    void moduleRefusesWhatItCannotOpen();
    void everyNameBoundWhereverItStands();
    void parameterKeepsValueAcrossTextChanges();
    void requiredNullRefusesToOpen();
    void valueTooLongRefusesToOpen();
    void resultIsReadOnly();
    void openWhileOpenKeepsTheRows();
    void noTextForTheDialectRaises();
    void filterKeepsTheRowsItAccepts_data();
    void filterKeepsTheRowsItAccepts();
    void filterHoldsFromOpenUntilCleared();
    void filterOnAFieldNotThereRaises();

private:
    TADOIBQuery* newQuery(const QStringList& sqliteText);
    // CODE of every row of the open result, in order.
    static QStringList codes(const TADOIBQuery& query);

    QTemporaryDir dir_;
    LocalDatabaseSettings settings_;
    std::unique_ptr<QObject> owner_;
};

void TestADOIBQuery::initTestCase()
{
    settings_.database = dir_.filePath("kit.db");
    TdtmDBGeral::open(settings_);
    QSqlQuery sql(dtmDBGeral().adcGeral());
    QVERIFY(sql.exec("CREATE TABLE T (CODE VARCHAR(4), NAME VARCHAR(10))"));
    QVERIFY(sql.exec("INSERT INTO T VALUES ('b', 'beta'), ('a', NULL), ('c', 'gama')"));
}

void TestADOIBQuery::init()
{
    owner_ = std::make_unique<QObject>();
    TdtmDBGeral::open(settings_);
}

void TestADOIBQuery::cleanup()
{
    owner_.reset();
    TdtmDBGeral::reset();
}

TADOIBQuery* TestADOIBQuery::newQuery(const QStringList& sqliteText)
{
    auto* query = new TADOIBQuery(owner_.get());
    query->setObjectName("qryTeste");
    query->SetSQL_SQLITE(sqliteText);
    new TADOIBStringField(query->Query(), "CODE", 4);
    new TADOIBStringField(query->Query(), "NAME", 10);
    return query;
}

QStringList TestADOIBQuery::codes(const TADOIBQuery& query)
{
    QStringList out;
    TDataSet* rows = query.Query();
    for (rows->First(); !rows->Eof(); rows->Next())
        out << query.FieldByName(u"CODE")->AsString();
    return out;
}

void TestADOIBQuery::positionalSql_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("positional");
    QTest::addColumn<QStringList>("occurrences");
    QTest::newRow("two names") << "A = :P_A AND B = NVL(:P_B,B)"
                               << "A = ? AND B = NVL(?,B)" << QStringList{"P_A", "P_B"};
    QTest::newRow("repeated") << ":X + :x"
                              << "? + ?" << QStringList{"X", "x"};
    QTest::newRow("quoted text") << "':P' || :P"
                                 << "':P' || ?" << QStringList{"P"};
    QTest::newRow("doubled quote") << "'it''s :P' = :Q"
                                   << "'it''s :P' = ?" << QStringList{"Q"};
    QTest::newRow("quoted name") << "\"a:b\" = :Q"
                                 << "\"a:b\" = ?" << QStringList{"Q"};
    QTest::newRow("cast") << "X::text = :Y"
                          << "X::text = ?" << QStringList{"Y"};
    QTest::newRow("comments") << "-- :A\n/* :B */ :C"
                              << "-- :A\n/* :B */ ?" << QStringList{"C"};
    QTest::newRow("time literal") << "'10:30' = :T1"
                                  << "'10:30' = ?" << QStringList{"T1"};
    QTest::newRow("colon alone") << "a : b"
                                 << "a : b" << QStringList{};
}

void TestADOIBQuery::positionalSql()
{
    QFETCH(QString, named);
    QFETCH(QString, positional);
    QFETCH(QStringList, occurrences);
    const PositionalSql sql = PositionalSql::fromNamed(named);
    QCOMPARE(sql.text, positional);
    QCOMPARE(sql.occurrences, occurrences);
}

void TestADOIBQuery::dialectOfDriver_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<DatabaseDialect>("dialect");
    QTest::newRow("QSQLITE") << "QSQLITE" << DatabaseDialect::Sqlite;
    QTest::newRow("QPSQL") << "QPSQL" << DatabaseDialect::Postgres;
    QTest::newRow("QIBASE") << "QIBASE" << DatabaseDialect::InterBase;
    QTest::newRow("QOCI") << "QOCI" << DatabaseDialect::Oracle;
    QTest::newRow("QODBC") << "QODBC" << DatabaseDialect::MsSql;
    QTest::newRow("QODBC3") << "QODBC3" << DatabaseDialect::MsSql;
}

void TestADOIBQuery::dialectOfDriver()
{
    QFETCH(QString, driver);
    QFETCH(DatabaseDialect, dialect);
    QCOMPARE(::dialectOfDriver(driver), dialect);
    QCOMPARE(dialectFromName(dialectName(dialect)), dialect);
}

void TestADOIBQuery::dialectNamedInSettings()
{
    QCOMPARE(dtmDBGeral().dialect(), DatabaseDialect::Sqlite);
    LocalDatabaseSettings named = settings_;
    named.dialect = "oracle";
    QCOMPARE(TdtmDBGeral::open(named).dialect(), DatabaseDialect::Oracle);
    QCOMPARE(dialectFromName(" Firebird "), DatabaseDialect::InterBase);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, dialectFromName("DB2"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, ::dialectOfDriver("QMYSQL"));
}

void TestADOIBQuery::moduleOpensFromHostSettings()
{
    const QString ini = dir_.filePath("med00418.ini");
    {
        QSettings file(ini, QSettings::IniFormat);
        file.setValue("BancoLocal/Database", settings_.database);
        file.setValue("BancoLocal/Dialect", "PG");
    }
    qputenv("MED_SETTINGS", QFile::encodeName(ini));
    TdtmDBGeral::reset();
    const TdtmDBGeral& module = dtmDBGeral();
    qunsetenv("MED_SETTINGS");
    QCOMPARE(module.settings().driver, QString("QSQLITE"));
    QCOMPARE(module.adcGeral().databaseName(), settings_.database);
    QCOMPARE(module.dialect(), DatabaseDialect::Postgres);
    QCOMPARE(&dtmDBGeral(), &module);
}

void TestADOIBQuery::moduleRefusesWhatItCannotOpen()
{
    LocalDatabaseSettings broken = settings_;
    broken.driver = "QNOSUCH";
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, TdtmDBGeral::open(broken));
    QVERIFY(!TdtmDBGeral::current());
    broken = settings_;
    broken.database = dir_.filePath("missing/folder/x.db");
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, TdtmDBGeral::open(broken));
    QVERIFY(!QSqlDatabase::contains(TdtmDBGeral::ConnectionName));
    QCOMPARE(TdtmDBGeral::open(settings_).adcGeral().isOpen(), true);
}

void TestADOIBQuery::everyNameBoundWhereverItStands()
{
    TADOIBQuery* query =
        newQuery({"SELECT CODE, NAME FROM T", "WHERE CODE IN (:P1, :p2) OR NAME = :P1", "ORDER BY CODE"});
    QCOMPARE(query->Params().Names(), (QStringList{"P1", "p2"}));
    query->ParamByName(u"p1").SetAsString("c");
    query->ParamByName(u"P2").SetAsString("a");
    query->Open();
    QCOMPARE(query->Query()->RecordCount(), 2);
    QCOMPARE(query->FieldByName(u"CODE")->AsString(), QString("a"));
    QVERIFY(query->FieldByName(u"NAME")->IsNull());
}

void TestADOIBQuery::parameterKeepsValueAcrossTextChanges()
{
    TADOIBQuery* query = newQuery({"SELECT CODE, NAME FROM T WHERE CODE = :P"});
    TParam& param = query->ParamByName(u"P");
    param.SetAsString("b");
    query->SetSQL_PG({"SELECT CODE, NAME FROM T WHERE CODE = :P AND NAME = :Q"});
    QCOMPARE(&query->ParamByName(u"P"), &param);
    QCOMPARE(param.AsString(), QString("b"));
    QVERIFY(query->ParamByName(u"Q").IsNull());
    param.Clear();
    QVERIFY(param.IsNull());
    QCOMPARE(param.AsString(), QString());
}

void TestADOIBQuery::requiredNullRefusesToOpen()
{
    TADOIBQuery* query = newQuery({"SELECT NAME AS CODE, CODE AS NAME FROM T ORDER BY CODE"});
    qobject_cast<TADOIBStringField*>(query->FieldByName(u"CODE"))->SetRequired(true);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query->Open());
    QVERIFY(!query->Active());
    qobject_cast<TADOIBStringField*>(query->FieldByName(u"CODE"))->SetRequired(false);
    query->Open();
    QCOMPARE(query->Query()->RecordCount(), 3);
}

void TestADOIBQuery::valueTooLongRefusesToOpen()
{
    TADOIBQuery* query = newQuery({"SELECT CODE, NAME || NAME || NAME AS NAME FROM T"});
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query->Open());
    QVERIFY(!query->Active());
}

void TestADOIBQuery::resultIsReadOnly()
{
    TADOIBQuery* query = newQuery({"SELECT CODE, NAME FROM T"});
    query->Open();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query->Query()->Edit());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query->Query()->Append());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query->FieldByName(u"NAME")->SetAsString("x"));
}

void TestADOIBQuery::openWhileOpenKeepsTheRows()
{
    TADOIBQuery* query = newQuery({"SELECT CODE, NAME FROM T WHERE CODE = IFNULL(:P, CODE) ORDER BY CODE"});
    query->Open();
    query->Query()->Last();
    query->ParamByName(u"P").SetAsString("a");
    query->Open();
    QCOMPARE(query->Query()->RecordCount(), 3);
    QCOMPARE(query->FieldByName(u"CODE")->AsString(), QString("c"));
    query->Close();
    QVERIFY(!query->Active());
    QVERIFY(query->IsEmpty());
    query->Open();
    QCOMPARE(query->Query()->RecordCount(), 1);
}

void TestADOIBQuery::noTextForTheDialectRaises()
{
    TADOIBQuery* query = newQuery({});
    query->SetSQL_ORACLE({"SELECT CODE, NAME FROM T"});
    try {
        query->Open();
        QFAIL("opened without a text for its dialect");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.Message().contains("SQLITE") && e.Message().contains("qryTeste"), qPrintable(e.Message()));
    }
}

void TestADOIBQuery::filterKeepsTheRowsItAccepts_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("accepted"); // values of the field the filter keeps
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("some codes") << "CODE" << QStringList{"c", "a", "x"} << QStringList{"a", "c"};
    QTest::newRow("every code") << "CODE" << QStringList{"a", "b", "c"} << QStringList{"a", "b", "c"};
    QTest::newRow("no code") << "CODE" << QStringList{} << QStringList{};
    QTest::newRow("exact text") << "CODE" << QStringList{"A", " b"} << QStringList{};
    QTest::newRow("field named in any case") << "code" << QStringList{"b"} << QStringList{"b"};
    QTest::newRow("NULL reads as empty") << "NAME" << QStringList{"", "gama"} << QStringList{"a", "c"};
}

void TestADOIBQuery::filterKeepsTheRowsItAccepts()
{
    QFETCH(QString, field);
    QFETCH(QStringList, accepted);
    QFETCH(QStringList, codes);
    TADOIBQuery* query = newQuery({"SELECT CODE, NAME FROM T ORDER BY CODE"});
    query->SetFilter(field, [accepted](const QString& value) { return accepted.contains(value); });
    QVERIFY(query->Filtered());
    query->Open();
    QVERIFY(query->Active());
    QCOMPARE(TestADOIBQuery::codes(*query), codes);
    QCOMPARE(query->IsEmpty(), codes.isEmpty());
    QCOMPARE(query->Query()->RecordCount(), codes.size());
}

void TestADOIBQuery::filterHoldsFromOpenUntilCleared()
{
    TADOIBQuery* query = newQuery({"SELECT CODE, NAME FROM T WHERE CODE = IFNULL(:P, CODE) ORDER BY CODE"});
    query->Open();
    // Set on an open result, it waits for the next Open, as a parameter does.
    query->SetFilter("CODE", [](const QString& code) { return code != "b"; });
    QCOMPARE(codes(*query), (QStringList{"a", "b", "c"}));
    query->Close();
    query->Open();
    QCOMPARE(query->FieldByName(u"CODE")->AsString(), QString("a"));
    QCOMPARE(codes(*query), (QStringList{"a", "c"}));
    // With the parameters: only the rows both let through.
    query->Close();
    query->ParamByName(u"P").SetAsString("b");
    query->Open();
    QVERIFY(query->IsEmpty());
    query->Close();
    query->ClearFilter();
    QVERIFY(!query->Filtered());
    query->Open();
    QCOMPARE(codes(*query), QStringList{"b"});
}

void TestADOIBQuery::filterOnAFieldNotThereRaises()
{
    TADOIBQuery* query = newQuery({"SELECT CODE, NAME FROM T"});
    query->SetFilter("CDFILIAL", [](const QString&) { return true; });
    try {
        query->Open();
        QFAIL("opened with a filter on a field it lacks");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.Message().contains("CDFILIAL") && e.Message().contains("qryTeste"),
                 qPrintable(e.Message()));
    }
    QVERIFY(!query->Active());
}

QTEST_GUILESS_MAIN(TestADOIBQuery)
#include "tst_adoibquery.moc"
