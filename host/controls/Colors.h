#pragma once

#include "host_controls_export.h"

#include <QColor>

// The colour names the screens are written with. System colours come from the application palette.
namespace Colors {

inline constexpr QColor clInfoBk{255, 255, 225};
inline constexpr QColor clBlue{0, 0, 255};
inline constexpr QColor clOlive{128, 128, 0};
HOST_CONTROLS_EXPORT QColor clBtnFace();
HOST_CONTROLS_EXPORT QColor clWindow();
HOST_CONTROLS_EXPORT QColor clWindowText();

} // namespace Colors
