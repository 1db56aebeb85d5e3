#include "SoakAudit.h"

#include "Currency.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <stdexcept>

namespace {

QSqlQuery run(const QSqlDatabase& database, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(database);
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw std::runtime_error("audit query failed: " + query.lastError().text().toStdString());
    return query;
}

qint64 ticks(const QVariant& text)
{
    return Currency::parse(text.toString()).raw();
}

} // namespace

SoakAudit::SoakAudit(quint16 postgresPort) : connection_(QStringLiteral("soak-audit"))
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
    database.setHostName(QStringLiteral("127.0.0.1"));
    database.setPort(postgresPort);
    database.setUserName(QStringLiteral("postgres"));
    database.setDatabaseName(QStringLiteral("med00418"));
    if (!database.open())
        throw std::runtime_error("cannot open the group's database: " +
                                 database.lastError().text().toStdString());
}

SoakAudit::~SoakAudit()
{
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase SoakAudit::database() const
{
    QSqlDatabase database = QSqlDatabase::database(connection_, false);
    // PostgreSQL was restarted under it: open again.
    if (!database.isOpen() || !QSqlQuery(QStringLiteral("SELECT 1"), database).isActive()) {
        database.close();
        database.open();
    }
    return database;
}

QList<QPair<QString, QDate>> SoakAudit::billingDays()
{
    QSqlQuery query =
        run(database(),
            QStringLiteral("SELECT DISTINCT CDFILIAL, CAST(DTAPURACFATGD AS VARCHAR) FROM APURFATGD "
                           "ORDER BY 1, 2"),
            {});
    QList<QPair<QString, QDate>> days;
    while (query.next())
        days.append(
            {query.value(0).toString(), QDate::fromString(query.value(1).toString().left(10), Qt::ISODate)});
    return days;
}

SoakAudit::Findings SoakAudit::check(const QList<SoakTally>& tallies)
{
    Findings findings;
    for (const SoakTally& tally : tallies)
        findings.doubled += tally.savesDoubled;
    checkLines(tallies, findings);
    checkImports(tallies, findings);
    checkReservations(tallies, findings);
    return findings;
}

void SoakAudit::checkLines(const QList<SoakTally>& tallies, Findings& findings)
{
    QHash<QDate, SoakTally::SavedLine> acknowledged;
    QSet<QDate> unknown;
    for (const SoakTally& tally : tallies) {
        for (const SoakTally::SavedLine& line : tally.saved)
            acknowledged.insert(line.date, line);
        unknown.unite(tally.savesUnknown);
    }
    // Only the soak writes on or after 2100; the key's uniqueness makes a second copy impossible, so
    // what is checked is that each line is there once with the values written, and nothing else is.
    QSqlQuery query =
        run(database(),
            QStringLiteral("SELECT CAST(USR_DTEFETGEST AS VARCHAR), CAST(USR_QTEFETGEST AS VARCHAR), "
                           "CAST(USR_VREFETGEST AS VARCHAR), CAST(USR_VRTTSERVGEST AS VARCHAR) "
                           "FROM USR_EFETGEST WHERE USR_CDFILIAL = '0001' AND "
                           "USR_DTEFETGEST >= DATE '2100-01-01'"),
            {});
    QSet<QDate> found;
    while (query.next()) {
        const QDate date = QDate::fromString(query.value(0).toString().left(10), Qt::ISODate);
        found.insert(date);
        const auto line = acknowledged.constFind(date);
        if (line == acknowledged.cend()) {
            findings.phantom += !unknown.contains(date);
            continue;
        }
        if (ticks(query.value(1)) != line->staff || ticks(query.value(2)) != line->unitPrice ||
            ticks(query.value(3)) != line->total)
            ++findings.lost;
    }
    for (auto it = acknowledged.cbegin(); it != acknowledged.cend(); ++it)
        findings.lost += !found.contains(it.key());
}

void SoakAudit::checkImports(const QList<SoakTally>& tallies, Findings& findings)
{
    for (const SoakTally& tally : tallies) {
        for (const auto& [branch, date] : tally.imports) {
            const int billed = count(QStringLiteral("SELECT COUNT(*) FROM APURFATGD WHERE CDFILIAL = ? AND "
                                                    "DTAPURACFATGD = CAST(? AS DATE)"),
                                     {branch, date.toString(Qt::ISODate)});
            const int lines =
                count(QStringLiteral("SELECT COUNT(*) FROM USR_EFETGEST WHERE USR_CDFILIAL = ? AND "
                                     "USR_DTEFETGEST = CAST(? AS DATE)"),
                      {branch, date.toString(Qt::ISODate)});
            findings.lost += lines < billed;
        }
    }
}

void SoakAudit::checkReservations(const QList<SoakTally>& tallies, Findings& findings)
{
    QSet<qint64> held;
    QSet<qint64> released;
    int unknown = 0;
    for (const SoakTally& tally : tallies) {
        held.unite(tally.ticketsHeld);
        released.unite(tally.ticketsReleased);
        unknown += tally.ticketsUnknown;
    }
    QSqlQuery query = run(database(), QStringLiteral("SELECT NRRESERVA FROM RESERVA"), {});
    int strangers = 0;
    while (query.next()) {
        const qint64 number = query.value(0).toLongLong();
        if (released.contains(number))
            ++findings.lost; // a release acknowledged that did not happen
        else if (!held.contains(number))
            ++strangers;
    }
    // A draw or import given up may have left one reservation nobody was told about; more than that
    // means a call was applied twice.
    findings.doubled += qMax(0, strangers - unknown);
}

int SoakAudit::count(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = run(database(), sql, values);
    return query.next() ? query.value(0).toInt() : 0;
}
