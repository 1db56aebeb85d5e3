#pragma once

#include "host_controls_export.h"

#include <QLabel>

// A caption. Its accelerator ('&' in the caption) focuses FocusControl. It keeps the size it was given
// unless AutoSize is set.
class HOST_CONTROLS_EXPORT TLabel : public QLabel {
    Q_OBJECT

public:
    explicit TLabel(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    QWidget* FocusControl() const { return buddy(); }
    void SetFocusControl(QWidget* control) { setBuddy(control); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    void SetFontColor(const QColor& color);
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

private:
    bool autoSize_ = false;
};
