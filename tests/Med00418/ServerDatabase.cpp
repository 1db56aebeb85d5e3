#include "ServerDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <stdexcept>

namespace {

QSqlQuery run(const QString& connection, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(QSqlDatabase::database(connection));
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw std::runtime_error(QStringLiteral("%1: %2").arg(sql, query.lastError().text()).toStdString());
    return query;
}

// 25000 → "2.5000".
QString plain(const QVariant& stored)
{
    if (stored.isNull())
        return QStringLiteral("null");
    const qint64 raw = stored.toLongLong();
    const qint64 whole = raw / 10000;
    const qint64 fraction = raw < 0 ? -(raw % 10000) : raw % 10000;
    return QStringLiteral("%1%2.%3")
        .arg(raw < 0 && whole == 0 ? QStringLiteral("-") : QString())
        .arg(whole)
        .arg(fraction, 4, 10, QLatin1Char('0'));
}

} // namespace

ServerDatabase::ServerDatabase(const QString& path)
    : connection_(QStringLiteral("serverdb-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path);
    // The server may be writing at the same moment.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
}

ServerDatabase::~ServerDatabase()
{
    QSqlDatabase::database(connection_).close();
    QSqlDatabase::removeDatabase(connection_);
}

void ServerDatabase::exec(const QString& sql, const QVariantList& values)
{
    run(connection_, sql, values);
}

QVariant ServerDatabase::value(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = run(connection_, sql, values);
    return query.next() ? query.value(0) : QVariant();
}

QStringList ServerDatabase::rows(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = run(connection_, sql, values);
    QStringList out;
    while (query.next()) {
        QStringList columns;
        for (int i = 0; i < query.record().count(); ++i)
            columns << query.value(i).toString();
        out << columns.join(QLatin1Char('|'));
    }
    return out;
}

QVariant ServerDatabase::scaled(const QString& decimal)
{
    if (decimal.isEmpty())
        return {};
    const bool negative = decimal.startsWith(QLatin1Char('-'));
    const QString digits = negative ? decimal.mid(1) : decimal;
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? digits : digits.left(point);
    const QString fraction = point < 0 ? QString() : digits.mid(point + 1);
    const qint64 raw = whole.toLongLong() * 10000 + fraction.leftJustified(4, QLatin1Char('0')).toLongLong();
    return negative ? -raw : raw;
}

void ServerDatabase::insertLine(const QString& branch, QDate date, const QString& service,
                                const QString& staff, const QString& price, const QString& total)
{
    exec(QStringLiteral("INSERT INTO USR_EFETGEST (USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI, "
                        "USR_QTEFETGEST, USR_VREFETGEST, USR_VRTTSERVGEST) VALUES (?, ?, ?, ?, ?, ?)"),
         {branch, date.toString(Qt::ISODate), service, scaled(staff), scaled(price), scaled(total)});
}

QStringList ServerDatabase::lines(const QString& branch, QDate date)
{
    QSqlQuery query = run(connection_,
                          QStringLiteral("SELECT USR_CDSERVFILI, USR_QTEFETGEST, USR_VREFETGEST, "
                                         "USR_VRTTSERVGEST FROM USR_EFETGEST WHERE USR_CDFILIAL = ? AND "
                                         "USR_DTEFETGEST = ? ORDER BY USR_CDSERVFILI"),
                          {branch, date.toString(Qt::ISODate)});
    QStringList out;
    while (query.next())
        out << QStringList{query.value(0).toString(), plain(query.value(1)), plain(query.value(2)),
                           plain(query.value(3))}
                   .join(QLatin1Char('|'));
    return out;
}

int ServerDatabase::reservations(const QString& ticket)
{
    return value(QStringLiteral("SELECT COUNT(*) FROM RESERVA WHERE NRRESERVA = ? AND SEGREDO = ?"),
                 {ticket.section(QLatin1Char('-'), 0, 0).toLongLong(), ticket.section(QLatin1Char('-'), 1)})
        .toInt();
}
