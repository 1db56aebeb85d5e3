#pragma once

#include <QByteArray>
#include <QString>

// JSON-RPC 2.0 answers, written as text around a result that already is JSON.
namespace RpcReply {

QByteArray result(const QByteArray& id, const QByteArray& resultJson);
QByteArray error(const QByteArray& id, int code, const QString& message);

} // namespace RpcReply
