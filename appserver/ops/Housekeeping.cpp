#include "Housekeeping.h"

#include "Database.h"
#include "HistoryStore.h"
#include "Metrics.h"
#include "RequestLog.h"
#include "ReservationStore.h"
#include "ServerLog.h"
#include "SessionStore.h"
#include "SignInThrottle.h"
#include "SqlFailure.h"
#include "Transaction.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QTimer>

namespace {

constexpr std::chrono::minutes PurgeInterval{5};
constexpr std::chrono::milliseconds CheckpointInterval{500};
// Readers in flight finish within a millisecond or two; a longer one makes this attempt give up rather
// than keep the writers waiting.
constexpr std::chrono::milliseconds RestartWait{20};
// On a starved machine a reader can stay in the log longer than that, time after time, and the log
// would grow for as long as that lasts: once an attempt gave up, or the log passed a quarter of its limit,
// the restart waits for the readers in flight (new ones read the database file, never the log, while the
// writers are held), and the writers wait with it.
constexpr std::chrono::milliseconds PressedRestartWait{2000};

} // namespace

Housekeeping::~Housekeeping()
{
    quit();
    wait();
}

void Housekeeping::run()
{
    try {
        Database database(options_.databaseSpec());
        QTimer purge;
        purge.setInterval(PurgeInterval);
        connect(&purge, &QTimer::timeout, &purge, [&] { purgeExpired(database, options_); });
        purge.start();
        QTimer checkpoints;
        if (!database.dialect().checkpoint().isEmpty()) {
            database.select(QStringLiteral("PRAGMA page_size"), {},
                            [this](const QSqlQuery& row) { pageBytes_ = row.value(0).toLongLong(); });
            checkpoints.setInterval(CheckpointInterval);
            connect(&checkpoints, &QTimer::timeout, &checkpoints, [&] { checkpoint(database); });
            checkpoints.start();
        }
        exec();
    } catch (const Exception& error) {
        qCWarning(lcServer).noquote() << "housekeeping stopped:" << error.Message();
    }
}

void Housekeeping::purgeExpired(Database& database, const AppServerOptions& options)
{
    try {
        Transaction transaction(database);
        ReservationStore(database, options.reservationTtl).purgeExpired();
        RequestLog(database, options.requestIdTtl).purgeExpired();
        SessionStore(database, options.sessions).purgeExpired();
        SignInThrottle(database).purgeExpired();
        HistoryStore(database, {})
            .purgeOlderThan(
                QDateTime::currentMSecsSinceEpoch() -
                std::chrono::duration_cast<std::chrono::milliseconds>(options.historyRetention).count());
        transaction.commit();
        Metrics::process().setReservationsHeld(ReservationStore(database, options.reservationTtl).count());
    } catch (const SqlFailure& failure) {
        qCWarning(lcServer).noquote()
            << "purge of expired reservations, request outcomes and history failed:" << failure.detail();
    }
}

void Housekeeping::checkpoint(Database& database)
{
    try {
        // The copying first, alongside the workers; then, writers held, only what came meanwhile.
        qint64 logPages = 0;
        database.select(database.dialect().checkpoint(), {},
                        [&logPages](const QSqlQuery& row) { logPages = row.value(1).toLongLong(); });
        const bool pressed = failedRestarts_ > 0 || logPages * pageBytes_ > SqlDialect::LogSizeLimit / 4;
        failedRestarts_ =
            restartLog(database, pressed ? PressedRestartWait : RestartWait) ? 0 : failedRestarts_ + 1;
    } catch (const SqlFailure& failure) {
        ++failedRestarts_;
        qCWarning(lcServer).noquote() << "checkpoint failed:" << failure.detail();
    }
}

bool Housekeeping::restartLog(Database& database, std::chrono::milliseconds readersWait)
{
    const SqlDialect& dialect = database.dialect();
    const auto writers = Transaction::holdWriters(database);
    database.execDirect(dialect.busyTimeout(readersWait));
    bool restarted = false;
    try {
        // SQLite answers a restart that gave up waiting with a row whose first column is 1, not an error.
        database.select(dialect.restartLog(), {},
                        [&restarted](const QSqlQuery& row) { restarted = row.value(0).toInt() == 0; });
    } catch (const SqlFailure&) {
        database.execDirect(dialect.busyTimeout(SqlDialect::BusyWait));
        throw;
    }
    database.execDirect(dialect.busyTimeout(SqlDialect::BusyWait));
    return restarted;
}
