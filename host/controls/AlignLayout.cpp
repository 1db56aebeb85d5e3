#include "AlignLayout.h"

#include "Exception.h"

#include <QEvent>
#include <QWidget>

AlignLayout::AlignLayout(QWidget* parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

AlignLayout::~AlignLayout()
{
    for (const Entry& entry : std::as_const(entries_))
        delete entry.item;
}

AlignLayout* AlignLayout::of(QWidget* container)
{
    if (auto* layout = qobject_cast<AlignLayout*>(container->layout()))
        return layout;
    if (container->layout())
        throw Exception(
            QStringLiteral("'%1' já tem outro arranjo de controles.").arg(container->objectName()));
    return new AlignLayout(container);
}

int AlignLayout::indexOf(const QWidget* control) const
{
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_[i].item->widget() == control)
            return i;
    }
    return -1;
}

void AlignLayout::setAlign(QWidget* control, TAlign align)
{
    const int index = indexOf(control);
    if (index >= 0) {
        if (align == TAlign::alNone) {
            control->removeEventFilter(this);
            delete takeAt(index);
        } else {
            entries_[index].align = align;
        }
    } else if (align != TAlign::alNone) {
        addChildWidget(control);
        entries_.append({new QWidgetItem(control), align});
        control->installEventFilter(this);
    }
    invalidate();
}

TAlign AlignLayout::alignOf(const QWidget* control) const
{
    const int index = indexOf(control);
    return index < 0 ? TAlign::alNone : entries_[index].align;
}

void AlignLayout::addItem(QLayoutItem* item)
{
    entries_.append({item, TAlign::alNone});
}

QLayoutItem* AlignLayout::itemAt(int index) const
{
    return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem* AlignLayout::takeAt(int index)
{
    if (index < 0 || index >= entries_.size())
        return nullptr;
    return entries_.takeAt(index).item;
}

int AlignLayout::count() const
{
    return int(entries_.size());
}

QSize AlignLayout::sizeHint() const
{
    return {0, 0};
}

QSize AlignLayout::minimumSize() const
{
    return {0, 0};
}

void AlignLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    QRect space = rect;
    for (TAlign align : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        place(align, space);
}

void AlignLayout::place(TAlign align, QRect& space) const
{
    for (const Entry& entry : entries_) {
        QWidget* w = entry.item->widget();
        if (entry.align != align || !w || w->isHidden())
            continue;
        switch (align) {
        case TAlign::alTop:
            w->setGeometry(space.left(), space.top(), space.width(), w->height());
            space.setTop(space.top() + w->height());
            break;
        case TAlign::alBottom:
            w->setGeometry(space.left(), space.bottom() + 1 - w->height(), space.width(), w->height());
            space.setBottom(space.bottom() - w->height());
            break;
        case TAlign::alLeft:
            w->setGeometry(space.left(), space.top(), w->width(), space.height());
            space.setLeft(space.left() + w->width());
            break;
        case TAlign::alRight:
            w->setGeometry(space.right() + 1 - w->width(), space.top(), w->width(), space.height());
            space.setRight(space.right() - w->width());
            break;
        case TAlign::alClient:
            w->setGeometry(space);
            break;
        case TAlign::alNone:
            break;
        }
    }
}

bool AlignLayout::eventFilter(QObject* watched, QEvent* event)
{
    // A control that changes its own height (or width) moves its neighbours.
    if (event->type() == QEvent::Resize) {
        const int index = indexOf(static_cast<QWidget*>(watched));
        if (index >= 0 && entries_[index].align != TAlign::alClient)
            invalidate();
    }
    return QLayout::eventFilter(watched, event);
}
