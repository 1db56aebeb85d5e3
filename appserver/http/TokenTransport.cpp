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

bool TokenTransport::refusedInClear(const HttpRequest& request, bool encrypted, bool loopbackPeer)
{
    // The body is parsed only on a connection that may carry no secret: never on the calls' usual path.
    return !mayCarrySecret(encrypted, loopbackPeer) &&
           (!request.authorization.isEmpty() || signsIn(request.body));
}
