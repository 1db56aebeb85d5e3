#include "TokenTransport.h"

#include "RpcDispatcher.h"
#include "RpcError.h"
#include "RpcRequest.h"

namespace {

// Read as the dispatcher reads it, so no spelling of the call passes here and signs in there.
bool signsIn(const QByteArray& body)
{
    if (body.isEmpty())
        return false;
    try {
        return RpcRequest::parse(body).method == RpcDispatcher::LoginMethod;
    } catch (const RpcError&) {
        // Not a request: the dispatcher refuses it without reading its arguments.
        return false;
    }
}

} // namespace

QByteArray TokenTransport::refusalInClear(const HttpRequest& request, bool encrypted, bool loopbackPeer)
{
    if (mayCarrySecret(encrypted, loopbackPeer))
        return {};
    if (!request.authorization.isEmpty())
        return "the token is not accepted over plain http from another machine: use https\n";
    // The body is parsed only on a connection that may carry no secret: never on the calls' usual path.
    if (signsIn(request.body))
        return "a password in a Login call is not accepted over plain http from another machine: use https\n";
    return {};
}
