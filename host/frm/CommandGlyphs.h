#pragma once

#include "frm_export.h"

#include <QPixmap>

// The pictures of the standard command buttons, drawn here: 32 by 16 pixels, the normal image then the
// disabled one, on an olive background that the bottom-left pixel marks as transparent.
namespace CommandGlyphs {

enum class Command { Insert, Edit, Delete, Search, Refresh, Confirm, Cancel, Print, Help, Close };

FRM_EXPORT QPixmap Glyph(Command command);

} // namespace CommandGlyphs
