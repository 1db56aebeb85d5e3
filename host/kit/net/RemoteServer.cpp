#include "RemoteServer.h"

#include "CallLog.h"
#include "Exception.h"
#include "JsonRpcRequest.h"
#include "JsonRpcResponse.h"
#include "ServerLinkMessages.h"
#include "TNetConnection.h"

#include <QElapsedTimer>

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
    QElapsedTimer timer;
    timer.start();
    try {
        const qint64 id = connection_->nextCallId();
        QByteArray answer = connection_->post(encodeJsonRpcRequest(id, method, args));
        RemoteValue value = decodeJsonRpcResponse(std::move(answer), id, referencesOf(args));
        CallLog::record(method, timer.elapsed());
        return value;
    } catch (const Exception& e) {
        CallLog::record(method, timer.elapsed(), e.Message());
        throw;
    } catch (const std::exception& e) {
        CallLog::record(method, timer.elapsed(), QString::fromUtf8(e.what()));
        throw;
    }
}
