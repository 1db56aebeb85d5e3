#include "FocusTracker.h"

#include "Application.h"
#include "FocusBoundary.h"
#include "RetypeSelection.h"
#include "TForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

namespace {

QPointer<FocusTracker>& trackerSlot()
{
    static QPointer<FocusTracker> tracker;
    return tracker;
}

int depth(const QWidget* widget)
{
    int n = 0;
    for (; widget; widget = widget->parentWidget())
        ++n;
    return n;
}

class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag), previous_(std::exchange(flag, true)) {}
    ~BusyScope() { flag_ = previous_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

bool runHandler(const FocusBoundary::Handler& handler)
{
    return !handler || Application::instance().Guard(handler);
}

QWidget* topLevelOf(const QWindow* window)
{
    const auto tops = QApplication::topLevelWidgets();
    const auto it =
        std::find_if(tops.begin(), tops.end(), [window](QWidget* w) { return w->windowHandle() == window; });
    return it == tops.end() ? nullptr : *it;
}

} // namespace

FocusTracker& FocusTracker::instance()
{
    QPointer<FocusTracker>& tracker = trackerSlot();
    if (!tracker)
        tracker = new FocusTracker(qApp);
    return *tracker;
}

FocusTracker::FocusTracker(QObject* parent) : QObject(parent)
{
    connect(qApp, &QApplication::focusChanged, this, &FocusTracker::focusChanged);
    qApp->installEventFilter(this);
}

void FocusTracker::add(FocusBoundary* boundary)
{
    boundaries_.append(boundary);
}

void FocusTracker::remove(FocusBoundary* boundary)
{
    if (FocusTracker* tracker = trackerSlot())
        tracker->boundaries_.removeAll(boundary);
}

QWidget* FocusTracker::scopeOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<TForm*>(w) || w->isWindow())
            return w;
    }
    return nullptr;
}

QList<FocusBoundary*> FocusTracker::inScope(QWidget* scope) const
{
    QList<FocusBoundary*> result;
    for (FocusBoundary* boundary : boundaries_) {
        if (scopeOf(boundary->area_) == scope)
            result.append(boundary);
    }
    return result;
}

void FocusTracker::focusChanged(QWidget* old, QWidget* now)
{
    // Focus going to no widget means another application window took it, and focus handed on while a
    // window hides is the window going away: nothing is entered or left.
    if (busy_ || !now || !now->isVisible())
        return;
    QWidget* target = now;
    for (int round = 0; round < 4; ++round) {
        if (!moveFocus(old, target))
            return;
        QWidget* settled = QApplication::focusWidget();
        // A handler may have moved the focus again while this move was running.
        if (!settled || settled == target)
            return;
        old = std::exchange(target, settled);
    }
}

bool FocusTracker::moveFocus(QWidget* old, QWidget* now)
{
    BusyScope busy(busy_);
    QWidget* scope = scopeOf(now);
    if (!leave(scope, now)) {
        refocus(old, now);
        selectRefused((old ? old : now)->window());
        return false;
    }
    enter(scope, now);
    return true;
}

bool FocusTracker::leave(QWidget* scope, QWidget* target)
{
    QList<QPointer<FocusBoundary>> leaving;
    for (FocusBoundary* boundary : inScope(scope)) {
        if (boundary->inside_ && !boundary->Contains(target))
            leaving.append(boundary);
    }
    std::stable_sort(leaving.begin(), leaving.end(),
                     [](const auto& a, const auto& b) { return depth(a->area_) > depth(b->area_); });

    QList<QPointer<FocusBoundary>> left;
    for (const QPointer<FocusBoundary>& boundary : leaving) {
        if (!boundary)
            continue;
        boundary->inside_ = false;
        left.append(boundary);
        if (!runHandler(boundary->onExit_)) {
            refused_ = boundary.data();
            // The focus stays where it was: every area left by this move holds it again.
            for (const QPointer<FocusBoundary>& back : left) {
                if (back)
                    back->inside_ = true;
            }
            return false;
        }
    }
    return true;
}

void FocusTracker::enter(QWidget* scope, QWidget* target)
{
    QList<QPointer<FocusBoundary>> entering;
    for (FocusBoundary* boundary : inScope(scope)) {
        if (boundary->Contains(target)) {
            boundary->lastFocus_ = target;
            if (!boundary->inside_)
                entering.append(boundary);
        }
    }
    std::stable_sort(entering.begin(), entering.end(),
                     [](const auto& a, const auto& b) { return depth(a->area_) < depth(b->area_); });
    for (const QPointer<FocusBoundary>& boundary : entering) {
        if (!boundary)
            continue;
        boundary->inside_ = true;
        runHandler(boundary->onEnter_);
    }
}

void FocusTracker::refocus(QWidget* old, QWidget* now)
{
    // While a message box has the activation, the handler's setFocus only marks the widget that gets
    // the focus when the window is active again: that mark is where the handler placed it.
    QWidget* window = (old ? old : now)->window();
    QWidget* placed = window->isActiveWindow() ? QApplication::focusWidget() : window->focusWidget();
    if (refused_ && refused_->Contains(placed))
        return;
    QWidget* back = nullptr;
    if (refused_ && refused_->Contains(old))
        back = old;
    else if (refused_)
        back = refused_->lastFocus_ ? refused_->lastFocus_.data() : refused_->area_;
    if (back && back->isEnabled() && back->isVisible())
        back->setFocus(Qt::OtherFocusReason);
}

bool FocusTracker::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) ||
        !watched->isWindowType() || busy_)
        return false;
    // The press reaches the window before Qt gives the focus to the widget under it.
    QWidget* top = topLevelOf(static_cast<QWindow*>(watched));
    if (!top)
        return false;
    const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
    QWidget* target = top->childAt(position);
    return pressAt(target ? target : top);
}

bool FocusTracker::pressAt(QWidget* target)
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return false;
    QWidget* scope = scopeOf(focus);
    if (scopeOf(target) != scope)
        return false;
    BusyScope busy(busy_);
    QWidget* window = focus->window();
    if (!runPressHooks(scope, focus, target)) {
        selectRefused(window);
        return true;
    }
    QWidget* next = clickFocusTarget(target);
    if (!next || next == focus)
        return false;
    if (leave(scope, next))
        return false;
    selectRefused(window);
    return true;
}

void FocusTracker::selectRefused(QWidget* window)
{
    // The box that holds the focus now (or gets it when the window is active again) is the refused one,
    // or the one its check chose: the user types the value again there.
    RetypeSelection::Select(window->focusWidget());
}

bool FocusTracker::runPressHooks(QWidget* scope, QWidget* focus, QWidget* target)
{
    QList<QPointer<FocusBoundary>> hooked;
    for (FocusBoundary* boundary : inScope(scope)) {
        if (boundary->beforeOutsidePress_ && boundary->Contains(focus) && !boundary->Contains(target))
            hooked.append(boundary);
    }
    for (const QPointer<FocusBoundary>& boundary : hooked) {
        if (boundary && !runHandler(boundary->beforeOutsidePress_))
            return false;
    }
    return true;
}

QWidget* FocusTracker::clickFocusTarget(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        QWidget* proxy = w;
        while (proxy->focusProxy())
            proxy = proxy->focusProxy();
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus) && (proxy->focusPolicy() & Qt::ClickFocus))
            return proxy;
        if (w->isWindow() || qobject_cast<TForm*>(w)) // a click on a form's bare parts takes no focus
            break;
    }
    return nullptr;
}
