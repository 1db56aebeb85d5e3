#include "FaultyServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>

namespace {

QByteArray response(int status, const QByteArray& body)
{
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// The length of the first whole request in `buffer`, 0 while it is incomplete.
qsizetype requestLength(const QByteArray& buffer)
{
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    static const QRegularExpression length(QStringLiteral("content-length: *(\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto match = length.match(QString::fromLatin1(buffer.left(headEnd)));
    const qsizetype total = headEnd + 4 + (match.hasMatch() ? match.captured(1).toLongLong() : 0);
    return headEnd < 0 || buffer.size() < total ? 0 : total;
}

} // namespace

FaultyServer::FaultyServer(Silence silence, int status, QByteArray body, QByteArray head)
    : silence_(silence), status_(status), body_(std::move(body)), head_(std::move(head))
{
    connect(&listener_, &QTcpServer::newConnection, this, [this] {
        QTcpSocket* socket = listener_.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
    });
    listener_.listen(QHostAddress::LocalHost);
}

// The socket's unread bytes wait in its own buffer until a whole request is there.
void FaultyServer::serve(QTcpSocket* socket)
{
    for (qsizetype length; (length = requestLength(socket->peek(socket->bytesAvailable()))) > 0;) {
        const QByteArray request = socket->read(length);
        if (silence_ == Silence::Everything)
            continue;
        if (request.startsWith("GET /health")) {
            socket->write(response(200, "ok"));
            continue;
        }
        lastCall_ = request.mid(request.indexOf("\r\n\r\n") + 4);
        const auto id = QJsonDocument::fromJson(lastCall_).object().value("id").toInteger();
        const QByteArray body = QByteArray(body_).replace("%ID%", QByteArray::number(id));
        if (silence_ == Silence::HangUp) {
            socket->disconnectFromHost();
            return;
        }
        if (silence_ == Silence::None)
            socket->write(head_.isEmpty() ? response(status_, body) : head_ + body);
    }
}
