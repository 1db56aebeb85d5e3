#pragma once

#include "CallerInfo.h"
#include "RequestLog.h"
#include "SessionLimits.h"
#include "SignInMethod.h"

#include <QByteArray>
#include <QString>
#include <chrono>

class Database;
class RdmMediEfeti;
struct RpcRequest;

// Turns one JSON-RPC request body into its answer. Every error becomes an error answer: the caller
// always has something to send. A write call that comes with a request id is applied once per id:
// sent again, it gets its first result back (RequestLog).
class RpcDispatcher {
public:
    struct Outcome {
        QByteArray body;
        QString method;
        QString summary; // "ok" or "error CODE", for the log
        // The call needs a session and came without a live one: answered with HTTP 401, not `body`.
        bool needsSession = false;
    };

    RpcDispatcher(RdmMediEfeti& methods, Database& database, std::chrono::seconds requestIdTtl,
                  SessionLimits sessions = {}, SignInMethod signIn = {})
        : methods_(methods), database_(database), requestLog_(database, requestIdTtl), sessions_(sessions),
          signIn_(std::move(signIn))
    {}

    // `requestId` empty: the call runs as it comes. `caller` goes into the history of what it changes
    // and bounds what it may do. Login and Logout are answered here, beside the remote object's methods.
    Outcome handle(const QByteArray& requestBody, const QByteArray& requestId = {},
                   const CallerInfo& caller = {});

    // The answer to a call whose caller could not be looked up because the database failed: its error,
    // under the request's id when the body has one.
    Outcome databaseFailed(const QByteArray& requestBody, const QString& message);
    // After a failure: a connection the database cut is opened again for the next try.
    void reconnect() { recover(QStringLiteral("session check")); }

private:
    void recover(const QString& method);
    bool probe();
    // A read that fails on a connection the database cut is run once more on a new one; a write is
    // not (its outcome may be unknown), it fails and the client sends it again under its request id.
    QByteArray resultOnLiveConnection(const RpcRequest& request, const QByteArray& requestBody,
                                      const QByteArray& requestId, const CallerInfo& caller);
    QByteArray result(const RpcRequest& request, const QByteArray& requestBody, const QByteArray& requestId,
                      const CallerInfo& caller);

    RdmMediEfeti& methods_;
    Database& database_;
    RequestLog requestLog_;
    SessionLimits sessions_;
    SignInMethod signIn_;
};
