#include "SqliteStatements.h"

#include "SqlFailure.h"

#include <QSqlError>
#include <sqlite3.h>

void SqliteStatements::Finalize::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

void SqliteStatements::fail(const QString& driverText, const QString& sql) const
{
    throw SqlFailure(QSqlError(driverText, QString::fromUtf8(sqlite3_errmsg(connection_)),
                               QSqlError::StatementError,
                               QString::number(sqlite3_extended_errcode(connection_))),
                     sql);
}

sqlite3_stmt* SqliteStatements::prepared(const QString& sql)
{
    auto it = statements_.find(sql);
    if (it != statements_.end())
        return it->second.get();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(connection_, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        fail(QStringLiteral("Unable to execute statement"), sql);
    }
    return statements_.emplace(sql, Statement(statement)).first->second.get();
}

void SqliteStatements::bind(sqlite3_stmt* statement, const QVariantList& values, const QString& sql)
{
    if (values.size() != sqlite3_bind_parameter_count(statement))
        fail(QStringLiteral("Parameter count mismatch"), sql);
    for (int place = 1; place <= int(values.size()); ++place) {
        const QVariant& value = values[place - 1];
        int code = SQLITE_OK;
        switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
        case QMetaType::UnknownType:
            code = sqlite3_bind_null(statement, place);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            code = sqlite3_bind_int64(statement, place, value.toLongLong());
            break;
        case QMetaType::Double:
            code = sqlite3_bind_double(statement, place, value.toDouble());
            break;
        default: {
            // Bound as the driver binds it: UTF-16 text, copied by SQLite.
            const QString text = value.toString();
            code = text.isNull() ? sqlite3_bind_null(statement, place)
                                 : sqlite3_bind_text16(statement, place, text.utf16(), int(text.size() * 2),
                                                       SQLITE_TRANSIENT);
        }
        }
        if (code != SQLITE_OK)
            fail(QStringLiteral("Unable to bind parameters"), sql);
    }
}

void SqliteStatements::select(const QString& sql, const QVariantList& values,
                              const std::function<void(const DatabaseRow&)>& row)
{
    sqlite3_stmt* statement = prepared(sql);
    // Reset whatever happens: a statement left stepping would pin its read snapshot.
    struct Reset {
        sqlite3_stmt* s;
        ~Reset() { sqlite3_reset(s); }
    } reset{statement};
    bind(statement, values, sql);
    DatabaseRow current(statement);
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        current.stepped();
        row(current);
    }
    if (code != SQLITE_DONE)
        fail(QStringLiteral("Unable to fetch row"), sql);
}
