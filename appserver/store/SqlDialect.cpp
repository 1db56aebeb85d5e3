#include "SqlDialect.h"

#include "Currency.h"

#include <QSqlError>
#include <iterator>

QString SqlDialect::driverName() const
{
    return sqlite() ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
}

QStringList SqlDialect::sessionSetup() const
{
    if (!sqlite())
        return {QStringLiteral("SET client_encoding TO 'UTF8'")};
    // A save is answered only once it is on disk: with FULL each commit syncs the write-ahead log, so
    // neither a killed process nor a power cut or system crash loses an acknowledged line (NORMAL
    // would lose the last commits to the latter two).
    return {QStringLiteral("PRAGMA journal_mode=WAL"),
            QStringLiteral("PRAGMA synchronous=FULL"),
            busyTimeout(BusyWait),
            QStringLiteral("PRAGMA foreign_keys=ON"),
            QStringLiteral("PRAGMA wal_autocheckpoint=0"),
            QStringLiteral("PRAGMA journal_size_limit=%1").arg(LogSizeLimit)};
}

QString SqlDialect::checkpoint() const
{
    return sqlite() ? QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)") : QString();
}

QString SqlDialect::restartLog() const
{
    return sqlite() ? QStringLiteral("PRAGMA wal_checkpoint(RESTART)") : QString();
}

QString SqlDialect::busyTimeout(std::chrono::milliseconds wait) const
{
    return sqlite() ? QStringLiteral("PRAGMA busy_timeout=%1").arg(wait.count()) : QString();
}

QString SqlDialect::beginWrite() const
{
    // IMMEDIATE takes the write lock up front: two writers never deadlock upgrading a read lock.
    return sqlite() ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
}

QString SqlDialect::schemaLock() const
{
    return sqlite() ? QString() : QStringLiteral("SELECT pg_advisory_xact_lock(418418)");
}

QString SqlDialect::tableCount() const
{
    // PostgreSQL folds unquoted names to lower case, SQLite keeps them as written.
    return sqlite() ? QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                                     "UPPER(name) = ?")
                    : QStringLiteral("SELECT COUNT(*) FROM pg_catalog.pg_tables WHERE "
                                     "schemaname = current_schema() AND tablename = LOWER(?)");
}

QString SqlDialect::requestLock() const
{
    return sqlite() ? QString() : QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))");
}

QString SqlDialect::decimalType(int precision, int scale) const
{
    return sqlite() ? QStringLiteral("INTEGER") : QStringLiteral("NUMERIC(%1,%2)").arg(precision).arg(scale);
}

QString SqlDialect::dateType() const
{
    return sqlite() ? QStringLiteral("TEXT") : QStringLiteral("DATE");
}

QStringList SqlDialect::reservationSequence() const
{
    if (sqlite())
        return {};
    return {QStringLiteral("CREATE SEQUENCE IF NOT EXISTS SEQ_RESERVA")};
}

QString SqlDialect::reservationKeyColumn() const
{
    return sqlite() ? QStringLiteral("NRRESERVA INTEGER PRIMARY KEY AUTOINCREMENT")
                    : QStringLiteral("NRRESERVA BIGINT PRIMARY KEY DEFAULT nextval('SEQ_RESERVA')");
}

QVariant SqlDialect::toDecimal(const QVariant& currency) const
{
    if (currency.isNull())
        return {};
    const Currency value = currency.value<Currency>();
    return sqlite() ? QVariant(qint64(value.raw())) : QVariant(value.toString());
}

QVariant SqlDialect::fromDecimal(const QVariant& stored) const
{
    if (stored.isNull())
        return {};
    const Currency value =
        sqlite() ? Currency::fromRaw(stored.toLongLong()) : Currency::parse(stored.toString());
    return QVariant::fromValue(value);
}

QVariant SqlDialect::toDate(QDate date) const
{
    // Qt's own ISO text goes through printf, and nearly every call binds a date: made by hand, the same
    // text, null where Qt's is (an invalid date, a year past 9999 or before the common era).
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 0 || year > 9999)
        return QString();
    const auto digit = [](int n) { return QChar(u'0' + n); };
    const QChar text[] = {digit(year / 1000), digit(year / 100 % 10), digit(year / 10 % 10), digit(year % 10),
                          QChar(u'-'),        digit(month / 10),      digit(month % 10),     QChar(u'-'),
                          digit(day / 10),    digit(day % 10)};
    return QString(text, std::size(text));
}

QDate SqlDialect::fromDate(const QVariant& stored) const
{
    if (stored.typeId() == QMetaType::QDate)
        return stored.toDate();
    return QDate::fromString(stored.toString().left(10), Qt::ISODate);
}

QString SqlDialect::sameValue(const QString& column) const
{
    return sqlite() ? column + QStringLiteral(" IS ?") : column + QStringLiteral(" IS NOT DISTINCT FROM ?");
}

bool SqlDialect::isUniqueViolation(const QSqlError& error) const
{
    const QString code = error.nativeErrorCode();
    if (!sqlite())
        return code == QLatin1String("23505");
    // The extended codes of a primary key or unique index, or the plain constraint code saying so.
    if (code == QLatin1String("1555") || code == QLatin1String("2067"))
        return true;
    return code == QLatin1String("19") && error.databaseText().contains(QLatin1String("UNIQUE"));
}
