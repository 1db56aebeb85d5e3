#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLineEdit;
class QTableView;
class SearchModel;
class TDataSet;

// The search list: a filter line over a table of the data set's lines. Typing filters, the arrow and
// page keys move in the list from the filter line, Enter or a double click chooses, Esc leaves.
class SearchDialog : public QDialog {
    Q_OBJECT

public:
    SearchDialog(const TDataSet& dataSet, const QString& title, QWidget* parent = nullptr);

    // The data set's line (0-based) chosen, -1 before a choice.
    int chosenRow() const { return chosenRow_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filterChanged(const QString& text);
    void choose();
    void updateChoice();
    bool forwardToList(QKeyEvent* event);
    bool forwardToFilter(QKeyEvent* event);

    SearchModel* model_;
    QLineEdit* filter_;
    QTableView* list_;
    QDialogButtonBox* buttons_;
    int chosenRow_ = -1;
};
