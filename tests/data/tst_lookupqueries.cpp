#include "EDatabaseError.h"
#include "FilialLookup.h"
#include "LookupDatabases.h"
#include "ServicoLookup.h"
#include "TADOIBQuery.h"
#include "TADOIBStringField.h"
#include "TDataSet.h"
#include "TDataSource.h"
#include "TField.h"
#include "TStringField.h"
#include "dtmDBGeral.h"

#include <QTest>
#include <optional>

// The branch and service lookups in every dialect that runs here: SQLite and PostgreSQL with their own
// texts, the InterBase texts on embedded Firebird, the Oracle and SQL Server texts on PostgreSQL.
class TestLookupQueries : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void cleanupTestCase();

    void filialByCode_data();
    void filialByCode();
    void filialAllInCodeOrder();
    void servicoByCode_data();
    void servicoByCode();
    void servicoAllOfBranchInCodeOrder_data();
    void servicoAllOfBranchInCodeOrder();
    void staysOpenOnFirstRow();
    void unknownParameterRaises();
    void databaseErrorRaises_data();
    void databaseErrorRaises();

private:
    static QStringList column(const TADOIBQuery* query, const QString& name);
    void openFilial(const std::optional<QString>& code);
    void openServico(const QString& branch, const std::optional<QString>& code);

    LookupDatabases databases_;
    QObject owner_;
    FilialLookup filial_ = FilialLookup::create(&owner_);
    ServicoLookup servico_ = ServicoLookup::create(&owner_);
};

void TestLookupQueries::initTestCase_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("dialect");
    QTest::newRow("SQLite") << "sqlite"
                            << "";
    QTest::newRow("PostgreSQL") << "postgres"
                                << "";
    QTest::newRow("InterBase texts on Firebird") << "firebird"
                                                 << "";
    QTest::newRow("Oracle texts on PostgreSQL") << "postgres"
                                                << "ORACLE";
    QTest::newRow("SQL Server texts on PostgreSQL") << "postgres"
                                                    << "MSSQL";
}

void TestLookupQueries::init()
{
    QFETCH_GLOBAL(QString, engine);
    QFETCH_GLOBAL(QString, dialect);
    QString skipReason;
    LocalDatabaseSettings settings;
    if (engine == u"sqlite")
        settings = databases_.sqlite();
    else if (engine == u"firebird")
        settings = databases_.firebird(&skipReason);
    else
        settings = databases_.postgres(dialect, &skipReason);
    if (!skipReason.isEmpty())
        QSKIP(qPrintable(skipReason));
    TdtmDBGeral::open(settings);
}

void TestLookupQueries::cleanup()
{
    filial_.qryFilial->Close();
    servico_.qryServico->Close();
    TdtmDBGeral::reset();
}

void TestLookupQueries::cleanupTestCase()
{
    TdtmDBGeral::reset();
}

QStringList TestLookupQueries::column(const TADOIBQuery* query, const QString& name)
{
    QStringList values;
    TDataSet* data = query->Query();
    for (data->First(); !data->Eof(); data->Next())
        values.append(data->FieldByName(name)->AsString());
    data->First();
    return values;
}

void TestLookupQueries::openFilial(const std::optional<QString>& code)
{
    TADOIBQuery* qry = filial_.qryFilial;
    qry->Close();
    if (code)
        qry->ParamByName(u"P_CDFILIAL").SetAsString(*code);
    else
        qry->ParamByName(u"P_CDFILIAL").Clear();
    qry->Open();
}

void TestLookupQueries::openServico(const QString& branch, const std::optional<QString>& code)
{
    TADOIBQuery* qry = servico_.qryServico;
    qry->Close();
    qry->ParamByName(u"P_CDFILIAL").SetAsString(branch);
    if (code)
        qry->ParamByName(u"P_CDSERVFILI").SetAsString(*code);
    else
        qry->ParamByName(u"P_CDSERVFILI").Clear();
    qry->Open();
}

void TestLookupQueries::filialByCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("known") << "0001" << QStringList{"Matriz São Paulo"};
    QTest::newRow("not in FILIAL") << "9999" << QStringList{};
    QTest::newRow("zeros dropped is another code") << "1" << QStringList{};
    QTest::newRow("short code") << "10" << QStringList{"Filial Dez"};
    QTest::newRow("same number, zeros kept") << "0010" << QStringList{"Filial Recife"};
}

void TestLookupQueries::filialByCode()
{
    QFETCH(QString, code);
    QFETCH(QStringList, names);
    openFilial(code);
    QCOMPARE(column(filial_.qryFilial, "NMFILIAL"), names);
    QCOMPARE(filial_.qryFilial->IsEmpty(), names.isEmpty());
    if (!names.isEmpty())
        QCOMPARE(filial_.qryFilialCDFILIAL->AsString(), code);
}

