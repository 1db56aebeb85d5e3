#include "ScreenStatus.h"

#include <QDynamicPropertyChangeEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

ScreenStatus::ScreenStatus(QMdiArea* area, QLabel* label) : QObject(label), label_(label)
{
    connect(area, &QMdiArea::subWindowActivated, this, &ScreenStatus::activated);
}

void ScreenStatus::activated(QMdiSubWindow* window)
{
    // No window: the main window lost the activation (or the last screen closed, which `destroyed` sees).
    QWidget* screen = window ? window->widget() : nullptr;
    if (!screen || screen == screen_)
        return;
    if (screen_)
        screen_->removeEventFilter(this);
    screen_ = screen;
    screen->installEventFilter(this);
    connect(screen, &QObject::destroyed, this, [this, screen] {
        if (screen_ == screen || !screen_)
            label_->clear();
    });
    show();
}

bool ScreenStatus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == screen_ && event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == Property)
        show();
    return false;
}

void ScreenStatus::show()
{
    label_->setText(screen_ ? screen_->property(Property).toString() : QString());
}
