#include "Database.h"

#include "PostgresNotices.h"
#include "SqlFailure.h"
#include "SqliteCursor.h"
#include "SqliteLogBound.h"
#include "SqliteStatements.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace {

QString nextConnectionName()
{
    static QAtomicInteger<int> counter;
    return QStringLiteral("med_appserver_%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

Database::Database(const DatabaseSpec& spec)
    : spec_(spec), dialect_(spec.kind), connectionName_(nextConnectionName())
{
    open();
}

Database::~Database()
{
    close();
}

void Database::close()
{
    // Every statement goes before the connection: SQLite does not close one with statements open.
    native_.reset();
    statements_.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

void Database::open()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect_.driverName(), connectionName_);
    if (spec_.kind == DatabaseSpec::Kind::Sqlite) {
        db.setDatabaseName(spec_.path);
    } else {
        db.setHostName(spec_.host);
        db.setPort(spec_.port);
        db.setUserName(spec_.user);
        db.setPassword(spec_.password);
        db.setDatabaseName(spec_.databaseName);
        db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(spec_.connectTimeout.count()));
    }
    // NUMERIC arrives as text, never as a double.
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open())
        throw SqlFailure(db.lastError(),
                         QStringLiteral("open ") + (spec_.path.isEmpty() ? spec_.host : spec_.path));
    const QVariant handle = db.driver()->handle();
    PostgresNotices::route(handle);
    for (const QString& statement : dialect_.sessionSetup())
        execDirect(statement);
    // A statement the database cannot finish (a lock held, a server overloaded) fails rather than
    // holding its worker, and every call queued behind it, for good.
    if (spec_.kind == DatabaseSpec::Kind::Postgres)
        execDirect(QStringLiteral("SET statement_timeout = %1")
                       .arg(std::chrono::milliseconds(spec_.statementTimeout).count()));
    if (spec_.kind == DatabaseSpec::Kind::Sqlite && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        sqlite3* const connection = *static_cast<sqlite3* const*>(handle.constData());
        SqliteLogBound::install(connection);
        native_ = std::make_unique<SqliteStatements>(connection);
    }
}

bool Database::answers()
{
    QSqlQuery probe(QSqlDatabase::database(connectionName_, false));
    return probe.exec(QStringLiteral("SELECT 1"));
}

void Database::recoverConnection()
{
    if (!answers())
        reconnect();
}

void Database::reconnect()
{
    close();
    open();
}

QSqlQuery& Database::run(const QString& sql, const QVariantList& values)
{
    auto it = statements_.find(sql);
    if (it == statements_.end()) {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        // Rows are read once, in order: no driver-side cache of the rows already read.
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            throw SqlFailure(query.lastError(), sql);
        it = statements_.insert(sql, std::move(query));
    }
    QSqlQuery& query = *it;
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        throw SqlFailure(error, sql);
    }
    return query;
}

int Database::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery& query = run(sql, values);
    const int affected = query.numRowsAffected();
    query.finish();
    return affected;
}

void Database::select(const QString& sql, const QVariantList& values,
                      const std::function<void(const QSqlQuery&)>& row)
{
    QSqlQuery& query = run(sql, values);
    // finish() runs whatever happens: an open SQLite statement would pin its read snapshot.
    struct Finish {
        QSqlQuery& q;
        ~Finish() { q.finish(); }
    } finish{query};
    while (query.next())
        row(query);
}

std::unique_ptr<SqliteCursor> Database::cursor(const QString& sql)
{
    return native_ ? std::make_unique<SqliteCursor>(*native_, sql) : nullptr;
}

void Database::selectRows(const QString& sql, const QVariantList& values,
                          const std::function<void(const DatabaseRow&)>& row)
{
    if (native_)
        return native_->select(sql, values, row);
    select(sql, values, [&](const QSqlQuery& query) { row(DatabaseRow(query)); });
}

void Database::execControl(const QString& sql)
{
    if (dialect_.preparesTransactionControl())
        exec(sql);
    else
        execDirect(sql);
}

void Database::execDirect(const QString& sql)
{
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (!query.exec(sql))
        throw SqlFailure(query.lastError(), sql);
}
