#include "FaultyServer.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

namespace {

QByteArray response(int status, const QByteArray& body)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

qsizetype contentLength(const QByteArray& head)
{
    for (const QByteArray& line : head.split('\n')) {
        if (line.toLower().startsWith("content-length:"))
            return line.mid(15).trimmed().toLongLong();
    }
    return 0;
}

} // namespace

FaultyServer::FaultyServer()
{
    connect(&listener_, &QTcpServer::newConnection, this, &FaultyServer::accept);
    listener_.listen(QHostAddress::LocalHost);
}

void FaultyServer::setAnswer(int status, QByteArray body)
{
    status_ = status;
    body_ = std::move(body);
}

void FaultyServer::accept()
{
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { pending_.remove(socket); });
    }
}

void FaultyServer::read(QTcpSocket* socket)
{
    QByteArray& buffer = pending_[socket];
    buffer += socket->readAll();
    while (serveOne(socket, buffer)) {
    }
}

bool FaultyServer::serveOne(QTcpSocket* socket, QByteArray& buffer)
{
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    const QByteArray head = buffer.left(headEnd);
    const qsizetype total = headEnd + 4 + contentLength(head);
    if (buffer.size() < total)
        return false;
    const QByteArray body = buffer.mid(headEnd + 4, total - headEnd - 4);
    buffer.remove(0, total);
    if (mode_ == Mode::SilentAlways)
        return true;
    if (head.startsWith("GET /health"))
        socket->write(response(200, "{\"status\":\"ok\"}"));
    else
        answerCall(socket, body);
    return true;
}

void FaultyServer::answerCall(QTcpSocket* socket, const QByteArray& body)
{
    lastCall_ = body;
    if (mode_ != Mode::AnswerCalls)
        return;
    const QByteArray id = QByteArray::number(QJsonDocument::fromJson(body).object().value("id").toInteger());
    socket->write(response(status_, QByteArray(body_).replace("%ID%", id)));
}
