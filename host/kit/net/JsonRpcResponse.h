#pragma once

#include "RemoteValue.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Reads the answer to the call numbered `id` in one pass, keeping the result's JSON text as it came.
// With by-reference arguments (`references` not empty) the result is {"value": V, "refs": [...]}: the
// refs are stored into the variables, in order, and V is returned. A JSON-RPC error raises Exception
// with the server's message exactly; a malformed answer or another id raises Exception.
RemoteValue decodeJsonRpcResponse(QByteArray body, qint64 id, const QList<QString*>& references);
