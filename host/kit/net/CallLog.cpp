#include "CallLog.h"

Q_LOGGING_CATEGORY(lcServerCall, "med.host.call")

namespace {

// An error's text may hold a server's whole answer: the log keeps one line of it.
constexpr qsizetype MaxErrorChars = 300;

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text.size() > MaxErrorChars)
        text = text.left(MaxErrorChars) + QStringLiteral("…");
    return text;
}

} // namespace

namespace CallLog {

void record(const QString& method, qint64 elapsedMs, const QString& error)
{
    if (error.isEmpty())
        qCInfo(lcServerCall, "call %s %lld ms: ok", qUtf8Printable(oneLine(method)), elapsedMs);
    else
        qCInfo(lcServerCall, "call %s %lld ms: failed: %s", qUtf8Printable(oneLine(method)), elapsedMs,
               qUtf8Printable(oneLine(error)));
}

} // namespace CallLog
