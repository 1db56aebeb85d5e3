#include "AppServer.h"

#include "ConnectionBudget.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "DemoData.h"
#include "ReservationStore.h"
#include "ReusePortListener.h"
#include "Schema.h"
#include "ServerWorker.h"
#include "SqlFailure.h"
#include "Transaction.h"

#include <QTextStream>

namespace {

constexpr std::chrono::minutes PurgeInterval{5};
constexpr std::chrono::milliseconds CheckpointInterval{500};

} // namespace

AppServer::AppServer(const AppServerOptions& options, QObject* parent)
    : QObject(parent), options_(options),
      database_(std::make_unique<Database>(DatabaseSpec::parse(options.database))),
      budget_(std::make_unique<ConnectionBudget>(options.maxConnections))
{
    Schema::migrate(*database_);
    if (options_.seedDemo)
        DemoData::seedIfEmpty(*database_);
    purgeReservations();
    purgeTimer_.setInterval(PurgeInterval);
    connect(&purgeTimer_, &QTimer::timeout, this, &AppServer::purgeReservations);
    purgeTimer_.start();
    if (!database_->dialect().checkpoint().isEmpty()) {
        checkpointTimer_.setInterval(CheckpointInterval);
        connect(&checkpointTimer_, &QTimer::timeout, this, &AppServer::checkpoint);
        checkpointTimer_.start();
    }
}

// Workers stop (and close their connections) before the budget they share goes.
AppServer::~AppServer()
{
    workers_.clear();
}

quint16 AppServer::listen()
{
    const ReusePortListener listener =
        ReusePortListener::open(options_.address, options_.port, options_.workers);
    for (const qintptr descriptor : listener.descriptors) {
        workers_.push_back(std::make_unique<ServerWorker>(options_, descriptor, *budget_));
        workers_.back()->startServing();
    }
    return listener.port;
}

void AppServer::purgeReservations()
{
    try {
        Transaction transaction(*database_);
        ReservationStore(*database_, options_.reservationTtl).purgeExpired();
        transaction.commit();
    } catch (const SqlFailure& failure) {
        QTextStream(stderr) << "purge of expired reservations failed: " << failure.detail() << Qt::endl;
    }
}

void AppServer::checkpoint()
{
    try {
        database_->execDirect(database_->dialect().checkpoint());
    } catch (const SqlFailure& failure) {
        QTextStream(stderr) << "checkpoint failed: " << failure.detail() << Qt::endl;
    }
}
