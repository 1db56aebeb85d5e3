#pragma once

#include "RpcDispatcher.h"

#include <QAbstractHttpServer>
#include <QByteArray>

// The HTTP face of the server: POST /Med00418.rdmMediEfeti carries JSON-RPC, GET /health answers "ok".
// Requests are handled synchronously, one at a time, and each leaves one log line on stderr.
class RpcEndpoint : public QAbstractHttpServer {
    Q_OBJECT

public:
    // An empty token lets every caller in (loopback only; the options enforce it).
    RpcEndpoint(RpcDispatcher& dispatcher, QByteArray token, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    bool authorized(const QHttpServerRequest& request) const;

    RpcDispatcher& dispatcher_;
    QByteArray expectedAuthorization_;
};
