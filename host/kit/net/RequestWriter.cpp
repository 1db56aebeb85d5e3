#include "RequestWriter.h"

#include "Exception.h"
#include "ServerLinkMessages.h"

#include <QHostAddress>
#include <QUuid>

namespace {

// A header value as it may go on the wire: line breaks would start headers of their own.
QByteArray wireSafe(QByteArray value)
{
    value.replace('\r', "").replace('\n', "").replace('\0', "");
    return value;
}

bool isLoopback(const QString& host)
{
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

} // namespace

RequestWriter::RequestWriter(QUrl base, QString address)
    : base_(std::move(base)), address_(std::move(address)),
      mayCarryToken_(base_.scheme() == QLatin1String("https") || isLoopback(base_.host())),
      requestIdPrefix_(QUuid::createUuid().toByteArray(QUuid::Id128) + '-')
{}

QByteArray RequestWriter::head(QByteArrayView method, const QString& path) const
{
    QUrl url = base_;
    url.setPath(path);
    QByteArray head = method.toByteArray();
    head += ' ';
    head += url.path(QUrl::FullyEncoded).toLatin1();
    head += " HTTP/1.1\r\nHost: ";
    head += base_.authority(QUrl::FullyEncoded).toLatin1();
    // Bodies come as sent, so their size is what the cap sees.
    head += "\r\nAccept-Encoding: identity\r\n";
    return head;
}

const QByteArray& RequestWriter::authorization(const QString& token)
{
    if (token.isEmpty()) {
        static const QByteArray none;
        return none;
    }
    if (!mayCarryToken_)
        throw Exception(ServerLinkMessages::tokenNeedsHttps(address_));
    if (token != token_) {
        token_ = token;
        authorization_ = "Authorization: Bearer " + wireSafe(token.toUtf8()) + "\r\n";
    }
    return authorization_;
}

QByteArray RequestWriter::get(const QString& path, const QString& token)
{
    return head("GET", path) + authorization(token) + "\r\n";
}

QByteArray RequestWriter::call(const QString& serverName, const QString& token, const QByteArray& body)
{
    const QByteArray& authorizationLine = authorization(token);
    if (serverName != callHeadFor_ || callHead_.isEmpty()) {
        callHeadFor_ = serverName;
        callHead_ = head("POST", QLatin1Char('/') + serverName);
    }
    QByteArray request;
    request.reserve(callHead_.size() + authorizationLine.size() + requestIdPrefix_.size() + 80 + body.size());
    request += callHead_;
    request += authorizationLine;
    request += "Content-Type: application/json\r\nIdempotency-Key: ";
    request += requestIdPrefix_;
    request += QByteArray::number(++lastRequestId_);
    request += "\r\nContent-Length: ";
    request += QByteArray::number(body.size());
    request += "\r\n\r\n";
    request += body;
    return request;
}
