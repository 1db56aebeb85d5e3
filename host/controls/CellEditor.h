#pragma once

#include <QLineEdit>

class QToolButton;

// The grid's in-place editor: a line edit over the current cell, with an ellipsis button at its right
// for columns that have one. It remembers the text it was loaded with, so the grid can tell a value
// written to the field by code from what the user typed. Read-only, it takes no text from an input
// method either.
class CellEditor : public QLineEdit {
    Q_OBJECT

public:
    explicit CellEditor(QWidget* parent);

    void SetButtonVisible(bool visible);
    bool ButtonVisible() const;
    // Shows `text` as it stands in the field: not modified, all of it selected.
    void Load(const QString& text);
    const QString& LoadedText() const { return loaded_; }

signals:
    void buttonClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void placeButton();

    QToolButton* button_;
    QString loaded_;
};
