#include "CellEditor.h"

#include <QInputMethodEvent>
#include <QKeySequence>
#include <QToolButton>

CellEditor::CellEditor(QWidget* parent) : QLineEdit(parent), button_(new QToolButton(this))
{
    setFrame(false);
    setAccessibleName(QStringLiteral("Valor da célula"));
    setContextMenuPolicy(Qt::NoContextMenu);
    button_->setText(QStringLiteral("..."));
    button_->setObjectName(QStringLiteral("cellEditorButton"));
    button_->setAccessibleName(QStringLiteral("Pesquisar"));
    // The grid runs the button with Ctrl+Enter too.
    button_->setToolTip(QStringLiteral("Pesquisar (%1)")
                            .arg(QKeySequence(Qt::CTRL | Qt::Key_Enter).toString(QKeySequence::NativeText)));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    button_->hide();
    connect(button_, &QToolButton::clicked, this, &CellEditor::buttonClicked);
}

void CellEditor::SetButtonVisible(bool visible)
{
    button_->setVisible(visible);
    placeButton();
}

bool CellEditor::ButtonVisible() const
{
    return !button_->isHidden();
}

void CellEditor::Load(const QString& text)
{
    loaded_ = text;
    setText(text);
    setModified(false);
    selectAll();
}

void CellEditor::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    placeButton();
}

void CellEditor::inputMethodEvent(QInputMethodEvent* event)
{
    // QLineEdit commits a composed text even while read-only.
    if (isReadOnly()) {
        event->ignore();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void CellEditor::placeButton()
{
    const int side = height();
    button_->setGeometry(width() - side, 0, side, side);
    setTextMargins(0, 0, ButtonVisible() ? side : 0, 0);
}
