#include "EfetGestStore.h"

#include "Database.h"
#include "EfetGestLayout.h"
#include "TDateTime.h"

#include <QSqlQuery>

namespace {

const QString LinesSql = QStringLiteral(
    "SELECT E.USR_CDFILIAL, E.USR_DTEFETGEST, E.USR_CDSERVFILI, E.USR_QTEFETGEST, E.USR_VREFETGEST, "
    "E.USR_VRTTSERVGEST, S.NMSERVICO FROM USR_EFETGEST E "
    "LEFT JOIN SERVICO S ON S.CDFILIAL = E.USR_CDFILIAL AND S.CDSERVFILI = E.USR_CDSERVFILI "
    "WHERE E.USR_CDFILIAL = ? AND E.USR_DTEFETGEST = ? ORDER BY E.USR_CDSERVFILI");

const QString KeySql = QStringLiteral("SELECT USR_CDSERVFILI FROM USR_EFETGEST "
                                      "WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = ?");

QVariant text(const QVariant& stored)
{
    return stored.isNull() ? QVariant() : QVariant(stored.toString());
}

} // namespace

QList<Record> EfetGestStore::lines(const QString& branch, QDate date) const
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    const SqlDialect& d = database_.dialect();
    QList<Record> out;
    database_.select(LinesSql, {branch, d.toDate(date)}, [&](const QSqlQuery& q) {
        Record line(l.fields.size());
        line[l.branch] = text(q.value(0));
        line[l.date] = QVariant::fromValue(TDateTime::fromDate(d.fromDate(q.value(1))));
        line[l.service] = text(q.value(2));
        line[l.staff] = d.fromDecimal(q.value(3));
        line[l.unitPrice] = d.fromDecimal(q.value(4));
        line[l.total] = d.fromDecimal(q.value(5));
        line[l.serviceName] = text(q.value(6));
        out.append(std::move(line));
    });
    return out;
}

QList<Record> EfetGestStore::servicesWithKey(const QString& branch, QDate date, const QString& service) const
{
    QList<Record> out;
    database_.select(KeySql, {branch, database_.dialect().toDate(date), service},
                     [&](const QSqlQuery& q) { out.append(Record{text(q.value(0))}); });
    return out;
}
