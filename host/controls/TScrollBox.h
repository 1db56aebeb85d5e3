#pragma once

#include "ControlAlign.h"
#include "host_controls_export.h"

#include <QScrollArea>

// A scrolling container. Aligned controls made with the scroll box as their parent fill it as in any
// container; content that should scroll goes into Client().
class HOST_CONTROLS_EXPORT TScrollBox : public QScrollArea {
    Q_OBJECT

public:
    explicit TScrollBox(QWidget* parent = nullptr);

    QWidget* Client() const { return widget(); }
    void SetBorder(bool border) { setFrameShape(border ? QFrame::StyledPanel : QFrame::NoFrame); }
    void SetAlign(TAlign align) { ControlAlign::Set(this, align); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }
};
