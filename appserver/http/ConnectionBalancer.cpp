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
    std::erase_if(unanswered_, [server](const auto& entry) { return entry.second == server; });
}

std::optional<Metrics::Refusal> ConnectionBalancer::place(qintptr descriptor, const QHostAddress& peer)
{
    const std::lock_guard lock(mutex_);
    if (members_.isEmpty())
        return Metrics::Refusal::ServerFull;
    if (!trustedProxies_.contains(peer) && perAddress_.value(peer) >= perAddressLimit_)
        return Metrics::Refusal::AddressFull;
    if (open_ - closing_.size() >= limit_ && !makeRoom())
        return Metrics::Refusal::ServerFull;
    Member& target = *std::min_element(members_.begin(), members_.end(),
                                       [](const Member& a, const Member& b) { return a.open < b.open; });
    ++target.open;
    ++open_;
    ++perAddress_[peer];
    const Id id = nextId_++;
    unanswered_.emplace(id, target.server);
    // Posted under the lock: the target cannot leave, and so be destroyed, before the event is queued.
    LimitedTcpServer* server = target.server;
    QMetaObject::invokeMethod(
        server, [server, descriptor, id, peer] { server->adopt(descriptor, id, peer); },
        Qt::QueuedConnection);
    return std::nullopt;
}

bool ConnectionBalancer::makeRoom()
{
    if (unanswered_.empty())
        return false;
    const Id id = unanswered_.begin()->first;
    LimitedTcpServer* const server = unanswered_.begin()->second;
    unanswered_.erase(unanswered_.begin());
    closing_.insert(id);
    // Queued after the connection's own adoption, in the same thread: it is always found.
    QMetaObject::invokeMethod(
        server, [server, id] { server->crowdOut(id); }, Qt::QueuedConnection);
    return true;
}

void ConnectionBalancer::answered(Id id)
{
    const std::lock_guard lock(mutex_);
    unanswered_.erase(id);
}

void ConnectionBalancer::release(LimitedTcpServer* server, Id id, const QHostAddress& peer)
{
    const std::lock_guard lock(mutex_);
    --open_;
    closing_.remove(id);
    unanswered_.erase(id);
    if (const auto at = perAddress_.find(peer); at != perAddress_.end() && --at.value() <= 0)
        perAddress_.erase(at);
    for (Member& m : members_) {
        if (m.server == server)
            --m.open;
    }
}
