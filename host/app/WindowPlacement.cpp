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
// What a window manager's frame and title bar add around a top-level window, about.
const QSize FrameAllowance(16, 48);
// The last place each window had while neither minimised nor maximised.
const char* const NormalPlace = "normalPlace";

bool isNormal(const QWidget& window)
{
    return !(window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// Smaller than its minimum size a window shows no more than its title: only a minimised strip or a
// damaged file gives that, never the user's own resizing.
bool showsContent(const QWidget& window, const QRect& rect)
{
    const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
    return rect.isValid() && rect.width() >= least.width() && rect.height() >= least.height();
}

void noteNormalPlace(QWidget& window)
{
    if (isNormal(window) && showsContent(window, window.geometry()))
        window.setProperty(NormalPlace, window.geometry());
}

void save(const QString& key, const QWidget& window)
{
    // Qt hides a child window on its way out of minimised or maximised, with the state already normal
    // and the geometry not yet: only the place noted in the normal state is the one to come back to.
    const QRect rect = window.property(NormalPlace).toRect();
    if (key.isEmpty() || !rect.isValid())
        return;
    QSettings settings(HostSettings::filePath(), QSettings::IniFormat);
    settings.setValue(key, rect);
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
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        noteNormalPlace(*window);
        break;
    case QEvent::Hide:
        if (window == &main_)
            save(MainKey, main_);
        else if (auto* child = qobject_cast<QMdiSubWindow*>(window))
            save(keyOf(*child), *child);
        break;
    default:
        break;
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
    if (showsContent(*window, rect))
        window->setGeometry(intoView(rect, {area_.viewport()->rect()}));
    noteNormalPlace(*window);
}

void WindowPlacement::fitMain()
{
    const QScreen* screen = main_.screen() ? main_.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A scaled desktop leaves fewer logical pixels than the window's size: it shrinks to the screen's
    // free area, room left for the frame and title the window manager adds.
    const QRect area = screen->availableGeometry();
    const QSize room = area.size() - QSize(FrameAllowance.width(), FrameAllowance.height());
    const QSize size = main_.size().boundedTo(room).expandedTo(main_.minimumSize());
    if (size != main_.size())
        main_.resize(size);
    if (!area.contains(QRect(main_.pos(), size + FrameAllowance)))
        main_.move(area.topLeft());
}

void WindowPlacement::restoreMain()
{
    const QRect rect = saved(MainKey);
    if (rect.isValid())
        main_.setGeometry(intoView(rect, screenAreas()));
    fitMain();
    noteNormalPlace(main_);
}

QString WindowPlacement::keyOf(const QMdiSubWindow& window)
{
    const QWidget* screen = window.widget();
    if (!screen || screen->objectName().isEmpty())
        return {};
    return QStringLiteral("Janelas/") + screen->objectName();
}
