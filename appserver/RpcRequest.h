#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One positional argument as it came: a string's value, or an object's JSON text kept verbatim so
// the packet codec reads the exact digits the client wrote.
struct RpcParam {
    enum class Kind { String, Object, Other };
    Kind kind = Kind::Other;
    QString text;
    QByteArray json;
};

// A JSON-RPC 2.0 request body, checked for shape. Batches, named params and notifications without a
// method are refused; the id is kept as raw JSON text to echo back.
struct RpcRequest {
    QByteArray id = "null";
    QString method;
    QList<RpcParam> params;

    // Throws RpcError: ParseError for text that is not JSON, InvalidRequest for a wrong shape.
    static RpcRequest parse(const QByteArray& body);
};
