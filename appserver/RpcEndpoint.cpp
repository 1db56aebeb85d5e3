#include "RpcEndpoint.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr QByteArrayView RpcPath = "/Med00418.rdmMediEfeti";
constexpr QByteArrayView HealthPath = "/health";

// Compares in time that does not depend on where the texts differ.
bool sameSecret(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
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
    : dispatcher_(dispatcher), expectedAuthorization_(token.isEmpty() ? QByteArray() : "Bearer " + token)
{}

bool RpcEndpoint::authorized(const HttpRequest& request) const
{
    return expectedAuthorization_.isEmpty() || sameSecret(request.authorization, expectedAuthorization_);
}

HttpAnswer RpcEndpoint::answer(const HttpRequest& request)
{
    QElapsedTimer timer;
    timer.start();
    const bool post = request.method == "POST";
    QByteArray what = request.method + ' ' + request.path;
    HttpAnswer answer;
    QByteArray outcome;
    if (request.path == HealthPath && request.method == "GET") {
        answer.body = "ok";
    } else if (request.path != RpcPath) {
        answer = {404, "text/plain", "not found\n"};
    } else if (!post) {
        answer = {405, "text/plain", "use POST\n"};
    } else if (!authorized(request)) {
        answer = {401, "text/plain", "unauthorized\n"};
    } else {
        const RpcDispatcher::Outcome call = dispatcher_.handle(request.body);
        answer = {200, "application/json", call.body};
        what = "RPC " + (call.method.isEmpty() ? QByteArray("-") : call.method.toUtf8());
        outcome = call.summary.toUtf8();
    }
    logCall(what, timer.nsecsElapsed(), outcome.isEmpty() ? QByteArray::number(answer.status) : outcome);
    return answer;
}
