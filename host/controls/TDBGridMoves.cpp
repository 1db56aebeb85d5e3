#include "Application.h"
#include "CellEditor.h"
#include "DataSetTableModel.h"
#include "RetypeSelection.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDataSet.h"

#include <QHeaderView>
#include <QMouseEvent>

bool TDBGrid::untouchedNewLine() const
{
    const TDataSet* ds = dataSet();
    return ds && ds->State() == TDataSetState::dsInsert && !ds->Modified() && !editorModified();
}

bool TDBGrid::canChangeLines() const
{
    const TDataSet* ds = dataSet();
    return ds && options_.testFlag(dgEditing) && !options_.testFlag(dgRowSelect) && !readOnly_ &&
           !ds->ReadOnly();
}

void TDBGrid::refusable(const std::function<void()>& move)
{
    try {
        move();
    } catch (...) {
        // The checks refused what the cell holds: what the user types next replaces it.
        if (editorOpen())
            RetypeSelection::Select(editor_);
        throw;
    }
}

void TDBGrid::moveTo(int row, int column)
{
    refusable([&] { moveChecked(row, column); });
}

void TDBGrid::moveChecked(int row, int column)
{
    TDataSet* ds = dataSet();
    const bool columnChanges = column >= 0 && column != selected_;
    const bool rowChanges = ds && row >= 0 && row != currentRow();
    if (!columnChanges && !rowChanges)
        return;
    UpdateData();
    if (columnChanges)
        OnColExit(this);
    if (rowChanges) {
        int target = row;
        // An untouched new line goes away; the lines after it move up by one.
        if (untouchedNewLine()) {
            const int pending = ds->currentRow();
            ds->Cancel();
            if (target > pending)
                --target;
        }
        ds->SetRecNo(target + 1);
    }
    if (columnChanges) {
        selectColumn(column);
        OnColEnter(this);
    }
}

void TDBGrid::selectColumn(int column)
{
    const bool wasOpen = editorOpen();
    hideEditor();
    selected_ = column;
    syncCursor();
    refreshEditorButton();
    if (wasOpen)
        showEditor();
}

void TDBGrid::moveRow(int delta)
{
    const int rows = rowCount();
    const int current = currentRow();
    if (rows == 0 || current < 0)
        return;
    const int target = std::clamp(current + delta, 0, rows - 1);
    if (target != current)
        moveTo(target, selected_);
    else if (delta > 0)
        appendLine();
}

void TDBGrid::moveColumn(int delta)
{
    const int next = columnBeside(selected_, delta);
    if (next >= 0)
        moveTo(currentRow(), next);
}

void TDBGrid::tab(bool forward)
{
    const int next = columnBeside(selected_, forward ? 1 : -1);
    if (next >= 0) {
        moveTo(currentRow(), next);
        return;
    }
    const int current = currentRow();
    if (!forward) {
        if (current > 0)
            moveTo(current - 1, lastColumn());
        return;
    }
    if (current + 1 < rowCount()) {
        moveTo(current + 1, firstColumn());
        return;
    }
    // Past the last cell: a new line, as after the last line with the Down key.
    if (!canChangeLines() || current < 0)
        return;
    refusable([this] {
        UpdateData();
        if (untouchedNewLine())
            return;
        const int first = firstColumn();
        if (first != selected_)
            OnColExit(this);
        dataSet()->Append();
        if (first != selected_) {
            selectColumn(first);
            OnColEnter(this);
        }
    });
}

void TDBGrid::appendLine()
{
    if (!canChangeLines())
        return;
    refusable([this] {
        UpdateData();
        if (!untouchedNewLine())
            dataSet()->Append();
    });
}

int TDBGrid::columnBeside(int column, int delta) const
{
    const QHeaderView* header = horizontalHeader();
    for (int visual = header->visualIndex(column) + delta; visual >= 0 && visual < header->count();
         visual += delta) {
        const int logical = header->logicalIndex(visual);
        if (!isColumnHidden(logical))
            return logical;
    }
    return -1;
}

int TDBGrid::firstColumn() const
{
    const QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        if (!isColumnHidden(header->logicalIndex(visual)))
            return header->logicalIndex(visual);
    }
    return -1;
}

int TDBGrid::lastColumn() const
{
    const QHeaderView* header = horizontalHeader();
    for (int visual = header->count() - 1; visual >= 0; --visual) {
        if (!isColumnHidden(header->logicalIndex(visual)))
            return header->logicalIndex(visual);
    }
    return -1;
}

int TDBGrid::pageRows() const
{
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()) - 1);
}

void TDBGrid::clickCell(const QModelIndex& index)
{
    if (index.row() == currentRow() && index.column() == selected_) {
        showEditor();
        return;
    }
    moveTo(index.row(), index.column());
}

void TDBGrid::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        Application::instance().Guard([&] { clickCell(index); });
}

void TDBGrid::mouseMoveEvent(QMouseEvent* event)
{
    // No dragging a selection: the current cell only changes through moveTo.
    if (event->buttons() == Qt::NoButton)
        QTableView::mouseMoveEvent(event);
    else
        event->accept();
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        Application::instance().Guard([&] {
            clickCell(index);
            showEditor();
        });
}