void TestLookupQueries::filialAllInCodeOrder()
{
    openFilial(std::nullopt);
    QCOMPARE(column(filial_.qryFilial, "CDFILIAL"), (QStringList{"0001", "0002", "0010", "10"}));
    QCOMPARE(column(filial_.qryFilial, "NMFILIAL"),
             (QStringList{"Matriz São Paulo", "Filial Rio", "Filial Recife", "Filial Dez"}));
}

void TestLookupQueries::servicoByCode_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("known") << "0001"
                           << "00002" << QStringList{"Limpeza"};
    QTest::newRow("same code, other branch") << "0002"
                                             << "00001" << QStringList{"Vigilância noturna"};
    QTest::newRow("only in another branch") << "0001"
                                            << "00003" << QStringList{};
    QTest::newRow("unknown branch") << "9999"
                                    << "00001" << QStringList{};
    QTest::newRow("zeros dropped is another code") << "0001"
                                                   << "1" << QStringList{};
    QTest::newRow("short code") << "0001"
                                << "10" << QStringList{"Recepção"};
    QTest::newRow("same number, zeros kept") << "0001"
                                             << "00010" << QStringList{"Portaria"};
}

void TestLookupQueries::servicoByCode()
{
    QFETCH(QString, branch);
    QFETCH(QString, code);
    QFETCH(QStringList, names);
    openServico(branch, code);
    QCOMPARE(column(servico_.qryServico, "NMSERVICO"), names);
    QCOMPARE(servico_.qryServico->IsEmpty(), names.isEmpty());
}

void TestLookupQueries::servicoAllOfBranchInCodeOrder_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("0001") << "0001" << QStringList{"00001", "00002", "00010", "10"};
    QTest::newRow("0002") << "0002" << QStringList{"00001", "00003"};
    QTest::newRow("none") << "0010" << QStringList{};
}

void TestLookupQueries::servicoAllOfBranchInCodeOrder()
{
    QFETCH(QString, branch);
    QFETCH(QStringList, codes);
    openServico(branch, std::nullopt);
    QCOMPARE(column(servico_.qryServico, "CDSERVFILI"), codes);
}

void TestLookupQueries::staysOpenOnFirstRow()
{
    openFilial(std::nullopt);
    TADOIBQuery* qry = filial_.qryFilial;
    QVERIFY(qry->Active());
    QCOMPARE(qry->Query()->RecNo(), 1);
    QCOMPARE(qry->FieldByName(u"CDFILIAL")->AsString(), QStringLiteral("0001"));
    QCOMPARE(filial_.dtsFilial->State(), TDataSetState::dsBrowse);
    // A search moves the cursor; the choice stays there for the caller.
    QVERIFY(qry->Query()->Locate("CDFILIAL", {QStringLiteral("0010")}));
    QCOMPARE(qry->FieldByName(u"NMFILIAL")->AsString(), QStringLiteral("Filial Recife"));
    QCOMPARE(filial_.qryFilialNMFILIAL->AsString(), QStringLiteral("Filial Recife"));
}

void TestLookupQueries::unknownParameterRaises()
{
    try {
        filial_.qryFilial->ParamByName(u"P_CDFILAL").SetAsString(QStringLiteral("0001"));
        QFAIL("a misspelt parameter was accepted");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.Message().contains("P_CDFILAL") && e.Message().contains("qryFilial"),
                 qPrintable(e.Message()));
    }
}

void TestLookupQueries::databaseErrorRaises_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("no such table") << "SELECT CDFILIAL, NMFILIAL FROM FILIAL_NAO_EXISTE";
    // Fails only while rows are fetched on some engines.
    QTest::newRow("bad value") << "SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE CAST(NMFILIAL AS INTEGER) = 1";
}

void TestLookupQueries::databaseErrorRaises()
{
    QFETCH(QString, sql);
    QFETCH_GLOBAL(QString, engine);
    if (engine == u"sqlite" && QTest::currentDataTag() == QLatin1String("bad value"))
        sql = QStringLiteral("SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE abs(-9223372036854775808) > 0");
    TADOIBQuery query;
    query.setObjectName(QStringLiteral("qryFalha"));
    new TStringField(query.Query(), QStringLiteral("CDFILIAL"), 4);
    new TStringField(query.Query(), QStringLiteral("NMFILIAL"), 30);
    query.SetSql(dtmDBGeral().dialect(), {sql});
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query.Open());
    QVERIFY(!query.Active());
    try {
        query.Open();
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.Message().contains("qryFalha"), qPrintable(e.Message()));
    }
}

QTEST_GUILESS_MAIN(TestLookupQueries)
#include "tst_lookupqueries.moc"
