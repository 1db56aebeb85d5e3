#include "Housekeeping.h"

#include "Database.h"
#include "HistoryStore.h"
#include "Metrics.h"
#include "RequestLog.h"
#include "ReservationStore.h"
#include "ServerLog.h"
#include "SqlFailure.h"
#include "Transaction.h"

#include <QDateTime>
#include <QTimer>

namespace {

constexpr std::chrono::minutes PurgeInterval{5};
constexpr std::chrono::milliseconds CheckpointInterval{500};
// Readers in flight finish within a millisecond or two; a longer one makes this attempt give up rather
// than keep the writers waiting.
constexpr std::chrono::milliseconds RestartWait{20};

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
        database.execDirect(database.dialect().checkpoint());
        restartLog(database);
    } catch (const SqlFailure& failure) {
        qCWarning(lcServer).noquote() << "checkpoint failed:" << failure.detail();
    }
}

void Housekeeping::restartLog(Database& database)
{
    const SqlDialect& dialect = database.dialect();
    const auto writers = Transaction::holdWriters(database);
    database.execDirect(dialect.busyTimeout(RestartWait));
    try {
        database.execDirect(dialect.restartLog());
    } catch (const SqlFailure&) {
        database.execDirect(dialect.busyTimeout(SqlDialect::BusyWait));
        throw;
    }
    database.execDirect(dialect.busyTimeout(SqlDialect::BusyWait));
}
