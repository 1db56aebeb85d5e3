#include "RpcDispatcher.h"

#include "CommitGroup.h"
#include "Database.h"
#include "Metrics.h"
#include "RdmMediEfeti.h"
#include "RpcArguments.h"
#include "RpcError.h"
#include "RpcReply.h"
#include "RpcRequest.h"
#include "ServerLog.h"
#include "SessionStore.h"
#include "SignIn.h"
#include "SqlFailure.h"

#include <QCryptographicHash>
#include <QSqlQuery>

namespace {

const QString LoginCall = RpcDispatcher::LoginMethod.toString();
const QString LogoutCall = QStringLiteral("Logout");

void logFailure(const QString& method, const QString& detail)
{
    qCWarning(lcServer).noquote() << method << "failed:" << detail;
}

} // namespace

RpcDispatcher::Outcome RpcDispatcher::handle(const QByteArray& requestBody, const QByteArray& requestId,
                                             const CallerInfo& caller)
{
    Outcome out;
    QByteArray id = "null";
    int code = RpcError::ServerFault;
    QString message;
    try {
        const RpcRequest request = RpcRequest::parse(requestBody);
        id = request.id;
        out.method = request.method;
        if (caller.needsSession && request.method != LoginCall) {
            out.needsSession = true;
            out.summary = QStringLiteral("error 401");
            return out;
        }
        out.body = RpcReply::result(id, resultOnLiveConnection(request, requestBody, requestId, caller));
        out.summary = QStringLiteral("ok");
        return out;
    } catch (const RpcError& error) {
        code = error.code();
        message = error.Message();
    } catch (const SqlFailure& failure) {
        message = failure.Message();
        logFailure(out.method, failure.detail());
        // A lost connection is opened again for the next call; this one is answered as failed.
        recover(out.method);
    } catch (const Exception& error) {
        message = error.Message();
    } catch (const std::exception& error) {
        message = QStringLiteral("Falha interna do servidor.");
        logFailure(out.method, QString::fromUtf8(error.what()));
    }
    out.body = RpcReply::error(id, code, message);
    out.summary = QStringLiteral("error %1").arg(code);
    return out;
}

RpcDispatcher::Outcome RpcDispatcher::databaseFailed(const QByteArray& requestBody, const QString& message)
{
    Outcome out;
    QByteArray id = "null";
    try {
        const RpcRequest request = RpcRequest::parse(requestBody);
        id = request.id;
        out.method = request.method;
    } catch (const RpcError&) {
        // Not even a request: answered with the database's failure all the same.
    }
    out.body = RpcReply::error(id, RpcError::ServerFault, message);
    out.summary = QStringLiteral("error %1").arg(int(RpcError::ServerFault));
    return out;
}

void RpcDispatcher::recover(const QString& method)
{
    Metrics::process().recordDatabaseError();
    try {
        // A connection opened again has lost the turn's open group with the old one.
        if (group_ && !database_.answers())
            group_->abandon();
        database_.recoverConnection();
    } catch (const SqlFailure& again) {
        logFailure(method, again.detail());
    }
}

bool RpcDispatcher::probe()
{
    try {
        database_.select(QStringLiteral("SELECT 1"), {}, [](const QSqlQuery&) {});
        return true;
    } catch (const SqlFailure& failure) {
        logFailure(QStringLiteral("connection check"), failure.detail());
        return false;
    }
}

QByteArray RpcDispatcher::resultOnLiveConnection(const RpcRequest& request, const QByteArray& requestBody,
                                                 const QByteArray& requestId, const CallerInfo& caller)
{
    try {
        return result(request, requestBody, requestId, caller);
    } catch (const SqlFailure& failure) {
        if (RdmMediEfeti::writes(request.method) || probe())
            throw;
        // The connection was cut before this read (the database restarted since the last call): the
        // read changed nothing, so it runs once more on a new connection rather than failing.
        logFailure(request.method, failure.detail());
        recover(request.method);
        return result(request, requestBody, requestId, caller);
    }
}

QByteArray RpcDispatcher::result(const RpcRequest& request, const QByteArray& requestBody,
                                 const QByteArray& requestId, const CallerInfo& caller)
{
    if (request.method == LoginCall) {
        const RpcArguments args(request.params, 2);
        return SignIn(database_, sessions_, signIn_)
            .login(args.code(0, "login", 1, CallerInfo::MaxUserLength),
                   args.code(1, "senha", 0, SignIn::MaxPasswordLength), caller.address);
    }
    if (request.method == LogoutCall) {
        if (!caller.session.isEmpty())
            SessionStore(database_, sessions_).end(caller.session);
        return "null";
    }
    const auto call = [&] { return methods_.call(request.method, request.params, caller); };
    if (!RdmMediEfeti::writes(request.method))
        return call();
    const auto save = [&] {
        if (requestId.isEmpty())
            return call();
        // The whole body: the same id with other arguments is another request, refused.
        const QByteArray fingerprint =
            QCryptographicHash::hash(requestBody, QCryptographicHash::Sha256).toHex();
        return requestLog_.once(requestId, fingerprint, caller.address, call);
    };
    return group_ ? group_->save(save) : save();
}
