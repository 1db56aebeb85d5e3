#include "FocusBoundary.h"

#include "FocusTracker.h"

#include <QApplication>
#include <QWidget>

FocusBoundary::FocusBoundary(QWidget* area, Handler onEnter, Handler onExit)
    : QObject(area), area_(area), onEnter_(std::move(onEnter)), onExit_(std::move(onExit))
{
    inside_ = Contains(QApplication::focusWidget());
    FocusTracker::instance().add(this);
}

FocusBoundary::~FocusBoundary()
{
    FocusTracker::remove(this);
}

bool FocusBoundary::Contains(const QWidget* widget) const
{
    return widget && (widget == area_ || area_->isAncestorOf(widget));
}
