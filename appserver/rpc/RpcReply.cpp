#include "RpcReply.h"

#include "JsonString.h"

namespace RpcReply {

QByteArray result(const QByteArray& id, const QByteArray& resultJson)
{
    QByteArray out;
    out.reserve(resultJson.size() + id.size() + 40);
    out += "{\"jsonrpc\":\"2.0\",\"id\":";
    out += id;
    out += ",\"result\":";
    out += resultJson;
    out += '}';
    return out;
}

QByteArray error(const QByteArray& id, int code, const QString& message)
{
    return "{\"jsonrpc\":\"2.0\",\"id\":" + id + ",\"error\":{\"code\":" + QByteArray::number(code) +
           ",\"message\":" + JsonString::quoted(message) + "}}";
}

} // namespace RpcReply
