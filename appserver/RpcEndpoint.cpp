#include "RpcEndpoint.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

const QString RpcPath = QStringLiteral("/Med00418.rdmMediEfeti");
const QString HealthPath = QStringLiteral("/health");

using Status = QHttpServerResponder::StatusCode;

void reply(QHttpServerResponder& responder, const QByteArray& body, const QByteArray& type, Status status)
{
    responder.write(body, {{"Content-Type", type}}, status);
}

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

RpcEndpoint::RpcEndpoint(RpcDispatcher& dispatcher, QByteArray token, QObject* parent)
    : QAbstractHttpServer(parent), dispatcher_(dispatcher),
      expectedAuthorization_(token.isEmpty() ? QByteArray() : "Bearer " + token)
{}

bool RpcEndpoint::authorized(const QHttpServerRequest& request) const
{
    return expectedAuthorization_.isEmpty() ||
           sameSecret(request.value("Authorization"), expectedAuthorization_);
}

bool RpcEndpoint::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QElapsedTimer timer;
    timer.start();
    const QString path = request.url().path();
    const bool post = request.method() == QHttpServerRequest::Method::Post;
    QByteArray what = (post ? "POST " : "GET ") + path.toUtf8();
    QByteArray outcome;
    QHttpServerResponder responder = makeResponder(request, socket);
    if (path == HealthPath && request.method() == QHttpServerRequest::Method::Get) {
        reply(responder, "ok", "text/plain", Status::Ok);
        outcome = "200";
    } else if (path != RpcPath) {
        reply(responder, "not found\n", "text/plain", Status::NotFound);
        outcome = "404";
    } else if (!post) {
        reply(responder, "use POST\n", "text/plain", Status::MethodNotAllowed);
        outcome = "405";
    } else if (!authorized(request)) {
        reply(responder, "unauthorized\n", "text/plain", Status::Unauthorized);
        outcome = "401";
    } else {
        const RpcDispatcher::Outcome call = dispatcher_.handle(request.body());
        reply(responder, call.body, "application/json", Status::Ok);
        what = "RPC " + (call.method.isEmpty() ? QByteArray("-") : call.method.toUtf8());
        outcome = call.summary.toUtf8();
    }
    // Sent now rather than on the event loop's next turn, which would cost a wake-up per call.
    socket->flush();
    logCall(what, timer.nsecsElapsed(), outcome);
    return true;
}

void RpcEndpoint::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    reply(responder, "not found\n", "text/plain", Status::NotFound);
}
