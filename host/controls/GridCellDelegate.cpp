#include "GridCellDelegate.h"

GridCellDelegate::GridCellDelegate(std::function<bool()> showSelection, QObject* parent)
    : QStyledItemDelegate(parent), showSelection_(std::move(showSelection))
{}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    cell.state &= ~QStyle::State_HasFocus;
    if (!showSelection_())
        cell.state &= ~QStyle::State_Selected;
    else
        cell.state |= QStyle::State_Active; // same colour with or without the focus
    QStyledItemDelegate::paint(painter, cell, index);
}
