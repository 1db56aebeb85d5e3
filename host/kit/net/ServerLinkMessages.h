#pragma once

#include <QString>

// What the user reads when the link to the application server fails.
namespace ServerLinkMessages {

QString notOpen();
QString timedOut(int timeoutMs);
// `address` is "host:port". The reason is the network's own and goes to the log only.
QString cannotConnect(const QString& address, const QString& reason);
QString transportFailed(const QString& address, const QString& reason);
// A call sent whose answer never came, after `waitedMs` in all, or whose connection broke after sending.
QString noAnswerInTime(const QString& address, qint64 waitedMs);
QString brokeAfterSending(const QString& address, const QString& reason);
QString accessDenied(const QString& address);
// The server wants a signed-in user and none is, or the sign-in was given up.
QString signInNeeded(const QString& address);
QString httpStatus(const QString& address, int status);
QString answerTooLarge(const QString& address, qint64 maxBytes);
QString malformedAnswer(const QString& detail);
QString answerMismatch(qint64 expectedId);

QString certificateNotVerified(const QString& address);
QString tokenNeedsHttps(const QString& address);

} // namespace ServerLinkMessages
