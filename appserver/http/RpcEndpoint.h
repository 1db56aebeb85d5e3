#pragma once

#include "CallGate.h"
#include "HttpAnswer.h"
#include "HttpRequest.h"
#include "RpcDispatcher.h"

class CommitGroup;
class ReadinessProbe;

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <optional>

// The HTTP face of the server: POST /Med00418.rdmMediEfeti carries JSON-RPC; GET /health/live says the
// process serves, GET /health/ready (and /health) whether the database answers within the readiness
// probe's deadline (503 when not), GET /metrics gives the process's counters; none of them waits on
// the database in this thread. Calls need `Authorization: Bearer TOKEN` when a token is set (the
// scheme in any case) or, once accounts exist, a session; /metrics needs the token too, from any
// client; health checks never do. Each request leaves one line in the server's log (ServerLog):
// client, what, duration, outcome; those of requests without the token at most 10 a second, with a
// count of the rest. Behind a trusted proxy the client is the one it names in X-Forwarded-For
// (CallerInfo::clientAddress).
class RpcEndpoint {
public:
    // `gate` admits calls (session or shared token); `trustedProxies` may name the client they forward.
    RpcEndpoint(RpcDispatcher& dispatcher, ReadinessProbe& readiness, CallGate& gate,
                QList<QHostAddress> trustedProxies = {});

    // `peer`: the connection's address; the client's is worked out from it (trusted proxies).
    HttpAnswer answer(const HttpRequest& request, const QHostAddress& peer = {});
    // The answer to a request that is refused on its head alone, so its body need not be read: a call
    // without the token, and a body sent anywhere but to a call. Nothing when the body is wanted.
    std::optional<HttpAnswer> refusal(const HttpRequest& head, const QHostAddress& peer = {});
    // The saves of this turn whose commit the answers given now must wait for; null when there are none
    // to wait for.
    CommitGroup* pendingCommit() const;

private:
    HttpAnswer call(const HttpRequest& request, const QHostAddress& client, const QElapsedTimer& timer);
    bool refusedOnHead(const HttpRequest& head);
    // The gate's judgement; a database that failed is asked once more on a new connection. Nothing,
    // with the failure's message, when it fails again.
    std::optional<CallGate::Admission> admit(const HttpRequest& request, CallerInfo& caller,
                                             QString& failure);
    HttpAnswer ready();
    HttpAnswer metrics(const HttpRequest& request);
    QHostAddress client(const HttpRequest& request, const QHostAddress& peer) const;

    RpcDispatcher& dispatcher_;
    ReadinessProbe& readiness_;
    CallGate& gate_;
    QList<QHostAddress> trustedProxies_;
};
