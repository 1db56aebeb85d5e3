#include "SqliteFloor.h"

#include "Currency.h"
#include "SqlDialect.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace SqliteFloor {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

void check(sqlite3* db, int code, const char* what)
{
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

Connection open(const QString& path)
{
    sqlite3* raw = nullptr;
    const int code = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Connection db(raw);
    check(db.get(), code, "open");
    // The server's own session settings, so both floors and the server see the same database.
    for (const QString& pragma : SqlDialect(DatabaseSpec::Kind::Sqlite).sessionSetup())
        check(db.get(), sqlite3_exec(db.get(), pragma.toUtf8().constData(), nullptr, nullptr, nullptr),
              "session setup");
    return db;
}

Statement prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* raw = nullptr;
    check(db, sqlite3_prepare_v2(db, sql, -1, &raw, nullptr), sql);
    return Statement(raw);
}

// Bound values: text as UTF-8 (kept alive by the caller), integers as they are stored.
struct Value {
    std::string text;
    sqlite3_int64 number = 0;
    bool isText = true;
};

// Binds, steps to the end reading every column as the server's rows do, and resets. Returns the
// rows changed (writes) or read (queries).
int step(sqlite3* db, sqlite3_stmt* statement, std::initializer_list<const Value*> values)
{
    int place = 1;
    for (const Value* value : values) {
        const int code = value->isText ? sqlite3_bind_text(statement, place, value->text.data(),
                                                           int(value->text.size()), SQLITE_STATIC)
                                       : sqlite3_bind_int64(statement, place, value->number);
        check(db, code, "bind");
        ++place;
    }
    int rows = 0;
    qsizetype bytes = 0;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            if (sqlite3_column_type(statement, column) == SQLITE_INTEGER)
                bytes += qsizetype(sqlite3_column_int64(statement, column) & 1);
            else if (sqlite3_column_text(statement, column))
                bytes += sqlite3_column_bytes(statement, column);
        }
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    check(db, code, sqlite3_sql(statement));
    Q_UNUSED(bytes);
    return sqlite3_stmt_readonly(statement) ? rows : sqlite3_changes(db);
}

Value text(const QString& value)
{
    return Value{value.toStdString(), 0, true};
}

Value decimal(QStringView value)
{
    return Value{{}, sqlite3_int64(Currency::parse(value).raw()), false};
}

} // namespace

LatencyStats run(const QString& path, const CallMix& mix, std::chrono::milliseconds duration)
{
    const Connection owner = open(path);
    sqlite3* db = owner.get();
    const Statement lines = prepare(
        db, "SELECT E.USR_CDFILIAL, E.USR_DTEFETGEST, E.USR_CDSERVFILI, E.USR_QTEFETGEST, E.USR_VREFETGEST, "
            "E.USR_VRTTSERVGEST, S.NMSERVICO FROM USR_EFETGEST E "
            "LEFT JOIN SERVICO S ON S.CDFILIAL = E.USR_CDFILIAL AND S.CDSERVFILI = E.USR_CDSERVFILI "
            "WHERE E.USR_CDFILIAL = ? AND E.USR_DTEFETGEST = ? ORDER BY E.USR_CDSERVFILI");
    const Statement key = prepare(db, "SELECT USR_CDSERVFILI FROM USR_EFETGEST "
                                      "WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = ?");
    const Statement known =
        prepare(db, "SELECT (SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = ?), "
                    "(SELECT COUNT(*) FROM SERVICO WHERE CDFILIAL = ? AND CDSERVFILI = ?)");
    const Statement insert =
        prepare(db, "INSERT INTO USR_EFETGEST (USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI, USR_QTEFETGEST, "
                    "USR_VREFETGEST, USR_VRTTSERVGEST) VALUES (?, ?, ?, ?, ?, ?)");
    const Statement remove = prepare(
        db, "DELETE FROM USR_EFETGEST WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = ? "
            "AND USR_QTEFETGEST IS ? AND USR_VREFETGEST IS ? AND USR_VRTTSERVGEST IS ?");
    const Statement begin = prepare(db, "BEGIN IMMEDIATE");
    const Statement commit = prepare(db, "COMMIT");

    const Value branch = text(mix.branch);
    const Value date = text(mix.date.toString(Qt::ISODate));
    const Value listed = text(QStringLiteral("00001"));
    const Value scratch = text(mix.scratchService(CallMix::DirectClient));
    const Value staff = decimal(u"3");
    const Value price = decimal(u"1500.25");
    const Value total = decimal(u"4500.75");
    const auto write = [&](sqlite3_stmt* statement, bool checkKeys) {
        step(db, begin.get(), {});
        if (checkKeys)
            step(db, known.get(), {&branch, &branch, &scratch});
        if (step(db, statement, {&branch, &date, &scratch, &staff, &price, &total}) != 1)
            throw std::runtime_error("the floor's write changed no line");
        step(db, commit.get(), {});
    };

    LatencyStats stats;
    QElapsedTimer wall;
    wall.start();
    const QDeadlineTimer deadline(duration);
    while (!deadline.hasExpired()) {
        stats.time([&] { step(db, lines.get(), {&branch, &date}); });
        stats.time([&] { step(db, key.get(), {&branch, &date, &listed}); });
        stats.time([&] { write(insert.get(), true); });
        stats.time([&] { write(remove.get(), false); });
    }
    stats.setElapsed(wall.nsecsElapsed());
    return stats;
}

} // namespace SqliteFloor
