#include "EfetGestStore.h"

#include "Database.h"
#include "EfetGestLayout.h"
#include "TDateTime.h"

namespace {

const QString LinesSql = QStringLiteral(
    "SELECT E.USR_CDFILIAL, E.USR_DTEFETGEST, E.USR_CDSERVFILI, E.USR_QTEFETGEST, E.USR_VREFETGEST, "
    "E.USR_VRTTSERVGEST, S.NMSERVICO FROM USR_EFETGEST E "
    "LEFT JOIN SERVICO S ON S.CDFILIAL = E.USR_CDFILIAL AND S.CDSERVFILI = E.USR_CDSERVFILI "
    "WHERE E.USR_CDFILIAL = ? AND E.USR_DTEFETGEST = ? ORDER BY E.USR_CDSERVFILI");

const QString KeySql = QStringLiteral("SELECT USR_CDSERVFILI FROM USR_EFETGEST "
                                      "WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = ?");

} // namespace

QList<Record> EfetGestStore::lines(const QString& branch, QDate date) const
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    const SqlDialect& d = database_.dialect();
    QList<Record> out;
    database_.selectRows(LinesSql, {branch, d.toDate(date)}, [&](const DatabaseRow& row) {
        Record line(l.fields.size());
        line[l.branch] = row.text(0);
        line[l.date] = QVariant::fromValue(TDateTime::fromDate(row.date(1)));
        line[l.service] = row.text(2);
        line[l.staff] = d.fromDecimal(row.value(3));
        line[l.unitPrice] = d.fromDecimal(row.value(4));
        line[l.total] = d.fromDecimal(row.value(5));
        line[l.serviceName] = row.text(6);
        out.append(std::move(line));
    });
    return out;
}

QList<Record> EfetGestStore::servicesWithKey(const QString& branch, QDate date, const QString& service) const
{
    QList<Record> out;
    database_.selectRows(KeySql, {branch, database_.dialect().toDate(date), service},
                         [&](const DatabaseRow& row) { out.append(Record{row.text(0)}); });
    return out;
}
