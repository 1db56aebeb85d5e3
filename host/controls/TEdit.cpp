#include "TEdit.h"

#include "Application.h"
#include "FocusBoundary.h"

TEdit::TEdit(QWidget* parent)
    : QLineEdit(parent), boundary_(new FocusBoundary(
                             this, [this] { OnEnter(this); }, [this] { OnExit(this); }))
{
    connect(this, &QLineEdit::textChanged, this,
            [this] { Application::instance().Guard([this] { OnChange(this); }); });
}

TEdit::~TEdit() = default;

void TEdit::SetTabStop(bool tabStop)
{
    tabStop_ = tabStop;
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TEdit::SetColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void TEdit::SetFontColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}
