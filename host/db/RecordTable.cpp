#include "RecordTable.h"

#include "EDatabaseError.h"

RecordTable::RecordTable(const FieldDefs& fields)
{
    columns_.reserve(std::size_t(fields.size()));
    for (const FieldDef& field : fields)
        columns_.emplace_back(field.type);
}

RecordTable RecordTable::fromRecords(const FieldDefs& fields, const QList<Record>& records)
{
    RecordTable table(fields);
    table.reserve(records.size());
    for (const Record& values : records)
        table.append(values);
    return table;
}

void RecordTable::reserve(qsizetype rows)
{
    for (RecordColumn& column : columns_)
        column.reserve(rows);
}

void RecordTable::squeeze()
{
    for (RecordColumn& column : columns_)
        column.squeeze();
}

Record RecordTable::record(qsizetype row) const
{
    Record values;
    values.reserve(columnCount());
    for (const RecordColumn& column : columns_)
        values.append(column.value(row));
    return values;
}

QList<Record> RecordTable::records() const
{
    QList<Record> lines;
    lines.reserve(rowCount());
    for (qsizetype row = 0; row < rowCount(); ++row)
        lines.append(record(row));
    return lines;
}

void RecordTable::setValue(qsizetype row, qsizetype column, const QVariant& value)
{
    RecordColumn& target = columns_[std::size_t(column)];
    target.check(value);
    target.set(row, value);
}

void RecordTable::setRecord(qsizetype row, const Record& values)
{
    check(values);
    for (std::size_t c = 0; c < columns_.size(); ++c)
        columns_[c].set(row, values[qsizetype(c)]);
}

void RecordTable::insert(qsizetype row, const Record& values)
{
    check(values);
    for (std::size_t c = 0; c < columns_.size(); ++c)
        columns_[c].insert(row, values[qsizetype(c)]);
}

void RecordTable::remove(qsizetype row)
{
    for (RecordColumn& column : columns_)
        column.remove(row);
}

void RecordTable::check(const Record& values) const
{
    if (values.size() != columnCount())
        throw EDatabaseError(
            QStringLiteral("Uma linha de %1 valores para %2 colunas.").arg(values.size()).arg(columnCount()));
    for (std::size_t c = 0; c < columns_.size(); ++c)
        columns_[c].check(values[qsizetype(c)]);
}
