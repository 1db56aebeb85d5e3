#include "DatabaseDialect.h"

#include "EDatabaseError.h"

#include <QStringList>
#include <array>
#include <utility>

namespace {

using Alias = std::pair<const char*, DatabaseDialect>;

constexpr std::array DriverDialects{
    Alias{"QSQLITE", DatabaseDialect::Sqlite},   Alias{"QPSQL", DatabaseDialect::Postgres},
    Alias{"QIBASE", DatabaseDialect::InterBase}, Alias{"QOCI", DatabaseDialect::Oracle},
    Alias{"QODBC", DatabaseDialect::MsSql},
};

// The first name of each dialect is its canonical one.
constexpr std::array NamedDialects{
    Alias{"IB", DatabaseDialect::InterBase},       Alias{"INTERBASE", DatabaseDialect::InterBase},
    Alias{"FIREBIRD", DatabaseDialect::InterBase}, Alias{"ORACLE", DatabaseDialect::Oracle},
    Alias{"MSSQL", DatabaseDialect::MsSql},        Alias{"SQLSERVER", DatabaseDialect::MsSql},
    Alias{"SQLITE", DatabaseDialect::Sqlite},      Alias{"PG", DatabaseDialect::Postgres},
    Alias{"POSTGRES", DatabaseDialect::Postgres},  Alias{"POSTGRESQL", DatabaseDialect::Postgres},
};

} // namespace

DatabaseDialect dialectOfDriver(const QString& driverName)
{
    // Qt keeps older spellings with a version digit (QSQLITE3, QPSQL7, QOCI8, QODBC3).
    for (const auto& [driver, dialect] : DriverDialects) {
        const QString name = QString::fromLatin1(driver);
        if (driverName == name || (driverName.startsWith(name) && driverName.back().isDigit()))
            return dialect;
    }
    throw EDatabaseError(QStringLiteral("O driver '%1' não tem dialeto SQL conhecido.").arg(driverName));
}

DatabaseDialect dialectFromName(const QString& name)
{
    const QString wanted = name.trimmed();
    for (const auto& [alias, dialect] : NamedDialects)
        if (wanted.compare(QLatin1String(alias), Qt::CaseInsensitive) == 0)
            return dialect;
    throw EDatabaseError(QStringLiteral("Dialeto SQL '%1' desconhecido.").arg(name));
}

QString dialectName(DatabaseDialect dialect)
{
    for (const auto& [alias, named] : NamedDialects)
        if (named == dialect)
            return QString::fromLatin1(alias);
    return {};
}
