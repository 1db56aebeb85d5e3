#include "BillingImport.h"

#include "Currency.h"
#include "Database.h"
#include "EfetGestLayout.h"
#include "HistoryStore.h"
#include "ReservationStore.h"
#include "TDateTime.h"
#include "Transaction.h"

#include <QSqlQuery>

ReservationTicket BillingImport::run(const QString& branch, QDate date,
                                     const std::optional<ReservationTicket>& held)
{
    Transaction transaction(database_);
    const ReservationTicket ticket =
        ReservationStore(database_, reservationTtl_).heldOrNew(held, branch, caller_.address);
    copyWorkRows(ticket.number, branch, date);
    for (const Billing& billing : servicesWithoutLine(ticket.number))
        addLine(branch, date, billing);
    transaction.commit();
    return ticket;
}

void BillingImport::copyWorkRows(qint64 reservation, const QString& branch, QDate date)
{
    database_.exec(QStringLiteral("DELETE FROM APURFATTRAB WHERE NRRESERVA = ?"), {reservation});
    database_.exec(
        QStringLiteral("INSERT INTO APURFATTRAB (NRRESERVA, CDFILIAL, DTAPURACFATGD, CDSERVFILIAPGD, "
                       "NREFETIVOSAPGD, VRPRECUNITAPGD) SELECT CAST(? AS BIGINT), CDFILIAL, "
                       "DTAPURACFATGD, CDSERVFILIAPGD, NREFETIVOSAPGD, VRPRECUNITAPGD FROM APURFATGD "
                       "WHERE CDFILIAL = ? AND DTAPURACFATGD = ?"),
        {reservation, branch, database_.dialect().toDate(date)});
}

QList<BillingImport::Billing> BillingImport::servicesWithoutLine(qint64 reservation)
{
    static const QString sql =
        QStringLiteral("SELECT W.CDSERVFILIAPGD, W.NREFETIVOSAPGD, W.VRPRECUNITAPGD FROM APURFATTRAB W "
                       "WHERE W.NRRESERVA = ? AND NOT EXISTS (SELECT 1 FROM USR_EFETGEST E WHERE "
                       "E.USR_CDFILIAL = W.CDFILIAL "
                       "AND E.USR_DTEFETGEST = W.DTAPURACFATGD AND E.USR_CDSERVFILI = W.CDSERVFILIAPGD) "
                       "ORDER BY W.CDSERVFILIAPGD");
    const SqlDialect& d = database_.dialect();
    QList<Billing> out;
    database_.select(sql, {reservation}, [&](const QSqlQuery& q) {
        out.append({q.value(0).toString(), d.fromDecimal(q.value(1)), d.fromDecimal(q.value(2))});
    });
    return out;
}

void BillingImport::addLine(const QString& branch, QDate date, const Billing& billing)
{
    // Another import may have added the line since it was read: the first one stays.
    static const QString sql =
        QStringLiteral("INSERT INTO USR_EFETGEST (USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI, "
                       "USR_QTEFETGEST, USR_VREFETGEST, "
                       "USR_VRTTSERVGEST) VALUES (?, ?, ?, ?, ?, ?) "
                       "ON CONFLICT (USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI) DO NOTHING");
    const EfetGestLayout& l = EfetGestLayout::instance();
    const Currency total = billing.staff.value<Currency>() * billing.unitPrice.value<Currency>();
    const SqlDialect& d = database_.dialect();
    Record line(l.fields.size());
    line[l.branch] = branch;
    line[l.date] = QVariant::fromValue(TDateTime::fromDate(date));
    line[l.service] = billing.service;
    line[l.staff] = l.fields[l.staff].normalize(billing.staff);
    line[l.unitPrice] = l.fields[l.unitPrice].normalize(billing.unitPrice);
    line[l.total] = l.fields[l.total].normalize(QVariant::fromValue(total));
    const int added =
        database_.exec(sql, {branch, d.toDate(date), billing.service, d.toDecimal(line[l.staff]),
                             d.toDecimal(line[l.unitPrice]), d.toDecimal(line[l.total])});
    if (added == 1)
        HistoryStore(database_, caller_).record(HistoryStore::Kind::Import, {}, line);
}
