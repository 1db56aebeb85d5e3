#include "LookupDatabases.h"

#include "LookupSeed.h"
#include "PostgresServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <stdexcept>

namespace {

const QString SeedConnection = QStringLiteral("lookup_seed");

// Runs `statements` on a connection of its own, closed again before returning.
void seed(const LocalDatabaseSettings& settings, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, SeedConnection);
        db.setDatabaseName(settings.database);
        db.setHostName(settings.host);
        db.setPort(settings.port);
        db.setUserName(settings.user);
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery query(db);
        for (const QString& statement : statements)
            if (!query.exec(statement))
                throw std::runtime_error(
                    (statement + QStringLiteral(": ") + query.lastError().text()).toStdString());
    }
    QSqlDatabase::removeDatabase(SeedConnection);
}

// Polymorphic and not STRICT: a NULL first argument gives the second, as Oracle's and SQL Server's do.
QStringList postgresFunctions()
{
    return {
        QStringLiteral("CREATE FUNCTION NVL(a anyelement, b anyelement) RETURNS anyelement "
                       "LANGUAGE sql IMMUTABLE AS 'SELECT COALESCE(a, b)'"),
        QStringLiteral("CREATE FUNCTION ISNULL(a anyelement, b anyelement) RETURNS anyelement "
                       "LANGUAGE sql IMMUTABLE AS 'SELECT COALESCE(a, b)'"),
    };
}

// The one-row source and the function that the InterBase texts expect of the database.
QString firebirdScript(const QString& path)
{
    QStringList lines{
        QStringLiteral("SET NAMES UTF8;"),
        QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' DEFAULT CHARACTER SET UTF8;").arg(path),
    };
    for (const QString& statement : LookupSeed::tables() + LookupSeed::rows())
        lines.append(statement + QLatin1Char(';'));
    lines << QStringLiteral("SET TERM ^ ;")
          << QStringLiteral("CREATE PROCEDURE PARAM (VALOR VARCHAR(40)) RETURNS (PARAM VARCHAR(40)) AS "
                            "BEGIN PARAM = VALOR; SUSPEND; END^")
          << QStringLiteral("CREATE FUNCTION NVLSTR (A VARCHAR(40), B VARCHAR(40)) RETURNS VARCHAR(40) AS "
                            "BEGIN RETURN COALESCE(A, B); END^")
          << QStringLiteral("SET TERM ; ^") << QStringLiteral("COMMIT;");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

LookupDatabases::LookupDatabases() = default;

LookupDatabases::~LookupDatabases() = default;

LocalDatabaseSettings LookupDatabases::sqlite()
{
    if (sqlitePath_.isEmpty())
        createSqlite();
    LocalDatabaseSettings settings;
    settings.driver = QStringLiteral("QSQLITE");
    settings.database = sqlitePath_;
    return settings;
}

void LookupDatabases::createSqlite()
{
    sqlitePath_ = dir_.filePath(QStringLiteral("lookup.db"));
    LocalDatabaseSettings settings;
    settings.database = sqlitePath_;
    seed(settings, LookupSeed::tables() + LookupSeed::rows());
}

LocalDatabaseSettings LookupDatabases::firebird(QString* skipReason)
{
    if (firebirdPath_.isEmpty() && firebirdProblem_.isEmpty())
        createFirebird();
    *skipReason = firebirdProblem_;
    if (!firebirdProblem_.isEmpty())
        return {};
    LocalDatabaseSettings settings;
    settings.driver = QStringLiteral("QIBASE");
    settings.database = firebirdPath_;
    settings.user = QStringLiteral("SYSDBA");
    return settings;
}

void LookupDatabases::createFirebird()
{
    const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QIBASE"))) {
        firebirdProblem_ = QStringLiteral("Firebird embedded needs isql-fb and the QIBASE driver");
        return;
    }
    // Embedded: the engine runs in this process, its lock files in a folder of our own.
    const QString lockDir = dir_.filePath(QStringLiteral("firebird"));
    QDir().mkpath(lockDir);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(lockDir));
    qputenv("FIREBIRD_TMP", QFile::encodeName(lockDir));
    const QString path = dir_.filePath(QStringLiteral("lookup.fdb"));
    QFile script(dir_.filePath(QStringLiteral("lookup.sql")));
    if (!script.open(QIODevice::WriteOnly) || script.write(firebirdScript(path).toUtf8()) < 0) {
        firebirdProblem_ = QStringLiteral("cannot write the Firebird script");
        return;
    }
    script.close();
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(isql,
                  {QStringLiteral("-bail"), QStringLiteral("-q"), QStringLiteral("-i"), script.fileName()});
    if (!process.waitForFinished(60000) || process.exitCode() != 0 || !QFile::exists(path)) {
        firebirdProblem_ = QStringLiteral("isql-fb failed: ") + QString::fromLocal8Bit(process.readAll());
        return;
    }
    firebirdPath_ = path;
}

LocalDatabaseSettings LookupDatabases::postgres(const QString& dialect, QString* skipReason)
{
    if (!postgres_ && postgresProblem_.isEmpty())
        createPostgres();
    *skipReason = postgresProblem_;
    if (!postgresProblem_.isEmpty())
        return {};
    LocalDatabaseSettings settings;
    settings.driver = QStringLiteral("QPSQL");
    settings.database = QStringLiteral("lookup");
    settings.dialect = dialect;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = postgres_->port();
    settings.user = QStringLiteral("postgres");
    return settings;
}

void LookupDatabases::createPostgres()
{
    if (!PostgresServer::available(&postgresProblem_))
        return;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        postgresProblem_ = QStringLiteral("the QPSQL driver is not installed");
        return;
    }
    postgres_ = std::make_unique<PostgresServer>();
    postgres_->start();
    postgres_->createDatabase(QStringLiteral("lookup"));
    QString ignored;
    seed(postgres(QString(), &ignored), LookupSeed::tables() + LookupSeed::rows() + postgresFunctions());
}
