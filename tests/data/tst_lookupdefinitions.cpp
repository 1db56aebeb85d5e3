#include "FilialLookup.h"
#include "ServicoLookup.h"
#include "TADOIBQuery.h"
#include "TADOIBStringField.h"
#include "TDataSet.h"
#include "TDataSource.h"

#include <QTest>

// The lookups as the screen definition declares them: texts line by line, parameters, fields, sources.
class TestLookupDefinitions : public QObject {
    Q_OBJECT

private slots:
    void filialTexts();
    void servicoTexts();
    void parameters();
    void fields_data();
    void fields();
    void dataSourcesShowTheQueriesResults();

private:
    QObject owner_;
    FilialLookup filial_ = FilialLookup::create(&owner_);
    ServicoLookup servico_ = ServicoLookup::create(&owner_);
};

namespace {

QStringList replaced(QStringList lines, int index, const QString& line)
{
    lines[index] = line;
    return lines;
}

} // namespace

void TestLookupDefinitions::filialTexts()
{
    const TADOIBQuery* qry = filial_.qryFilial;
    const QStringList oracle{"SELECT",
                             "   CDFILIAL,",
                             "   NMFILIAL",
                             "FROM",
                             "   FILIAL",
                             "WHERE",
                             "   (CDFILIAL = NVL(:P_CDFILIAL,CDFILIAL))",
                             "ORDER BY",
                             "   CDFILIAL"};
    QCOMPARE(qry->SQL_ORACLE(), oracle);
    QCOMPARE(qry->SQL_MSSQL(), replaced(oracle, 6, "   (CDFILIAL = ISNULL(:P_CDFILIAL,CDFILIAL))"));
    QCOMPARE(qry->SQL_IB(),
             (QStringList{"SELECT", "   CDFILIAL,", "   NMFILIAL", "FROM", "   FILIAL,",
                          "   PARAM(:P_CDFILIAL) P_CDFILIAL", "WHERE",
                          "   (CDFILIAL = NVLSTR(P_CDFILIAL.PARAM,CDFILIAL))", "ORDER BY", "   CDFILIAL"}));
    QCOMPARE(qry->SQL_SQLITE(), replaced(oracle, 6, "   (CDFILIAL = IFNULL(:P_CDFILIAL,CDFILIAL))"));
    QCOMPARE(qry->SQL_PG(), replaced(oracle, 6, "   (CDFILIAL = COALESCE(:P_CDFILIAL,CDFILIAL))"));
    QCOMPARE(qry->SqlText(DatabaseDialect::Oracle), oracle.join('\n'));
}

void TestLookupDefinitions::servicoTexts()
{
    const TADOIBQuery* qry = servico_.qryServico;
    const QStringList oracle{"SELECT",
                             "   CDSERVFILI,",
                             "   NMSERVICO",
                             "FROM",
                             "   SERVICO",
                             "WHERE",
                             "   (CDFILIAL = :P_CDFILIAL) AND",
                             "   (CDSERVFILI = NVL(:P_CDSERVFILI,CDSERVFILI))",
                             "ORDER BY",
                             "   CDSERVFILI"};
    QCOMPARE(qry->SQL_ORACLE(), oracle);
    QCOMPARE(qry->SQL_MSSQL(), replaced(oracle, 7, "   (CDSERVFILI = ISNULL(:P_CDSERVFILI,CDSERVFILI))"));
    QCOMPARE(qry->SQL_IB(),
             (QStringList{"SELECT", "   CDSERVFILI,", "   NMSERVICO", "FROM", "   SERVICO,",
                          "   PARAM(:P_CDSERVFILI) P_CDSERVFILI", "WHERE", "   (CDFILIAL = :P_CDFILIAL) AND",
                          "   (CDSERVFILI = NVLSTR(P_CDSERVFILI.PARAM,CDSERVFILI))", "ORDER BY",
                          "   CDSERVFILI"}));
    QCOMPARE(qry->SQL_SQLITE(), replaced(oracle, 7, "   (CDSERVFILI = IFNULL(:P_CDSERVFILI,CDSERVFILI))"));
    QCOMPARE(qry->SQL_PG(), replaced(oracle, 7, "   (CDSERVFILI = COALESCE(:P_CDSERVFILI,CDSERVFILI))"));
}

void TestLookupDefinitions::parameters()
{
    QCOMPARE(filial_.qryFilial->Params().Names(), QStringList{"P_CDFILIAL"});
    QCOMPARE(servico_.qryServico->Params().Names(), (QStringList{"P_CDSERVFILI", "P_CDFILIAL"}));
    QVERIFY(filial_.qryFilial->ParamByName(u"P_CDFILIAL").IsNull());
    QVERIFY(servico_.qryServico->ParamByName(u"P_CDSERVFILI").IsNull());
}

void TestLookupDefinitions::fields_data()
{
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("required");
    QTest::addColumn<QString>("label");
    QTest::newRow("qryFilialCDFILIAL") << "qryFilialCDFILIAL"
                                       << "CDFILIAL" << 4 << true << "Código";
    QTest::newRow("qryFilialNMFILIAL") << "qryFilialNMFILIAL"
                                       << "NMFILIAL" << 30 << false << "Nome";
    QTest::newRow("qryServicoCDSERVFILI") << "qryServicoCDSERVFILI"
                                          << "CDSERVFILI" << 5 << true << "Código";
    QTest::newRow("qryServicoNMSERVICO") << "qryServicoNMSERVICO"
                                         << "NMSERVICO" << 40 << false << "Nome";
}

void TestLookupDefinitions::fields()
{
    QFETCH(QString, component);
    QFETCH(QString, column);
    QFETCH(int, size);
    QFETCH(bool, required);
    QFETCH(QString, label);
    const auto* field = owner_.findChild<TADOIBStringField*>(component);
    QVERIFY(field);
    QCOMPARE(field->FieldName(), column);
    QCOMPARE(field->Size(), size);
    QCOMPARE(field->Required(), required);
    QCOMPARE(field->DisplayLabel(), label);
}

void TestLookupDefinitions::dataSourcesShowTheQueriesResults()
{
    QCOMPARE(filial_.dtsFilial->DataSet(), filial_.qryFilial->Query());
    QCOMPARE(servico_.dtsServico->DataSet(), servico_.qryServico->Query());
    QCOMPARE(filial_.qryFilial->Query()->Fields().size(), 2);
    QCOMPARE(filial_.qryFilial->Query()->Fields()[0], filial_.qryFilialCDFILIAL);
    QVERIFY(!filial_.qryFilial->Active());
    QVERIFY(!servico_.qryServico->Active());
    QVERIFY(filial_.qryFilial->Query()->ReadOnly());
    QCOMPARE(filial_.dtsFilial->State(), TDataSetState::dsInactive);
}

QTEST_GUILESS_MAIN(TestLookupDefinitions)
#include "tst_lookupdefinitions.moc"
