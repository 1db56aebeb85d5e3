#include "PostgresNotices.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <dlfcn.h>

namespace {

// Under med.appserver, so that the server's log rules for it apply.
Q_LOGGING_CATEGORY(lcPostgres, "med.appserver.postgresql", QtInfoMsg)

struct pg_conn;
using NoticeProcessor = void (*)(void* arg, const char* message);
using SetNoticeProcessor = NoticeProcessor (*)(pg_conn* connection, NoticeProcessor processor, void* arg);

bool startsWithAny(const QByteArray& text, std::initializer_list<const char*> prefixes)
{
    for (const char* prefix : prefixes) {
        if (text.startsWith(prefix))
            return true;
    }
    return false;
}

void logNotice(void*, const char* message)
{
    const QByteArray text = QByteArray(message).simplified();
    if (startsWithAny(text, {"ERROR", "FATAL", "PANIC"}))
        qCCritical(lcPostgres, "PostgreSQL %s", text.constData());
    else if (text.startsWith("WARNING"))
        qCWarning(lcPostgres, "PostgreSQL %s", text.constData());
    else
        qCInfo(lcPostgres, "PostgreSQL %s", text.constData());
}

SetNoticeProcessor setNoticeProcessor()
{
    static const auto found =
        reinterpret_cast<SetNoticeProcessor>(::dlsym(RTLD_DEFAULT, "PQsetNoticeProcessor"));
    return found;
}

} // namespace

namespace PostgresNotices {

void route(const QVariant& handle)
{
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 || !setNoticeProcessor())
        return;
    pg_conn* connection = *static_cast<pg_conn* const*>(handle.constData());
    if (connection)
        setNoticeProcessor()(connection, logNotice, nullptr);
}

} // namespace PostgresNotices
