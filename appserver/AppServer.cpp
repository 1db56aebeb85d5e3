#include "AppServer.h"

#include "ConnectionBalancer.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "DemoData.h"
#include "ListeningSocket.h"
#include "RequestLog.h"
#include "ReservationStore.h"
#include "Schema.h"
#include "ServerLog.h"
#include "ServerWorker.h"
#include "SqlFailure.h"
#include "Transaction.h"

namespace {

constexpr std::chrono::minutes PurgeInterval{5};
constexpr std::chrono::milliseconds CheckpointInterval{500};
// Readers in flight finish within a millisecond or two; a longer one makes this attempt give up rather
// than keep the writers waiting.
constexpr std::chrono::milliseconds RestartWait{20};

} // namespace

AppServer::AppServer(const AppServerOptions& options, QObject* parent)
    : QObject(parent), options_(options),
      database_(std::make_unique<Database>(DatabaseSpec::parse(options.database))),
      balancer_(
          std::make_unique<ConnectionBalancer>(options.maxConnections, options.maxConnectionsPerAddress))
{
    Schema::migrate(*database_);
    if (options_.seedDemo)
        DemoData::seedIfEmpty(*database_);
    purgeExpired();
    purgeTimer_.setInterval(PurgeInterval);
    connect(&purgeTimer_, &QTimer::timeout, this, &AppServer::purgeExpired);
    purgeTimer_.start();
    if (!database_->dialect().checkpoint().isEmpty()) {
        checkpointTimer_.setInterval(CheckpointInterval);
        connect(&checkpointTimer_, &QTimer::timeout, this, &AppServer::checkpoint);
        checkpointTimer_.start();
    }
}

// Workers stop (and close their connections) before the balancer they share goes.
AppServer::~AppServer()
{
    workers_.clear();
}

quint16 AppServer::listen()
{
    const ListeningSocket listener(options_.address, options_.port);
    for (int i = 0; i < options_.workers; ++i) {
        workers_.push_back(std::make_unique<ServerWorker>(options_, listener.share(), *balancer_));
        workers_.back()->startServing();
    }
    return listener.port();
}

void AppServer::purgeExpired()
{
    try {
        Transaction transaction(*database_);
        ReservationStore(*database_, options_.reservationTtl).purgeExpired();
        RequestLog(*database_, options_.requestIdTtl).purgeExpired();
        transaction.commit();
    } catch (const SqlFailure& failure) {
        qCWarning(lcServer).noquote()
            << "purge of expired reservations and request outcomes failed:" << failure.detail();
    }
}

void AppServer::checkpoint()
{
    try {
        // The copying first, alongside the workers; then, writers held, only what came meanwhile.
        database_->execDirect(database_->dialect().checkpoint());
        restartLog();
    } catch (const SqlFailure& failure) {
        qCWarning(lcServer).noquote() << "checkpoint failed:" << failure.detail();
    }
}

void AppServer::restartLog()
{
    const SqlDialect& dialect = database_->dialect();
    const auto writers = Transaction::holdWriters(*database_);
    database_->execDirect(dialect.busyTimeout(RestartWait));
    try {
        database_->execDirect(dialect.restartLog());
    } catch (const SqlFailure&) {
        database_->execDirect(dialect.busyTimeout(SqlDialect::BusyWait));
        throw;
    }
    database_->execDirect(dialect.busyTimeout(SqlDialect::BusyWait));
}
