#pragma once

#include "RemoteValue.h"
#include "host_kit_export.h"

#include <QString>

// The host's shared checks and conversions.
namespace Consiste {

// True for an empty text or one made only of whitespace.
HOST_KIT_EXPORT bool EmptyString(const QString& text);

// The trimmed text padded with '0' on the left to `width` ("12", 4 → "0012"). A trimmed text already
// `width` long or longer is returned trimmed and otherwise as it is, never cut.
HOST_KIT_EXPORT QString Ajusta(const QString& text, int width);

// Reads a server result of `kind`. Kind 0, the only one so far, is {"ok": true, "payload": ANY} →
// the payload, or {"ok": false, "message": M} → Exception(M) when `raise`, else a null value.
// Anything else raises Exception("Resposta inválida do servidor de aplicação."); another kind raises too.
HOST_KIT_EXPORT RemoteValue CheckResultServ(const RemoteValue& result, bool raise, int kind = 0);

} // namespace Consiste

// ---- User-facing routines: messages, keyboard focus, grid columns, date texts ----

class QWidget;
class TDBGrid;
class TField;

namespace Consiste {

// Shows `text` as an error through the application's prompts. With `abort` it then ends the running
// operation with the silent EAbort, so no second message follows; without, it returns.
HOST_KIT_EXPORT void MensErro(const QString& text, bool abort);

// Index of the column of `grid` bound to `fieldName`, -1 when none is.
HOST_KIT_EXPORT int IndiceCol(TDBGrid& grid, const QString& fieldName);

// The control that follows (`forward`) or precedes `from` in the tab order of its form, skipping
// disabled and hidden widgets, `from`'s own children and, with `tabStopsOnly`, those that Tab passes
// by. With `wrap` the search goes round past the form's first or last control. Null when none.
HOST_KIT_EXPORT QWidget* SelectNextControl(QWidget* from, bool forward, bool tabStopsOnly, bool wrap);

// Gives the keyboard focus, as Tab would, to the first tab stop inside `container`.
HOST_KIT_EXPORT void SelectFirstControl(QWidget* container);

// Writes a typed date into `field`: a blank text clears it; "dd/mm/yyyy" (also "d/m/yy") sets the
// date; anything else raises EConvertError.
HOST_KIT_EXPORT void DateSetText(TField* field, const QString& text);

} // namespace Consiste
