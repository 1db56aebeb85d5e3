#include "ChangeSetWriter.h"

#include "Database.h"
#include "EDatabaseError.h"
#include "EfetGestLayout.h"
#include "EfetGestLineCheck.h"
#include "SqlFailure.h"
#include "TDateTime.h"
#include "Transaction.h"

namespace {

const QString AlreadyThere = QStringLiteral("Efetivos para faturamento já cadastrado.");
const QString ChangedMeanwhile =
    QStringLiteral("O registro foi alterado ou excluído por outro usuário. Atualize a lista.");

const QString Columns = QStringLiteral("USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI, USR_QTEFETGEST, "
                                       "USR_VREFETGEST, USR_VRTTSERVGEST");

// The stored line as the client last read it: key and every stored value, null-safe.
QString matchOriginal(const SqlDialect& d)
{
    return QStringLiteral(" WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = ? AND ") +
           d.sameValue(QStringLiteral("USR_QTEFETGEST")) + QStringLiteral(" AND ") +
           d.sameValue(QStringLiteral("USR_VREFETGEST")) + QStringLiteral(" AND ") +
           d.sameValue(QStringLiteral("USR_VRTTSERVGEST"));
}

} // namespace

int ChangeSetWriter::apply(const QList<Change>& changes)
{
    Transaction transaction(database_);
    EfetGestLineCheck lineCheck(database_);
    for (qsizetype place = 0; place < changes.size(); ++place) {
        const Change& change = changes[place];
        if (change.kind == ChangeKind::Modified)
            EfetGestLineCheck::checkKeyKept(change.original, change.values, place);
        if (change.kind != ChangeKind::Deleted)
            lineCheck.check(change.values, place);
    }
    // Deletions first, insertions last: a line deleted and inserted again under the same key is no duplicate.
    for (const ChangeKind kind : {ChangeKind::Deleted, ChangeKind::Modified, ChangeKind::Inserted}) {
        for (const Change& change : changes) {
            if (change.kind != kind)
                continue;
            if (kind == ChangeKind::Deleted)
                remove(change);
            else if (kind == ChangeKind::Modified)
                update(change);
            else
                insert(change);
        }
    }
    transaction.commit();
    return int(changes.size());
}

QVariantList ChangeSetWriter::stored(const Record& line) const
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    const SqlDialect& d = database_.dialect();
    return {line[l.branch],
            d.toDate(line[l.date].value<TDateTime>().toDate()),
            line[l.service],
            d.toDecimal(line[l.staff]),
            d.toDecimal(line[l.unitPrice]),
            d.toDecimal(line[l.total])};
}

void ChangeSetWriter::insert(const Change& change)
{
    static const QString sql =
        QStringLiteral("INSERT INTO USR_EFETGEST (%1) VALUES (?, ?, ?, ?, ?, ?)").arg(Columns);
    try {
        database_.exec(sql, stored(change.values));
    } catch (const SqlFailure& failure) {
        if (database_.dialect().isUniqueViolation(failure.error()))
            throw EDatabaseError(AlreadyThere);
        throw;
    }
    history_.record(HistoryStore::Kind::Insert, {}, change.values);
}

void ChangeSetWriter::update(const Change& change)
{
    const QString sql = QStringLiteral("UPDATE USR_EFETGEST SET USR_CDFILIAL = ?, USR_DTEFETGEST = ?, "
                                       "USR_CDSERVFILI = ?, USR_QTEFETGEST = ?, USR_VREFETGEST = ?, "
                                       "USR_VRTTSERVGEST = ?") +
                        matchOriginal(database_.dialect());
    int changed = 0;
    try {
        changed = database_.exec(sql, stored(change.values) + stored(change.original));
    } catch (const SqlFailure& failure) {
        // A new key that another line already has.
        if (database_.dialect().isUniqueViolation(failure.error()))
            throw EDatabaseError(AlreadyThere);
        throw;
    }
    if (changed != 1)
        throw EDatabaseError(ChangedMeanwhile);
    history_.record(HistoryStore::Kind::Update, change.original, change.values);
}

void ChangeSetWriter::remove(const Change& change)
{
    const QString sql = QStringLiteral("DELETE FROM USR_EFETGEST") + matchOriginal(database_.dialect());
    if (database_.exec(sql, stored(change.original)) != 1)
        throw EDatabaseError(ChangedMeanwhile);
    history_.record(HistoryStore::Kind::Delete, change.original, {});
}
