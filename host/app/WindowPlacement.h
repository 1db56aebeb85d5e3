#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;

// Remembers where the user left the main window and each screen (by the screen's object name) in the
// host's settings file, and puts them back there: the main window at once, a screen when it first
// becomes active. Only a normal place is kept, never a minimised or maximised one, and a saved place
// below a screen's minimum size is ignored. A place that no longer meets any screen, or the MDI area,
// comes back into view.
// Lives as a child of the main window it watches.
class WindowPlacement : public QObject {
    Q_OBJECT

public:
    WindowPlacement(QMainWindow& window, QMdiArea& area);

    // `rect` as it was when it meets one of `areas`; otherwise moved onto the first, shrunk to fit.
    static QRect intoView(const QRect& rect, const QList<QRect>& areas);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void adopt(QMdiSubWindow* window);
    void restoreMain();
    // Keeps the main window within its screen's available area.
    void fitMain();
    static QString keyOf(const QMdiSubWindow& window);

    QMainWindow& main_;
    QMdiArea& area_;
    QList<QPointer<QMdiSubWindow>> adopted_;
};
