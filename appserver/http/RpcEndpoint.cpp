#include "RpcEndpoint.h"

#include "CommitGroup.h"
#include "LogLine.h"
#include "LogRateLimit.h"
#include "Metrics.h"
#include "ReadinessProbe.h"
#include "ServerLog.h"
#include "SqlFailure.h"

#include <QElapsedTimer>

namespace {

constexpr QByteArrayView RpcPath = "/Med00418.rdmMediEfeti";
constexpr QByteArrayView HealthPath = "/health";
constexpr QByteArrayView LivePath = "/health/live";
constexpr QByteArrayView ReadyPath = "/health/ready";
constexpr QByteArrayView MetricsPath = "/metrics";

// The credentials of "Bearer TOKEN": the scheme is matched in any case, as HTTP's schemes are.
QByteArrayView bearerToken(QByteArrayView authorization)
{
    constexpr QByteArrayView Scheme = "bearer";
    const qsizetype space = authorization.indexOf(' ');
    if (space < 0 || authorization.first(space).compare(Scheme, Qt::CaseInsensitive) != 0)
        return {};
    QByteArrayView token = authorization.sliced(space);
    while (!token.isEmpty() && token.front() == ' ')
        token = token.sliced(1);
    return token;
}

// What a call line says of the call: `kind` and `what` ("RPC" and the method, or the HTTP method and
// path), and either `ok`, a JSON-RPC error code or the HTTP status.
struct CallSummary {
    QByteArrayView kind;
    QByteArrayView what;
    QStringView method;
    QStringView rpcOutcome;
    int status = 200;
    QStringView user; // the signed-in login, when there is one
};

// Formatted only when call lines are on, on the stack: a call pays for its line and nothing more.
void logCall(const QHostAddress& peer, const CallSummary& call, qint64 nanoseconds)
{
    if (!lcCall().isInfoEnabled())
        return;
    LogLine line;
    ServerLog::begin(QtInfoMsg, line);
    line.appendAddress(peer);
    line.append(' ');
    line.appendCallerText(call.kind);
    line.append(' ');
    const bool rpc = !call.rpcOutcome.isNull();
    if (!rpc)
        line.appendCallerText(call.what);
    else
        line.appendCallerText(call.method.isEmpty() ? QStringView(u"-") : call.method);
    line.append(' ');
    line.appendMilliseconds(nanoseconds);
    line.append(' ');
    if (!rpc)
        line.appendNumber(call.status);
    else // "ok", or "error CODE" shown as the code alone
        line.appendCallerText(call.rpcOutcome.sliced(call.rpcOutcome.lastIndexOf(u' ') + 1));
    if (!call.user.isEmpty()) {
        line.append(' ');
        line.appendCallerText(call.user);
    }
    ServerLog::end(line);
}

// Lines of requests that carry no token (health checks, probes, refusals) are limited, so one
// client's flood cannot fill the disk; calls are always logged.
constexpr int TokenlessLinesPerSecond = 10;

void logTokenless(const QHostAddress& peer, const CallSummary& call, qint64 nanoseconds)
{
    static LogRateLimit limit(TokenlessLinesPerSecond);
    qint64 dropped = 0;
    if (!lcCall().isInfoEnabled() || !limit.admit(dropped))
        return;
    if (dropped > 0)
        qCInfo(lcServer, "%lld lines of requests without a token were not logged (at most %d a second)",
               dropped, TokenlessLinesPerSecond);
    logCall(peer, call, nanoseconds);
}

} // namespace

RpcEndpoint::RpcEndpoint(RpcDispatcher& dispatcher, ReadinessProbe& readiness, CallGate& gate,
                         QList<QHostAddress> trustedProxies)
    : dispatcher_(dispatcher), readiness_(readiness), gate_(gate), trustedProxies_(std::move(trustedProxies))
{}

QHostAddress RpcEndpoint::client(const HttpRequest& request, const QHostAddress& peer) const
{
    return CallerInfo::clientAddress(peer, request.forwardedFor, trustedProxies_);
}

bool RpcEndpoint::refusedOnHead(const HttpRequest& head)
{
    try {
        return gate_.refusedOnHead(bearerToken(head.authorization));
    } catch (const SqlFailure&) {
        // The body is read and the call judged again then.
        return false;
    }
}

