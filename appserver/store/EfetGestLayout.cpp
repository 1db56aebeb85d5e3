#include "EfetGestLayout.h"

#include "EfetGestRecordSet.h"
#include "Exception.h"

namespace {

int indexOf(const FieldDefs& fields, const char* name)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (fields[i].name == QLatin1String(name))
            return int(i);
    }
    throw Exception(QStringLiteral("cdsEfetGest has no field %1.").arg(QLatin1String(name)));
}

EfetGestLayout build()
{
    EfetGestLayout l;
    l.fields = EfetGestRecordSet::fieldDefs();
    l.branch = indexOf(l.fields, "USR_CDFILIAL");
    l.date = indexOf(l.fields, "USR_DTEFETGEST");
    l.service = indexOf(l.fields, "USR_CDSERVFILI");
    l.staff = indexOf(l.fields, "USR_QTEFETGEST");
    l.unitPrice = indexOf(l.fields, "USR_VREFETGEST");
    l.total = indexOf(l.fields, "USR_VRTTSERVGEST");
    l.serviceName = indexOf(l.fields, "NMSERVICO");
    return l;
}

} // namespace

const EfetGestLayout& EfetGestLayout::instance()
{
    static const EfetGestLayout layout = build();
    return layout;
}
