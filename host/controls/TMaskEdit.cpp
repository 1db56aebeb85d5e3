#include "TMaskEdit.h"

#include <QFocusEvent>
#include <QMouseEvent>

TMaskEdit::TMaskEdit(QWidget* parent) : TEdit(parent) {}

void TMaskEdit::SetEditMask(const QString& mask)
{
    maskText_ = mask;
    mask_ = EditMask(mask);
    setInputMask(mask_.QtMask());
}

QString TMaskEdit::Text() const
{
    return mask_.IsEmpty() ? text() : mask_.TextOf(displayText());
}

void TMaskEdit::SetText(const QString& text)
{
    setText(text);
}

void TMaskEdit::focusInEvent(QFocusEvent* event)
{
    TEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
        selectAll();
}

void TMaskEdit::mousePressEvent(QMouseEvent* event)
{
    TEdit::mousePressEvent(event);
    if (mask_.IsEmpty() || hasSelectedText())
        return;
    // Positions, not characters: the literals before the caret count, the blanks after the last
    // typed character do not.
    const int typed = mask_.TypedEnd(displayText());
    if (cursorPosition() > typed)
        setCursorPosition(typed);
}
