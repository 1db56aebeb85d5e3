#include "RpcEndpoint.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <cstdio>

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

// One write per line, so lines from servers sharing a log never interleave.
void logCall(const QString& what, qint64 nanoseconds, const QString& outcome)
{
    const QByteArray line = what.toUtf8() + ' ' + QByteArray::number(double(nanoseconds) / 1e6, 'f', 3) +
                            "ms " + outcome.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
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
    QString what = (post ? QStringLiteral("POST ") : QStringLiteral("GET ")) + path;
    QString outcome;
    QHttpServerResponder responder = makeResponder(request, socket);
    if (path == HealthPath && request.method() == QHttpServerRequest::Method::Get) {
        reply(responder, "ok", "text/plain", Status::Ok);
        outcome = QStringLiteral("200");
    } else if (path != RpcPath) {
        reply(responder, "not found\n", "text/plain", Status::NotFound);
        outcome = QStringLiteral("404");
    } else if (!post) {
        reply(responder, "use POST\n", "text/plain", Status::MethodNotAllowed);
        outcome = QStringLiteral("405");
    } else if (!authorized(request)) {
        reply(responder, "unauthorized\n", "text/plain", Status::Unauthorized);
        outcome = QStringLiteral("401");
    } else {
        const RpcDispatcher::Outcome call = dispatcher_.handle(request.body());
        reply(responder, call.body, "application/json", Status::Ok);
        what = QStringLiteral("RPC ") + (call.method.isEmpty() ? QStringLiteral("-") : call.method);
        outcome = call.summary;
    }
    logCall(what, timer.nsecsElapsed(), outcome);
    return true;
}

void RpcEndpoint::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    reply(responder, "not found\n", "text/plain", Status::NotFound);
}
