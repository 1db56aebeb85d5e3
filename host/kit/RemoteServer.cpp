#include "RemoteServer.h"

#include "Exception.h"
#include "JsonRpcRequest.h"
#include "JsonRpcResponse.h"
#include "ServerLinkMessages.h"
#include "TNetConnection.h"

namespace {

QList<QString*> referencesOf(const QList<RemoteArg>& args)
{
    QList<QString*> references;
    for (const RemoteArg& arg : args) {
        if (arg.isByReference())
            references.append(arg.reference());
    }
    return references;
}

} // namespace

RemoteServer::RemoteServer(TNetConnection& connection) : connection_(&connection) {}

RemoteValue RemoteServer::call(const QString& method, const QList<RemoteArg>& args) const
{
    if (!connection_)
        throw Exception(ServerLinkMessages::notOpen());
    const qint64 id = connection_->nextCallId();
    QByteArray answer = connection_->post(encodeJsonRpcRequest(id, method, args));
    return decodeJsonRpcResponse(std::move(answer), id, referencesOf(args));
}
