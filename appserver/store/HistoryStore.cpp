#include "HistoryStore.h"

#include "Database.h"
#include "EfetGestLayout.h"
#include "TDateTime.h"

#include <QDateTime>
#include <QSqlQuery>
#include <limits>

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
    // One caller changing a line back and forth keeps its newest rows of that line only; the rows of
    // the line's other callers stay.
    static const QString prune =
        QStringLiteral(
            "DELETE FROM HIST_EFETGEST WHERE CDFILIAL = ? AND DTEFETGEST = ? AND CDSERVFILI = ? "
            "AND CLIENTE = ? AND NRHIST < (SELECT NRHIST FROM HIST_EFETGEST WHERE CDFILIAL = ? AND "
            "DTEFETGEST = ? AND CDSERVFILI = ? AND CLIENTE = ? ORDER BY NRHIST DESC LIMIT 1 "
            "OFFSET %1)")
            .arg(PerLineAndCaller - 1);
    const QVariantList line{values[4], values[5], values[6], values[1]};
    database_.exec(prune, line + line);
}

int HistoryStore::purgeOlderThan(qint64 oldest)
{
    return database_.exec(QStringLiteral("DELETE FROM HIST_EFETGEST WHERE QUANDO < ?"), {oldest});
}

HistoryStore::Page HistoryStore::linePage(const QString& branch, QDate date, const QString& service,
                                          std::optional<qint64> before) const
{
    // One row past the page says whether another page follows; the index on the line's key and NRHIST
    // reads just these rows, however long the history.
    static const QString sql = QStringLiteral(
        "SELECT NRHIST, QUANDO, TIPO, USUARIO, CLIENTE, QT_ANTES, VR_ANTES, TT_ANTES, QT_DEPOIS, "
        "VR_DEPOIS, TT_DEPOIS FROM HIST_EFETGEST WHERE CDFILIAL = ? AND DTEFETGEST = ? AND CDSERVFILI = ? "
        "AND NRHIST < ? ORDER BY NRHIST DESC LIMIT ?");
    const SqlDialect& d = database_.dialect();
    Page page;
    qint64 last = 0;
    bool more = false;
    database_.select(
        sql,
        {branch, d.toDate(date), service, before.value_or(std::numeric_limits<qint64>::max()), PageSize + 1},
        [&](const QSqlQuery& q) {
            if (page.rows.size() == PageSize) {
                more = true;
                return;
            }
            last = q.value(0).toLongLong();
            Record row;
            row << QVariant(QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC)
                                .toString(Qt::ISODateWithMs))
                << text(q.value(2)) << text(q.value(3)) << text(q.value(4));
            for (int column = 5; column < 11; ++column)
                row << d.fromDecimal(q.value(column));
            page.rows.append(std::move(row));
        });
    if (more)
        page.next = QString::number(last);
    return page;
}
