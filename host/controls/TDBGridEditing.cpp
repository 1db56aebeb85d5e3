#include "Application.h"
#include "CellEditor.h"
#include "DataSetTableModel.h"
#include "EAbort.h"
#include "FocusBoundary.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDataSet.h"
#include "TField.h"

#include <QApplication>
#include <QScopedValueRollback>

bool TDBGrid::canEdit() const
{
    const TDataSet* ds = dataSet();
    const TColumn* column = selectedColumn();
    return ds && column && SelectedField() && options_.testFlag(dgEditing) &&
           !options_.testFlag(dgRowSelect) && !readOnly_ && !column->ReadOnly() && !ds->ReadOnly();
}

bool TDBGrid::cellWritable()
{
    if (!canEdit())
        return false;
    TField* field = SelectedField();
    bool writable = true;
    // A failing answer refuses: no text goes into a cell nobody vouched for.
    if (!Application::instance().Guard([&] { OnCanEditModify(this, field, writable); }))
        return false;
    return writable;
}

void TDBGrid::ensureEditing()
{
    if (!cellWritable())
        Abort();
    TDataSet* ds = dataSet();
    if (ds->State() == TDataSetState::dsBrowse)
        ds->Edit();
}

bool TDBGrid::editorOpen() const
{
    return !editor_->isHidden();
}

bool TDBGrid::editorModified() const
{
    return editorOpen() && editor_->isModified();
}

bool TDBGrid::wantsEditor() const
{
    if (!canEdit() || currentRow() < 0)
        return false;
    const TColumn* column = selectedColumn();
    return options_.testFlag(dgAlwaysShowEditor) || column->ButtonStyle() == TColumnButtonStyle::cbsEllipsis;
}

bool TDBGrid::EditorMode() const
{
    return editorOpen();
}

void TDBGrid::SetEditorMode(bool open)
{
    if (open)
        showEditor();
    else
        hideEditor();
}

QLineEdit* TDBGrid::InplaceEditor() const
{
    return editor_;
}

void TDBGrid::showEditor()
{
    if (!canEdit() || currentRow() < 0)
        return;
    if (!editorOpen()) {
        const TField* field = SelectedField();
        editorRow_ = currentRow();
        editor_->setMaxLength(field->DataType() == TFieldType::ftString && field->Size() > 0 ? field->Size()
                                                                                             : 32767);
        editor_->setAlignment(selectedColumn()->Alignment() | Qt::AlignVCenter);
        editor_->Load(field->AsString());
        editor_->setReadOnly(!cellWritable());
        editor_->show(); // open before the button: refreshEditorButton opens a closed editor
        refreshEditorButton();
        placeEditor();
    }
    if (QApplication::focusWidget() == this)
        editor_->setFocus(Qt::OtherFocusReason);
}

void TDBGrid::hideEditor()
{
    if (!editorOpen())
        return;
    QScopedValueRollback guard(hidingEditor_, true);
    // Hiding the focused editor would send the focus to the next control, out of the grid.
    if (editor_->hasFocus())
        setFocus(Qt::OtherFocusReason);
    editor_->hide();
    editorRow_ = -1;
}

void TDBGrid::placeEditor()
{
    if (!editorOpen())
        return;
    const QRect cell = visualRect(model_->index(editorRow_, selected_));
    editor_->setGeometry(cell.adjusted(0, 0, -1, -1));
}

void TDBGrid::reloadEditor()
{
    const TField* field = SelectedField();
    if (!editorOpen() || !field)
        return;
    // A value written by code replaces the cell's text; an unchanged field leaves what is being typed.
    const QString text = field->AsString();
    if (text != editor_->LoadedText())
        editor_->Load(text);
}

void TDBGrid::refreshEditorButton()
{
    const TColumn* column = selectedColumn();
    editor_->SetButtonVisible(column && column->ButtonStyle() == TColumnButtonStyle::cbsEllipsis);
    if (!editorOpen() && wantsEditor() && boundary_->HasFocusInside())
        showEditor();
}

void TDBGrid::UpdateData()
{
    if (!editorModified())
        return;
    TField* field = SelectedField();
    if (!field)
        return;
    if (!cellWritable()) {
        editor_->Load(field->AsString()); // whatever got in by another way goes no further
        return;
    }
    ensureEditing();
    field->SetAsString(editor_->text());
    editor_->Load(field->AsString());
}

void TDBGrid::editButtonClick()
{
    OnEditButtonClick(this);
}

void TDBGrid::exitGrid()
{
    TDataSet* ds = dataSet();
    if (ds && options_.testFlag(dgCancelOnExit) && untouchedNewLine()) {
        hideEditor();
        ds->Cancel();
        return;
    }
    UpdateData();
    if (!options_.testFlag(dgAlwaysShowEditor))
        hideEditor();
}
