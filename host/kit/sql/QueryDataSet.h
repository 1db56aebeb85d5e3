#pragma once

#include "TDataSet.h"
#include "host_kit_export.h"

class QSqlQuery;

// The rows a lookup query fetched, read-only: data sources and search lists show it and move its
// cursor. Its text fields are declared beforehand; each reads the result column of its name.
class HOST_KIT_EXPORT QueryDataSet : public TDataSet {
    Q_OBJECT

public:
    explicit QueryDataSet(QObject* parent = nullptr);

    // Fetches every row `query` has, then opens standing on the first. Raises EDatabaseError (naming
    // this set) for a fetch error, a field without its column, a NULL in a required field or a value
    // its field refuses; the set is then left closed.
    void Fill(QSqlQuery& query);

private:
    [[noreturn]] void fail(const QString& problem) const;
    QList<int> columnsOf(const QSqlQuery& query) const;
    Record readRow(const QSqlQuery& query, const QList<int>& columns) const;
    QVariant readValue(const QSqlQuery& query, int column, const TField* field) const;
};
