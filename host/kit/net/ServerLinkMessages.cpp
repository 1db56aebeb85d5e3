#include "ServerLinkMessages.h"

#include "CallLog.h"

#include <algorithm>

namespace ServerLinkMessages {

QString notOpen()
{
    return QStringLiteral("Conexão com o servidor de aplicação não está aberta.");
}

QString timedOut(int timeoutMs)
{
    // Non-breaking spaces: a figure and its unit never part at the end of a line.
    return QStringLiteral("Tempo esgotado aguardando o servidor de aplicação (%1\u00A0ms).").arg(timeoutMs);
}

// The reason comes from the network layer, in English and in its own terms: it goes to the log for
// whoever looks after the machine; the clerk reads what happened and what to do.
QString cannotConnect(const QString& address, const QString& reason)
{
    qCWarning(lcServerCall, "Application server %s not reached: %s", qPrintable(address), qPrintable(reason));
    return QStringLiteral("Não foi possível falar com o servidor de aplicação %1. Verifique se ele está em "
                          "funcionamento e se o endereço nas configurações está certo.")
        .arg(address);
}

QString transportFailed(const QString& address, const QString& reason)
{
    qCWarning(lcServerCall, "Call to application server %s broke off: %s", qPrintable(address),
              qPrintable(reason));
    return QStringLiteral("A comunicação com o servidor de aplicação %1 foi interrompida. Verifique se ele "
                          "continua em funcionamento e tente de novo.")
        .arg(address);
}

QString noAnswerInTime(const QString& address, qint64 waitedMs)
{
    // The whole wait, every try included: what the clerk sat through, in seconds.
    const qint64 seconds = std::max<qint64>(1, waitedMs / 1000);
    return QStringLiteral("O servidor de aplicação %1 não respondeu a tempo (%2\u00A0s).")
        .arg(address)
        .arg(seconds);
}

QString brokeAfterSending(const QString& address, const QString& reason)
{
    qCWarning(lcServerCall, "Call to application server %s broke off after it was sent: %s",
              qPrintable(address), qPrintable(reason));
    return QStringLiteral("A comunicação com o servidor de aplicação %1 foi interrompida antes da resposta.")
        .arg(address);
}

QString accessDenied(const QString& address)
{
    return QStringLiteral("O servidor de aplicação %1 recusou o acesso: token inválido ou ausente.")
        .arg(address);
}

QString signInNeeded(const QString& address)
{
    return QStringLiteral("O servidor de aplicação %1 pede que o usuário entre com sua senha.").arg(address);
}

QString httpStatus(const QString& address, int status)
{
    return QStringLiteral("O servidor de aplicação %1 respondeu com o status HTTP %2.")
        .arg(address)
        .arg(status);
}

QString answerTooLarge(const QString& address, qint64 maxBytes)
{
    qCWarning(lcServerCall, "Answer of application server %s over %lld bytes: cut off", qPrintable(address),
              static_cast<long long>(maxBytes));
    return QStringLiteral("A resposta do servidor de aplicação %1 passou de %2 MiB e foi recusada. Avise o "
                          "suporte.")
        .arg(address)
        .arg(maxBytes / (1024 * 1024));
}

QString malformedAnswer(const QString& detail)
{
    return QStringLiteral("Resposta malformada do servidor de aplicação: %1.").arg(detail);
}

QString answerMismatch(qint64 expectedId)
{
    return QStringLiteral("A resposta do servidor de aplicação não corresponde à chamada %1.")
        .arg(expectedId);
}

QString certificateNotVerified(const QString& address)
{
    return QStringLiteral("Não foi possível verificar o certificado do servidor de aplicação %1. Confira se "
                          "o endereço em Servidor/WebURL é o do certificado, se o certificado está na "
                          "validade e se Servidor/CAFile aponta para a autoridade certificadora que o "
                          "emitiu. A conexão não foi feita.")
        .arg(address);
}

QString tokenNeedsHttps(const QString& address)
{
    return QStringLiteral("O token de acesso não é enviado por http para outro computador (%1): use "
                          "https:// em Servidor/WebURL.")
        .arg(address);
}

} // namespace ServerLinkMessages
