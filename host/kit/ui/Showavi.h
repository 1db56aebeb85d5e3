#pragma once

#include "host_kit_export.h"

#include <QString>

class QWidget;

// The busy indicator shown while the user waits for the server or a long operation.
namespace Showavi {

inline constexpr int Connecting = 0;
inline constexpr int Working = 6;

// Shows the indicator over `form` (normally the application's main form); `kind` is Connecting or
// Working. Showing it again replaces the one that shows.
HOST_KIT_EXPORT void ActiveShowAvi(QWidget* form, int kind);

// The same for a wait on `waitingFor` ("Gravando...", "Carregando..."): it shows once the wait passes
// about 300 ms, with what it waits for and the seconds waited.
HOST_KIT_EXPORT void ActiveShowAvi(QWidget* form, int kind, const QString& waitingFor);

// Hides the indicator; does nothing when none shows.
HOST_KIT_EXPORT void DeactiveShowAvi();

} // namespace Showavi
