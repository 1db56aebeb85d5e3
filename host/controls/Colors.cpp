#include "Colors.h"

#include <QApplication>
#include <QPalette>

namespace Colors {

QColor clBtnFace()
{
    return QApplication::palette().color(QPalette::Button);
}

QColor clWindow()
{
    return QApplication::palette().color(QPalette::Base);
}

QColor clWindowText()
{
    return QApplication::palette().color(QPalette::WindowText);
}

} // namespace Colors
