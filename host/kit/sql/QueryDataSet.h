#pragma once

#include "TDataSet.h"
#include "host_kit_export.h"

#include <functional>

class QSqlQuery;

// The rows a lookup query fetched, read-only: data sources and search lists show it and move its
// cursor. Its text fields are declared beforehand; each reads the result column of its name. A row
// filter, when set, leaves out of each fill the rows whose value of one field it does not accept.
class HOST_KIT_EXPORT QueryDataSet : public TDataSet {
    Q_OBJECT

public:
    // Whether a row whose filtered field holds `value` (NULL reads as empty) stays in the set.
    using ValueFilter = std::function<bool(const QString& value)>;

    explicit QueryDataSet(QObject* parent = nullptr);

    // Fetches every row `query` has, keeps those the row filter accepts, then opens standing on the
    // first. Raises EDatabaseError (naming this set) for a fetch error, a field without its column, a
    // NULL in a required field, a value its field refuses or a filter on a field it lacks; the set is
    // then left closed.
    void Fill(QSqlQuery& query);

    // From the next fill on, keeps only the rows whose field `fieldName` `keeps` accepts; the rows
    // shown now stay as they are.
    void SetRowFilter(const QString& fieldName, ValueFilter keeps);
    void ClearRowFilter();
    bool Filtered() const { return static_cast<bool>(keeps_); }

private:
    // Position of the filtered field among the fields; -1 without a filter.
    int filteredField() const;
    [[noreturn]] void fail(const QString& problem) const;
    QList<int> columnsOf(const QSqlQuery& query) const;
    Record readRow(const QSqlQuery& query, const QList<int>& columns) const;
    QVariant readValue(const QSqlQuery& query, int column, const TField* field) const;

    QString filterField_;
    ValueFilter keeps_;
};
