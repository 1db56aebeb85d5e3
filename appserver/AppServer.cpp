#include "AppServer.h"

#include "Database.h"
#include "DatabaseSpec.h"
#include "DemoData.h"
#include "LimitedTcpServer.h"
#include "RdmMediEfeti.h"
#include "ReservationStore.h"
#include "RpcDispatcher.h"
#include "RpcEndpoint.h"
#include "Schema.h"
#include "SqlFailure.h"
#include "Transaction.h"

#include <QTextStream>

namespace {

constexpr std::chrono::minutes PurgeInterval{5};

} // namespace

AppServer::AppServer(const AppServerOptions& options, QObject* parent)
    : QObject(parent), options_(options),
      database_(std::make_unique<Database>(DatabaseSpec::parse(options.database)))
{
    Schema::migrate(*database_);
    if (options_.seedDemo)
        DemoData::seedIfEmpty(*database_);
    purgeReservations();
    methods_ = std::make_unique<RdmMediEfeti>(*database_, options_.reservationTtl);
    dispatcher_ = std::make_unique<RpcDispatcher>(*methods_, *database_);
    endpoint_ = std::make_unique<RpcEndpoint>(*dispatcher_, options_.token);
    purgeTimer_.setInterval(PurgeInterval);
    connect(&purgeTimer_, &QTimer::timeout, this, &AppServer::purgeReservations);
    purgeTimer_.start();
}

AppServer::~AppServer() = default;

quint16 AppServer::listen()
{
    LimitedTcpServer::Limits limits;
    limits.idleTimeout = options_.idleTimeout;
    limits.maxConnections = options_.maxConnections;
    limits.maxRequestBytes = options_.maxRequestBytes;
    // Parented to the endpoint, which keeps its servers for its whole life.
    tcpServer_ = new LimitedTcpServer(limits, endpoint_.get());
    if (!tcpServer_->listen(options_.address, options_.port))
        throw Exception(QStringLiteral("Cannot listen on %1:%2: %3")
                            .arg(options_.address.toString())
                            .arg(options_.port)
                            .arg(tcpServer_->errorString()));
    endpoint_->bind(tcpServer_);
    return tcpServer_->serverPort();
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
