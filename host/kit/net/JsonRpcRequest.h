#pragma once

#include "RemoteArg.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The body of one JSON-RPC 2.0 call: {"jsonrpc":"2.0","id":ID,"method":M,"params":[...]}.
QByteArray encodeJsonRpcRequest(qint64 id, const QString& method, const QList<RemoteArg>& args);
