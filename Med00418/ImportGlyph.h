#pragma once

#include <QPixmap>

// The import button's picture: a red arrow pointing into a white ruled sheet, then the same drawing in
// grey for the disabled button, 16 by 16 each, on olive (the transparent colour).
QPixmap importGlyph();
