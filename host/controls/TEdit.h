#pragma once

#include "TEvent.h"
#include "host_controls_export.h"

#include <QLineEdit>

class FocusBoundary;

// A one-line text box. OnChange runs on every change of the text, typed or set; OnEnter and OnExit as
// the focus comes and goes, an error from OnExit keeping the focus here. Without TabStop the box is
// skipped by Tab but can still be clicked into.
class HOST_CONTROLS_EXPORT TEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TEdit(QWidget* parent = nullptr);
    ~TEdit() override;

    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);
    void SetColor(const QColor& color);
    // The colour of the text typed and shown, as the font colour.
    void SetFontColor(const QColor& color);
    void SetMaxLength(int length) { setMaxLength(length > 0 ? length : 32767); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

    TEvent<QObject*> OnChange;
    TEvent<QObject*> OnEnter;
    TEvent<QObject*> OnExit;

private:
    bool tabStop_ = true;
    FocusBoundary* boundary_;
};
