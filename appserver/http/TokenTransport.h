#pragma once

// The bearer token is the password of every client: off loopback it may only travel encrypted, so a
// request carrying it in clear is refused even when the token is right (it has been seen already, but
// the client learns to stop sending it that way).
// The peer judged is the connection's own, never the client a trusted proxy names in X-Forwarded-For:
// the question is whether the token crossed a network in clear, and the one hop this server sees is the
// last. A proxy on this machine that ends its clients' TLS (docs/deployment.md) hands their tokens on
// over loopback: judged by the remote client, each would be refused. And a proxy elsewhere naming a
// client on its own loopback sent the token across the network in clear: judged by that client, it
// would pass. How the token went from client to proxy is the proxy's to enforce; the header does not say.
namespace TokenTransport {

constexpr bool refusedInClear(bool carriesToken, bool encrypted, bool loopbackPeer)
{
    return carriesToken && !encrypted && !loopbackPeer;
}

} // namespace TokenTransport
