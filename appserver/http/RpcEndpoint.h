#pragma once

#include "HttpAnswer.h"
#include "HttpRequest.h"
#include "RpcDispatcher.h"

class ReadinessProbe;

#include <QByteArray>
#include <QHostAddress>
#include <optional>

// The HTTP face of the server: POST /Med00418.rdmMediEfeti carries JSON-RPC; GET /health/live says the
// process serves, GET /health/ready (and /health) whether the database answers within the readiness
// probe's deadline (503 when not), GET /metrics gives the process's counters; none of them waits on
// the database in this thread. Calls need `Authorization: Bearer TOKEN` when a token is set (the
// scheme in any case); /metrics needs it too, from any client; health checks never do. Each request
// leaves one line in the server's log (ServerLog): client, what, duration, outcome; those of requests
// without the token at most 10 a second, with a count of the rest.
class RpcEndpoint {
public:
    // An empty token lets every caller in (loopback only; the options enforce it).
    RpcEndpoint(RpcDispatcher& dispatcher, ReadinessProbe& readiness, QByteArray token);

    // `peer`: the client's address, for the log.
    HttpAnswer answer(const HttpRequest& request, const QHostAddress& peer = {});
    // The answer to a request that is refused on its head alone (a call without the token), so its
    // body need not be read; nothing when the body is wanted.
    std::optional<HttpAnswer> refusal(const HttpRequest& head, const QHostAddress& peer = {});

private:
    bool authorized(const HttpRequest& request) const;
    HttpAnswer ready();
    HttpAnswer metrics(const HttpRequest& request);

    RpcDispatcher& dispatcher_;
    ReadinessProbe& readiness_;
    QByteArray token_;
};
