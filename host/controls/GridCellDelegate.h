#pragma once

#include <QStyledItemDelegate>
#include <functional>

// Paints the grid's cells; the current cell is highlighted only while the grid shows its selection.
// Editing never goes through the delegate: the grid runs its own cell editor.
class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    GridCellDelegate(std::function<bool()> showSelection, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return nullptr;
    }

private:
    std::function<bool()> showSelection_;
};
