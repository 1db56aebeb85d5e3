#include "QueryDataSet.h"

#include "EDatabaseError.h"
#include "TADOIBStringField.h"
#include "TField.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

QueryDataSet::QueryDataSet(QObject* parent) : TDataSet(parent)
{
    SetReadOnly(true);
}

void QueryDataSet::Fill(QSqlQuery& query)
{
    Close();
    const QList<int> columns = columnsOf(query);
    const int filtered = filteredField();
    QList<Record> rows;
    while (query.next()) {
        Record row = readRow(query, columns);
        if (filtered < 0 || keeps_(row[filtered].toString()))
            rows.append(std::move(row));
    }
    // Some drivers (QIBASE) only report a failed statement here, after the fetch.
    if (query.lastError().isValid())
        fail(query.lastError().text());
    replaceRows(rows);
}

void QueryDataSet::SetRowFilter(const QString& fieldName, ValueFilter keeps)
{
    filterField_ = fieldName;
    keeps_ = std::move(keeps);
}

void QueryDataSet::ClearRowFilter()
{
    filterField_.clear();
    keeps_ = nullptr;
}

int QueryDataSet::filteredField() const
{
    if (!keeps_)
        return -1;
    const int index = int(Fields().indexOf(FindField(filterField_)));
    if (index < 0)
        fail(QStringLiteral("o filtro de linhas usa o campo '%1', que não existe.").arg(filterField_));
    return index;
}

void QueryDataSet::fail(const QString& problem) const
{
    throw EDatabaseError(QStringLiteral("%1: %2").arg(objectName(), problem));
}

QList<int> QueryDataSet::columnsOf(const QSqlQuery& query) const
{
    const QSqlRecord result = query.record();
    QList<int> columns;
    for (const TField* field : Fields()) {
        const int column = result.indexOf(field->FieldName()); // any case: PostgreSQL folds to lower
        if (column < 0)
            fail(QStringLiteral("o resultado não tem a coluna '%1'.").arg(field->FieldName()));
        columns.append(column);
    }
    return columns;
}

Record QueryDataSet::readRow(const QSqlQuery& query, const QList<int>& columns) const
{
    Record row;
    row.reserve(columns.size());
    for (int i = 0; i < columns.size(); ++i)
        row.append(readValue(query, columns[i], Fields()[i]));
    return row;
}

QVariant QueryDataSet::readValue(const QSqlQuery& query, int column, const TField* field) const
{
    if (query.isNull(column)) {
        const auto* lookupField = qobject_cast<const TADOIBStringField*>(field);
        if (lookupField && lookupField->Required())
            fail(QStringLiteral("o campo obrigatório '%1' veio nulo.").arg(field->FieldName()));
        return {};
    }
    try {
        return field->Def().normalize(query.value(column).toString());
    } catch (const EDatabaseError& e) {
        fail(e.Message());
    }
}
