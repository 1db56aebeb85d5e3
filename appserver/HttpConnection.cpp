#include "HttpConnection.h"

#include "HttpAnswer.h"
#include "RpcEndpoint.h"

#include <QTcpSocket>

HttpConnection::HttpConnection(QTcpSocket* socket, RpcEndpoint& endpoint, qint64 maxBodyBytes,
                               QObject* parent)
    : QObject(parent), socket_(socket), endpoint_(endpoint), reader_(maxBodyBytes)
{
    socket_->setParent(this);
    sinceActive_.start();
    connect(socket_, &QTcpSocket::readyRead, this, &HttpConnection::readRequests);
    connect(socket_, &QTcpSocket::disconnected, this, &HttpConnection::closed);
}

void HttpConnection::close()
{
    closing_ = true;
    socket_->disconnectFromHost();
}

void HttpConnection::readRequests()
{
    if (closing_) {
        socket_->readAll();
        return;
    }
    sinceActive_.restart();
    reader_.feed(socket_->readAll());
    HttpRequest request;
    for (;;) {
        switch (reader_.next(request)) {
        case HttpRequestReader::Outcome::NeedMore:
            // Sent now rather than on the event loop's next turn, which would cost a wake-up per call.
            socket_->flush();
            sinceActive_.restart();
            return;
        case HttpRequestReader::Outcome::Request:
            socket_->write(endpoint_.answer(request).wire(request.keepAlive));
            if (!request.keepAlive) {
                close();
                return;
            }
            break;
        case HttpRequestReader::Outcome::Malformed:
            return refuse(400, "malformed request\n");
        case HttpRequestReader::Outcome::TooLarge:
            return refuse(413, "request too large\n");
        case HttpRequestReader::Outcome::LengthRequired:
            return refuse(411, "a Content-Length is required\n");
        }
    }
}

void HttpConnection::refuse(int status, const QByteArray& text)
{
    socket_->write(HttpAnswer{status, "text/plain", text}.wire(false));
    close();
}
