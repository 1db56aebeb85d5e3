#include "TNetConnection.h"

#include "CallLog.h"
#include "ECallOutcomeUnknown.h"
#include "Exception.h"
#include "HostSession.h"
#include "HostSettings.h"
#include "HttpLink.h"
#include "RequestWriter.h"
#include "ServerLinkMessages.h"

#include <QElapsedTimer>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace {

constexpr int MaxPort = 65535;
// Far above any list of a branch's day; what a broken or hostile server sends beyond it is not held.
constexpr qint64 MaxAnswerBytes = 64 * 1024 * 1024;

// The server has accounts and the call came without a live session.
bool wantsSession(const HttpAnswer& answer)
{
    return answer.outcome == HttpAnswer::Outcome::Answered && answer.status == 401 &&
           answer.body == QByteArrayView("session required\n");
}

QString failureReason(const HttpAnswer& answer, int timeoutMs)
{
    switch (answer.outcome) {
    case HttpAnswer::Outcome::TimedOut:
        return ServerLinkMessages::timedOut(timeoutMs);
    case HttpAnswer::Outcome::Unreached:
    case HttpAnswer::Outcome::TransportFailed:
    case HttpAnswer::Outcome::CertificateRejected:
        return answer.errorText;
    case HttpAnswer::Outcome::TooLarge:
        return QStringLiteral("answer over %1 bytes").arg(MaxAnswerBytes);
    case HttpAnswer::Outcome::Answered:
        break;
    }
    return answer.status == 401 ? QStringLiteral("acesso recusado (token inválido ou ausente)")
                                : QStringLiteral("status HTTP %1").arg(answer.status);
}

// The CAs of `file` only, or the system's when it is empty.
QSslConfiguration tlsFor(const QString& caFile)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    if (!caFile.isEmpty()) {
        const QList<QSslCertificate> authorities = QSslCertificate::fromPath(caFile);
        if (authorities.isEmpty())
            qCWarning(lcServerCall, "Servidor/CAFile %s holds no PEM certificate: no server can be verified",
                      qPrintable(caFile));
        configuration.setCaCertificates(authorities);
    }
    return configuration;
}

} // namespace

TNetConnection::TNetConnection(QObject* parent) : QObject(parent) {}

TNetConnection::~TNetConnection() = default;

void TNetConnection::SetConnected(bool connected)
{
    if (connected)
        Open();
    else
        Close();
}

void TNetConnection::Open()
{
    if (connected_)
        return;
    BeforeConnect(this);
    aim();
    checkHealth();
    connected_ = true;
}

void TNetConnection::aim()
{
    QString host = host_;
    QString scheme = QStringLiteral("http");
    for (const QString& prefix : {QStringLiteral("https"), QStringLiteral("http")}) {
        if (host.startsWith(prefix + QStringLiteral("://"), Qt::CaseInsensitive)) {
            scheme = prefix;
            host = host.mid(prefix.size() + 3);
            break;
        }
    }
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    address_ = QStringLiteral("%1:%2").arg(host).arg(port_);
    base_ = QUrl();
    base_.setScheme(scheme);
    base_.setHost(host, QUrl::StrictMode);
    base_.setPort(port_);
    if (host.isEmpty() || !base_.isValid() || port_ <= 0 || port_ > MaxPort)
        throw Exception(ServerLinkMessages::cannotConnect(address_, QStringLiteral("endereço inválido")));
    tls_.reset();
    if (scheme == QLatin1String("https"))
        tls_ = std::make_unique<QSslConfiguration>(tlsFor(HostSettings().caFile()));
    link_ = std::make_unique<HttpLink>(base_.host(), quint16(port_),
                                       tls_ ? std::optional<QSslConfiguration>(*tls_) : std::nullopt);
    requests_ = std::make_unique<RequestWriter>(base_, address_);
    callSettings_.reopen();
}

// Answering /health is all a server must do to count as there; its token is checked on calls.
void TNetConnection::checkHealth()
{
    const HostSettings settings;
    const HttpAnswer answer = link_->exchange(requests_->get(QStringLiteral("/health"), settings.token()),
                                              settings.timeoutMs(), MaxAnswerBytes);
    if (answer.outcome == HttpAnswer::Outcome::CertificateRejected)
        throw Exception(ServerLinkMessages::certificateNotVerified(address_));
    if (answer.outcome != HttpAnswer::Outcome::Answered || answer.status != 200)
        throw Exception(
            ServerLinkMessages::cannotConnect(address_, failureReason(answer, settings.timeoutMs())));
}

