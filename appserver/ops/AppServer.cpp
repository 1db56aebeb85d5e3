#include "AppServer.h"

#include "ConnectionBalancer.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "DemoAccounts.h"
#include "DemoData.h"
#include "Housekeeping.h"
#include "ListeningSocket.h"
#include "PasswordHash.h"
#include "ReadinessProbe.h"
#include "Schema.h"
#include "ServerLog.h"
#include "ServerWorker.h"
#include "TlsSettings.h"

AppServer::AppServer(const AppServerOptions& options, QObject* parent)
    : QObject(parent), options_(options),
      tls_(options.tls() ? std::optional(TlsSettings::load(options.tlsCertificate, options.tlsKey))
                         : std::nullopt),
      database_(std::make_unique<Database>(options.databaseSpec())),
      balancer_(std::make_unique<ConnectionBalancer>(options.maxConnections, options.maxConnectionsPerAddress,
                                                     options.trustedProxies))
{
    Schema::migrate(*database_);
    if (options_.seedDemo) {
        DemoData::seedIfEmpty(*database_);
        DemoAccounts::seedIfNone(*database_);
    }
    Housekeeping::purgeExpired(*database_, options_);
    // Made now, so the first unknown login costs what any other sign-in does.
    PasswordHash::dummy();
}

// Workers stop (and close their connections) before the balancer and probe they share go.
AppServer::~AppServer()
{
    housekeeping_.reset();
    workers_.clear();
    readiness_.reset();
}

quint16 AppServer::listen()
{
    if (!tls_ && !options_.token.isEmpty() && !options_.address.isLoopback())
        qCWarning(lcServer).noquote()
            << "listening on" << options_.address.toString()
            << "without TLS: the token crosses the network in clear, and calls "
               "carrying it from other machines are refused; set tls-cert and tls-key";
    listener_ = std::make_unique<ListeningSocket>(options_.address, options_.port);
    readiness_ = std::make_unique<ReadinessProbe>(options_.databaseSpec(), options_.readyTimeout);
    for (int i = 0; i < options_.workers; ++i) {
        workers_.push_back(
            std::make_unique<ServerWorker>(options_, tls_, listener_->share(), *balancer_, *readiness_));
        connect(workers_.back().get(), &ServerWorker::drained, this, &AppServer::workerDrained);
        workers_.back()->startServing();
    }
    housekeeping_ = std::make_unique<Housekeeping>(options_);
    housekeeping_->start();
    return listener_->port();
}

void AppServer::stop()
{
    if (std::exchange(stopping_, true))
        return;
    if (listener_)
        listener_->stopListening();
    draining_ = workers_.size();
    if (draining_ == 0) {
        emit stopped(true);
        return;
    }
    stopTimer_.setSingleShot(true);
    connect(&stopTimer_, &QTimer::timeout, this, [this] {
        qCWarning(lcServer).nospace() << "stop: " << draining_ << " worker(s) still busy after "
                                      << options_.shutdownTimeout.count() << " s";
        emit stopped(false);
    });
    stopTimer_.start(options_.shutdownTimeout);
    for (const auto& worker : workers_)
        worker->drain();
}

void AppServer::workerDrained()
{
    if (draining_ > 0 && --draining_ == 0 && stopTimer_.isActive()) {
        stopTimer_.stop();
        emit stopped(true);
    }
}
