#include "HttpLink.h"

#include "CallLog.h"
#include "HttpAnswerReader.h"
#include "PlainSocket.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSslSocket>
#include <QTimer>
#include <algorithm>

namespace {

// What the socket holds unread at most: past it, the socket leaves bytes in the system until the
// answer's reader has taken what it holds, so a server sending without end meets the reader's cap.
constexpr qint64 SocketBufferBytes = 256 * 1024;
// How long an answer is waited for without the event loop: far below a frame, so nothing is left
// unpainted, and most calls are answered within it, sparing the loop's wake-ups.
constexpr int QuickAnswerMs = 2;

} // namespace

// One request and its answer, as the socket's signals see them.
struct HttpLink::Exchange {
    Exchange(const QByteArray& bytes, qint64 maxAnswerBytes) : request(bytes), reader(maxAnswerBytes) {}

    const QByteArray& request;
    HttpAnswerReader reader;
    bool sent = false;     // the request was handed to the connection
    bool received = false; // a byte of the answer came
    bool timedOut = false;
    bool over = false;
    QString errorText;
    QStringList certificateErrors;
};

HttpLink::HttpLink(QString host, quint16 port, std::optional<QSslConfiguration> tls)
    : host_(std::move(host)), port_(port), tls_(std::move(tls))
{}

HttpLink::~HttpLink() = default;

void HttpLink::close()
{
    if (socket_)
        socket_->abort();
    socket_.reset();
}

bool HttpLink::stillOpen() const
{
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState || socket_->bytesAvailable() > 0)
        return false;
    // A server that closed the connection while it was idle shows it only when asked.
    if (!qobject_cast<QSslSocket*>(socket_.get()))
        return PlainSocket::idle(socket_->socketDescriptor());
    socket_->waitForReadyRead(0);
    return socket_->state() == QAbstractSocket::ConnectedState && socket_->bytesAvailable() == 0;
}

