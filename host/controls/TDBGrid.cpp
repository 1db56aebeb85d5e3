#include "TDBGrid.h"

#include "Application.h"
#include "CellEditor.h"
#include "DataSetTableModel.h"
#include "FocusBoundary.h"
#include "GridCellDelegate.h"
#include "RetypeSelection.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDataSet.h"
#include "TDataSource.h"
#include "TField.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>

TDBGrid::TDBGrid(QWidget* parent)
    : QTableView(parent), columns_(new TColumns(this)), editor_(new CellEditor(viewport())),
      boundary_(new FocusBoundary(
          this, [this] { OnEnter(this); },
          [this] {
              exitGrid();
              OnExit(this);
          }))
{
    model_ = new DataSetTableModel(*columns_, this);
    setModel(model_);
    setItemDelegate(new GridCellDelegate([this] { return showsSelection(); }, this));
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setAccessibleName(QStringLiteral("Grade de dados"));
    editor_->hide();
    editor_->installEventFilter(this);
    boundary_->SetBeforeOutsidePress([this] { UpdateData(); });

    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setHighlightSections(false);
        // Clicking a title must not select a whole column or row behind the data set's back.
        disconnect(header, &QHeaderView::sectionPressed, this, nullptr);
        disconnect(header, &QHeaderView::sectionEntered, this, nullptr);
    }
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(14);

    connect(model_, &DataSetTableModel::linkReset, this, &TDBGrid::linkReset);
    connect(model_, &DataSetTableModel::currentRowChanged, this, [this] {
        hideEditor();
        syncCursor();
    });
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] {
        hideEditor();
        syncCursor();
    });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
        hideEditor();
        syncCursor();
    });
    connect(model_, &DataSetTableModel::rowValuesChanged, this, &TDBGrid::rowValuesChanged);
    connect(model_, &DataSetTableModel::stateChanged, this, &TDBGrid::stateChanged);
    connect(model_, &DataSetTableModel::focusRequested, this, &TDBGrid::focusRequested);
    connect(columns_, &TColumns::columnsReset, this, &TDBGrid::applyColumns);
    connect(columns_, &TColumns::columnChanged, this, &TDBGrid::applyColumn);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int index, int, int size) { columnResized(index, size); });
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this, &TDBGrid::placeEditor);
    connect(editor_, &CellEditor::buttonClicked, this,
            [this] { Application::instance().Guard([this] { editButtonClick(); }); });

    SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
               dgConfirmDelete | dgCancelOnExit);
}

TDBGrid::~TDBGrid() = default;

TDataSource* TDBGrid::DataSource() const
{
    return model_->DataSource();
}

void TDBGrid::SetDataSource(TDataSource* source)
{
    model_->SetDataSource(source);
}

void TDBGrid::SetOptions(TDBGridOptions options)
{
    options_ = options;
    applyOptions();
}

