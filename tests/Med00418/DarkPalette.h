#pragma once

#include <QColor>
#include <QPalette>

// A desktop palette as dark themes give it: dark surfaces and tooltips, light text.
inline QPalette darkPalette()
{
    const QColor surface(53, 53, 53), base(35, 35, 35), tip(48, 48, 40), text(232, 232, 232);
    const QColor muted(128, 128, 128);
    QPalette p(surface, surface);
    p.setColor(QPalette::Window, surface);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, surface);
    p.setColor(QPalette::ToolTipBase, tip);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::PlaceholderText, muted);
    p.setColor(QPalette::Button, surface);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(42, 110, 190));
    p.setColor(QPalette::HighlightedText, Qt::white);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, muted);
    return p;
}