void HttpLink::open()
{
    close();
    if (tls_) {
        auto socket = std::make_unique<QSslSocket>();
        socket->setSslConfiguration(*tls_);
        socket->setPeerVerifyMode(QSslSocket::VerifyPeer);
        socket->setReadBufferSize(SocketBufferBytes);
        socket->connectToHostEncrypted(host_, port_);
        socket_ = std::move(socket);
    } else {
        socket_ = std::make_unique<QTcpSocket>();
        socket_->setReadBufferSize(SocketBufferBytes);
        socket_->connectToHost(host_, port_);
    }
    // Requests go out whole, in one write: nothing is gained by holding them back.
    QTcpSocket* const socket = socket_.get();
    QObject::connect(socket, &QTcpSocket::connected, socket,
                     [socket] { socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
}

HttpAnswer HttpLink::exchange(const QByteArray& request, int timeoutMs, qint64 maxAnswerBytes)
{
    if (!stillOpen())
        open();
    Exchange exchange(request, maxAnswerBytes);
    if (!quickAnswer(exchange, timeoutMs))
        wait(exchange, timeoutMs);
    HttpAnswer answer = outcomeOf(exchange);
    if (!exchange.reader.reusable())
        close();
    return answer;
}

bool HttpLink::quickAnswer(Exchange& x, int timeoutMs)
{
    auto* const tls = qobject_cast<QSslSocket*>(socket_.get());
    if (!(tls ? tls->isEncrypted() : socket_->state() == QAbstractSocket::ConnectedState))
        return false;
    const int quickMs = std::min(QuickAnswerMs, timeoutMs);
    return tls ? quickAnswerThroughQt(x, quickMs) : quickPlainAnswer(x, quickMs);
}

bool HttpLink::quickAnswerThroughQt(Exchange& x, int quickMs)
{
    socket_->write(x.request);
    socket_->flush();
    x.sent = true;
    QElapsedTimer waited;
    waited.start();
    while (x.reader.state() == HttpAnswerReader::State::Reading) {
        const int left = quickMs - int(waited.elapsed());
        if (socket_->bytesAvailable() == 0 && (left <= 0 || !socket_->waitForReadyRead(left)))
            break;
        x.received = true;
        x.reader.feed(takeAvailable());
    }
    return x.reader.state() != HttpAnswerReader::State::Reading;
}

// Whatever the quick wait leaves goes the Qt way: the rest of a request too large to go at once, and the
// close or the error, which Qt's notifiers see as well.
bool HttpLink::quickPlainAnswer(Exchange& x, int quickMs)
{
    const qintptr descriptor = socket_->socketDescriptor();
    const qint64 sent = socket_->bytesToWrite() == 0 ? PlainSocket::send(descriptor, x.request) : 0;
    x.sent = true;
    if (sent != x.request.size()) {
        // A failed connection fails Qt's write too, which then says why.
        socket_->write(x.request.sliced(std::max<qint64>(sent, 0)));
        socket_->flush();
        return false;
    }
    buffer_.resize(SocketBufferBytes);
    QElapsedTimer waited;
    waited.start();
    while (x.reader.state() == HttpAnswerReader::State::Reading) {
        const int left = quickMs - int(waited.elapsed());
        if (left <= 0 || !PlainSocket::waitReadable(descriptor, left))
            break;
        const qint64 got = PlainSocket::receive(descriptor, buffer_.data(), buffer_.size());
        if (got == -2)
            continue;
        if (got <= 0)
            break;
        x.received = true;
        x.reader.feed(QByteArrayView(buffer_).first(qsizetype(got)));
    }
    return x.reader.state() != HttpAnswerReader::State::Reading;
}

// Only flags are set inside the loop, so nothing can throw through it.
void HttpLink::wait(Exchange& x, int timeoutMs)
{
    QTcpSocket* const socket = socket_.get();
    auto* const tls = qobject_cast<QSslSocket*>(socket);
    QEventLoop loop;
    QTimer timer;
    const auto finish = [&] {
        x.over = true;
        loop.quit();
    };
    const auto send = [&] {
        socket->write(x.request);
        socket->flush();
        x.sent = true;
    };
    const auto read = [&] {
        while (socket->bytesAvailable() > 0 && x.reader.state() == HttpAnswerReader::State::Reading) {
            x.received = true;
            x.reader.feed(takeAvailable());
        }
        if (x.reader.state() != HttpAnswerReader::State::Reading)
            finish();
    };
    const auto closed = [&] {
        read();
        x.reader.close();
        finish();
    };
    // Declared last, so its connections go before what they use.
    QObject context;
    if (tls) {
        QObject::connect(tls, &QSslSocket::encrypted, &context, send);
        // Never ignored: the handshake then fails, and these say why.
        QObject::connect(tls, &QSslSocket::sslErrors, &context, [&](const QList<QSslError>& errors) {
            for (const QSslError& error : errors)
                x.certificateErrors.append(error.errorString());
        });
    } else {
        QObject::connect(socket, &QTcpSocket::connected, &context, send);
    }
    QObject::connect(socket, &QTcpSocket::readyRead, &context, read);
    QObject::connect(socket, &QTcpSocket::disconnected, &context, closed);
    QObject::connect(socket, &QTcpSocket::errorOccurred, &context, [&](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError && x.sent)
            return closed();
        x.errorText = socket->errorString();
        finish();
    });
    timer.setSingleShot(true);
    // Never early: the caller tells the user how long it waited.
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &context, [&] {
        x.timedOut = true;
        finish();
    });
    timer.start(timeoutMs);
    // Sent already by the quick wait on a connection kept from an earlier call, which may have seen
    // it close.
    if (x.sent && socket->state() != QAbstractSocket::ConnectedState) {
        x.errorText = socket->errorString();
        closed();
    }
    if (!x.over)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

QByteArrayView HttpLink::takeAvailable()
{
    buffer_.resize(SocketBufferBytes);
    const qint64 got = socket_->read(buffer_.data(), std::min(socket_->bytesAvailable(), SocketBufferBytes));
    return QByteArrayView(buffer_).first(qsizetype(std::max<qint64>(got, 0)));
}

HttpAnswer HttpLink::outcomeOf(Exchange& x)
{
    if (!x.certificateErrors.isEmpty()) {
        // The request's target, from its first line ("POST /path HTTP/1.1").
        const QByteArray path = x.request.left(x.request.indexOf('\n')).split(' ').value(1);
        const QString url =
            QStringLiteral("https://%1:%2%3").arg(host_).arg(port_).arg(QString::fromLatin1(path));
        const QString errors = x.certificateErrors.join(QStringLiteral("; "));
        qCWarning(lcServerCall, "Certificate of %s not verified: %s", qPrintable(url), qPrintable(errors));
        return {HttpAnswer::Outcome::CertificateRejected, 0, {}, errors};
    }
    switch (x.reader.state()) {
    case HttpAnswerReader::State::Done:
        return {HttpAnswer::Outcome::Answered, x.reader.status(), x.reader.takeBody(), {}};
    case HttpAnswerReader::State::TooLarge:
        return {HttpAnswer::Outcome::TooLarge, 0, {}, {}};
    case HttpAnswerReader::State::Malformed:
        return {HttpAnswer::Outcome::TransportFailed,
                0,
                {},
                x.received              ? QStringLiteral("malformed HTTP answer")
                : x.errorText.isEmpty() ? QStringLiteral("connection closed by the server")
                                        : x.errorText};
    case HttpAnswerReader::State::Reading:
        break;
    }
    if (!x.sent)
        return {HttpAnswer::Outcome::Unreached,
                0,
                {},
                x.timedOut ? QStringLiteral("no connection in time") : x.errorText};
    if (x.timedOut)
        return {HttpAnswer::Outcome::TimedOut, 0, {}, {}};
    return {HttpAnswer::Outcome::TransportFailed, 0, {}, x.errorText};
}
