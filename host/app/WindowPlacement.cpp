#include "WindowPlacement.h"

#include "HostSettings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>

namespace {

const QString MainKey = QStringLiteral("Janelas/Principal");

void save(const QString& key, const QWidget& window)
{
    // A maximized or minimized window keeps the place it had before: that is the one to come back to.
    if (window.isMaximized() || window.isMinimized())
        return;
    QSettings settings(HostSettings::filePath(), QSettings::IniFormat);
    settings.setValue(key, window.geometry());
}

QRect saved(const QString& key)
{
    const QSettings settings(HostSettings::filePath(), QSettings::IniFormat);
    return settings.value(key).toRect();
}

QList<QRect> screenAreas()
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

} // namespace

WindowPlacement::WindowPlacement(QMainWindow& window, QMdiArea& area)
    : QObject(&window), main_(window), area_(area)
{
    restoreMain();
    main_.installEventFilter(this);
    connect(&area_, &QMdiArea::subWindowActivated, this, &WindowPlacement::adopt);
}

QRect WindowPlacement::intoView(const QRect& rect, const QList<QRect>& areas)
{
    for (const QRect& area : areas) {
        if (area.intersects(rect))
            return rect;
    }
    if (areas.isEmpty())
        return rect;
    const QRect& first = areas.constFirst();
    const QSize size = rect.size().boundedTo(first.size());
    return {first.topLeft(), size};
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide) {
        if (watched == &main_)
            save(MainKey, main_);
        else if (auto* window = qobject_cast<QMdiSubWindow*>(watched))
            save(keyOf(*window), *window);
    }
    return QObject::eventFilter(watched, event);
}

void WindowPlacement::adopt(QMdiSubWindow* window)
{
    if (!window || adopted_.contains(window) || keyOf(*window).isEmpty())
        return;
    adopted_.removeAll(nullptr);
    adopted_.append(window);
    window->installEventFilter(this);
    const QRect rect = saved(keyOf(*window));
    if (rect.isValid())
        window->setGeometry(intoView(rect, {area_.viewport()->rect()}));
}

void WindowPlacement::restoreMain()
{
    const QRect rect = saved(MainKey);
    if (rect.isValid())
        main_.setGeometry(intoView(rect, screenAreas()));
}

QString WindowPlacement::keyOf(const QMdiSubWindow& window)
{
    const QWidget* screen = window.widget();
    if (!screen || screen->objectName().isEmpty())
        return {};
    return QStringLiteral("Janelas/") + screen->objectName();
}
