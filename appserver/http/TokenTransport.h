#pragma once

// The bearer token is the password of every client: off loopback it may only travel encrypted, so a
// request carrying it in clear is refused even when the token is right (it has been seen already, but
// the client learns to stop sending it that way).
namespace TokenTransport {

constexpr bool refusedInClear(bool carriesToken, bool encrypted, bool loopbackPeer)
{
    return carriesToken && !encrypted && !loopbackPeer;
}

} // namespace TokenTransport
