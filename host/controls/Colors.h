#pragma once

#include "host_controls_export.h"

#include <QColor>

// The colour names the screens are written with. The system colours are roles of the desktop palette,
// read when called, so a dark desktop gives dark fields with light text; the named ones are fixed.
namespace Colors {

inline constexpr QColor clBlue{0, 0, 255};
inline constexpr QColor clOlive{128, 128, 0};
// Tooltip background and its text: fields that take input and the data grids. Under a dark desktop
// whose theme keeps light tooltips (GTK's Adwaita dark), the desktop's own text colours instead.
HOST_CONTROLS_EXPORT QColor clInfoBk();
HOST_CONTROLS_EXPORT QColor clInfoText();
HOST_CONTROLS_EXPORT QColor clBtnFace();
HOST_CONTROLS_EXPORT QColor clBtnText();
HOST_CONTROLS_EXPORT QColor clWindow();
HOST_CONTROLS_EXPORT QColor clWindowText();

// WCAG's contrast ratio of two colours, from 1 (same luminance) to 21 (black on white).
HOST_CONTROLS_EXPORT double Contrast(const QColor& a, const QColor& b);
// `ink` made lighter or darker, keeping its hue, until it reaches `ratio` against `paper`: the named
// colours (blue dates, dark-blue icons) stay readable on a dark desktop and unchanged on a light one.
HOST_CONTROLS_EXPORT QColor Readable(const QColor& ink, const QColor& paper, double ratio = 4.5);

} // namespace Colors
