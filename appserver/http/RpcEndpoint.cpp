#include "RpcEndpoint.h"

#include "LogLine.h"
#include "LogRateLimit.h"
#include "Metrics.h"
#include "ReadinessProbe.h"
#include "ServerLog.h"

#include <QElapsedTimer>

namespace {

constexpr QByteArrayView RpcPath = "/Med00418.rdmMediEfeti";
constexpr QByteArrayView HealthPath = "/health";
constexpr QByteArrayView LivePath = "/health/live";
constexpr QByteArrayView ReadyPath = "/health/ready";
constexpr QByteArrayView MetricsPath = "/metrics";

// Compares in time that depends only on the expected secret's length, never on where or whether the
// texts differ, nor on how long the offered one is.
bool sameSecret(QByteArrayView offered, QByteArrayView expected)
{
    unsigned diff = offered.size() == expected.size() ? 0 : 1;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const char c = i < offered.size() ? offered[i] : '\0';
        diff |= static_cast<unsigned char>(c ^ expected[i]);
    }
    return diff == 0;
}

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

RpcEndpoint::RpcEndpoint(RpcDispatcher& dispatcher, ReadinessProbe& readiness, QByteArray token)
    : dispatcher_(dispatcher), readiness_(readiness), token_(std::move(token))
{}

bool RpcEndpoint::authorized(const HttpRequest& request) const
{
    return token_.isEmpty() || sameSecret(bearerToken(request.authorization), token_);
}

std::optional<HttpAnswer> RpcEndpoint::refusal(const HttpRequest& head, const QHostAddress& peer)
{
    if (head.path != RpcPath || head.method != "POST" || authorized(head))
        return std::nullopt;
    logTokenless(peer, {head.method, head.path, {}, {}, 401}, 0);
    return HttpAnswer{401, "text/plain", "unauthorized\n"};
}

HttpAnswer RpcEndpoint::answer(const HttpRequest& request, const QHostAddress& peer)
{
    QElapsedTimer timer;
    timer.start();
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
    } else if (!authorized(request)) {
        answer = {401, "text/plain", "unauthorized\n"};
    } else {
        const RpcDispatcher::Outcome call =
            dispatcher_.handle(request.body, request.idempotencyKey,
                               CallerInfo{peer.toString(), CallerInfo::userFromHeader(request.user)});
        answer = {200, "application/json", call.body};
        Metrics::process().recordCall(call.method, call.summary == u"ok", timer.nsecsElapsed());
        logCall(peer, {"RPC", {}, call.method, call.summary, answer.status}, timer.nsecsElapsed());
        return answer;
    }
    const CallSummary summary{request.method, request.path, {}, {}, answer.status};
    if (!token_.isEmpty() && authorized(request))
        logCall(peer, summary, timer.nsecsElapsed());
    else
        logTokenless(peer, summary, timer.nsecsElapsed());
    answer.bodyOmitted = head;
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
    if (!authorized(request))
        return {401, "text/plain", "unauthorized\n"};
    return {200, Metrics::ContentType.toByteArray(), Metrics::process().exposition()};
}
