#include "Colors.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace Colors {

namespace {

QColor role(QPalette::ColorRole role)
{
    return QApplication::palette().color(role);
}

// Light text on dark surfaces, and a theme that keeps its tooltips light all the same.
bool lightTipsOnDarkDesktop()
{
    const int window = role(QPalette::Window).lightness();
    return role(QPalette::WindowText).lightness() > window &&
           role(QPalette::ToolTipBase).lightness() > window + 64;
}

double luminance(const QColor& colour)
{
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

double Contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Readable(const QColor& ink, const QColor& paper, double ratio)
{
    if (Contrast(ink, paper) >= ratio)
        return ink;
    // Towards white on a dark paper, towards black on a light one, in small steps of lightness.
    const bool lighten = luminance(paper) < 0.18;
    QColor hsl = ink.toHsl();
    for (int step = 0; step < 64 && Contrast(hsl, paper) < ratio; ++step) {
        const int lightness = std::clamp(hsl.lightness() + (lighten ? 4 : -4), 0, 255);
        hsl.setHsl(hsl.hslHue(), hsl.hslSaturation(), lightness, hsl.alpha());
    }
    if (Contrast(hsl, paper) >= ratio)
        return hsl.toRgb();
    return lighten ? QColor(Qt::white) : QColor(Qt::black);
}

QColor clInfoBk()
{
    return lightTipsOnDarkDesktop() ? role(QPalette::Base) : role(QPalette::ToolTipBase);
}

QColor clInfoText()
{
    return lightTipsOnDarkDesktop() ? role(QPalette::Text)
                                    : Readable(role(QPalette::ToolTipText), clInfoBk());
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
