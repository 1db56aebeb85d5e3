#include "FilialLookup.h"

#include "LookupField.h"
#include "TADOIBQuery.h"
#include "TDataSource.h"

FilialLookup FilialLookup::create(QObject* owner)
{
    FilialLookup s;
    auto* qry = new TADOIBQuery(owner);
    qry->setObjectName(QStringLiteral("qryFilial"));
    s.qryFilial = qry;

    qry->SetSQL_ORACLE({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDFILIAL,"),
        QStringLiteral("   NMFILIAL"),
        QStringLiteral("FROM"),
        QStringLiteral("   FILIAL"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = NVL(:P_CDFILIAL,CDFILIAL))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDFILIAL"),
    });
    qry->SetSQL_MSSQL({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDFILIAL,"),
        QStringLiteral("   NMFILIAL"),
        QStringLiteral("FROM"),
        QStringLiteral("   FILIAL"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = ISNULL(:P_CDFILIAL,CDFILIAL))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDFILIAL"),
    });
    qry->SetSQL_IB({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDFILIAL,"),
        QStringLiteral("   NMFILIAL"),
        QStringLiteral("FROM"),
        QStringLiteral("   FILIAL,"),
        QStringLiteral("   PARAM(:P_CDFILIAL) P_CDFILIAL"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = NVLSTR(P_CDFILIAL.PARAM,CDFILIAL))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDFILIAL"),
    });
    qry->SetSQL_SQLITE({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDFILIAL,"),
        QStringLiteral("   NMFILIAL"),
        QStringLiteral("FROM"),
        QStringLiteral("   FILIAL"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = IFNULL(:P_CDFILIAL,CDFILIAL))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDFILIAL"),
    });
    qry->SetSQL_PG({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDFILIAL,"),
        QStringLiteral("   NMFILIAL"),
        QStringLiteral("FROM"),
        QStringLiteral("   FILIAL"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (CDFILIAL = COALESCE(:P_CDFILIAL,CDFILIAL))"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("   CDFILIAL"),
    });

    s.qryFilialCDFILIAL = addLookupField(qry, QStringLiteral("CDFILIAL"), 4, true, QStringLiteral("Código"));
    s.qryFilialNMFILIAL = addLookupField(qry, QStringLiteral("NMFILIAL"), 30, false, QStringLiteral("Nome"));

    s.dtsFilial = new TDataSource(owner);
    s.dtsFilial->setObjectName(QStringLiteral("dtsFilial"));
    s.dtsFilial->SetDataSet(qry->Query());
    return s;
}
