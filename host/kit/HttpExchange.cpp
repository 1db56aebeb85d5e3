#include "HttpExchange.h"

#include "CallLog.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslError>
#include <QTimer>
#include <memory>

namespace {

struct LaterDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

// Errors raised before any byte of the request could leave; any other may come after the server read it.
bool neverConnected(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return true;
    default:
        return false;
    }
}

HttpAnswer answerOf(QNetworkReply& reply, const QStringList& certificateErrors)
{
    if (!certificateErrors.isEmpty()) {
        qCWarning(lcServerCall, "Certificate of %s not verified: %s", qPrintable(reply.url().toString()),
                  qPrintable(certificateErrors.join(QStringLiteral("; "))));
        return {
            HttpAnswer::Outcome::CertificateRejected, 0, {}, certificateErrors.join(QStringLiteral("; "))};
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return {neverConnected(reply.error()) ? HttpAnswer::Outcome::Unreached
                                              : HttpAnswer::Outcome::TransportFailed,
                0,
                {},
                reply.errorString()};
    return {HttpAnswer::Outcome::Answered, status.toInt(), reply.readAll(), {}};
}

} // namespace

HttpAnswer HttpExchange::get(const QNetworkRequest& request)
{
    return wait(network_.get(request));
}

HttpAnswer HttpExchange::post(const QNetworkRequest& request, const QByteArray& body)
{
    return wait(network_.post(request, body));
}

// Only flags are set inside the loop, so nothing can throw through it.
HttpAnswer HttpExchange::wait(QNetworkReply* rawReply) const
{
    const std::unique_ptr<QNetworkReply, LaterDeleter> reply(rawReply);
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Never ignored: the reply then fails, and these say why.
    QStringList certificateErrors;
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, &loop,
                     [&certificateErrors](const QList<QSslError>& errors) {
                         for (const QSslError& error : errors)
                             certificateErrors.append(error.errorString());
                     });
    bool tooLarge = false;
    const auto checkSize = [&](qint64 received, qint64 declared) {
        if (!tooLarge && (received > maxAnswerBytes_ || declared > maxAnswerBytes_)) {
            tooLarge = true;
            loop.quit();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop,
                     [&] { checkSize(0, reply->header(QNetworkRequest::ContentLengthHeader).toLongLong()); });
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, checkSize);
    QTimer timer;
    timer.setSingleShot(true);
    // Never early: the caller tells the user how long it waited.
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs_);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (tooLarge || !reply->isFinished()) {
        reply->abort();
        return {tooLarge ? HttpAnswer::Outcome::TooLarge : HttpAnswer::Outcome::TimedOut, 0, {}, {}};
    }
    return answerOf(*reply, certificateErrors);
}
