#pragma once

#include "HttpAnswer.h"
#include "HttpRequest.h"
#include "RpcDispatcher.h"

#include <QByteArray>

// The HTTP face of the server: POST /Med00418.rdmMediEfeti carries JSON-RPC, GET /health answers "ok".
// Each request leaves one log line on stderr.
class RpcEndpoint {
public:
    // An empty token lets every caller in (loopback only; the options enforce it).
    RpcEndpoint(RpcDispatcher& dispatcher, QByteArray token);

    HttpAnswer answer(const HttpRequest& request);

private:
    bool authorized(const HttpRequest& request) const;

    RpcDispatcher& dispatcher_;
    QByteArray expectedAuthorization_;
};
