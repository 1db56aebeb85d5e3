#include "JsonRpcRequest.h"

#include "JsonString.h"

QByteArray encodeJsonRpcRequest(qint64 id, const QString& method, const QList<RemoteArg>& args)
{
    QByteArray out;
    // Room for a small call's arguments at once; a data packet grows it once more.
    out.reserve(128 + method.size() + 32 * args.size());
    out += R"({"jsonrpc":"2.0","id":)";
    out += QByteArray::number(id);
    out += R"(,"method":)";
    out += JsonString::quoted(method);
    out += R"(,"params":[)";
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (i > 0)
            out += ',';
        args[i].appendJson(out);
    }
    out += "]}";
    return out;
}
