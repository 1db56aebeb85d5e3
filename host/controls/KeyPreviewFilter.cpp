#include "KeyPreviewFilter.h"

#include "Application.h"
#include "TForm.h"
#include "VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

void KeyPreviewFilter::install()
{
    static QPointer<KeyPreviewFilter> filter;
    if (filter || !qApp)
        return;
    filter = new KeyPreviewFilter(qApp);
    qApp->installEventFilter(filter);
}

TForm* KeyPreviewFilter::formOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* form = qobject_cast<TForm*>(w))
            return form;
    }
    return nullptr;
}

bool KeyPreviewFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // A key travelling up from the focus widget to its parents was already shown.
    QWidget* focus = QApplication::focusWidget();
    if (focus && widget != focus && widget->isAncestorOf(focus))
        return false;
    TForm* form = formOf(widget);
    if (!form || !form->KeyPreview())
        return false;
    return preview(*form, static_cast<const QKeyEvent&>(*event));
}

bool KeyPreviewFilter::preview(TForm& form, const QKeyEvent& event)
{
    int key = VirtualKeys::fromEvent(event);
    if (key == 0)
        return false;
    const Qt::KeyboardModifiers shift = VirtualKeys::shiftState(event);
    const bool ok = Application::instance().Guard([&] { form.OnKeyDown(&form, key, shift); });
    return !ok || key == 0;
}
