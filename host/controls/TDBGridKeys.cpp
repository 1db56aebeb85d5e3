#include "Application.h"
#include "CellEditor.h"
#include "FieldText.h"
#include "TDBGrid.h"
#include "TDataSet.h"
#include "TField.h"
#include "UserPrompts.h"
#include "VirtualKeys.h"

#include <QKeyEvent>
#include <QLocale>

using namespace VirtualKeys;

bool TDBGrid::handleKey(const QKeyEvent& event, bool inEditor)
{
    bool consumed = true; // a key whose handling failed goes no further
    Application::instance().Guard([&] { consumed = processKey(event, inEditor); });
    return consumed;
}

bool TDBGrid::processKey(const QKeyEvent& event, bool inEditor)
{
    int key = VirtualKeys::fromEvent(event);
    const Qt::KeyboardModifiers shift = VirtualKeys::shiftState(event);
    if (key != 0) {
        OnKeyDown(this, key, shift);
        if (key == 0)
            return true;
    }
    QChar c = typedChar(event);
    if (!c.isNull()) {
        OnKeyPress(this, c);
        if (c.isNull())
            return true;
    }
    if (key != 0 && keyDownAction(key, shift, inEditor))
        return true;
    if (!c.isNull())
        return charAction(c, event, inEditor);
    if (inEditor && modifiesText(event))
        ensureEditing();
    return false;
}

QChar TDBGrid::typedChar(const QKeyEvent& event)
{
    const QString text = event.text();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (text.isEmpty() || text.front() == QChar(0x7f))
        return {};
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier))
        return {}; // Alt with a letter is a menu accelerator, not typing
    // The keypad's decimal key types the separator of the user's locale.
    if ((modifiers & Qt::KeypadModifier) && (event.key() == Qt::Key_Period || event.key() == Qt::Key_Comma))
        return QLocale().decimalPoint().front();
    return text.front();
}

bool TDBGrid::modifiesText(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete ||
           event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut) ||
           event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo) ||
           event.matches(QKeySequence::DeleteEndOfWord) || event.matches(QKeySequence::DeleteStartOfWord);
}

bool TDBGrid::isGridKey(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_F2:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

bool TDBGrid::keyDownAction(int key, Qt::KeyboardModifiers shift, bool inEditor)
{
    const bool ctrl = shift.testFlag(Qt::ControlModifier);
    const bool alt = shift.testFlag(Qt::AltModifier);
    switch (key) {
    case vkTab:
        if (!options_.testFlag(dgTabs) || ctrl || alt)
            return false;
        tab(!shift.testFlag(Qt::ShiftModifier));
        return true;
    case vkReturn:
        if (ctrl) {
            if (editorOpen() && editor_->ButtonVisible())
                editButtonClick();
            return true;
        }
        tab(true);
        return true;
    case vkEscape:
        return escape();
    case vkUp:
    case vkDown:
        moveRow(key == vkUp ? -1 : 1);
        return true;
    case vkPrior:
    case vkNext:
        moveRow(key == vkPrior ? -pageRows() : pageRows());
        return true;
    case vkHome:
    case vkEnd:
        if (ctrl) {
            moveRow(key == vkHome ? -rowCount() : rowCount());
            return true;
        }
        if (inEditor)
            return false;
        moveTo(currentRow(), key == vkHome ? firstColumn() : lastColumn());
        return true;
    case vkLeft:
    case vkRight:
        if (inEditor && (shift != Qt::NoModifier || !editorKeyAtEdge(key)))
            return false;
        moveColumn(key == vkLeft ? -1 : 1);
        return true;
    case vkInsert:
        if (shift != Qt::NoModifier)
            return false;
        insertLine();
        return true;
    case vkDelete:
        if (ctrl) {
            deleteLine();
            return true;
        }
        return !inEditor;
    case vkF2:
        showEditor();
        return true;
    default:
        return false;
    }
}

bool TDBGrid::charAction(QChar c, const QKeyEvent& event, bool inEditor)
{
    if (c < QChar(u' ') && c != u'\b') {
        // Control characters are the editor's own commands (copy, paste, select all...).
        if (!inEditor)
            return true;
        if (modifiesText(event))
            ensureEditing();
        return false;
    }
    const TField* field = SelectedField();
    if (!field || !canEdit() || (c != u'\b' && !FieldText::Accepts(*field, c)))
        return true;
    ensureEditing();
    if (!editorOpen()) {
        showEditor();
        if (!editorOpen())
            return true;
        editor_->setText(c == u'\b' ? QString() : QString(c));
        editor_->setModified(true);
        return true;
    }
    const bool asTyped = inEditor && !event.text().isEmpty() && event.text().front() == c;
    if (asTyped)
        return false;
    if (c == u'\b')
        editor_->backspace();
    else
        editor_->insert(QString(c));
    editor_->setModified(true);
    return true;
}

bool TDBGrid::editorKeyAtEdge(int key) const
{
    // An arrow goes on to the next cell once the caret has nowhere left to go that way; text selected
    // in part is the editor's to collapse first, all of it selected stands at both edges.
    const int length = int(editor_->text().size());
    const int selected = int(editor_->selectedText().size());
    if (selected == length)
        return true;
    if (selected > 0)
        return false;
    return editor_->cursorPosition() == (key == vkLeft ? 0 : length);
}

bool TDBGrid::escape()
{
    bool acted = editorOpen();
    hideEditor();
    TDataSet* ds = dataSet();
    if (ds && (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert)) {
        ds->Cancel();
        acted = true;
    }
    return acted;
}

void TDBGrid::deleteLine()
{
    TDataSet* ds = dataSet();
    if (!ds || ds->IsEmpty() || !canChangeLines())
        return;
    if (options_.testFlag(dgConfirmDelete) &&
        !Application::instance().Prompts().Confirm(QStringLiteral("Excluir o registro?")))
        return;
    hideEditor();
    ds->Delete();
}

void TDBGrid::insertLine()
{
    if (!canChangeLines())
        return;
    UpdateData();
    dataSet()->Insert();
}
