#pragma once

#include "host_controls_export.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// Raises enter and exit for an area of a form (a control, or a container with everything inside it)
// as the keyboard focus comes in from outside the area and leaves it for a control outside, within the
// same form. Exits run innermost first, then enters outermost first. An exit handler that fails
// refuses the move: the focus goes back inside, or the mouse press that would have moved it is dropped,
// and the text of the box that keeps the focus is selected, so what is typed next replaces it.
// The boundary is a child of its area and goes with it.
class HOST_CONTROLS_EXPORT FocusBoundary : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void()>;

    FocusBoundary(QWidget* area, Handler onEnter, Handler onExit);
    ~FocusBoundary() override;

    QWidget* Area() const { return area_; }
    bool HasFocusInside() const { return inside_; }
    bool Contains(const QWidget* widget) const;
    // Runs before a mouse press elsewhere in the form while the focus is inside the area, whether or not
    // the press takes the focus; failing drops the press.
    void SetBeforeOutsidePress(Handler handler) { beforeOutsidePress_ = std::move(handler); }

private:
    friend class FocusTracker;

    QWidget* area_;
    Handler onEnter_;
    Handler onExit_;
    Handler beforeOutsidePress_;
    bool inside_ = false;
    QPointer<QWidget> lastFocus_;
};
