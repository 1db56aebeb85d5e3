#include "VerifServRecordSet.h"

#include "TClientDataSet.h"
#include "TStringField.h"

#include <memory>

VerifServRecordSet VerifServRecordSet::create(QObject* owner)
{
    VerifServRecordSet s;
    s.cdsVerifServ = new TClientDataSet(owner);
    s.cdsVerifServ->setObjectName(QStringLiteral("cdsVerifServ"));
    s.cdsVerifServUSR_CDSERVFILI = new TStringField(s.cdsVerifServ, QStringLiteral("USR_CDSERVFILI"), 5);
    s.cdsVerifServUSR_CDSERVFILI->setObjectName(QStringLiteral("cdsVerifServUSR_CDSERVFILI"));
    s.cdsVerifServUSR_CDSERVFILI->SetOrigin(QStringLiteral("USR_EFETGEST.USR_CDSERVFILI"));
    return s;
}

FieldDefs VerifServRecordSet::fieldDefs()
{
    const std::unique_ptr<TClientDataSet> cds(create(nullptr).cdsVerifServ);
    return cds->FieldDefList();
}
