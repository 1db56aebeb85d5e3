#include "DemoData.h"

#include "Currency.h"
#include "Database.h"
#include "DemoCatalogue.h"
#include "Transaction.h"

#include <QDate>
#include <QSqlQuery>

namespace DemoData {

namespace {

constexpr int BillingDays = 10;

bool hasBranches(Database& database)
{
    bool any = false;
    database.select(QStringLiteral("SELECT CDFILIAL FROM FILIAL LIMIT 1"), {},
                    [&](const QSqlQuery&) { any = true; });
    return any;
}

void addBilling(Database& database, const QString& branch, const QString& service, int serviceIndex)
{
    const SqlDialect& d = database.dialect();
    const QDate today = QDate::currentDate();
    for (int day = 0; day < BillingDays; ++day) {
        // Deterministic, varied figures: whole and fractional headcounts, prices with cents.
        const Currency staff = Currency::fromRaw(qint64(2 + (serviceIndex + day) % 9) * 5000);
        const Currency price = Currency::fromRaw(qint64(1800 + 137 * serviceIndex + 11 * day) * 100);
        database.exec(QStringLiteral("INSERT INTO APURFATGD (CDFILIAL, DTAPURACFATGD, CDSERVFILIAPGD, "
                                     "NREFETIVOSAPGD, VRPRECUNITAPGD) VALUES (?, ?, ?, ?, ?)"),
                      {branch, d.toDate(today.addDays(-day)), service,
                       d.toDecimal(QVariant::fromValue(staff)), d.toDecimal(QVariant::fromValue(price))});
    }
}

void addBranch(Database& database, const DemoCatalogue::Branch& branch)
{
    database.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)"),
                  {branch.code, branch.name});
    for (int s = 0; s < branch.services.size(); ++s) {
        const DemoCatalogue::Service& service = branch.services[s];
        database.exec(
            QStringLiteral("INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES (?, ?, ?)"),
            {branch.code, service.code, service.name});
        addBilling(database, branch.code, service.code, s);
    }
}

} // namespace

void seedIfEmpty(Database& database)
{
    Transaction transaction(database);
    // Servers started together on one empty database: the first seeds, the others wait for it here
    // and then find its branches (SQLite's write transaction already serialises them).
    if (const QString lock = database.dialect().schemaLock(); !lock.isEmpty())
        database.execDirect(lock);
    if (hasBranches(database))
        return;
    for (const DemoCatalogue::Branch& branch : DemoCatalogue::branches())
        addBranch(database, branch);
    transaction.commit();
}

} // namespace DemoData
