#include "HttpClient.h"

#include <QDeadlineTimer>

HttpClient::HttpClient(QString host, quint16 port, QByteArray token)
    : host_(std::move(host)), port_(port), token_(std::move(token))
{}

HttpClient::~HttpClient() = default;

void HttpClient::disconnect()
{
    socket_.reset();
}

bool HttpClient::ensureConnected(QString& error)
{
    if (socket_ && socket_->state() == QAbstractSocket::ConnectedState)
        return true;
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(host_, port_);
    if (socket_->waitForConnected(timeoutMs_)) {
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return true;
    }
    error = socket_->errorString();
    socket_.reset();
    return false;
}

HttpClient::Response HttpClient::post(const QByteArray& path, const QByteArray& body)
{
    QByteArray request =
        "POST " + path + " HTTP/1.1\r\nHost: " + host_.toUtf8() +
        "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    if (!token_.isEmpty())
        request += "Authorization: Bearer " + token_ + "\r\n";
    if (!requestId_.isEmpty())
        request += "Idempotency-Key: " + requestId_ + "\r\n";
    if (!user_.isEmpty())
        request += "X-Med-User: " + user_ + "\r\n";
    return sendRaw(request + "\r\n" + body);
}

HttpClient::Response HttpClient::get(const QByteArray& path)
{
    return sendRaw("GET " + path + " HTTP/1.1\r\nHost: " + host_.toUtf8() + "\r\n\r\n");
}

HttpClient::Response HttpClient::sendRaw(const QByteArray& request)
{
    Response failed;
    if (!ensureConnected(failed.error))
        return failed;
    socket_->write(request);
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(timeoutMs_))
            break;
    }
    return readResponse();
}

bool HttpClient::readLine(QByteArray& line)
{
    QDeadlineTimer deadline(timeoutMs_);
    while (!socket_->canReadLine()) {
        if (!socket_->waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    line = socket_->readLine().trimmed();
    return true;
}

bool HttpClient::readExactly(qint64 size, QByteArray& out)
{
    QDeadlineTimer deadline(timeoutMs_);
    while (socket_->bytesAvailable() < size) {
        if (!socket_->waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    out = socket_->read(size);
    return true;
}

HttpClient::Response HttpClient::readResponse()
{
    Response response;
    QByteArray line;
    if (!readLine(line) || !line.startsWith("HTTP/1.")) {
        response.error = QStringLiteral("no answer: ") + socket_->errorString();
        socket_.reset();
        return response;
    }
    const int status = line.split(' ').value(1).toInt();
    qint64 length = 0;
    bool close = false;
    while (readLine(line) && !line.isEmpty()) {
        const QByteArray lower = line.toLower();
        if (lower.startsWith("content-length:"))
            length = lower.mid(15).trimmed().toLongLong();
        else if (lower.startsWith("connection:") && lower.contains("close"))
            close = true;
    }
    if (!readExactly(length, response.body)) {
        response.error = QStringLiteral("answer cut short");
        socket_.reset();
        return response;
    }
    response.status = status;
    if (close)
        socket_.reset();
    return response;
}
