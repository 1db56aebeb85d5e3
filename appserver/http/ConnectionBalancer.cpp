#include "ConnectionBalancer.h"

#include "LimitedTcpServer.h"

#include <algorithm>

void ConnectionBalancer::join(LimitedTcpServer* server)
{
    const std::lock_guard lock(mutex_);
    members_.append(Member{server, 0});
}

void ConnectionBalancer::leave(LimitedTcpServer* server)
{
    const std::lock_guard lock(mutex_);
    members_.removeIf([server](const Member& m) { return m.server == server; });
}

bool ConnectionBalancer::place(qintptr descriptor, const QHostAddress& peer)
{
    const std::lock_guard lock(mutex_);
    if (open_ >= limit_ || members_.isEmpty() || perAddress_.value(peer) >= perAddressLimit_)
        return false;
    Member& target = *std::min_element(members_.begin(), members_.end(),
                                       [](const Member& a, const Member& b) { return a.open < b.open; });
    ++target.open;
    ++open_;
    ++perAddress_[peer];
    // Posted under the lock: the target cannot leave, and so be destroyed, before the event is queued.
    LimitedTcpServer* server = target.server;
    QMetaObject::invokeMethod(
        server, [server, descriptor, peer] { server->adopt(descriptor, peer); }, Qt::QueuedConnection);
    return true;
}

void ConnectionBalancer::release(LimitedTcpServer* server, const QHostAddress& peer)
{
    const std::lock_guard lock(mutex_);
    --open_;
    if (const auto at = perAddress_.find(peer); at != perAddress_.end() && --at.value() <= 0)
        perAddress_.erase(at);
    for (Member& m : members_) {
        if (m.server == server)
            --m.open;
    }
}
