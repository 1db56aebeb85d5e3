#include "HistoryStore.h"

#include "Database.h"
#include "EfetGestLayout.h"
#include "TDateTime.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

QString kindText(HistoryStore::Kind kind)
{
    switch (kind) {
    case HistoryStore::Kind::Insert:
        return QStringLiteral("insert");
    case HistoryStore::Kind::Update:
        return QStringLiteral("update");
    case HistoryStore::Kind::Delete:
        return QStringLiteral("delete");
    case HistoryStore::Kind::Import:
        return QStringLiteral("import");
    }
    return {};
}

// Staff, price and total of a line in their stored form; nulls for a line that is not there.
QVariantList amounts(const SqlDialect& d, const Record& line)
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    if (line.isEmpty())
        return {QVariant(), QVariant(), QVariant()};
    return {d.toDecimal(line[l.staff]), d.toDecimal(line[l.unitPrice]), d.toDecimal(line[l.total])};
}

QVariant text(const QVariant& stored)
{
    return stored.isNull() ? QVariant() : QVariant(stored.toString());
}

} // namespace

void HistoryStore::record(Kind kind, const Record& before, const Record& after)
{
    static const QString sql = QStringLiteral(
        "INSERT INTO HIST_EFETGEST (QUANDO, CLIENTE, USUARIO, TIPO, CDFILIAL, DTEFETGEST, CDSERVFILI, "
        "QT_ANTES, VR_ANTES, TT_ANTES, QT_DEPOIS, VR_DEPOIS, TT_DEPOIS) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const EfetGestLayout& l = EfetGestLayout::instance();
    const SqlDialect& d = database_.dialect();
    const Record& key = after.isEmpty() ? before : after;
    QVariantList values{QDateTime::currentMSecsSinceEpoch(),
                        caller_.address,
                        caller_.user,
                        kindText(kind),
                        key[l.branch],
                        d.toDate(key[l.date].value<TDateTime>().toDate()),
                        key[l.service]};
    values << amounts(d, before) << amounts(d, after);
    database_.exec(sql, values);
}

QList<Record> HistoryStore::lineHistory(const QString& branch, QDate date, const QString& service) const
{
    static const QString sql = QStringLiteral(
        "SELECT QUANDO, TIPO, USUARIO, CLIENTE, QT_ANTES, VR_ANTES, TT_ANTES, QT_DEPOIS, VR_DEPOIS, "
        "TT_DEPOIS FROM HIST_EFETGEST WHERE CDFILIAL = ? AND DTEFETGEST = ? AND CDSERVFILI = ? "
        "ORDER BY NRHIST DESC");
    const SqlDialect& d = database_.dialect();
    QList<Record> out;
    database_.select(sql, {branch, d.toDate(date), service}, [&](const QSqlQuery& q) {
        Record row;
        row << QVariant(QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC)
                            .toString(Qt::ISODateWithMs))
            << text(q.value(1)) << text(q.value(2)) << text(q.value(3));
        for (int column = 4; column < 10; ++column)
            row << d.fromDecimal(q.value(column));
        out.append(std::move(row));
    });
    return out;
}
