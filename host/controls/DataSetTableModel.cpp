#include "DataSetTableModel.h"

#include "FieldText.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDataSet.h"
#include "TDataSource.h"
#include "TField.h"

DataSetTableModel::DataSetTableModel(const TColumns& columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns)
{
    connect(&columns_, &TColumns::columnsReset, this, &DataSetTableModel::reset);
    connect(&columns_, &TColumns::columnChanged, this, &DataSetTableModel::columnChanged);
}

void DataSetTableModel::SetDataSource(TDataSource* source)
{
    for (const auto& link : std::as_const(sourceLinks_))
        disconnect(link);
    sourceLinks_.clear();
    source_ = source;
    if (source_) {
        sourceLinks_ << connect(source_, &TDataSource::linkChanged, this, &DataSetTableModel::relink);
        sourceLinks_ << connect(source_, &TDataSource::stateChanged, this,
                                &DataSetTableModel::sourceStateChanged);
        sourceLinks_ << connect(source_, &QObject::destroyed, this, [this] {
            source_ = nullptr;
            relink();
        });
    }
    relink();
}

void DataSetTableModel::relink()
{
    for (const auto& link : std::as_const(dataSetLinks_))
        disconnect(link);
    dataSetLinks_.clear();
    dataSet_ = source_ ? source_->DataSet() : nullptr;
    if (TDataSet* ds = dataSet_) {
        dataSetLinks_ << connect(ds, &TDataSet::contentReset, this, &DataSetTableModel::contentReset);
        dataSetLinks_ << connect(ds, &TDataSet::rowInserted, this, &DataSetTableModel::rowInserted);
        dataSetLinks_ << connect(ds, &TDataSet::rowRemoved, this, &DataSetTableModel::rowRemoved);
        dataSetLinks_ << connect(ds, &TDataSet::rowChanged, this, &DataSetTableModel::rowChanged);
        dataSetLinks_ << connect(ds, &TDataSet::currentChanged, this, &DataSetTableModel::currentChanged);
        dataSetLinks_ << connect(ds, &TDataSet::focusControlRequested, this,
                                 &DataSetTableModel::fieldFocusRequested);
        dataSetLinks_ << connect(ds, &QObject::destroyed, this, &DataSetTableModel::relink);
    }
    reset();
}

bool DataSetTableModel::attached() const
{
    return source_ && source_->Enabled() && dataSet_ && dataSet_->Active();
}

void DataSetTableModel::reset()
{
    beginResetModel();
    linked_ = attached();
    rows_ = linked_ ? dataSet_->RecordCount() : 0;
    current_ = linked_ ? dataSet_->currentRow() : -1;
    resolveFields();
    endResetModel();
    emit linkReset();
}

void DataSetTableModel::resolveFields()
{
    fields_.clear();
    fieldIndexes_.clear();
    for (int i = 0; i < columns_.Count(); ++i) {
        TField* field = dataSet_ ? dataSet_->FindField(columns_[i]->FieldName()) : nullptr;
        fields_.append(field);
        fieldIndexes_.append(field ? field->Index() : -1);
    }
}

TField* DataSetTableModel::FieldAt(int column) const
{
    return column >= 0 && column < fields_.size() ? fields_[column].data() : nullptr;
}

int DataSetTableModel::CurrentRow() const
{
    return linked_ ? current_ : -1;
}

void DataSetTableModel::sourceStateChanged(TDataSetState state)
{
    if (attached() != linked_)
        reset();
    else if (linked_ && current_ >= 0 && current_ < rows_)
        emit headerDataChanged(Qt::Vertical, current_, current_);
    emit stateChanged(state);
}

void DataSetTableModel::contentReset()
{
    if (linked_ || attached())
        reset();
}

void DataSetTableModel::rowInserted(int row)
{
    if (!linked_)
        return;
    if (row < 0 || row > rows_) {
        reset();
        return;
    }
    pendingRow_ = row;
    pendingInsert_ = true;
    beginInsertRows({}, row, row);
    pendingRow_ = -1;
    ++rows_;
    if (current_ >= row)
        ++current_;
    endInsertRows();
}

void DataSetTableModel::rowRemoved(int row)
{
    if (!linked_)
        return;
    if (row < 0 || row >= rows_) {
        reset();
        return;
    }
    pendingRow_ = row;
    pendingInsert_ = false;
    beginRemoveRows({}, row, row);
    pendingRow_ = -1;
    --rows_;
    if (current_ > row || current_ >= rows_)
        --current_;
    endRemoveRows();
}

void DataSetTableModel::rowChanged(int row)
{
    if (!linked_ || row < 0 || row >= rows_ || columns_.Count() == 0)
        return;
    emit dataChanged(index(row, 0), index(row, columns_.Count() - 1));
    emit rowValuesChanged(row);
}

void DataSetTableModel::currentChanged(int row)
{
    if (!linked_)
        return;
    const int previous = std::exchange(current_, row);
    if (previous >= 0 && previous < rows_)
        emit headerDataChanged(Qt::Vertical, previous, previous);
    if (row >= 0 && row < rows_)
        emit headerDataChanged(Qt::Vertical, row, row);
    emit currentRowChanged(row);
}

void DataSetTableModel::fieldFocusRequested(TField* field)
{
    if (linked_)
        emit focusRequested(field);
}

void DataSetTableModel::columnChanged(int column)
{
    resolveFields();
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (rows_ > 0)
        emit dataChanged(index(0, column), index(rows_ - 1, column));
}

int DataSetTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int DataSetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns_.Count();
}

QVariant DataSetTableModel::data(const QModelIndex& index, int role) const
{
    if (!linked_ || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const TField* field = FieldAt(index.column());
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return FieldText::Display(*field,
                                  dataSet_->valueAt(dataSetRow(index.row()), fieldIndexes_[index.column()]));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_[index.column()]->Alignment() | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        const TColumn* column = columns_[section];
        if (!column)
            return {};
        if (role == Qt::DisplayRole)
            return column->Title().Caption();
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(column->Title().Alignment() | Qt::AlignVCenter);
        return {};
    }
    if (role != Qt::DisplayRole || !linked_ || section != current_ || section < 0 || section >= rows_)
        return {};
    switch (dataSet_->State()) {
    case TDataSetState::dsEdit:
        return QStringLiteral("I");
    case TDataSetState::dsInsert:
        return QStringLiteral("*");
    default:
        return QStringLiteral("\u25B6");
    }
}

int DataSetTableModel::dataSetRow(int row) const
{
    if (pendingRow_ < 0)
        return row;
    if (pendingInsert_)
        return row >= pendingRow_ ? row + 1 : row;
    if (row == pendingRow_)
        return -1;
    return row > pendingRow_ ? row - 1 : row;
}

Qt::ItemFlags DataSetTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
