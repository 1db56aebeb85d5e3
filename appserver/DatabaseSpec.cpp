#include "DatabaseSpec.h"

#include "Exception.h"

#include <QUrl>

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
                .arg(text));
    return spec;
}
