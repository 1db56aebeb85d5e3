#pragma once

#include "ControlAlign.h"
#include "TDBGridOptions.h"
#include "TEvent.h"
#include "host_controls_export.h"

#include <QTableView>
#include <functional>

class CellEditor;
class DataSetTableModel;
class FocusBoundary;
class QLineEdit;
class TColumn;
class TColumns;
class TDataSet;
class TDataSource;
class TField;

// A grid over the lines of a data source's data set, one row per line, edited in place.
//
// The current row is the data set's current line: moving the row moves the data set (posting a changed
// line, cancelling an untouched new one), and a move the data set refuses keeps the row. Typing in a
// cell puts the line in edit; the cell's text is written to its field when the cell is left, before
// OnColExit, which runs on every change of column with SelectedField still the column being left; an
// error from either refuses the move and keeps the editor with its text selected for typing over, as a
// field's FocusControl leaves it. Left and Right in the cell editor go on to the next cell, through the
// same checks as Tab, once the caret stands at that edge of the text or the whole text is selected.
// OnKeyDown and OnKeyPress see every key in the grid and its editor before the grid acts on it; an
// error or a zeroed key drops it. Insert inserts a line, Esc cancels the line's edit, Ctrl+Delete
// deletes (asking first with dgConfirmDelete), and with dgCancelOnExit an untouched new line goes when
// the focus leaves the grid. A cell that OnCanEditModify refuses opens its editor read-only: nothing
// typed, pasted, dropped or composed by an input method reaches its field, and the line is not put in
// edit for it.
class HOST_CONTROLS_EXPORT TDBGrid : public QTableView {
    Q_OBJECT

public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TColumns& Columns() { return *columns_; }
    const TColumns& Columns() const { return *columns_; }
    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions options);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // The field of the selected column, and that column's index in Columns().
    TField* SelectedField() const;
    void SetSelectedField(TField* field);
    int SelectedIndex() const { return selected_; }
    // Selects a column from code: no column events run.
    void SetSelectedIndex(int index);

    // Whether the cell editor is open; opening it does not edit the line until something is typed.
    bool EditorMode() const;
    void SetEditorMode(bool open);
    QLineEdit* InplaceEditor() const;
    // Writes what was typed in the cell to its field; raises what the field raises.
    void UpdateData();

    QFont TitleFont() const;
    void SetTitleFont(const QFont& font);
    void SetColor(const QColor& color);
    // The colour of the text typed and shown, as the font colour.
    void SetFontColor(const QColor& color);
    void SetBorder(bool border) { setFrameShape(border ? QFrame::StyledPanel : QFrame::NoFrame); }
    void SetAlign(TAlign align) { ControlAlign::Set(this, align); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

    TEvent<QObject*> OnColEnter;
    TEvent<QObject*> OnColExit;
    TEvent<QObject*> OnEditButtonClick;
    TEvent<QObject*> OnEnter;
    TEvent<QObject*> OnExit;
    // Virtual-key code by reference (0 drops the key) and the modifier keys held.
    TEvent<QObject*, int&, Qt::KeyboardModifiers> OnKeyDown;
    // The character typed, by reference (a null character drops it).
    TEvent<QObject*, QChar&> OnKeyPress;
    // Asked whether the current line's cell of the field may take text; clearing the flag refuses it.
    TEvent<QObject*, TField*, bool&> OnCanEditModify;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyboardSearch(const QString&) override {}
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    // TDBGrid.cpp: set-up, columns and the link to the data set.
    void applyOptions();
    void applyColumns();
    void applyColumn(int index);
    void columnResized(int index, int size);
    void linkReset();
    void syncCursor();
    void stateChanged();
    void rowValuesChanged(int row);
    void focusRequested(TField* field);
    TDataSet* dataSet() const;
    int rowCount() const;
    int currentRow() const;
    TColumn* selectedColumn() const;
    bool showsSelection() const;

    // TDBGridEditing.cpp: the cell editor and writing to fields.
    bool canEdit() const;
    // canEdit, and OnCanEditModify lets the selected cell of the current line take text.
    bool cellWritable();
    void ensureEditing();
    void showEditor();
    void hideEditor();
    void placeEditor();
    void reloadEditor();
    bool editorOpen() const;
    bool editorModified() const;
    bool wantsEditor() const;
    void refreshEditorButton();
    void editButtonClick();
    void exitGrid();

    // TDBGridKeys.cpp: keys, from the grid or its editor.
    bool handleKey(const QKeyEvent& event, bool inEditor);
    bool processKey(const QKeyEvent& event, bool inEditor);
    bool keyDownAction(int key, Qt::KeyboardModifiers shift, bool inEditor);
    bool charAction(QChar c, const QKeyEvent& event, bool inEditor);
    bool editorKeyAtEdge(int key) const;
    static bool modifiesText(const QKeyEvent& event);
    static bool isGridKey(const QKeyEvent& event);
    static QChar typedChar(const QKeyEvent& event);
    bool escape();
    void deleteLine();
    void insertLine();

    // TDBGridMoves.cpp: moving the cursor.
    // Runs a move; when its checks refuse, the cell's text is selected for typing over.
    void refusable(const std::function<void()>& move);
    void moveTo(int row, int column);
    void moveChecked(int row, int column);
    void moveRow(int delta);
    void moveColumn(int delta);
    void tab(bool forward);
    void appendLine();
    bool untouchedNewLine() const;
    bool canChangeLines() const;
    void selectColumn(int column);
    int firstColumn() const;
    int lastColumn() const;
    int columnBeside(int column, int delta) const;
    int pageRows() const;
    void clickCell(const QModelIndex& index);

    DataSetTableModel* model_;
    TColumns* columns_;
    CellEditor* editor_;
    FocusBoundary* boundary_;
    TDBGridOptions options_;
    bool readOnly_ = false;
    int selected_ = 0;
    int editorRow_ = -1;
    bool syncing_ = false;
    bool hidingEditor_ = false;
};
