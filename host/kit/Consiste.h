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
