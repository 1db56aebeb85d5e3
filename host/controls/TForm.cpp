#include "TForm.h"

#include "Application.h"
#include "KeyPreviewFilter.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopeGuard>

TForm::TForm(QWidget* parent) : QWidget(parent)
{
    KeyPreviewFilter::install();
}

TForm::~TForm() = default;

QWidget* TForm::holder()
{
    if (auto* window = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return window;
    return this;
}

const QWidget* TForm::holder() const
{
    return const_cast<TForm*>(this)->holder();
}

TWindowState TForm::WindowState() const
{
    const Qt::WindowStates state = holder()->windowState();
    if (state & Qt::WindowMinimized)
        return TWindowState::wsMinimized;
    if (state & Qt::WindowMaximized)
        return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    QWidget* window = holder();
    Qt::WindowStates flags = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == TWindowState::wsMinimized)
        flags |= Qt::WindowMinimized;
    else if (state == TWindowState::wsMaximized)
        flags |= Qt::WindowMaximized;
    window->setWindowState(flags);
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    holder()->setGeometry(left, top, width, height);
}

void TForm::resizeHolder(int width, int height)
{
    QWidget* window = holder();
    if (window == this) {
        resize(width, height);
        return;
    }
    window->resize(window->width() + width - this->width(), window->height() + height - this->height());
}

void TForm::SetClientWidth(int width)
{
    resizeHolder(width, height());
}

void TForm::SetClientHeight(int height)
{
    resizeHolder(width(), height);
}

void TForm::Show()
{
    QWidget* window = holder();
    window->show();
    BringToFront();
}

void TForm::BringToFront()
{
    QWidget* window = holder();
    window->raise();
    if (auto* child = qobject_cast<QMdiSubWindow*>(window)) {
        if (QMdiArea* area = child->mdiArea())
            area->setActiveSubWindow(child);
    } else {
        window->activateWindow();
    }
}

bool TForm::Close()
{
    if (closing_)
        return false;
    closing_ = true;
    const auto reset = qScopeGuard([this] { closing_ = false; });

    bool canClose = true;
    OnCloseQuery(this, canClose);
    if (!canClose)
        return false;
    TCloseAction action = TCloseAction::caHide;
    OnClose(this, action);
    QWidget* window = holder();
    switch (action) {
    case TCloseAction::caNone:
        return false;
    case TCloseAction::caHide:
        window->hide();
        break;
    case TCloseAction::caFree:
        window->hide();
        window->deleteLater();
        break;
    case TCloseAction::caMinimize:
        window->showMinimized();
        break;
    }
    return true;
}

void TForm::Create()
{
    OnCreate(this);
}

void TForm::Activated()
{
    OnActivate(this);
}

void TForm::closeEvent(QCloseEvent* event)
{
    // The close step decides what happens to the window; Qt must not close it on its own.
    event->ignore();
    Application::instance().Guard([this] { Close(); });
}

void TForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isWindow() && isActiveWindow())
        Application::instance().Guard([this] { Activated(); });
}
