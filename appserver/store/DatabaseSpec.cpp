#include "DatabaseSpec.h"

#include "Exception.h"

#include <QUrl>

namespace {

// The URL as an operator may see it in a message: a password in it becomes "***".
QString withoutPassword(const QString& url)
{
    const qsizetype start = url.indexOf(QLatin1String("://")) + 3;
    const qsizetype at = url.lastIndexOf(QLatin1Char('@'));
    const qsizetype colon = url.indexOf(QLatin1Char(':'), start);
    if (at < start || colon < 0 || colon > at)
        return url;
    return url.left(colon + 1) + QLatin1String("***") + url.mid(at);
}

} // namespace

DatabaseSpec DatabaseSpec::parse(const QString& text)
{
    DatabaseSpec spec;
    const bool postgres =
        text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"));
    if (!postgres) {
        spec.path = text;
        return spec;
    }
    const QUrl url(text, QUrl::StrictMode);
    spec.kind = Kind::Postgres;
    spec.host = url.host();
    spec.port = url.port(5432);
    spec.user = url.userName();
    spec.password = url.password();
    spec.databaseName = url.path().mid(1);
    if (!url.isValid() || spec.host.isEmpty() || spec.databaseName.isEmpty())
        throw Exception(
            QStringLiteral("Invalid database \"%1\": expected postgresql://user@host:port/dbname.")
                .arg(withoutPassword(text)));
    return spec;
}