void TDBGrid::applyOptions()
{
    horizontalHeader()->setVisible(options_.testFlag(dgTitles));
    verticalHeader()->setVisible(options_.testFlag(dgIndicator));
    setShowGrid(options_.testFlag(dgColLines) || options_.testFlag(dgRowLines));
    const bool resizable = options_.testFlag(dgColumnResize);
    horizontalHeader()->setSectionResizeMode(resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(resizable);
    setSelectionBehavior(options_.testFlag(dgRowSelect) ? SelectRows : SelectItems);
    setTabKeyNavigation(options_.testFlag(dgTabs));
    if (!canEdit())
        hideEditor();
    syncCursor();
    viewport()->update();
}

void TDBGrid::applyColumns()
{
    for (int i = 0; i < columns_->Count(); ++i)
        applyColumn(i);
    selected_ = std::clamp(selected_, 0, std::max(0, columns_->Count() - 1));
    if (isColumnHidden(selected_) && firstColumn() >= 0)
        selected_ = firstColumn();
    syncCursor();
}

void TDBGrid::applyColumn(int index)
{
    const TColumn* column = columns_->Items(index);
    if (!column)
        return;
    setColumnHidden(index, !column->Visible());
    setColumnWidth(index, column->Width());
    if (index == selected_)
        refreshEditorButton();
}

void TDBGrid::columnResized(int index, int size)
{
    // The user dragged the column's edge: the column keeps that width.
    if (TColumn* column = columns_->Items(index); column && size > 0 && column->Width() != size)
        column->width_ = size;
    placeEditor();
}

void TDBGrid::linkReset()
{
    hideEditor();
    const TDataSource* source = DataSource();
    if (const TDataSet* all = source ? source->DataSet() : nullptr; all && columns_->IsDefault()) {
        QStringList names;
        for (const TField* field : all->Fields()) {
            if (field->Visible())
                names << field->FieldName();
        }
        QStringList current;
        for (int i = 0; i < columns_->Count(); ++i)
            current << columns_->Items(i)->FieldName();
        if (names != current) {
            columns_->SetDefaults(names);
            return; // the columns' reset comes back here through the model
        }
    }
    applyColumns();
}

void TDBGrid::syncCursor()
{
    if (syncing_)
        return;
    QScopedValueRollback guard(syncing_, true);
    const int row = currentRow();
    const QModelIndex index = row >= 0 ? model_->index(row, selected_) : QModelIndex();
    if (index.isValid()) {
        QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
        if (options_.testFlag(dgRowSelect))
            flags |= QItemSelectionModel::Rows;
        selectionModel()->setCurrentIndex(index, flags);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    if (!editorOpen() && wantsEditor() && boundary_->HasFocusInside())
        showEditor();
    placeEditor();
}

void TDBGrid::stateChanged()
{
    const TDataSet* ds = dataSet();
    const bool editing =
        ds && (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert);
    if (editorOpen())
        editor_->setReadOnly(!cellWritable()); // whether a cell takes text may follow the line's state
    if (editing || !editorOpen())
        return;
    // The line was stored or cancelled by someone else: the cell shows the field again.
    if (wantsEditor())
        editor_->Load(SelectedField() ? SelectedField()->AsString() : QString());
    else
        hideEditor();
}

void TDBGrid::rowValuesChanged(int row)
{
    if (row == currentRow())
        reloadEditor();
}

void TDBGrid::focusRequested(TField* field)
{
    int column = -1;
    for (int i = 0; i < columns_->Count() && column < 0; ++i) {
        if (model_->FieldAt(i) == field)
            column = i;
    }
    if (column < 0)
        return;
    if (column != selected_)
        SetSelectedIndex(column);
    // Focusing the grid while its editor has the focus would take the editor's selection away.
    if (!editorOpen() || !editor_->hasFocus())
        setFocus(Qt::OtherFocusReason);
    showEditor();
    // The field's value is being refused: the user types it again.
    if (editorOpen())
        RetypeSelection::Select(editor_);
}

TDataSet* TDBGrid::dataSet() const
{
    return model_->DataSet();
}

int TDBGrid::rowCount() const
{
    return model_->rowCount();
}

int TDBGrid::currentRow() const
{
    return model_->CurrentRow();
}

TColumn* TDBGrid::selectedColumn() const
{
    return columns_->Items(selected_);
}

TField* TDBGrid::SelectedField() const
{
    return model_->FieldAt(selected_);
}

void TDBGrid::SetSelectedField(TField* field)
{
    for (int i = 0; i < columns_->Count(); ++i) {
        if (model_->FieldAt(i) == field) {
            SetSelectedIndex(i);
            return;
        }
    }
}

void TDBGrid::SetSelectedIndex(int index)
{
    if (index < 0 || index >= columns_->Count() || index == selected_)
        return;
    const bool wasOpen = editorOpen();
    hideEditor();
    selected_ = index;
    syncCursor();
    refreshEditorButton();
    if (wasOpen)
        showEditor();
}

bool TDBGrid::showsSelection() const
{
    if (options_.testFlag(dgAlwaysShowSelection))
        return true;
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

QFont TDBGrid::TitleFont() const
{
    return horizontalHeader()->font();
}

void TDBGrid::SetTitleFont(const QFont& font)
{
    horizontalHeader()->setFont(font);
}

void TDBGrid::SetColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void TDBGrid::SetFontColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

bool TDBGrid::event(QEvent* event)
{
    // The grid's own keys reach it even where a window shortcut uses the same key.
    if (event->type() == QEvent::ShortcutOverride && isGridKey(static_cast<const QKeyEvent&>(*event))) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        if (handleKey(static_cast<const QKeyEvent&>(*event), false)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return handleKey(static_cast<const QKeyEvent&>(*event), true);
        case QEvent::ShortcutOverride:
            if (isGridKey(static_cast<const QKeyEvent&>(*event)))
                event->accept();
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            viewport()->update();
            break;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

QModelIndex TDBGrid::moveCursor(CursorAction, Qt::KeyboardModifiers)
{
    // Every move goes through moveTo, which runs the column and line checks; Qt moves nothing itself.
    return currentIndex();
}

void TDBGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    if (hidingEditor_)
        return;
    if (editorOpen())
        editor_->setFocus(Qt::OtherFocusReason);
    else if (wantsEditor())
        showEditor();
}

void TDBGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void TDBGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    placeEditor();
}

void TDBGrid::updateGeometries()
{
    QTableView::updateGeometries();
    placeEditor();
}
