#include "RpcEndpoint.h"

#include "Metrics.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

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

// A caller's text in the log (the path, the method name), cut short and with control characters
// replaced, so nobody can forge or break log lines through a request.
QByteArray loggable(QByteArray text)
{
    text.truncate(120);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return text;
}

// One write(2) per line, so lines from threads and servers sharing a log never interleave, and no
// thread waits on the lock of stdio's stderr.
void logCall(const QByteArray& what, qint64 nanoseconds, const QByteArray& outcome)
{
    char line[320];
    const QByteArray shown = loggable(what);
    const int length = std::snprintf(line, sizeof line, "%s %.3fms %s\n", shown.constData(),
                                     double(nanoseconds) / 1e6, outcome.constData());
    [[maybe_unused]] const auto written =
        ::write(STDERR_FILENO, line, std::min(std::size_t(length), sizeof line - 1));
}

} // namespace

RpcEndpoint::RpcEndpoint(RpcDispatcher& dispatcher, QByteArray token)
    : dispatcher_(dispatcher), token_(std::move(token))
{}

bool RpcEndpoint::authorized(const HttpRequest& request) const
{
    return token_.isEmpty() || sameSecret(bearerToken(request.authorization), token_);
}

std::optional<HttpAnswer> RpcEndpoint::refusal(const HttpRequest& head)
{
    if (head.path != RpcPath || head.method != "POST" || authorized(head))
        return std::nullopt;
    logCall(head.method + ' ' + head.path, 0, "401");
    return HttpAnswer{401, "text/plain", "unauthorized\n"};
}

HttpAnswer RpcEndpoint::answer(const HttpRequest& request, bool loopbackPeer)
{
    QElapsedTimer timer;
    timer.start();
    const bool get = request.method == "GET";
    QByteArray what = request.method + ' ' + request.path;
    HttpAnswer answer;
    QByteArray outcome;
    if (get && request.path == LivePath) {
        answer.body = "ok";
    } else if (get && (request.path == ReadyPath || request.path == HealthPath)) {
        answer = ready();
    } else if (get && request.path == MetricsPath) {
        answer = metrics(request, loopbackPeer);
    } else if (request.path != RpcPath) {
        answer = {404, "text/plain", "not found\n"};
    } else if (request.method != "POST") {
        answer = {405, "text/plain", "use POST\n"};
    } else if (!authorized(request)) {
        answer = {401, "text/plain", "unauthorized\n"};
    } else {
        const RpcDispatcher::Outcome call = dispatcher_.handle(
            request.body, request.idempotencyKey,
            CallerInfo{QString::fromLatin1(request.peer), CallerInfo::userFromHeader(request.user)});
        answer = {200, "application/json", call.body};
        what = "RPC " + (call.method.isEmpty() ? QByteArray("-") : call.method.toUtf8());
        outcome = call.summary.toUtf8();
        Metrics::process().recordCall(call.method, call.summary == u"ok", timer.nsecsElapsed());
    }
    logCall(what, timer.nsecsElapsed(), outcome.isEmpty() ? QByteArray::number(answer.status) : outcome);
    return answer;
}

HttpAnswer RpcEndpoint::ready()
{
    if (dispatcher_.databaseAnswers())
        return {200, "text/plain", "ok"};
    return {503, "text/plain", "database unavailable\n"};
}

HttpAnswer RpcEndpoint::metrics(const HttpRequest& request, bool loopbackPeer)
{
    // Counters tell an outsider how busy the server is and which methods it serves.
    if (!loopbackPeer && !authorized(request))
        return {401, "text/plain", "unauthorized\n"};
    const std::optional<qint64> held = dispatcher_.reservationsHeld();
    return {200, Metrics::ContentType.toByteArray(), Metrics::process().exposition(held.value_or(-1))};
}