void TNetConnection::Close()
{
    connected_ = false;
    if (link_)
        link_->close();
}

RemoteServer TNetConnection::AppServer()
{
    return RemoteServer(*this);
}

QByteArray TNetConnection::post(const QByteArray& body)
{
    if (!connected_)
        throw Exception(ServerLinkMessages::notOpen());
    HttpAnswer answer = postOnce(body);
    // The session ended on the server (idle, too old, signed out elsewhere): the call was not run. Once
    // the clerk signed in again it goes on, and what she was doing is still there.
    if (wantsSession(answer) && HostSession::instance().renew(*this))
        answer = postOnce(body);
    if (wantsSession(answer))
        throw Exception(ServerLinkMessages::signInNeeded(address_));
    return std::move(answer.body);
}

HttpAnswer TNetConnection::postOnce(const QByteArray& body)
{
    const CallSettings::Values& settings = callSettings_.current();
    // The server keeps the first outcome of each request id: when the answer is lost, the same bytes
    // under the same id are sent once more, and a write that did land is not applied twice.
    const QByteArray& session = HostSession::instance().token();
    const QByteArray request =
        requests_->call(serverName_, session.isEmpty() ? settings.token : QString::fromLatin1(session), body);
    QElapsedTimer waited;
    waited.start();
    HttpAnswer answer = link_->exchange(request, settings.timeoutMs, MaxAnswerBytes);
    LostAnswers lost;
    // Nothing left when the certificate was refused: sending again would meet the same certificate.
    if (answer.outcome == HttpAnswer::Outcome::TimedOut ||
        answer.outcome == HttpAnswer::Outcome::TransportFailed ||
        answer.outcome == HttpAnswer::Outcome::Unreached) {
        lost.note(answer);
        link_->close();
        answer = link_->exchange(request, settings.timeoutMs, MaxAnswerBytes);
    }
    lost.note(answer);
    if (wantsSession(answer))
        return answer;
    answer.body = bodyOf(std::move(answer), lost, waited.elapsed());
    answer.status = 200;
    return answer;
}

void TNetConnection::LostAnswers::note(const HttpAnswer& answer)
{
    const bool lostNow = answer.outcome == HttpAnswer::Outcome::TimedOut ||
                         answer.outcome == HttpAnswer::Outcome::TransportFailed;
    if (lostNow && !any)
        errorText = answer.errorText;
    any = any || lostNow;
    timedOut = timedOut || answer.outcome == HttpAnswer::Outcome::TimedOut;
}

QByteArray TNetConnection::bodyOf(HttpAnswer answer, const LostAnswers& lost, qint64 waitedMs) const
{
    if (answer.outcome == HttpAnswer::Outcome::Answered && answer.status == 200)
        return std::move(answer.body);
    // Whatever the try sent again met (refused, an error status), an earlier one may have landed.
    if (lost.any)
        throw ECallOutcomeUnknown(lost.timedOut
                                      ? ServerLinkMessages::noAnswerInTime(address_, waitedMs)
                                      : ServerLinkMessages::brokeAfterSending(address_, lost.errorText));
    switch (answer.outcome) {
    case HttpAnswer::Outcome::Unreached:
        throw Exception(ServerLinkMessages::transportFailed(address_, answer.errorText));
    case HttpAnswer::Outcome::TimedOut:
    case HttpAnswer::Outcome::TransportFailed:
        // Noted as lost above: never reached.
        break;
    case HttpAnswer::Outcome::CertificateRejected:
        throw Exception(ServerLinkMessages::certificateNotVerified(address_));
    case HttpAnswer::Outcome::TooLarge:
        throw Exception(ServerLinkMessages::answerTooLarge(address_, MaxAnswerBytes));
    case HttpAnswer::Outcome::Answered:
        if (answer.status == 401)
            throw Exception(ServerLinkMessages::accessDenied(address_));
        break;
    }
    throw Exception(ServerLinkMessages::httpStatus(address_, answer.status));
}
