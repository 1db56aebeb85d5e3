#include "HttpClient.h"

#include "TestAccount.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr QByteArrayView CallPath = "/Med00418.rdmMediEfeti";
// What the server answers a call without a live session, once accounts exist.
constexpr QByteArrayView SessionRequired = "session required\n";

QByteArray jsonString(const QByteArray& text)
{
    return QJsonDocument(QJsonArray{QString::fromUtf8(text)})
        .toJson(QJsonDocument::Compact)
        .sliced(1)
        .chopped(1);
}

} // namespace

HttpClient::HttpClient(QString host, quint16 port, QByteArray token)
    : host_(std::move(host)), port_(port), token_(std::move(token)), login_(TestAccount::Login),
      password_(TestAccount::Password)
{}

void HttpClient::setSignIn(const QByteArray& login, const QByteArray& password)
{
    login_ = login;
    password_ = password;
}

HttpClient::Response HttpClient::signIn(const QByteArray& login, const QByteArray& password)
{
    const QByteArray body = R"({"jsonrpc":"2.0","id":"signin","method":"Login","params":[)" +
                            jsonString(login) + ',' + jsonString(password) + "]}";
    const QByteArray previous = std::exchange(token_, QByteArray());
    const Response answer = postOnce(CallPath.toByteArray(), body);
    const QJsonValue session = QJsonDocument::fromJson(answer.body)
                                   .object()
                                   .value(QLatin1String("result"))[QLatin1String("session")];
    token_ = session.isString() ? session.toString().toUtf8() : previous;
    return answer;
}

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
    Response answer = postOnce(path, body);
    if (answer.status != 401 || answer.body != SessionRequired || path != CallPath || login_.isEmpty())
        return answer;
    const QByteArray refused = token_;
    signIn(login_, password_);
    return token_ == refused ? answer : postOnce(path, body);
}

HttpClient::Response HttpClient::postOnce(const QByteArray& path, const QByteArray& body)
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
