#pragma once

#include "host_controls_export.h"

#include <QIcon>
#include <QPixmap>

// A button picture made of square images side by side: the normal image, then (when there is one) the
// disabled image. The colour of the bottom-left pixel is transparent in all of them.
namespace ButtonGlyph {

HOST_CONTROLS_EXPORT int ImageCount(const QPixmap& strip);
// Image `index` of the strip, with its transparent colour masked out.
HOST_CONTROLS_EXPORT QPixmap Image(const QPixmap& strip, int index);
HOST_CONTROLS_EXPORT QIcon ToIcon(const QPixmap& strip);

} // namespace ButtonGlyph
