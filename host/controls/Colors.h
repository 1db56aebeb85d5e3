#pragma once

#include "host_controls_export.h"

#include <QColor>

// The colour names the screens are written with. The system colours are roles of the desktop palette,
// read when called, so a dark desktop gives dark fields with light text; the named ones are fixed.
namespace Colors {

inline constexpr QColor clBlue{0, 0, 255};
inline constexpr QColor clOlive{128, 128, 0};
// Tooltip background and its text: fields that take input and the data grids.
HOST_CONTROLS_EXPORT QColor clInfoBk();
HOST_CONTROLS_EXPORT QColor clInfoText();
HOST_CONTROLS_EXPORT QColor clBtnFace();
HOST_CONTROLS_EXPORT QColor clBtnText();
HOST_CONTROLS_EXPORT QColor clWindow();
HOST_CONTROLS_EXPORT QColor clWindowText();

} // namespace Colors
