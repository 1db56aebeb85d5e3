#include "Colors.h"

#include <QApplication>
#include <QPalette>

namespace Colors {

namespace {

QColor role(QPalette::ColorRole role)
{
    return QApplication::palette().color(role);
}

} // namespace

QColor clInfoBk()
{
    return role(QPalette::ToolTipBase);
}

QColor clInfoText()
{
    return role(QPalette::ToolTipText);
}

QColor clBtnFace()
{
    return role(QPalette::Button);
}

QColor clBtnText()
{
    return role(QPalette::ButtonText);
}

QColor clWindow()
{
    return role(QPalette::Base);
}

QColor clWindowText()
{
    return role(QPalette::WindowText);
}

} // namespace Colors
