#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One positional argument as it came: a string's value, or an object's JSON text (as the one parse of
// the body read it) for the packet codec.
struct RpcParam {
    enum class Kind { String, Object, Other };
    Kind kind = Kind::Other;
    QString text;
    QByteArray json;
};

// A JSON-RPC 2.0 request body, checked for shape. Batches, named params, notifications without a
// method and a member named twice (however escaped) are refused; the id is kept as JSON text to echo
// back.
struct RpcRequest {
    QByteArray id = "null";
    QString method;
    QList<RpcParam> params;

    // Throws RpcError: ParseError for text that is not JSON, InvalidRequest for a wrong shape.
    static RpcRequest parse(const QByteArray& body);
};
