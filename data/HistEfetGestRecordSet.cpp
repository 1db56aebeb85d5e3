#include "HistEfetGestRecordSet.h"

#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TStringField.h"

#include <memory>

namespace {

void addText(TClientDataSet* cds, const QString& name, int size, const QString& label)
{
    auto* field = new TStringField(cds, name, size);
    field->setObjectName(cds->objectName() + name);
    field->SetDisplayLabel(label);
}

void addMoney(TClientDataSet* cds, const QString& name, int precision, int scale, const QString& label)
{
    auto* field = new TBCDField(cds, name, precision, scale);
    field->setObjectName(cds->objectName() + name);
    field->SetDisplayLabel(label);
    field->SetDisplayFormat(QStringLiteral("#,##0.000"));
}

} // namespace

HistEfetGestRecordSet HistEfetGestRecordSet::create(QObject* owner)
{
    HistEfetGestRecordSet s;
    auto* cds = new TClientDataSet(owner);
    cds->setObjectName(QStringLiteral("cdsHistEfetGest"));
    s.cdsHistEfetGest = cds;
    addText(cds, QStringLiteral("QUANDO"), 24, QStringLiteral("Quando"));
    addText(cds, QStringLiteral("TIPO"), 10, QStringLiteral("Alteração"));
    addText(cds, QStringLiteral("USUARIO"), 64, QStringLiteral("Usuário"));
    addText(cds, QStringLiteral("CLIENTE"), 64, QStringLiteral("Endereço"));
    addMoney(cds, QStringLiteral("QT_ANTES"), 10, 3, QStringLiteral("Nº de Efetivos antes"));
    addMoney(cds, QStringLiteral("VR_ANTES"), 15, 2, QStringLiteral("Valor Unitário antes"));
    addMoney(cds, QStringLiteral("TT_ANTES"), 15, 2, QStringLiteral("Valor Total antes"));
    addMoney(cds, QStringLiteral("QT_DEPOIS"), 10, 3, QStringLiteral("Nº de Efetivos depois"));
    addMoney(cds, QStringLiteral("VR_DEPOIS"), 15, 2, QStringLiteral("Valor Unitário depois"));
    addMoney(cds, QStringLiteral("TT_DEPOIS"), 15, 2, QStringLiteral("Valor Total depois"));
    return s;
}

FieldDefs HistEfetGestRecordSet::fieldDefs()
{
    const std::unique_ptr<TClientDataSet> cds(create(nullptr).cdsHistEfetGest);
    return cds->FieldDefList();
}
