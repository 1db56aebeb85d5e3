#include "ControlAlign.h"

#include "AlignLayout.h"

#include <QWidget>

namespace ControlAlign {

void Set(QWidget* control, TAlign align)
{
    if (QWidget* parent = control->parentWidget())
        AlignLayout::of(parent)->setAlign(control, align);
}

TAlign Get(const QWidget* control)
{
    const QWidget* parent = control->parentWidget();
    const auto* layout = parent ? qobject_cast<const AlignLayout*>(parent->layout()) : nullptr;
    return layout ? layout->alignOf(control) : TAlign::alNone;
}

} // namespace ControlAlign
