#include "ConnectionRefusals.h"

#include "ServerLog.h"

#include <QDateTime>

namespace {

constexpr qint64 LineIntervalMs = 1000;

const char* description(Metrics::Refusal reason)
{
    switch (reason) {
    case Metrics::Refusal::ServerFull:
        return "refused: the server holds its most connections";
    case Metrics::Refusal::AddressFull:
        return "refused: its address holds its most connections";
    case Metrics::Refusal::CrowdedOut:
        return "closed before its first request, to make room for a new one";
    case Metrics::Refusal::TlsHandshake:
        return "failed its TLS handshake";
    case Metrics::Refusal::SecretInClear:
        return "refused: a secret sent over plain http from another machine";
    }
    return "refused";
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

ConnectionRefusals& ConnectionRefusals::process()
{
    static ConnectionRefusals refusals;
    return refusals;
}

void ConnectionRefusals::record(Reason reason, const QHostAddress& peer, QStringView detail)
{
    Metrics::process().recordRefusal(reason);
    const std::lock_guard lock(mutex_);
    Pending& pending = pending_[std::size_t(reason)];
    ++pending.count;
    pending.lastPeer = peer;
    pending.lastDetail = detail.left(120).toString();
    const qint64 now = nowMs();
    if (pending.lastLineMs < 0 || now - pending.lastLineMs >= LineIntervalMs)
        writeLine(reason, pending, now);
}

void ConnectionRefusals::flush()
{
    const std::lock_guard lock(mutex_);
    const qint64 now = nowMs();
    for (std::size_t r = 0; r < pending_.size(); ++r) {
        Pending& pending = pending_[r];
        if (pending.count > 0 && now - pending.lastLineMs >= LineIntervalMs)
            writeLine(Reason(r), pending, now);
    }
}

void ConnectionRefusals::writeLine(Reason reason, Pending& pending, qint64 nowMs)
{
    const QString detail =
        pending.lastDetail.isEmpty() ? QString() : QStringLiteral(": ") + pending.lastDetail;
    if (reason == Reason::TlsHandshake)
        qCWarning(lcServer, "TLS handshake from %s failed (%lld in the last second)%s",
                  qPrintable(pending.lastPeer.toString()), pending.count, qPrintable(detail));
    else
        qCWarning(lcServer, "connection from %s %s (%lld in the last second)%s",
                  qPrintable(pending.lastPeer.toString()), description(reason), pending.count,
                  qPrintable(detail));
    pending.count = 0;
    pending.lastLineMs = nowMs;
}