std::optional<HttpAnswer> RpcEndpoint::refusal(const HttpRequest& head, const QHostAddress& peer)
{
    HttpAnswer answer;
    if (head.path != RpcPath)
        answer = {404, "text/plain", "not found\n"};
    else if (head.method != "POST")
        answer = {405, "text/plain", "use POST\n"};
    else if (refusedOnHead(head))
        answer = {401, "text/plain", "unauthorized\n"};
    else
        return std::nullopt;
    logTokenless(client(head, peer), {head.method, head.path, {}, {}, answer.status, {}}, 0);
    return answer;
}

CommitGroup* RpcEndpoint::pendingCommit() const
{
    CommitGroup* group = dispatcher_.commitGroup();
    return group && group->holding() ? group : nullptr;
}

HttpAnswer RpcEndpoint::answer(const HttpRequest& request, const QHostAddress& peer)
{
    QElapsedTimer timer;
    timer.start();
    const QHostAddress caller = client(request, peer);
    // Load balancers' health checks may ask with HEAD: it is answered as GET is, without the body.
    const bool head = request.method == "HEAD";
    const bool get = head || request.method == "GET";
    HttpAnswer answer;
    if (get && request.path == LivePath) {
        answer.body = "ok";
    } else if (get && (request.path == ReadyPath || request.path == HealthPath)) {
        answer = ready();
    } else if (get && request.path == MetricsPath) {
        answer = metrics(request);
    } else if (request.path != RpcPath) {
        answer = {404, "text/plain", "not found\n"};
    } else if (request.method != "POST") {
        answer = {405, "text/plain", "use POST\n"};
    } else {
        return call(request, caller, timer);
    }
    const CallSummary summary{request.method, request.path, {}, {}, answer.status, {}};
    if (gate_.tokenGiven(bearerToken(request.authorization)))
        logCall(caller, summary, timer.nsecsElapsed());
    else
        logTokenless(caller, summary, timer.nsecsElapsed());
    answer.bodyOmitted = head;
    return answer;
}

std::optional<CallGate::Admission> RpcEndpoint::admit(const HttpRequest& request, CallerInfo& caller,
                                                      QString& failure)
{
    const QByteArrayView bearer = bearerToken(request.authorization);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            return gate_.admit(bearer, caller);
        } catch (const SqlFailure& failed) {
            failure = failed.Message();
            // A connection the database cut is opened again for the second try.
            if (attempt == 0)
                dispatcher_.reconnect();
        }
    }
    return std::nullopt;
}

HttpAnswer RpcEndpoint::call(const HttpRequest& request, const QHostAddress& client,
                             const QElapsedTimer& timer)
{
    CallerInfo caller{client.toString(), {}, {}, {}, false};
    QString failure;
    const std::optional<CallGate::Admission> admission = admit(request, caller, failure);
    HttpAnswer answer;
    if (admission == CallGate::Admission::Refused) {
        answer = {401, "text/plain", "unauthorized\n"};
    } else {
        const RpcDispatcher::Outcome call =
            admission ? dispatcher_.handle(request.body, request.idempotencyKey, caller)
                      : dispatcher_.databaseFailed(request.body, failure);
        if (!call.needsSession) {
            answer = {200, "application/json", call.body};
            Metrics::process().recordCall(call.method, call.summary == u"ok", timer.nsecsElapsed());
            logCall(client, {"RPC", {}, call.method, call.summary, answer.status, caller.user},
                    timer.nsecsElapsed());
            return answer;
        }
        answer = {401, "text/plain", "session required\n"};
    }
    logCall(client, {request.method, request.path, {}, {}, answer.status, {}}, timer.nsecsElapsed());
    return answer;
}

HttpAnswer RpcEndpoint::ready()
{
    if (readiness_.databaseAnswers())
        return {200, "text/plain", "ok"};
    return {503, "text/plain", "database unavailable\n"};
}

HttpAnswer RpcEndpoint::metrics(const HttpRequest& request)
{
    // Counters tell an outsider how busy the server is and which methods it serves: with a token,
    // nobody reads them without it, not even from this machine.
    if (!gate_.tokenMatches(bearerToken(request.authorization)))
        return {401, "text/plain", "unauthorized\n"};
    return {200, Metrics::ContentType.toByteArray(), Metrics::process().exposition()};
}
