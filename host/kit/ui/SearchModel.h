#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

class TDataSet;

// The lines of a data set as the search list shows them: a snapshot of its visible fields, narrowed
// by a filter text. The snapshot keeps each line's texts folded once, so typing stays quick on a few
// thousand lines.
class SearchModel : public QAbstractTableModel {
    Q_OBJECT

public:
    SearchModel(const TDataSet& dataSet, QObject* parent = nullptr);

    // Keeps the lines where some shown text contains `text`, ignoring case and accents.
    void setFilter(const QString& text);
    // The data set's line (0-based) behind shown row `row`.
    int dataSetRow(int row) const { return shown_.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Line {
        QStringList texts;
        QString folded;
    };

    QStringList titles_;
    QList<Qt::Alignment> alignments_;
    QList<Line> lines_;
    QList<int> shown_;
};
