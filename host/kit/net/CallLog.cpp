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

// Built by hand rather than through a printf format: that parse cost a call a microsecond (of about 50).
void record(const QString& method, qint64 elapsedMs, const QString& error)
{
    const QLoggingCategory& category = lcServerCall();
    if (!category.isInfoEnabled())
        return;
    QString line = QStringLiteral("call ") + oneLine(method) + QLatin1Char(' ') + QString::number(elapsedMs) +
                   QStringLiteral(" ms: ");
    line += error.isEmpty() ? QStringLiteral("ok") : QStringLiteral("failed: ") + oneLine(error);
    qt_message_output(QtInfoMsg, QMessageLogContext(nullptr, 0, nullptr, category.categoryName()), line);
}

} // namespace CallLog
