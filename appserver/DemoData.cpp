#include "DemoData.h"

#include "Currency.h"
#include "Database.h"
#include "Transaction.h"

#include <QDate>
#include <QSqlQuery>
#include <QStringList>

namespace DemoData {

namespace {

constexpr int BillingDays = 10;

const QStringList BranchNames = {QStringLiteral("Matriz São Paulo"), QStringLiteral("Filial Campinas"),
                                 QStringLiteral("Filial Curitiba"), QStringLiteral("Filial Porto Alegre")};

const QStringList ServiceNames = {QStringLiteral("Vigilância"), QStringLiteral("Limpeza e Conservação"),
                                  QStringLiteral("Portaria"),   QStringLiteral("Recepção"),
                                  QStringLiteral("Jardinagem"), QStringLiteral("Manutenção Predial"),
                                  QStringLiteral("Copeiragem"), QStringLiteral("Segurança Eletrônica")};

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

void addBranch(Database& database, int index)
{
    const QString branch = QStringLiteral("%1").arg(index + 1, 4, 10, QLatin1Char('0'));
    database.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)"),
                  {branch, BranchNames[index]});
    const int services = 5 + index;
    for (int s = 0; s < services; ++s) {
        const QString service = QStringLiteral("%1").arg(s + 1, 5, 10, QLatin1Char('0'));
        database.exec(
            QStringLiteral("INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES (?, ?, ?)"),
            {branch, service, ServiceNames[s]});
        addBilling(database, branch, service, s);
    }
}

} // namespace

void seedIfEmpty(Database& database)
{
    Transaction transaction(database);
    if (hasBranches(database))
        return;
    for (int i = 0; i < int(BranchNames.size()); ++i)
        addBranch(database, i);
    transaction.commit();
}

} // namespace DemoData
