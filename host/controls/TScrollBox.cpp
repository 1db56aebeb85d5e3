#include "TScrollBox.h"

TScrollBox::TScrollBox(QWidget* parent) : QScrollArea(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setWidget(new QWidget);
}
