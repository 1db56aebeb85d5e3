#pragma once

#include "CallerInfo.h"
#include "RequestLog.h"
#include "SessionLimits.h"
#include "SignInMethod.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <chrono>

class CommitGroup;
class Database;
class RdmMediEfeti;
struct RpcRequest;

// Turns one JSON-RPC request body into its answer. Every error becomes an error answer: the caller
// always has something to send. A write call that comes with a request id is applied once per id:
// sent again, it gets its first result back (RequestLog).
class RpcDispatcher {
public:
    // The call that carries an account's password, answered with a session.
    static constexpr QStringView LoginMethod = u"Login";

    struct Outcome {
        QByteArray body;
        QString method;
        QString summary; // "ok" or "error CODE", for the log
        // The call needs a session and came without a live one: answered with HTTP 401, not `body`.
        bool needsSession = false;
    };

    // `group`: write calls are saved in it, committed with the other saves of their turn; without one
    // each commits alone.
    RpcDispatcher(RdmMediEfeti& methods, Database& database, std::chrono::seconds requestIdTtl,
                  SessionLimits sessions = {}, SignInMethod signIn = {}, CommitGroup* group = nullptr)
        : methods_(methods), database_(database), requestLog_(database, requestIdTtl), sessions_(sessions),
          signIn_(std::move(signIn)), group_(group)
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
    // The group whose commit the answers given now wait for; null when saves commit alone.
    CommitGroup* commitGroup() const { return group_; }

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
    CommitGroup* group_;
};
