#include "ServicoLookup.h"

#include "LookupField.h"
#include "TADOIBQuery.h"
#include "TDataSource.h"

ServicoLookup ServicoLookup::create(QObject* owner)
{
    ServicoLookup s;
    auto* qry = new TADOIBQuery(owner);
    qry->setObjectName(QStringLiteral("qryServico"));
    s.qryServico = qry;

    qry->SetSQL_ORACLE({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDSERVFILI,"),
        QStringLiteral("   NMSERVICO"),
        QStringLiteral("FROM"),
        QStringLiteral("   SERVICO"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = :P_CDFILIAL) AND"),
        QStringLiteral("   (CDSERVFILI = NVL(:P_CDSERVFILI,CDSERVFILI))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDSERVFILI"),
    });
    qry->SetSQL_MSSQL({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDSERVFILI,"),
        QStringLiteral("   NMSERVICO"),
        QStringLiteral("FROM"),
        QStringLiteral("   SERVICO"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = :P_CDFILIAL) AND"),
        QStringLiteral("   (CDSERVFILI = ISNULL(:P_CDSERVFILI,CDSERVFILI))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDSERVFILI"),
    });
    qry->SetSQL_IB({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDSERVFILI,"),
        QStringLiteral("   NMSERVICO"),
        QStringLiteral("FROM"),
        QStringLiteral("   SERVICO,"),
        QStringLiteral("   PARAM(:P_CDSERVFILI) P_CDSERVFILI"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = :P_CDFILIAL) AND"),
        QStringLiteral("   (CDSERVFILI = NVLSTR(P_CDSERVFILI.PARAM,CDSERVFILI))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDSERVFILI"),
    });
    qry->SetSQL_SQLITE({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDSERVFILI,"),
        QStringLiteral("   NMSERVICO"),
        QStringLiteral("FROM"),
        QStringLiteral("   SERVICO"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = :P_CDFILIAL) AND"),
        QStringLiteral("   (CDSERVFILI = IFNULL(:P_CDSERVFILI,CDSERVFILI))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDSERVFILI"),
    });
    qry->SetSQL_PG({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDSERVFILI,"),
        QStringLiteral("   NMSERVICO"),
        QStringLiteral("FROM"),
        QStringLiteral("   SERVICO"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = :P_CDFILIAL) AND"),
        QStringLiteral("   (CDSERVFILI = COALESCE(:P_CDSERVFILI,CDSERVFILI))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDSERVFILI"),
    });

    s.qryServicoCDSERVFILI =
        addLookupField(qry, QStringLiteral("CDSERVFILI"), 5, true, QStringLiteral("Código"));
    s.qryServicoNMSERVICO =
        addLookupField(qry, QStringLiteral("NMSERVICO"), 40, false, QStringLiteral("Nome"));

    s.dtsServico = new TDataSource(owner);
    s.dtsServico->setObjectName(QStringLiteral("dtsServico"));
    s.dtsServico->SetDataSet(qry->Query());
    return s;
}
