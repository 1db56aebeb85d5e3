#pragma once

#include "TDataSet.h"
#include "TDataSource.h"
#include "TField.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>

class TColumns;

// The lines of a data source's data set as a table, one column per grid column, following the data set's
// signals. Detached (no lines, the titles still there) while the source is disabled, has no data set or
// the data set is closed. Values come straight from the stored lines, shown as the fields show them.
class DataSetTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    DataSetTableModel(const TColumns& columns, QObject* parent);

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    // The data set while attached, else null.
    TDataSet* DataSet() const { return linked_ ? dataSet_.data() : nullptr; }
    TField* FieldAt(int column) const;
    // The data set's current line while attached, else -1.
    int CurrentRow() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The lines were replaced or the link switched: everything is read again.
    void linkReset();
    void currentRowChanged(int row);
    void rowValuesChanged(int row);
    void stateChanged(TDataSetState state);
    void focusRequested(TField* field);

private:
    void relink();
    void reset();
    bool attached() const;
    void resolveFields();
    void sourceStateChanged(TDataSetState state);
    void contentReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentChanged(int row);
    void fieldFocusRequested(TField* field);
    void columnChanged(int column);
    // The data set's line shown at `row`. The data set signals a line came or went after the fact;
    // between the model's begin and end notices the rows keep their former places.
    int dataSetRow(int row) const;

    const TColumns& columns_;
    QPointer<TDataSource> source_;
    QPointer<TDataSet> dataSet_;
    QList<QMetaObject::Connection> sourceLinks_;
    QList<QMetaObject::Connection> dataSetLinks_;
    QList<QPointer<TField>> fields_;
    QList<int> fieldIndexes_;
    bool linked_ = false;
    int rows_ = 0;
    int current_ = -1;
    int pendingRow_ = -1;
    bool pendingInsert_ = false;
};
