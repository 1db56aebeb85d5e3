#include "ServerWorker.h"

#include "CallGate.h"
#include "CommitGroup.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "RdmMediEfeti.h"
#include "RpcDispatcher.h"
#include "RpcEndpoint.h"
#include "SqlFailure.h"

#include <unistd.h>

ServerWorker::ServerWorker(const AppServerOptions& options, std::optional<QSslConfiguration> tls,
                           qintptr listeningSocket, ConnectionBalancer& balancer, ReadinessProbe& readiness)
    : options_(options), tls_(std::move(tls)), listeningSocket_(listeningSocket), balancer_(balancer),
      readiness_(readiness)
{}

ServerWorker::~ServerWorker()
{
    quit();
    wait();
}

void ServerWorker::startServing()
{
    start();
    ready_.acquire();
    if (!failure_.isEmpty()) {
        wait();
        throw Exception(failure_);
    }
}

void ServerWorker::drain()
{
    if (!server_) {
        emit drained();
        return;
    }
    QMetaObject::invokeMethod(server_, &LimitedTcpServer::drain, Qt::QueuedConnection);
}

void ServerWorker::setTls(const QSslConfiguration& tls)
{
    if (server_)
        QMetaObject::invokeMethod(
            server_, [server = server_, tls] { server->setTls(tls); }, Qt::QueuedConnection);
}

void ServerWorker::run()
{
    try {
        serve();
    } catch (const SqlFailure& failure) {
        failure_ = failure.Message() + QLatin1Char(' ') + failure.detail();
        ready_.release();
    } catch (const Exception& error) {
        failure_ = error.Message();
        ready_.release();
    }
}

void ServerWorker::serve()
{
    Database database(options_.databaseSpec());
    RdmMediEfeti methods(database, options_.reservationTtl);
    // Outlives the connections, which may wait for its commit. Plain sockets send only when flushed.
    CommitGroup saves(database, !tls_);
    RpcDispatcher dispatcher(methods, database, options_.requestIdTtl, options_.sessions, options_.signIn,
                             &saves);
    CallGate gate(database, options_.token, options_.sessions);
    RpcEndpoint endpoint(dispatcher, readiness_, gate, options_.trustedProxies);
    LimitedTcpServer::Limits limits;
    limits.idleTimeout = options_.idleTimeout;
    limits.headTimeout = options_.headTimeout;
    limits.bodyTimeout = options_.bodyTimeout;
    limits.maxBodyBytes = options_.maxRequestBytes;
    limits.maxUnsentBytes = options_.maxUnsentBytes;
    LimitedTcpServer tcpServer(limits, tls_, balancer_, endpoint);
    connect(&tcpServer, &LimitedTcpServer::drained, this, &ServerWorker::drained, Qt::DirectConnection);
    if (!tcpServer.setSocketDescriptor(listeningSocket_)) {
        ::close(int(listeningSocket_));
        throw Exception(
            QStringLiteral("Cannot serve on the listening socket: %1").arg(tcpServer.errorString()));
    }
    server_ = &tcpServer;
    ready_.release();
    exec();
}
