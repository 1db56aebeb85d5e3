#pragma once

#include "EditMask.h"
#include "TEdit.h"

// A text box under an edit mask ("9999;0; " takes up to four digits). Text() is what was typed, without
// blanks (and without the mask's literals unless the mask keeps them). Coming in by the keyboard (Tab,
// Shift+Tab, an accelerator) selects the whole text, so typing replaces it.
class HOST_CONTROLS_EXPORT TMaskEdit : public TEdit {
    Q_OBJECT

public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    QString EditMaskText() const { return maskText_; }
    void SetEditMask(const QString& mask);
    QString Text() const;
    void SetText(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    // A click past what was typed puts the caret right after it (at the start of an empty field), so
    // typing is not lost on blanks.
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString maskText_;
    EditMask mask_;
};
