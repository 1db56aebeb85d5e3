#include "TPanel.h"

#include "FocusBoundary.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent)
    : QFrame(parent), boundary_(new FocusBoundary(
                          this, [this] { OnEnter(this); }, [this] { OnExit(this); }))
{
    SetBevelOuter(TBevelCut::bvRaised);
}

TPanel::~TPanel() = default;

void TPanel::SetCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void TPanel::SetBevelOuter(TBevelCut bevel)
{
    bevelOuter_ = bevel;
    switch (bevel) {
    case TBevelCut::bvNone:
        setFrameStyle(QFrame::NoFrame);
        break;
    case TBevelCut::bvLowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case TBevelCut::bvRaised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
    setLineWidth(1);
}

void TPanel::SetColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
}

void TPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (caption_.isEmpty())
        return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, caption_);
}
