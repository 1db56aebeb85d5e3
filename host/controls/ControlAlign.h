#pragma once

#include "host_controls_export.h"

class QWidget;

// How a control sits in its parent: alTop and alBottom keep their height and take the full width,
// alLeft and alRight keep their width, alClient takes what is left; alNone keeps its own geometry.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

namespace ControlAlign {

// Aligns `control` in its parent (which gets an AlignLayout if it has none).
HOST_CONTROLS_EXPORT void Set(QWidget* control, TAlign align);
HOST_CONTROLS_EXPORT TAlign Get(const QWidget* control);

} // namespace ControlAlign
