#include "Consiste.h"
#include "TForm.h"

#include <QWidget>

namespace Consiste {

namespace {

// The screen `widget` belongs to: its form, even when the form sits inside another window.
QWidget* formOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->isWindow() || qobject_cast<TForm*>(w))
            return w;
    }
    return widget;
}

bool acceptsFocus(const QWidget* w, const QWidget* form, bool tabStopsOnly)
{
    const Qt::FocusPolicy policy = w->focusPolicy();
    const bool focusable = tabStopsOnly ? (policy & Qt::TabFocus) == Qt::TabFocus : policy != Qt::NoFocus;
    // A widget that hands its focus to a proxy is reached through the proxy, as Tab does.
    return focusable && !w->focusProxy() && w->isEnabled() && w->isVisibleTo(form);
}

// The control a focusable part belongs to: composite controls pass their focus to an inner widget.
QWidget* controlOf(QWidget* part, const QWidget* form)
{
    QWidget* control = part;
    for (QWidget* p = part->parentWidget(); p && p != form && p->focusProxy() == control;
         p = p->parentWidget())
        control = p;
    return control;
}

QWidget* step(QWidget* w, bool forward)
{
    return forward ? w->nextInFocusChain() : w->previousInFocusChain();
}

} // namespace

QWidget* SelectNextControl(QWidget* from, bool forward, bool tabStopsOnly, bool wrap)
{
    if (!from)
        return nullptr;
    QWidget* const form = formOf(from);
    // The focus chain is a ring through the whole window; the form marks where its tab order starts.
    for (QWidget* w = step(from, forward); w && w != from; w = step(w, forward)) {
        if (w == form) {
            if (!wrap)
                return nullptr;
            continue;
        }
        if (!form->isAncestorOf(w) || from->isAncestorOf(w) || !acceptsFocus(w, form, tabStopsOnly))
            continue;
        return controlOf(w, form);
    }
    return nullptr;
}

void SelectFirstControl(QWidget* container)
{
    if (!container)
        return;
    QWidget* const form = formOf(container);
    for (QWidget* w = container->nextInFocusChain(); w && w != container; w = w->nextInFocusChain()) {
        if (container->isAncestorOf(w) && acceptsFocus(w, form, true)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace Consiste
