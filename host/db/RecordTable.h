#pragma once

#include "FieldDef.h"
#include "Record.h"
#include "RecordColumn.h"
#include "host_db_export.h"

#include <QList>
#include <vector>

// The lines of a data set, stored by field (see RecordColumn) and read or written a value or a line
// at a time.
class HOST_DB_EXPORT RecordTable {
public:
    RecordTable() = default;
    // An empty table with one column per field.
    explicit RecordTable(const FieldDefs& fields);
    // Raises EDatabaseError when a line has the wrong number of values or a value of the wrong kind.
    static RecordTable fromRecords(const FieldDefs& fields, const QList<Record>& records);

    qsizetype rowCount() const { return columns_.empty() ? 0 : columns_.front().size(); }
    qsizetype columnCount() const { return qsizetype(columns_.size()); }
    bool isEmpty() const { return rowCount() == 0; }
    void reserve(qsizetype rows);
    // Gives back room reserved well beyond the lines held, as after an estimate that was too high.
    void squeeze();

    QVariant value(qsizetype row, qsizetype column) const { return columns_[std::size_t(column)].value(row); }
    Currency currency(qsizetype row, qsizetype column) const
    {
        return columns_[std::size_t(column)].currency(row);
    }
    Record record(qsizetype row) const;
    QList<Record> records() const;

    // Each raises EDatabaseError, changing nothing, when a value is neither null nor of its column's
    // kind, or when a line does not have one value per column.
    void setValue(qsizetype row, qsizetype column, const QVariant& value);
    void setRecord(qsizetype row, const Record& values);
    void insert(qsizetype row, const Record& values);
    void append(const Record& values) { insert(rowCount(), values); }
    void remove(qsizetype row);

    // For readers appending a line value by value, every column in turn.
    RecordColumn& column(qsizetype index) { return columns_[std::size_t(index)]; }

private:
    void check(const Record& values) const;

    std::vector<RecordColumn> columns_;
};
