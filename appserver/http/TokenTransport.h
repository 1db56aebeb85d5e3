#pragma once

#include "HttpRequest.h"

// The bearer token is the password of every client, and a Login call carries an account's password in
// its body: off loopback either may only travel encrypted, so a request carrying one in clear is refused
// even when it is right (it has been seen already, but the client learns to stop sending it that way).
// The peer judged is the connection's own, never the client a trusted proxy names in X-Forwarded-For:
// the question is whether the secret crossed a network in clear, and the one hop this server sees is the
// last. A proxy on this machine that ends its clients' TLS (docs/deployment.md) hands their tokens on
// over loopback: judged by the remote client, each would be refused. And a proxy elsewhere naming a
// client on its own loopback sent the token across the network in clear: judged by that client, it
// would pass. How the token went from client to proxy is the proxy's to enforce; the header does not say.
namespace TokenTransport {

constexpr bool mayCarrySecret(bool encrypted, bool loopbackPeer)
{
    return encrypted || loopbackPeer;
}

// The request's secrets, read only where the connection may not carry them: the Authorization header,
// and a body the dispatcher would take for a Login call. A head alone (no body yet) is judged by its
// header. Returns the text of the 403 that refuses the request, naming the secret it carried; empty
// when the request may pass.
QByteArray refusalInClear(const HttpRequest& request, bool encrypted, bool loopbackPeer);

} // namespace TokenTransport
