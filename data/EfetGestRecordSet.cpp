#include "EfetGestRecordSet.h"

#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDateTimeField.h"
#include "TStringField.h"

#include <memory>

namespace {

const QString MoneyFormat = QStringLiteral("#,##0.000");

template <typename Field, typename... Args>
Field* addField(TClientDataSet* dataSet, const QString& name, Args... args)
{
    auto* field = new Field(dataSet, name, args...);
    field->setObjectName(dataSet->objectName() + name);
    return field;
}

TBCDField* addMoney(TClientDataSet* dataSet, const QString& name, int precision, int scale,
                    const QString& label)
{
    auto* field = addField<TBCDField>(dataSet, name, precision, scale);
    field->SetDisplayLabel(label);
    field->SetDisplayFormat(MoneyFormat);
    return field;
}

} // namespace

EfetGestRecordSet EfetGestRecordSet::create(QObject* owner)
{
    EfetGestRecordSet s;
    auto* cds = new TClientDataSet(owner);
    cds->setObjectName(QStringLiteral("cdsEfetGest"));
    s.cdsEfetGest = cds;

    s.cdsEfetGestUSR_CDFILIAL = addField<TStringField>(cds, QStringLiteral("USR_CDFILIAL"), 4);
    s.cdsEfetGestUSR_CDFILIAL->SetVisible(false);
    s.cdsEfetGestUSR_CDFILIAL->SetOrigin(QStringLiteral("USR_EFETGEST.USR_CDFILIAL"));

    s.cdsEfetGestUSR_DTEFETGEST = addField<TDateTimeField>(cds, QStringLiteral("USR_DTEFETGEST"));
    s.cdsEfetGestUSR_DTEFETGEST->SetVisible(false);
    s.cdsEfetGestUSR_DTEFETGEST->SetOrigin(QStringLiteral("USR_EFETGEST.USR_DTEFETGEST"));

    s.cdsEfetGestUSR_CDSERVFILI = addField<TStringField>(cds, QStringLiteral("USR_CDSERVFILI"), 5);
    s.cdsEfetGestUSR_CDSERVFILI->SetDisplayLabel(QStringLiteral("Código"));
    s.cdsEfetGestUSR_CDSERVFILI->SetOrigin(QStringLiteral("USR_EFETGEST.USR_CDSERVFILI"));

    s.cdsEfetGestUSR_QTEFETGEST =
        addMoney(cds, QStringLiteral("USR_QTEFETGEST"), 10, 3, QStringLiteral("Nº de Efetivos"));
    s.cdsEfetGestUSR_VREFETGEST =
        addMoney(cds, QStringLiteral("USR_VREFETGEST"), 15, 2, QStringLiteral("Valor Unitário"));
    s.cdsEfetGestUSR_VRTTSERVGEST =
        addMoney(cds, QStringLiteral("USR_VRTTSERVGEST"), 15, 2, QStringLiteral("Valor Total"));

    s.cdsEfetGestNMSERVICO = addField<TStringField>(cds, QStringLiteral("NMSERVICO"), 40);
    s.cdsEfetGestNMSERVICO->SetDisplayLabel(QStringLiteral("Serviço"));
    s.cdsEfetGestNMSERVICO->SetOrigin(QStringLiteral("SERVICO.NMSERVICO"));
    return s;
}

FieldDefs EfetGestRecordSet::fieldDefs()
{
    const std::unique_ptr<TClientDataSet> cds(create(nullptr).cdsEfetGest);
    return cds->FieldDefList();
}
